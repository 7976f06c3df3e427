// The runtime classes the packer puts into every launcher unless
// launcher.include-runtime says not to: the jar it takes from its own
// directory, and the name the jar gets among the included files.
#pragma once

#include <string>
#include <vector>

#include "config/block_format.h"

namespace zvt::pack {

// The file beside zvtpack.
constexpr const char* kRuntimeJarFile = "zvtruntime.jar";

// The name inside the launcher: the flavour's runtime module followed by
// ".jar" (com.zentrovia.runtime.jar, com.quarn.runtime.jar). The launcher
// puts the archives of its temporary directory on the module path in
// module mode and names the runtime module in --add-modules; a jar without a
// module descriptor takes its module name from its file name there.
// `flavour` is the stored value of launcher.flavour (absent: empty).
std::string includedRuntimeName(const std::string& flavour);

// 1 when the last included file of a packed block is the runtime jar the
// packer added (launcher.include-runtime stored nonzero, the name of the
// flavour's runtime), else 0: the files before it are the configuration's
// own [[files]].
size_t packedRuntimeFiles(const block::Content& content, const std::vector<std::string>& fileNames);

}  // namespace zvt::pack
