// The executable's own path and directory, in the wide and the ANSI-safe
// narrow spelling.
#include <string>
#include <vector>

#include "base/win32.h"
#include "runtime/log.h"
#include "runtime/path_calls_win32.h"
#include "runtime/path_rules.h"
#include "runtime/paths.h"

namespace zvt {
namespace {

struct ModulePaths {
  std::wstring wide;
  std::string narrow;
};

const ModulePaths& modulePaths() {
  static const ModulePaths* paths = [] {
    auto* p = new ModulePaths();  // lives until exit
    std::wstring name = moduleFileNameW();
    std::vector<wchar_t> longBuf(kPathCapacity);
    DWORD m = GetLongPathNameW(name.c_str(), longBuf.data(), kPathCapacity);
    DWORD err = GetLastError();
    bool haveLong = m > 0 && m < kPathCapacity;
    logLine(L"init file name %ls %ls %d %d", name.c_str(), haveLong ? longBuf.data() : L"", static_cast<int>(m),
            static_cast<int>(err));
    p->wide = haveLong ? std::wstring(longBuf.data(), m) : name;

    bool lossy = false;
    std::string narrow = toNarrow(p->wide, &lossy);
    if (lossy || !endsWithExe(narrow)) narrow = toNarrow(shortPathW(p->wide), &lossy);
    if (lossy || !endsWithExe(narrow)) narrow = shortPathFromCommandInterpreter(p->wide);
    if (narrow.empty() || !endsWithExe(narrow)) {
      std::string ansiName = narrowCall([](char* b, DWORD n) { return GetModuleFileNameA(nullptr, b, n); });
      narrow = narrowCall([&](char* b, DWORD n) { return GetShortPathNameA(ansiName.c_str(), b, n); });
    }
    collapseBackslashes(p->wide);
    collapseBackslashesA(narrow);
    p->narrow = narrow;
    return p;
  }();
  return *paths;
}

struct LauncherDirectory {
  std::string narrow;
  std::wstring ansiSafeWide;  // the narrow form through the file code page
  std::wstring wide;
};

const LauncherDirectory& launcherDirectory() {
  static const LauncherDirectory* dir = [] {
    auto* d = new LauncherDirectory();
    std::vector<char> a(kPathCapacity);
    char* filePartA = nullptr;
    DWORD n = GetFullPathNameA(modulePathA().c_str(), kPathCapacity, a.data(), &filePartA);
    if (n > 0 && n < kPathCapacity) d->narrow.assign(a.data(), filePartA ? filePartA - a.data() : n);
    d->ansiSafeWide = toWide(d->narrow);
    std::vector<wchar_t> w(kPathCapacity);
    wchar_t* filePartW = nullptr;
    n = GetFullPathNameW(modulePathW().c_str(), kPathCapacity, w.data(), &filePartW);
    if (n > 0 && n < kPathCapacity) d->wide.assign(w.data(), filePartW ? filePartW - w.data() : n);
    return d;
  }();
  return *dir;
}

}  // namespace

std::wstring moduleFileNameW() {
  return wideCall([](wchar_t* b, DWORD n) { return GetModuleFileNameW(nullptr, b, n); });
}

const std::wstring& modulePathW() {
  return modulePaths().wide;
}
const std::string& modulePathA() {
  return modulePaths().narrow;
}

std::wstring moduleBaseName() {
  return baseNameOf(moduleFileNameW());
}

const std::string& launcherDirectoryA() {
  return launcherDirectory().narrow;
}
const std::wstring& launcherDirectoryW() {
  return launcherDirectory().wide;
}
const std::wstring& launcherDirectoryAnsiSafeW() {
  return launcherDirectory().ansiSafeWide;
}

}  // namespace zvt
