// "This function when the system has it": functions that newer Windows
// versions (or updates) add are looked up at run time, so the launcher still
// loads on systems without them and takes its fallback there instead.
//
//   auto addDir = systemFunction<DLL_DIRECTORY_COOKIE(WINAPI*)(PCWSTR)>(L"kernel32.dll", "AddDllDirectory");
//   if (addDir) addDir(path);
//
// The library is one of the system's own: an already loaded module is used
// as it is; one that is not loaded yet is loaded from the system directory
// (never through the search path) and stays loaded for the process, so the
// address stays valid.
#pragma once

#include <type_traits>

#include "base/win32.h"

namespace zvt {

// The address of `name` in the system library `module`, or nullptr when the
// library or the function is missing.
void* systemFunctionAddress(const wchar_t* module, const char* name);

template <typename Fn>
Fn systemFunction(const wchar_t* module, const char* name) {
  static_assert(std::is_pointer<Fn>::value && std::is_function<typename std::remove_pointer<Fn>::type>::value,
                "systemFunction takes a function pointer type");
  return reinterpret_cast<Fn>(systemFunctionAddress(module, name));
}

}  // namespace zvt
