#include "runtime/path_rules.h"

namespace zvt {
namespace {

template <typename String>
bool isRelativeImpl(const String& path) {
  size_t start = 0;
  if (!path.empty() && path[0] == '"') {
    if (path.size() < 4) return true;
    start = 1;
  }
  if (path.size() - start < 3) return true;
  if (path[start + 1] == ':' && path[start + 2] == '\\') return false;
  if (path[start] == '\\' && path[start + 1] == '\\') return false;
  return true;
}

template <typename String>
bool endsWithExeImpl(const String& path) {
  if (path.size() < 5) return false;
  static const char ext[] = ".exe";
  for (size_t i = 0; i < 4; ++i) {
    auto c = path[path.size() - 4 + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<decltype(c)>(c - 'A' + 'a');
    if (c != ext[i]) return false;
  }
  return true;
}

}  // namespace

bool isRelativePath(const std::wstring& path) { return isRelativeImpl(path); }
bool isRelativePath(const std::string& path) { return isRelativeImpl(path); }

void collapseBackslashes(std::wstring& path) {
  if (path.size() <= 2) return;
  std::wstring out = path.substr(0, 2);
  for (size_t i = 2; i < path.size(); ++i) {
    if (path[i] == L'\\' && out.back() == L'\\') continue;
    out.push_back(path[i]);
  }
  path.swap(out);
}

bool endsWithExe(const std::string& path) { return endsWithExeImpl(path); }
bool endsWithExe(const std::wstring& path) { return endsWithExeImpl(path); }

bool isDriveRoot(const std::wstring& path) {
  if (path.empty()) return false;
  std::wstring rest = path.substr(1);
  return rest == L":\\" || rest == L":\\." || rest == L":\\.\\.";
}

std::wstring directoryOf(const std::wstring& path) {
  size_t sep = path.find_last_of(L"\\/");
  return sep == std::wstring::npos ? std::wstring() : path.substr(0, sep + 1);
}

std::wstring baseNameOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
  size_t dot = file.rfind(L'.');
  return dot == std::wstring::npos ? file : file.substr(0, dot);
}

std::string joinAbsolutePathList(const std::string& list,
                                 const std::function<std::string(const std::string&)>& makeAbsolute,
                                 const std::function<void(const std::string&)>& callback) {
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

}  // namespace zvt
