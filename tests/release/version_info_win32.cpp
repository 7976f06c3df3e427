// Prints the version resource of a Windows executable as the system reads
// it for the file's properties: the fixed file and product versions and the
// English strings. The release check compares them with the release number.
//   version_info <file.exe>
#include <cstdio>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/win32.h"

namespace {

std::string fourParts(DWORD high, DWORD low) {
  return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." + std::to_string(HIWORD(low)) + "." +
         std::to_string(LOWORD(low));
}

// A string of the U.S. English, Unicode block; empty when it is missing.
std::wstring stringValue(std::vector<char>& data, const wchar_t* name) {
  std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), path.c_str(), &value, &length) || length == 0) return std::wstring();
  return std::wstring(static_cast<const wchar_t*>(value));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: version_info <file.exe>\n");
    return 2;
  }
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(argv[1], &ignored);
  if (size == 0) {
    std::fprintf(stderr, "version_info: no version resource (error %lu)\n", GetLastError());
    return 1;
  }
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoW(argv[1], 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed) {
    std::fprintf(stderr, "version_info: the version resource cannot be read (error %lu)\n", GetLastError());
    return 1;
  }
  std::printf("file-version %s\n", fourParts(fixed->dwFileVersionMS, fixed->dwFileVersionLS).c_str());
  std::printf("product-version %s\n", fourParts(fixed->dwProductVersionMS, fixed->dwProductVersionLS).c_str());
  for (const wchar_t* name : {L"FileVersion", L"ProductVersion", L"FileDescription", L"OriginalFilename"}) {
    std::printf("%s %s\n", zvt::utf16ToUtf8(name).c_str(), zvt::utf16ToUtf8(stringValue(data, name)).c_str());
  }
  return 0;
}
