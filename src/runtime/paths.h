// The launcher's own paths and the temporary directory.
#pragma once

#include <string>

namespace zvt {

// The executable's path in long form (computed once).
const std::wstring& modulePathW();

// The executable's file name without directory and extension.
std::wstring moduleBaseName();

// The temporary directory. With `fatal` set, a missing one ends the process
// with the "no temporary directory" message; otherwise the result is empty.
std::wstring tempDirectoryW(bool fatal);

}  // namespace zvt
