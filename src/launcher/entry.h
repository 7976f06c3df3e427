#pragma once

namespace zvt {

// The process entry: decides the process's role from its command line and
// returns the exit code.
int processEntry();

}  // namespace zvt
