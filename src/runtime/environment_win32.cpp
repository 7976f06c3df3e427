#include "runtime/environment_win32.h"

#include <cstdlib>
#include <vector>

#include "base/capacity.h"
#include "base/system_function_win32.h"
#include "base/win32.h"
#include "runtime/environment.h"
#include "runtime/expansion_win32.h"
#include "runtime/log.h"
#include "runtime/paths.h"

namespace zvt {
namespace {

// Systems without the DLL search-list update lack both functions.
using AddDllDirectoryFn = void*(WINAPI*)(PCWSTR);
using RemoveDllDirectoryFn = BOOL(WINAPI*)(void*);

std::wstring currentPath() {
  std::wstring path;
  return readProcessPath(path) ? path : std::wstring();
}

std::wstring windowsDirectory() {
  wchar_t buf[MAX_PATH];
  UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

// The system's case-insensitive comparison, so non-ASCII directory names
// compare the way the file system does.
bool systemPrefixMatch(const std::wstring& entry, const std::wstring& prefix) {
  if (entry.size() < prefix.size()) return false;
  return CompareStringOrdinal(entry.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                              static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

// The C runtime keeps its own copy of the environment, taken at start-up;
// getenv and the runtime's spawn functions read that copy. "NAME=" removes
// the variable there.
void putRuntimeEnvironment(const std::wstring& assignment) {
  _wputenv(assignment.c_str());
}

}  // namespace

void reducePath() {
  std::wstring path = currentPath();
  if (path.empty()) return;
  std::wstring windows = windowsDirectory();
  if (windows.empty()) return;
  logLine(L"reducing PATH %d %d %ls", static_cast<int>(windows.size()), static_cast<int>(path.size()), path.c_str());
  std::wstring reduced = keepWindowsEntries(path, windows, systemPrefixMatch);
  logLine(L"reduced PATH %d to %ls", static_cast<int>(reduced.size()), reduced.c_str());
  // Nothing kept: an empty PATH would break far more than a long one.
  if (!reduced.empty() && !SetEnvironmentVariableW(L"PATH", reduced.c_str())) logLine(L"ERROR setting path");
}

void clearJavaOptionsVariables() {
  for (const wchar_t* name : kJavaOptionsVariables) SetEnvironmentVariableW(name, nullptr);
  for (const wchar_t* name : kJavaOptionsVariables) putRuntimeEnvironment(std::wstring(name) + L"=");
}

void setNativeLibraryPath(const std::string& configured, bool registerDllDirectories) {
  std::string directories = configured;
  logLine(L"native lib dir is %hs", directories.c_str());
  expandVariablesAnsi(directories);
  std::string prefix = absolutePathList(directories, [&](const std::string& entry) {
    if (registerDllDirectories && !entry.empty()) addDllDirectory(entry);
  });
  // The old PATH is taken and written back in UTF-16: through the ANSI code
  // page, entries with other characters would come back as "?".
  std::wstring path = prefixedPath(toWide(prefix), currentPath());
  if (SetEnvironmentVariableW(L"PATH", path.c_str())) {
    logLine(L"Setting PATH (native libs) %ls", path.c_str());
  } else {
    logLine(L"Setting PATH (native libs) %ls failed with error %d", path.c_str(), static_cast<int>(GetLastError()));
  }
  putRuntimeEnvironment(L"PATH=" + path);
}

uintptr_t addDllDirectory(const std::string& path) {
  auto add = systemFunction<AddDllDirectoryFn>(L"kernel32.dll", "AddDllDirectory");
  if (!add) return 0;
  std::wstring wide = toWide(path);
  if (wide.empty() || wide.size() >= kBufferCapacity) return 0;
  logLine(L"Adding DLL directory %hs", path.c_str());
  return reinterpret_cast<uintptr_t>(add(wide.c_str()));
}

bool readProcessPath(std::wstring& value) {
  value.clear();
  // The variable may grow between the two calls; a second miss counts as
  // unreadable.
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (size == 0) return false;
    std::vector<wchar_t> buf(size);
    DWORD n = GetEnvironmentVariableW(L"PATH", buf.data(), size);
    if (n < size) {
      if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value.assign(buf.data(), n);
      return true;
    }
  }
  return false;
}

bool writeProcessVariable(const std::wstring& name, const std::wstring* value, unsigned long* error) {
  bool ok = SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr) != 0;
  if (!ok && error) *error = GetLastError();
  putRuntimeEnvironment(name + L"=" + (value ? *value : std::wstring()));
  return ok;
}

bool writeProcessPath(const std::wstring* value, unsigned long* error) {
  return writeProcessVariable(L"PATH", value, error);
}

void applyEnvironmentEntries(const std::string& stored) {
  if (stored.empty()) return;
  for (const EnvironmentEntry& entry : environmentEntries(toWide(stored))) {
    // Expanded one by one against the environment as the entries before
    // have left it. ANSI-safe forms, as for the working directory: the JVM
    // search and older tools read variables through the ANSI functions.
    std::wstring value = entry.value;
    expandVariables(value, true);
    const bool remove = value.empty();
    unsigned long error = 0;
    // Removing a variable that is not there fails; that is no error.
    if (writeProcessVariable(entry.name, remove ? nullptr : &value, &error) ||
        (remove && error == ERROR_ENVVAR_NOT_FOUND)) {
      if (remove) {
        logLine(L"environment: removed %ls", entry.name.c_str());
      } else {
        logLine(L"environment: %ls=%ls", entry.name.c_str(), value.c_str());
      }
    } else {
      logError(L"environment: setting %ls failed with error %d", entry.name.c_str(), static_cast<int>(error));
    }
  }
}

void removeDllDirectory(uintptr_t cookie) {
  if (cookie == 0) return;
  auto remove = systemFunction<RemoveDllDirectoryFn>(L"kernel32.dll", "RemoveDllDirectory");
  if (!remove) return;
  logLine(L"Removing DLL directory");
  remove(reinterpret_cast<void*>(cookie));
}

}  // namespace zvt
