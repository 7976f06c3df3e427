#include <cstdlib>
#include <ctime>
#include <vector>

#include "base/handle.h"
#include "base/text.h"
#include "base/win32.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/message_ids.h"
#include "runtime/path_rules.h"
#include "runtime/paths.h"

namespace zvt {
namespace {

constexpr DWORD kPathCapacity = 6000;

// The file functions convert narrow paths with the ANSI code page unless
// SetFileApisToOEM switched them; our narrow paths must follow the same one.
UINT fileCodePage() { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }

template <typename Fn>
std::wstring wideCall(Fn fn) {
  std::vector<wchar_t> buf(kPathCapacity);
  DWORD n = fn(buf.data(), kPathCapacity);
  return n > 0 && n < kPathCapacity ? std::wstring(buf.data(), n) : std::wstring();
}

template <typename Fn>
std::string narrowCall(Fn fn) {
  std::vector<char> buf(kPathCapacity);
  DWORD n = fn(buf.data(), kPathCapacity);
  return n > 0 && n < kPathCapacity ? std::string(buf.data(), n) : std::string();
}

std::wstring longPathW(const std::wstring& path) {
  return wideCall([&](wchar_t* b, DWORD n) { return GetLongPathNameW(path.c_str(), b, n); });
}

std::wstring shortPathW(const std::wstring& path) {
  return wideCall([&](wchar_t* b, DWORD n) { return GetShortPathNameW(path.c_str(), b, n); });
}

std::wstring windowsDirectoryW() {
  return wideCall([](wchar_t* b, DWORD n) { return GetWindowsDirectoryW(b, n); });
}

std::string windowsDirectoryA() {
  return narrowCall([](char* b, DWORD n) { return GetWindowsDirectoryA(b, n); });
}

// The short name as the command interpreter reports it ("%~sI"): the last
// resort when neither the long nor the short path converts without loss.
std::string shortPathViaShell(const std::wstring& path) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  UniqueHandle readEnd, writeEnd;
  if (!CreatePipe(readEnd.receive(), writeEnd.receive(), &inherit, 0)) {
    logLine(L"CreatePipe error (%d)", static_cast<int>(GetLastError()));
    return std::string();
  }
  if (!SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0)) {
    logLine(L"SetHandleInformation error (%d)", static_cast<int>(GetLastError()));
    return std::string();
  }
  std::wstring command =
      windowsDirectoryW() + L"\\system32\\cmd.exe /C for %I in (\"" + path + L"\") do @echo %~sI";
  logLine(L"executing %ls", command.c_str());
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nullptr;
  si.hStdOutput = writeEnd.get();
  si.hStdError = writeEnd.get();
  PROCESS_INFORMATION pi{};
  std::vector<wchar_t> cmd(command.begin(), command.end());
  cmd.push_back(L'\0');
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
    logLine(L"could not execute cmd.exe");
    return std::string();
  }
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  writeEnd.reset();  // so the read ends when cmd.exe does
  std::string text;
  char buf[512];
  DWORD n;
  while (text.size() < kPathCapacity && ReadFile(readEnd.get(), buf, sizeof(buf), &n, nullptr) && n > 0) {
    text.append(buf, n);
  }
  if (text.size() > kPathCapacity) text.resize(kPathCapacity);
  logLine(L"finished reading from cmd.exe %d \"%hs\"", static_cast<int>(text.size()), text.c_str());
  DWORD code = 1;
  GetExitCodeProcess(process.get(), &code);
  logLine(L"Exit Code %d", static_cast<int>(code));
  if (code == STILL_ACTIVE) {
    logLine(L"Terminating process");
    TerminateProcess(process.get(), 1);
  }
  if (code != 0 || text.size() <= 5) return std::string();
  size_t end = text.find_first_of("\r\n");
  if (end == std::string::npos) return std::string();
  text.resize(end);
  logLine(L"Using %hs", text.c_str());
  return text;
}

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
    if (lossy || !endsWithExe(narrow)) narrow = shortPathViaShell(p->wide);
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
  std::wstring widened;
  std::wstring wide;
};

const LauncherDirectory& launcherDirectory() {
  static const LauncherDirectory* dir = [] {
    auto* d = new LauncherDirectory();
    std::vector<char> a(kPathCapacity);
    char* filePartA = nullptr;
    DWORD n = GetFullPathNameA(modulePathA().c_str(), kPathCapacity, a.data(), &filePartA);
    if (n > 0 && n < kPathCapacity) d->narrow.assign(a.data(), filePartA ? filePartA - a.data() : n);
    d->widened = widenBytes(d->narrow);
    std::vector<wchar_t> w(kPathCapacity);
    wchar_t* filePartW = nullptr;
    n = GetFullPathNameW(modulePathW().c_str(), kPathCapacity, w.data(), &filePartW);
    if (n > 0 && n < kPathCapacity) d->wide.assign(w.data(), filePartW ? filePartW - w.data() : n);
    return d;
  }();
  return *dir;
}

// --- temporary directory ----------------------------------------------------

