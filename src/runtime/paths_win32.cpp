#include <vector>

#include "base/win32.h"
#include "runtime/log.h"
#include "runtime/paths.h"

namespace zvt {
namespace {
constexpr DWORD kPathCapacity = 6000;
}

const std::wstring& modulePathW() {
  static const std::wstring* path = [] {
    std::vector<wchar_t> name(kPathCapacity);
    DWORD n = GetModuleFileNameW(nullptr, name.data(), kPathCapacity);
    if (n >= kPathCapacity) n = 0;
    name[n] = L'\0';
    std::vector<wchar_t> longName(kPathCapacity);
    DWORD m = GetLongPathNameW(name.data(), longName.data(), kPathCapacity);
    DWORD err = GetLastError();
    bool haveLong = m > 0 && m < kPathCapacity;
    logLine(L"init file name %ls %ls %d %d", name.data(), haveLong ? longName.data() : L"", static_cast<int>(m),
            static_cast<int>(err));
    return new std::wstring(haveLong ? longName.data() : name.data());  // lives until exit
  }();
  return *path;
}

std::wstring moduleBaseName() {
  std::vector<wchar_t> name(kPathCapacity);
  DWORD n = GetModuleFileNameW(nullptr, name.data(), kPathCapacity);
  std::wstring path(name.data(), n < kPathCapacity ? n : 0);
  size_t slash = path.find_last_of(L"\\/");
  std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
  size_t dot = file.rfind(L'.');
  return dot == std::wstring::npos ? file : file.substr(0, dot);
}

std::wstring tempDirectoryW(bool fatal) {
  (void)fatal;  // the system path always exists; candidate search comes later
  wchar_t buf[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  return n > 0 && n <= MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

}  // namespace zvt
