#include "syntax_hints.h"

#include "toml_writer.h"

namespace zvt::pack {
namespace {

const char* const kSyntax =
    "a setting is written name = value: text in quotes, numbers and true/false bare, lists in [ ], sections as "
    "[name]";

bool contains(const std::string& s, const char* part) {
  return s.find(part) != std::string::npos;
}

std::string trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// The fault's line, and the byte offset of its column in it.
struct Place {
  std::string line;
  size_t at = 0;
};

Place placeOf(const std::string& text, const Position& pos) {
  Place place;
  size_t start = 0;
  for (uint32_t line = 1; line < pos.line && start != std::string::npos; ++line) {
    start = text.find('\n', start);
    if (start != std::string::npos) ++start;
  }
  if (start == std::string::npos || start > text.size()) return place;
  const size_t end = text.find('\n', start);
  place.line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  for (uint32_t col = 1; col < pos.column && place.at < place.line.size(); ++col) {
    do {
      ++place.at;
    } while (place.at < place.line.size() && (static_cast<unsigned char>(place.line[place.at]) & 0xC0) == 0x80);
  }
  return place;
}

// "name" of "name = value"; empty when the line has no "=".
std::string keyOf(const std::string& line) {
  const size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : trim(line.substr(0, eq));
}

// The bare value of "name = value  # comment"; empty when the value is
// quoted, an array or a table, or missing.
std::string bareValue(const std::string& line) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos) return std::string();
  std::string value = line.substr(eq + 1);
  const size_t comment = value.find(" #");
  value = trim(comment == std::string::npos ? value : value.substr(0, comment));
  if (value.empty() || value[0] == '"' || value[0] == '\'' || value[0] == '[' || value[0] == '{') {
    return std::string();
  }
  return value;
}

std::string quoteIt(const std::string& key, const std::string& value) {
  return "text goes in quotes: write " + (key.empty() ? std::string() : key + " = ") + tomlString(value);
}

// The raw text between the quotes of the "..." string around `at`.
bool basicStringAround(const std::string& line, size_t at, std::string& raw) {
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == '\'') {
      const size_t close = line.find('\'', i + 1);
      if (close == std::string::npos) return false;
      i = close + 1;
      continue;
    }
    if (line[i] == '#') return false;
    if (line[i] != '"') {
      ++i;
      continue;
    }
    size_t k = i + 1;
    while (k < line.size() && line[k] != '"') k += line[k] == '\\' ? 2 : 1;
    if (at > i && at <= k) {
      raw = line.substr(i + 1, (k < line.size() ? k : line.size()) - i - 1);
      return true;
    }
    i = k + 1;
  }
  return false;
}

std::string escapeFix(const Place& place) {
  std::string fix =
      "in a \"...\" string a backslash starts an escape (\\n, \\t, \\\", \\\\, \\u00E4); write a Windows path "
      "in single quotes";
  std::string raw;
  if (basicStringAround(place.line, place.at, raw) && raw.find('\'') == std::string::npos) {
    const std::string key = keyOf(place.line);
    fix += ", " + (key.empty() ? std::string() : key + " = ") + "'" + raw + "'";
  }
  return fix + ", or double each backslash";
}

}  // namespace

