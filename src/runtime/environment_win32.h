// Environment and search path: cutting PATH down to the Windows directory,
// putting the native-library directories in front of it, registering DLL
// directories, and removing the variables through which users inject VM
// options. Changes apply to this process and the processes it starts. The
// caller decides from the configuration whether each applies.
#pragma once

#include <cstdint>
#include <string>

namespace zvt {

// Keeps only the PATH entries under the Windows directory (key 10010).
void reducePath();
void clearJavaOptionsVariables();
// Puts `directories` (key 10004, ";"-separated, expanded and made absolute
// here) in front of PATH; each is also registered as a DLL directory when
// `registerDllDirectories` (key 154).
void setNativeLibraryPath(const std::string& directories, bool registerDllDirectories);
// Registers `path` in the DLL search list. A cookie for removeDllDirectory,
// or 0 when nothing was registered (the system lacks AddDllDirectory, or the
// call failed). Callers register only when key 154 asks for it.
uintptr_t addDllDirectory(const std::string& path);

// Sets (or, for an empty value after expansion, removes) the variables of
// a stored environment list (key 30321, see environmentEntries) in this
// process and the C runtime's copy, in order, each value expanded against
// the environment the entries before have left.
void applyEnvironmentEntries(const std::string& stored);

// PATH as the process environment holds it; false when it is not set (or
// could not be read, which the callers treat alike).
bool readProcessPath(std::wstring& value);
// Sets PATH (removes it for nullptr) in the process environment and in the
// C runtime's own copy, so both agree. False with the system's error when
// the process environment refused it; the C runtime's copy is written
// either way.
bool writeProcessPath(const std::wstring* value, unsigned long* error);
// The same for any variable.
bool writeProcessVariable(const std::wstring& name, const std::wstring* value, unsigned long* error);
void removeDllDirectory(uintptr_t cookie);

}  // namespace zvt
