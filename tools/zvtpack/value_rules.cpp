#include "value_rules.h"

#include <climits>

#include "config/locale_table.h"
#include "diagnostics.h"

namespace zvt::pack {

bool checkVersionBound(const std::string& text, std::string& problem) {
  if (text.empty()) return true;
  size_t i = 0;
  while (i < text.size()) {
    size_t start = i;
    int64_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      value = value * 10 + (text[i] - '0');
      if (value > INT32_MAX) {
        problem = "the number \"" + text.substr(start, i + 1 - start) + "...\" is larger than 2147483647";
        return false;
      }
      ++i;
    }
    if (i == start) {
      problem = start == 0 ? "a version starts with a number"
                           : "expected a number at \"" + text.substr(start) + "\" (the launcher would read 0)";
      return false;
    }
    if (i == text.size()) break;
    const char c = text[i];
    if (c != '.' && c != '_' && c != '-' && c != '+') {
      problem = "the launcher reads only the digits of \"" + text.substr(start) +
                "\"; versions are numbers separated by \".\", \"_\", \"-\" or \"+\"";
      return false;
    }
    if (++i == text.size()) {
      problem = "the version ends with a separator";
      return false;
    }
  }
  return true;
}

bool isDetectableLocale(const std::string& code) {
  if (code.empty()) return true;
  for (size_t i = 0; i < kLcidLocaleCount; ++i) {
    const std::string locale = kLcidLocaleTable[i].locale;
    if (code == locale || code == locale.substr(0, 2)) return true;
  }
  return false;
}

std::string closestLocale(const std::string& code) {
  std::vector<std::string> codes;
  for (size_t i = 0; i < kLcidLocaleCount; ++i) {
    const std::string locale = kLcidLocaleTable[i].locale;
    codes.push_back(locale);
    codes.push_back(locale.substr(0, 2));
  }
  // "de-AT" and "de_at" differ from "de_AT" in one character or in case.
  std::string normal = code;
  for (char& c : normal) {
    if (c == '-') c = '_';
  }
  for (const std::string& c : codes) {
    if (c.size() != normal.size()) continue;
    bool same = true;
    for (size_t i = 0; i < c.size() && same; ++i) same = (normal[i] | 0x20) == (c[i] | 0x20);
    if (same) return c;
  }
  return closestMatch(code, codes);
}

bool parseCanonicalInt(const std::string& text, int64_t& value) {
  if (text.empty() || text.size() > 11) return false;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  int64_t v = 0;
  for (size_t k = i; k < text.size(); ++k) {
    if (text[k] < '0' || text[k] > '9') return false;
    v = v * 10 + (text[k] - '0');
  }
  if (i == 1) v = -v;
  if (v < INT32_MIN || v > INT32_MAX || std::to_string(v) != text) return false;
  value = v;
  return true;
}

bool parseColour(const std::string& text, std::vector<int64_t>& parts) {
  parts.clear();
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    int64_t v;
    if (!parseCanonicalInt(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), v) ||
        v < 0 || v > 255) {
      return false;
    }
    parts.push_back(v);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return parts.size() == 3;
}

}  // namespace zvt::pack