std::string explainSyntaxError(const std::string& text, const Position& pos, const std::string& description) {
  const Place place = placeOf(text, pos);
  const std::string key = keyOf(place.line);
  const char saw = place.at < place.line.size() ? place.line[place.at] : '\n';
  const std::string& d = description;

  if (contains(d, "could not determine value type") && !bareValue(place.line).empty()) {
    return quoteIt(key, bareValue(place.line));
  }
  if (contains(d, "escape sequence")) return escapeFix(place);
  if (contains(d, "unicode scalar sequence")) {
    return "\\u takes four hexadecimal digits (\\u00E4) and \\U eight; a backslash of a Windows path goes in "
           "single quotes ('C:\\Java') or is doubled";
  }
  if (contains(d, "parsing string") && contains(d, "control characters") && (saw == '\n' || saw == '\r')) {
    return "the string is not closed on its line: end it with \" (text over several lines goes between \"\"\" "
           "and \"\"\")";
  }
  if (contains(d, "parsing literal string") && contains(d, "control characters") && (saw == '\n' || saw == '\r')) {
    return "the string is not closed on its line: end it with ' (text over several lines goes between ''' and "
           "''')";
  }
  if (contains(d, "encountered end-of-file")) {
    if (contains(d, "string")) return "the file ends inside a string: close it with the quotes it starts with";
    if (contains(d, "array")) return "the file ends inside an array: close it with ]";
    if (contains(d, "inline table")) return "the file ends inside an inline table: close it with }";
  }
  if (contains(d, "dangling comma") && contains(d, "inline table")) {
    return "remove the comma before }: an inline table { ... } takes no comma after its last entry";
  }
  if (contains(d, "inline table") && (saw == '\n' || saw == '\r')) {
    return "an inline table { ... } stays on one line: write it on one line, or as a table of its own "
           "([section] or [[section]]) with one setting a line";
  }
  if (contains(d, "table header") && contains(d, "expected ']'")) {
    const std::string header = trim(place.line.substr(0, place.at));
    return "the section header is not closed: write " + header + "]";
  }
  if (contains(d, "table header") && contains(d, "cannot redefine existing")) {
    const std::string header = trim(place.line);
    return header +
           " is defined twice (a [section] once, and not also through dotted names): put all its "
           "settings under the first";
  }
  if (contains(d, "cannot redefine existing")) {
    const std::string name = key.empty() ? "this name" : "\"" + key + "\"";
    return name + " is already set in this section: keep one of the two";
  }
  if (contains(d, "expected '='")) {
    const std::string before = trim(place.line.substr(0, place.at));
    const std::string after = trim(place.line.substr(place.at));
    if (!before.empty() && before.find(' ') == std::string::npos && !after.empty() && after[0] != '"' &&
        after[0] != '\'' && after.find('=') != std::string::npos) {
      return "names have no blanks: write " + before + "-" + trim(after.substr(0, after.find('='))) +
             " (names use \"-\"; \"zvtpack keys\" lists them)";
    }
    return "a setting is written name = value: write " + before + " = " + after;
  }
  if (contains(d, "expected value,")) {
    return "the value after = is missing: write " + (key.empty() ? std::string("name") : key) +
           " = \"...\", or leave the line out";
  }
  if (contains(d, "expected a comment or whitespace")) {
    // 'It's': a literal string ends at its second quote.
    const size_t eq = place.line.find('=');
    const size_t open = eq == std::string::npos ? std::string::npos : place.line.find_first_not_of(" \t", eq + 1);
    const size_t last = place.line.rfind('\'');
    if (open != std::string::npos && place.line[open] == '\'' && last != std::string::npos && last > place.at) {
      const std::string inner = place.line.substr(open + 1, last - open - 1);
      return "a '...' string ends at its second ': write text that holds a ' in double quotes, " + key + " = " +
             tomlString(inner);
    }
    return "one value a line: after the value only a comment (# ...) may follow";
  }
  if (contains(d, "leading zeroes")) {
    return "numbers have no leading zeros: write the number without them, or in quotes as text";
  }
  if ((contains(d, "parsing floating-point") || contains(d, "parsing decimal integer") ||
       contains(d, "parsing boolean") || contains(d, "integer") || contains(d, "date") || contains(d, "time")) &&
      !bareValue(place.line).empty()) {
    return quoteIt(key, bareValue(place.line));
  }
  if (contains(d, "expected keys, tables")) {
    return "a line starts with a setting's name (name = value), a section ([name]) or a comment (#)";
  }
  return d + " (" + kSyntax + ")";
}

}  // namespace zvt::pack
