// The runtime's argument-file library: jli.dll beside the JVM library, with
// the three functions its own java launcher uses for "@" files.
#pragma once

#include <memory>
#include <string>

#include "jvm/launch/argument_files.h"

namespace zvt {

// Loads "<directory>\jli.dll" and resolves JLI_InitArgProcessing,
// JLI_PreprocessArg and JLI_MemFree. Null (and logged) when the library does
// not load or a function is missing. The library is released with the
// returned object.
std::unique_ptr<ArgumentFileLibrary> loadJli(const std::string& directory);

}  // namespace zvt
