// Shared by the path helpers of this module: fixed-capacity calls of the
// Win32 path functions and the code page of the file functions.
#pragma once

#include <string>
#include <vector>

#include "base/capacity.h"
#include "base/win32.h"

namespace zvt {

constexpr DWORD kPathCapacity = static_cast<DWORD>(kBufferCapacity);

// The file functions convert narrow paths with the ANSI code page unless
// SetFileApisToOEM switched them; our narrow paths must follow the same one.
inline UINT fileCodePage() {
  return AreFileApisANSI() ? CP_ACP : CP_OEMCP;
}

// A call that fills a buffer of kPathCapacity and returns the length: the
// text, or empty when it failed or did not fit.
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

inline std::wstring longPathW(const std::wstring& path) {
  return wideCall([&](wchar_t* b, DWORD n) { return GetLongPathNameW(path.c_str(), b, n); });
}

inline std::wstring shortPathW(const std::wstring& path) {
  return wideCall([&](wchar_t* b, DWORD n) { return GetShortPathNameW(path.c_str(), b, n); });
}

inline std::wstring windowsDirectoryW() {
  return wideCall([](wchar_t* b, DWORD n) { return GetWindowsDirectoryW(b, n); });
}

inline std::string windowsDirectoryA() {
  return narrowCall([](char* b, DWORD n) { return GetWindowsDirectoryA(b, n); });
}

// The short name of `path` as the command interpreter reports it ("%~sI"),
// read from a child cmd.exe; empty when that fails. The last resort when
// neither the long nor the short path converts without loss.
std::string shortPathFromCommandInterpreter(const std::wstring& path);

}  // namespace zvt
