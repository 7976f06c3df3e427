#include "jvm/launch/option_lines.h"

namespace zvt {
namespace {

struct Prefix {
  const char* text;
  size_t length;
  OptionLineKind kind;
};

// Order matters only for readability: no prefix is a prefix of another,
// because each ends in the blank.
constexpr Prefix kPrefixes[] = {
    {"-include-options ", 17, OptionLineKind::Include},
    {"-classpath ", 11, OptionLineKind::ClassPathReplacement},
    {"-classpath/p ", 13, OptionLineKind::ClassPathPrefix},
    {"-classpath/a ", 13, OptionLineKind::ClassPathSuffix},
};

constexpr const wchar_t* kIncludeWord = L"-include-options";

}  // namespace

ClassifiedLine classifyOptionLine(const std::string& narrow) {
  for (const Prefix& p : kPrefixes) {
    if (narrow.compare(0, p.length, p.text) == 0) return {p.kind, p.length};
  }
  return {};
}

bool takeClassPathLine(const OptionLine& line, const ClassifiedLine& kind, PendingClassPath& pending) {
  std::optional<std::string>* slot = nullptr;
  switch (kind.kind) {
    case OptionLineKind::ClassPathReplacement:
      slot = &pending.replacement;
      break;
    case OptionLineKind::ClassPathPrefix:
      slot = &pending.prefix;
      break;
    case OptionLineKind::ClassPathSuffix:
      slot = &pending.suffix;
      break;
    case OptionLineKind::Include:
    case OptionLineKind::Option:
      return false;
  }
  *slot = line.narrow.substr(kind.restOffset);
  return true;
}

std::vector<std::wstring> joinIncludeWords(const std::vector<std::wstring>& words) {
  std::vector<std::wstring> out;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == kIncludeWord && i + 1 < words.size()) {
      out.push_back(words[i] + L" " + words[i + 1]);
      ++i;
    } else {
      out.push_back(words[i]);
    }
  }
  return out;
}

}  // namespace zvt
