// The temporary directory: what each candidate place names on this system
// and whether it is usable; the order is runtime/temp_policy.
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "base/system_function_win32.h"
#include "base/text.h"
#include "base/system_function_win32.h"
#include "base/win32.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/message_ids.h"
#include "runtime/path_calls_win32.h"
#include "runtime/paths.h"
#include "runtime/temp_policy.h"

namespace zvt {
namespace {

void seedRandom() {
  srand(static_cast<unsigned>(time(nullptr)) * static_cast<unsigned>(GetCurrentProcessId()));
}

// Creates and removes a uniquely named subdirectory: the directory is usable
// only when that works.
bool writableW(const std::wstring& dir) {
  seedRandom();
  std::wstring probe = dir + L"\\qrntw" + decimal(GetCurrentProcessId()) + decimal(rand());
  RemoveDirectoryW(probe.c_str());
  if (!CreateDirectoryW(probe.c_str(), nullptr)) return false;
  bool existed = GetFileAttributesW(probe.c_str()) != INVALID_FILE_ATTRIBUTES;
  RemoveDirectoryW(probe.c_str());
  return existed;
}

bool writableA(const std::string& dir) {
  seedRandom();
  std::string probe = dir + "\\qrntw" + std::to_string(GetCurrentProcessId()) + std::to_string(rand());
  RemoveDirectoryA(probe.c_str());
  if (!CreateDirectoryA(probe.c_str(), nullptr)) return false;
  bool existed = GetFileAttributesA(probe.c_str()) != INVALID_FILE_ATTRIBUTES;
  RemoveDirectoryA(probe.c_str());
  return existed;
}

// A "?" in a path that came back from a narrow API marks a character the
// code page could not represent: the path does not name the directory.
bool narrowCheck(std::string& path, bool create, bool ansiStrict, bool preferLong) {
  if (path.empty()) return false;
  if (create) CreateDirectoryA(path.c_str(), nullptr);
  if (ansiStrict || preferLong) {
    std::string longForm;
    DWORD length = GetLongPathNameA(path.c_str(), nullptr, 0);
    if (length > 0) {
      std::vector<char> buf(length + 1);
      DWORD got = GetLongPathNameA(path.c_str(), buf.data(), length + 1);
      if (got > 0 && got <= length) longForm.assign(buf.data(), got);
    }
    switch (judgeLongForm(path, longForm, ansiStrict, preferLong, kPathCapacity)) {
      case LongFormVerdict::Refuse:
        return false;
      case LongFormVerdict::UseLong:
        logLine(L"using long path %hs", longForm.c_str());
        path = longForm;
        break;
      case LongFormVerdict::Keep:
        break;
    }
  }
  return writableA(path);
}

// Characters in decomposed form cannot be handed on safely to code that
// compares or converts paths; precomposing must not change the length.
bool foldsCleanly(const std::wstring& path, const wchar_t* what) {
  std::vector<wchar_t> folded(kPathCapacity);
  int n = FoldStringW(MAP_PRECOMPOSED, path.c_str(), static_cast<int>(path.size()), folded.data(), 5999);
  if (n <= 0 || static_cast<size_t>(n) != path.size()) {
    std::wstring f(folded.data(), n > 0 ? static_cast<size_t>(n) : 0);
    logLine(L"%ls %ls %d %ls %d", what, f.c_str(), n, path.c_str(), static_cast<int>(path.size()));
    return false;
  }
  return true;
}

bool wideCheck(const std::wstring& path, bool create, bool strict) {
  if (path.empty()) return false;
  if (create) CreateDirectoryW(path.c_str(), nullptr);
  if (!foldsCleanly(path, L"folding error")) return false;
  if (!strict) return writableW(path);
  std::wstring longForm = longPathW(path);
  if (longForm.find(L'?') != std::wstring::npos) return false;
  if (!foldsCleanly(longForm, L"folding error2")) return false;
  return writableW(path);
}

std::string envA(const char* name) {
  return narrowCall([&](char* b, DWORD n) { return GetEnvironmentVariableA(name, b, n); });
}

std::wstring envW(const wchar_t* name) {
  return wideCall([&](wchar_t* b, DWORD n) { return GetEnvironmentVariableW(name, b, n); });
}

using FolderPathA = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
using FolderPathW = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);

bool commonAppData(std::string& narrow, std::wstring& wide) {
  auto a = systemFunction<FolderPathA>(L"shell32.dll", "SHGetFolderPathA");
  auto w = systemFunction<FolderPathW>(L"shell32.dll", "SHGetFolderPathW");
  if (!a || !w) return false;
  const int kCommonAppData = 35;  // CSIDL_COMMON_APPDATA
  char bufA[MAX_PATH + 1] = {};
  wchar_t bufW[MAX_PATH + 1] = {};
  if (FAILED(a(nullptr, kCommonAppData, nullptr, 0, bufA)) || FAILED(w(nullptr, kCommonAppData, nullptr, 0, bufW)) ||
      !bufA[0] || !bufW[0]) {
    return false;
  }
  narrow = std::string(bufA) + "\\zentrovia";
  wide = std::wstring(bufW) + L"\\zentrovia";
  CreateDirectoryA(narrow.c_str(), nullptr);
  CreateDirectoryW(wide.c_str(), nullptr);
  narrow += "\\temp";
  wide += L"\\temp";
  return true;
}

bool systemPlacePaths(TempPlace place, std::string& narrow, std::wstring& wide) {
  switch (place) {
    case TempPlace::SystemTemp:
      narrow = narrowCall([](char* b, DWORD n) { return GetTempPathA(n, b); });
      wide = wideCall([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); });
      return true;
    case TempPlace::ProfileTemp: {
      std::string a = envA("USERPROFILE");
      std::wstring w = envW(L"USERPROFILE");
      narrow = a.empty() ? a : a + "\\AppData\\Local\\Temp";
      wide = w.empty() ? w : w + L"\\AppData\\Local\\Temp";
      return true;
    }
    case TempPlace::Home:
      narrow = envA("HOMEDRIVE") + envA("HOMEPATH");
      wide = envW(L"HOMEDRIVE") + envW(L"HOMEPATH");
      return true;
    case TempPlace::CommonAppData:
      return commonAppData(narrow, wide);
    case TempPlace::WindowsTemp:
      narrow = windowsDirectoryA() + "\\temp";
      wide = windowsDirectoryW() + L"\\temp";
      return true;
    case TempPlace::CTemp:
      narrow = "c:\\temp";
      wide = L"c:\\temp";
      return true;
    case TempPlace::CTmp:
      narrow = "c:\\tmp";
      wide = L"c:\\tmp";
      return true;
    case TempPlace::WindowsDir:
      narrow = windowsDirectoryA();
      wide = windowsDirectoryW();
      return true;
  }
  return false;
}

