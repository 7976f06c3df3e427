// Narrow paths in the file functions' code page, and back.
#include <string>

#include "base/win32.h"
#include "runtime/path_calls_win32.h"
#include "runtime/paths.h"

namespace zvt {

std::string toNarrow(const std::wstring& wide, bool* lossy) {
  if (lossy) *lossy = false;
  if (wide.empty()) return std::string();
  const UINT cp = fileCodePage();
  const int length = static_cast<int>(wide.size());
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(cp, flags, wide.c_str(), length, nullptr, 0, "?", &usedDefault);
  if (n <= 0 && GetLastError() == ERROR_INVALID_FLAGS) {
    // Some code pages (UTF-8, a few DBCS ones) refuse the best-fit flag.
    flags = 0;
    n = WideCharToMultiByte(cp, flags, wide.c_str(), length, nullptr, 0, "?", &usedDefault);
  }
  if (n <= 0) {
    if (lossy) *lossy = true;
    return std::string();
  }
  std::string out(static_cast<size_t>(n), '\0');
  usedDefault = FALSE;
  WideCharToMultiByte(cp, flags, wide.c_str(), length, &out[0], n, "?", &usedDefault);
  if (lossy) *lossy = usedDefault != FALSE;
  return out;
}

std::wstring toWide(const std::string& narrow) {
  if (narrow.empty()) return std::wstring();
  const UINT cp = fileCodePage();
  int n = MultiByteToWideChar(cp, 0, narrow.c_str(), static_cast<int>(narrow.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, narrow.c_str(), static_cast<int>(narrow.size()), &out[0], n);
  return out;
}

}  // namespace zvt
