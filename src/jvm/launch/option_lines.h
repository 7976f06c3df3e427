// The grammar of one VM option line, shared by the configured options, the
// VM options file, included files and "-J" arguments: an include, one of the
// three class-path forms, or an option for the JVM.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zvt {

// One option line in the two forms the assembly needs. The JVM receives the
// narrow form; a file name after "-include-options" is opened through the
// UTF-16 form. Both hold the same text: lines that come from the
// configuration or from an options file keep their bytes as the narrow form
// (so whatever code page the file was written in, the JVM sees exactly those
// bytes), and lines from the command line are converted once to the narrow
// form.
struct OptionLine {
  std::string narrow;
  std::wstring wide;
};

enum class OptionLineKind {
  Include,               // "-include-options <file>"
  ClassPathReplacement,  // "-classpath <path>"
  ClassPathPrefix,       // "-classpath/p <path>"
  ClassPathSuffix,       // "-classpath/a <path>"
  Option,                // anything else, the whole line
};

struct ClassifiedLine {
  OptionLineKind kind = OptionLineKind::Option;
  size_t restOffset = 0;  // where the file name or path begins (0 for Option)
};

// Tests the prefixes in order, exact and case-sensitive, blank included: a
// bare "-classpath" is an ordinary option. The prefixes are ASCII, so the
// offset is the same in the narrow and the UTF-16 form of a line.
ClassifiedLine classifyOptionLine(const std::string& narrow);

// The class-path values that option lines leave for the class-path build. A
// later line of the same kind overwrites an earlier one.
struct PendingClassPath {
  std::optional<std::string> replacement;  // replaces the configured class path
  std::optional<std::string> prefix;       // goes first
  std::optional<std::string> suffix;       // goes last
};

// Records the path of a class-path line in `pending`; false for other kinds.
bool takeClassPathLine(const OptionLine& line, const ClassifiedLine& kind, PendingClassPath& pending);

// The words of a configured option text: "-include-options" followed by
// another word becomes one "-include-options <word>" line; a trailing
// "-include-options" stays a word of its own (and so an ordinary option).
std::vector<std::wstring> joinIncludeWords(const std::vector<std::wstring>& words);

}  // namespace zvt