TempPlaceOverride g_placeOverride = nullptr;
bool g_preferLong = false;

// The places and checks of this system.
class SystemTempDirectories : public TempDirectorySystem {
 public:
  bool placePaths(TempPlace place, std::string& narrow, std::wstring& wide) override {
    return g_placeOverride ? g_placeOverride(static_cast<int>(place), narrow, wide)
                           : systemPlacePaths(place, narrow, wide);
  }
  bool narrowUsable(std::string& narrow, bool create, bool ansiStrict, bool preferLong) override {
    return narrowCheck(narrow, create, ansiStrict, preferLong);
  }
  bool wideUsable(const std::wstring& wide, bool create, bool strict) override {
    return wideCheck(wide, create, strict);
  }
};

// The log asks for the directory on its first line, before the configuration
// (and so key 10009) is loaded. Key 10009 only changes which narrow spelling
// is used, so the choice is kept per setting instead of freezing the first.
const TempDirectoryChoice& tempDirectory() {
  static TempDirectoryChoice* chosen[2] = {nullptr, nullptr};  // live until exit
  const bool preferLong = g_preferLong;
  TempDirectoryChoice*& slot = chosen[preferLong ? 1 : 0];
  if (!slot) {
    SystemTempDirectories system;
    slot = new TempDirectoryChoice(chooseTempDirectory(system, preferLong));
  }
  return *slot;
}

}  // namespace

void overrideTempPlacesForTesting(TempPlaceOverride override) {
  g_placeOverride = override;
}

void setPreferLongTempPath(bool prefer) {
  g_preferLong = prefer;
}

std::string tempDirectoryA() {
  const TempDirectoryChoice& t = tempDirectory();
  if (!t.found) fatalMessageW(msg::kNoTempDirectory);
  return t.narrow;
}

std::wstring tempDirectoryW(bool fatal) {
  const TempDirectoryChoice& t = tempDirectory();
  if (!t.found && fatal) fatalMessageW(msg::kNoTempDirectory);
  return t.wide;
}

std::string makeTempFileName() {
  std::string dir = tempDirectoryA();
  logLine(L"tempPath is %hs", dir.c_str());
  char buf[MAX_PATH + 1] = {};
  std::string name;
  if (GetTempFileNameA(dir.c_str(), "qrn", 0, buf) != 0) {
    name = buf;
  } else {
    logLine(L"GetTempFileName failed (last error %d)", static_cast<int>(GetLastError()));
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
    seedRandom();
    name = dir + "qrn" + std::to_string(rand());
  }
  logLine(L"tempFile is %hs", name.c_str());
  return name;
}

}  // namespace zvt
