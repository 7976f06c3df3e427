#include "runtime/environment.h"

#include "base/log_sink.h"
#include "base/text.h"

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

const char* environmentEntryProblem(const std::wstring& entry) {
  const size_t equals = entry.find(L'=');
  if (equals == std::wstring::npos) {
    return "has no \"=\": write NAME=value to set a variable, or NAME= to remove it";
  }
  if (entry.find_first_not_of(L' ') == equals) return "has no name before \"=\": write NAME=value";
  // Windows keeps blanks as part of a name: "JAVA_HOME =x" would set a
  // variable nobody reads.
  if (entry.front() == L' ' || entry[equals - 1] == L' ') {
    return "has blanks around the name, which would become part of it: write NAME=value, without blanks before "
           "\"=\"";
  }
  return nullptr;
}

std::vector<EnvironmentEntry> environmentEntries(const std::wstring& stored) {
  std::vector<EnvironmentEntry> entries;
  size_t start = 0;
  while (start < stored.size()) {
    size_t end = stored.find(L'\n', start);
    if (end == std::wstring::npos) end = stored.size();
    const std::wstring line = stored.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;
    if (const char* problem = environmentEntryProblem(line)) {
      logErrorText(L"environment entry \"" + line + L"\" left out: it " + widenBytes(problem));
      continue;
    }
    const size_t equals = line.find(L'=');
    entries.push_back({line.substr(0, equals), line.substr(equals + 1)});
  }
  return entries;
}

}  // namespace zvt