void seedRandom() { srand(static_cast<unsigned>(time(nullptr)) * static_cast<unsigned>(GetCurrentProcessId())); }

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
    DWORD length = GetLongPathNameA(path.c_str(), nullptr, 0);
    if (length > 0) {
      std::vector<char> buf(length + 1);
      DWORD got = GetLongPathNameA(path.c_str(), buf.data(), length + 1);
      if (got > 0 && got <= length) {
        std::string longForm(buf.data(), got);
        if (longForm.find('?') == std::string::npos) {
          if (preferLong && longForm.size() < kPathCapacity && longForm != path) {
            logLine(L"using long path %hs", longForm.c_str());
            path = longForm;
          }
        } else if (ansiStrict) {
          return false;
        }
      }
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

enum class Place { SystemTemp, ProfileTemp, Home, CommonAppData, WindowsTemp, CTemp, CTmp, WindowsDir };

struct Candidate {
  Place place;
  bool narrowCreate, ansiStrict, narrowPreferLong;  // preferLong only when key 10009 asks
  bool wideCreate, wideStrict;
};

// Strict candidates first (paths that survive narrow conversion), then
// fixed fallbacks, then the first places again without the strict checks.
constexpr Candidate kCandidates[] = {
    {Place::SystemTemp, true, true, true, true, true},
    {Place::ProfileTemp, false, true, true, false, true},
    {Place::Home, false, true, true, false, true},
    {Place::CommonAppData, true, true, true, true, true},
    {Place::WindowsTemp, false, false, false, false, false},
    {Place::CTemp, false, false, false, false, false},
    {Place::CTmp, false, false, false, false, false},
    {Place::WindowsDir, false, false, false, false, false},
    {Place::CTmp, true, false, false, true, false},
    {Place::SystemTemp, true, false, true, true, false},
    {Place::ProfileTemp, false, false, true, false, false},
    {Place::Home, false, false, true, false, false},
};

using FolderPathA = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
using FolderPathW = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);

bool commonAppData(std::string& narrow, std::wstring& wide) {
  static HMODULE shell = LoadLibraryW(L"shell32.dll");  // kept loaded for the process
  if (!shell) return false;
  auto a = reinterpret_cast<FolderPathA>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathA")));
  auto w = reinterpret_cast<FolderPathW>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathW")));
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

bool placePaths(Place place, std::string& narrow, std::wstring& wide) {
  switch (place) {
    case Place::SystemTemp:
      narrow = narrowCall([](char* b, DWORD n) { return GetTempPathA(n, b); });
      wide = wideCall([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); });
      return true;
    case Place::ProfileTemp: {
      std::string a = envA("USERPROFILE");
      std::wstring w = envW(L"USERPROFILE");
      narrow = a.empty() ? a : a + "\\AppData\\Local\\Temp";
      wide = w.empty() ? w : w + L"\\AppData\\Local\\Temp";
      return true;
    }
    case Place::Home:
      narrow = envA("HOMEDRIVE") + envA("HOMEPATH");
      wide = envW(L"HOMEDRIVE") + envW(L"HOMEPATH");
      return true;
    case Place::CommonAppData:
      return commonAppData(narrow, wide);
    case Place::WindowsTemp:
      narrow = windowsDirectoryA() + "\\temp";
      wide = windowsDirectoryW() + L"\\temp";
      return true;
    case Place::CTemp:
      narrow = "c:\\temp";
      wide = L"c:\\temp";
      return true;
    case Place::CTmp:
      narrow = "c:\\tmp";
      wide = L"c:\\tmp";
      return true;
    case Place::WindowsDir:
      narrow = windowsDirectoryA();
      wide = windowsDirectoryW();
      return true;
  }
  return false;
}

struct TempDirectory {
  bool found = false;
  std::string narrow;
  std::wstring wide;
};

TempPlaceOverride g_placeOverride = nullptr;
bool g_preferLong = false;

TempDirectory chooseTempDirectory(bool preferLong) {
  TempDirectory t;
  for (const Candidate& c : kCandidates) {
    std::string narrow;
    std::wstring wide;
    bool known = g_placeOverride ? g_placeOverride(static_cast<int>(c.place), narrow, wide)
                                 : placePaths(c.place, narrow, wide);
    if (!known) continue;
    if (!narrowCheck(narrow, c.narrowCreate, c.ansiStrict, c.narrowPreferLong && preferLong)) continue;
    if (!wideCheck(wide, c.wideCreate, c.wideStrict)) continue;
    t.found = true;
    t.narrow = narrow;
    t.wide = wide;
    break;
  }
  return t;
}

// The log asks for the directory on its first line, before the configuration
// (and so key 10009) is loaded. Key 10009 only changes which narrow spelling
// is used, so the choice is kept per setting instead of freezing the first.
const TempDirectory& tempDirectory() {
  static TempDirectory* chosen[2] = {nullptr, nullptr};  // live until exit
  const bool preferLong = g_preferLong;
  TempDirectory*& slot = chosen[preferLong ? 1 : 0];
  if (!slot) slot = new TempDirectory(chooseTempDirectory(preferLong));
  return *slot;
}

}  // namespace

