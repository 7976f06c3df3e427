#pragma once

namespace zvt {

// The steps every process runs before it looks at its command line: load
// the configuration, take the runtime flavour, reduce PATH, remove the Java
// options variables when configured, and set the working directory.
void prepareStartup();

}  // namespace zvt
