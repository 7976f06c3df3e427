#pragma once

namespace zvt {

// Hands the process to the Service Control Manager. Returns when the
// dispatcher does (at once when the process was not started as a service).
void runServiceDispatcher();

}  // namespace zvt
