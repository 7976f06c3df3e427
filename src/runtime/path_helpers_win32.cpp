// Making paths absolute and full, and asking the file system about them.
#include <string>
#include <vector>

#include "base/handle.h"
#include "base/win32.h"
#include "runtime/path_calls_win32.h"
#include "runtime/path_rules.h"
#include "runtime/paths.h"

namespace zvt {

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

std::wstring makeAbsoluteW(const std::wstring& path, const std::wstring* baseFile, bool ansiSafeBase) {
  std::wstring out;
  if (isRelativePath(path)) {
    if (baseFile) {
      out = directoryOf(fullPathW(*baseFile, true));
    } else {
      out = ansiSafeBase ? launcherDirectoryAnsiSafeW() : launcherDirectoryW();
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

std::wstring fullPathW(const std::wstring& path, bool keepCase, bool ansiSafeBase) {
  std::wstring scratch = makeAbsoluteW(path, nullptr, ansiSafeBase);
  std::wstring out = wideCall([&](wchar_t* b, DWORD n) { return GetFullPathNameW(scratch.c_str(), n, b, nullptr); });
  if (!keepCase && !out.empty()) CharLowerBuffW(&out[0], static_cast<DWORD>(out.size()));
  collapseBackslashes(out);
  return out;
}

std::string absolutePathList(const std::string& list, const std::function<void(const std::string&)>& callback) {
  return joinAbsolutePathList(
      list, [](const std::string& element) { return makeAbsolute(element); }, callback);
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

bool fileExists(const std::string& path) {
  return fileExists(toWide(path));
}

bool fileTime(const std::wstring& path, uint64_t* lastWrite) {
  WIN32_FIND_DATAW entry;
  UniqueFindHandle find(FindFirstFileW(path.c_str(), &entry));
  if (!find) return false;
  if (lastWrite) {
    *lastWrite =
        (static_cast<uint64_t>(entry.ftLastWriteTime.dwHighDateTime) << 32) | entry.ftLastWriteTime.dwLowDateTime;
  }
  return true;
}

bool fileTime(const std::string& path, uint64_t* lastWrite) {
  return fileTime(toWide(path), lastWrite);
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
