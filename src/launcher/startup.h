#pragma once

namespace zvt {

// The steps every process runs before it looks at its command line: load the
// configuration and take the runtime flavour.
void prepareStartup();

}  // namespace zvt
