// Module options: the "--add-opens" and "--add-modules" options the launcher
// adds for the runtime classes, and the joining of module options given as
// two words ("--add-opens" "a/b=c") into the one-word form the JVM's
// invocation interface needs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zvt {

// Replaces each name among "--upgrade-module-path", "--add-modules",
// "--limit-modules", "--add-exports", "--add-opens", "--add-reads" and
// "--patch-module" that is not the last entry, together with the entry after
// it, by "name=value". A merged entry is not merged again. `origins`, when
// given, runs parallel to the options and is kept so (a merged entry keeps
// its name's).
void mergeModuleOptions(std::vector<std::string>& options, std::vector<size_t>* origins = nullptr);

struct RuntimeModuleOptions {
  std::string addOpens;    // empty when not built
  std::string addModules;  // always built
};

// In module mode the main class is "module/package.Class": its package is
// opened to the runtime module, and its module is added with the runtime's.
// Outside module mode only the runtime module is added.
RuntimeModuleOptions runtimeModuleOptions(bool moduleMode, const std::string& mainClass,
                                          const std::string& runtimeName);

}  // namespace zvt
