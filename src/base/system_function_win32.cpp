#include "base/system_function_win32.h"

#include <string>

namespace zvt {
namespace {

HMODULE systemLibrary(const wchar_t* module) {
  if (HMODULE loaded = GetModuleHandleW(module)) return loaded;
  wchar_t dir[MAX_PATH];
  UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  // Never freed: callers keep the function addresses for the process.
  return LoadLibraryW((std::wstring(dir, n) + L"\\" + module).c_str());
}

}  // namespace

void* systemFunctionAddress(const wchar_t* module, const char* name) {
  HMODULE library = systemLibrary(module);
  if (!library) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(library, name));
}

}  // namespace zvt
