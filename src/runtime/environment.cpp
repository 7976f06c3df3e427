#include "runtime/environment.h"

namespace zvt {

const wchar_t* const kJavaOptionsVariables[3] = {L"_JAVA_OPTIONS", L"JDK_JAVA_OPTIONS", L"JAVA_TOOL_OPTIONS"};

namespace {
wchar_t foldAscii(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}
}  // namespace

bool asciiPrefixMatch(const std::wstring& entry, const std::wstring& prefix) {
  if (entry.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (foldAscii(entry[i]) != foldAscii(prefix[i])) return false;
  }
  return true;
}

std::wstring keepWindowsEntries(const std::wstring& path, const std::wstring& windowsDirectory,
                                const PrefixMatch& match) {
  std::wstring kept;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(L';', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring entry = path.substr(start, end - start);
    if (!entry.empty() && match(entry, windowsDirectory)) {
      if (!kept.empty()) kept += L';';
      kept += entry;
    }
    start = end + 1;
  }
  return kept;
}

std::wstring prefixedPath(const std::wstring& prefix, const std::wstring& currentPath) {
  std::wstring result = prefix;
  if (!result.empty() && result.back() != L';') result += L';';
  return result + currentPath;
}

}  // namespace zvt