void overrideTempPlacesForTesting(TempPlaceOverride override) { g_placeOverride = override; }

void setPreferLongTempPath(bool prefer) {
  g_preferLong = prefer;
}

std::wstring moduleFileNameW() {
  return wideCall([](wchar_t* b, DWORD n) { return GetModuleFileNameW(nullptr, b, n); });
}

const std::wstring& modulePathW() { return modulePaths().wide; }
const std::string& modulePathA() { return modulePaths().narrow; }

std::wstring moduleBaseName() {
  std::wstring path = moduleFileNameW();
  size_t slash = path.find_last_of(L"\\/");
  std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
  size_t dot = file.rfind(L'.');
  return dot == std::wstring::npos ? file : file.substr(0, dot);
}

const std::string& launcherDirectoryA() { return launcherDirectory().narrow; }
const std::wstring& launcherDirectoryW() { return launcherDirectory().wide; }
const std::wstring& launcherDirectoryWidenedA() { return launcherDirectory().widened; }

std::string tempDirectoryA() {
  const TempDirectory& t = tempDirectory();
  if (!t.found) fatalMessageW(msg::kNoTempDirectory);
  return t.narrow;
}

std::wstring tempDirectoryW(bool fatal) {
  const TempDirectory& t = tempDirectory();
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

std::string makeAbsolute(const std::string& path, const std::string* baseFile) {
  std::string out;
  if (isRelativePath(path)) {
    if (baseFile) {
      std::string full = fullPath(*baseFile, true);
      size_t sep = full.find_last_of("\\/");
      out = sep == std::string::npos ? std::string() : full.substr(0, sep + 1);
    } else {
      out = launcherDirectoryA();
    }
  }
  out += path;
  collapseBackslashesA(out);
  return out;
}

std::wstring makeAbsoluteW(const std::wstring& path, const std::wstring* baseFile, bool widenedBase) {
  std::wstring out;
  if (isRelativePath(path)) {
    if (baseFile) {
      out = directoryOf(fullPathW(*baseFile, true));
    } else {
      out = widenedBase ? launcherDirectoryWidenedA() : launcherDirectoryW();
    }
  }
  out += path;
  collapseBackslashes(out);
  return out;
}

std::string fullPath(const std::string& path, bool keepCase) {
  std::string scratch = makeAbsolute(path);
  std::string out = narrowCall([&](char* b, DWORD n) { return GetFullPathNameA(scratch.c_str(), n, b, nullptr); });
  if (!keepCase) lowercasePathA(out);
  collapseBackslashesA(out);
  return out;
}

std::wstring fullPathW(const std::wstring& path, bool keepCase, bool widenedBase) {
  std::wstring scratch = makeAbsoluteW(path, nullptr, widenedBase);
  std::wstring out =
      wideCall([&](wchar_t* b, DWORD n) { return GetFullPathNameW(scratch.c_str(), n, b, nullptr); });
  if (!keepCase && !out.empty()) CharLowerBuffW(&out[0], static_cast<DWORD>(out.size()));
  collapseBackslashes(out);
  return out;
}

std::string absolutePathList(const std::string& list, const std::function<void(const std::string&)>& callback) {
  std::string out;
  size_t start = 0;
  while (start < list.size()) {
    size_t semi = list.find(';', start);
    std::string element = list.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
    if (element.empty()) break;
    std::string absolute = makeAbsolute(element);
    out += absolute;
    if (callback) callback(absolute);
    if (semi == std::string::npos) break;
    start = semi + 1;
    if (start < list.size() && list[start] != ';') out += ';';
  }
  return out;
}

void collapseBackslashesA(std::string& path) {
  std::wstring wide = toWide(path);
  collapseBackslashes(wide);
  bool lossy = false;
  std::string back = toNarrow(wide, &lossy);
  if (!lossy) path = back;
}

bool fileExists(const std::wstring& path) {
  if (isDriveRoot(path)) return true;
  WIN32_FIND_DATAW entry;
  UniqueFindHandle find(FindFirstFileW(path.c_str(), &entry));
  return find.valid();
}

bool fileExists(const std::string& path) { return fileExists(toWide(path)); }

bool fileTime(const std::wstring& path, uint64_t* lastWrite) {
  WIN32_FIND_DATAW entry;
  UniqueFindHandle find(FindFirstFileW(path.c_str(), &entry));
  if (!find) return false;
  if (lastWrite) {
    *lastWrite = (static_cast<uint64_t>(entry.ftLastWriteTime.dwHighDateTime) << 32) |
                 entry.ftLastWriteTime.dwLowDateTime;
  }
  return true;
}

bool fileTime(const std::string& path, uint64_t* lastWrite) { return fileTime(toWide(path), lastWrite); }

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

void lowercasePathA(std::string& path) {
  std::wstring wide = toWide(path);
  if (wide.empty()) return;
  CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));
  bool lossy = false;
  std::string back = toNarrow(wide, &lossy);
  if (!lossy) path = back;
}

}  // namespace zvt
