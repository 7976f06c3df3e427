#include "standin_home.h"

#include <cstdlib>

#include "json_line.h"

namespace standin {

std::wstring exePath() {
  std::wstring path(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
  path.resize(n);
  return path;
}

std::wstring modulePathOf(const void* address) {
  HMODULE module = nullptr;
  // UNCHANGED_REFCOUNT: we only ask for the name, we do not keep the module.
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCWSTR>(address), &module)) {
    return L"";
  }
  std::wstring path(32768, L'\0');
  DWORD n = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
  path.resize(n);
  return path;
}

std::wstring parentDir(const std::wstring& path) {
  size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

static std::wstring baseName(const std::wstring& path) {
  size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring standinDir(const std::wstring& home) { return home + L"\\standin"; }

bool fileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool dirExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring homeFor(const std::wstring& binaryPath, int levelsBelowHome) {
  std::wstring home = parentDir(binaryPath);
  for (int i = 0; i < levelsBelowHome; ++i) home = parentDir(home);
  if (_wcsicmp(baseName(home).c_str(), L"jre") == 0) {
    std::wstring outer = parentDir(home);
    if (dirExists(standinDir(outer))) return outer;
  }
  return home;
}

std::string readFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

std::string firstLine(const std::wstring& path) {
  std::string bytes = readFileBytes(path);
  size_t end = bytes.find_first_of("\r\n");
  return end == std::string::npos ? bytes : bytes.substr(0, end);
}

long readIntFile(const std::wstring& path, long fallback) {
  std::string line = firstLine(path);
  if (line.empty()) return fallback;
  char* end = nullptr;
  long value = std::strtol(line.c_str(), &end, 10);
  return end == line.c_str() ? fallback : value;
}

bool appendToFile(const std::wstring& path, const std::string& bytes) {
  // FILE_APPEND_DATA makes each WriteFile land at the current end even when
  // several processes (service host and child, parallel probes) append.
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::string variableJson(const std::wstring& name) {
  wchar_t value[4096];
  SetLastError(ERROR_SUCCESS);
  DWORD n = GetEnvironmentVariableW(name.c_str(), value, 4096);
  bool defined = n > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
  return defined && n < 4096 ? jsonString(utf8(value)) : "null";
}

}  // namespace standin
