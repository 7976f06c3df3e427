#include "jvm/discovery/version_rules.h"

#include <algorithm>
#include <limits>

namespace zvt {

namespace {

bool isSeparator(char c) {
  return c == '.' || c == '_' || c == '-' || c == '+';
}

// The white space that strtol skips in the "C" locale.
bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int32_t tokenValue(const std::string& text, size_t begin, size_t end) {
  size_t i = begin;
  while (i < end && isBlank(text[i])) ++i;
  int64_t value = 0;
  const int64_t limit = std::numeric_limits<int32_t>::max();
  for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    // Separators are never part of a token, so no sign can reach here and
    // only the upper limit can be crossed.
    if (value > limit) value = limit;
  }
  return static_cast<int32_t>(value);
}

}  // namespace

void parseVersion(const std::string& text, VersionComponents& components) {
  const size_t length = std::min(text.size(), text.find('\0'));
  size_t i = 0;
  while (i < length) {
    while (i < length && isSeparator(text[i])) ++i;
    if (i == length) break;
    size_t end = i;
    while (end < length && !isSeparator(text[end])) ++end;
    components.push_back(tokenValue(text, i, end));
    i = end;
  }
}

VersionComponents parseVersion(const std::string& text) {
  VersionComponents components;
  parseVersion(text, components);
  return components;
}

bool versionBoundCheck(const VersionComponents& bound, const VersionComponents& version, BoundSide side,
                       BoundMode mode) {
  for (size_t i = 0; i < bound.size(); ++i) {
    int32_t v = 0;
    if (i < version.size()) {
      v = version[i];
    } else if (mode == BoundMode::Loose) {
      return true;
    }
    const int32_t b = bound[i];
    if (v == b) continue;
    const bool below = v < b;
    return side == BoundSide::Maximum ? below : !below;
  }
  return true;
}

bool versionInRange(const std::string& text, const VersionBounds& bounds, BoundMode mode) {
  const VersionComponents version = parseVersion(text);
  return versionBoundCheck(bounds.minimum, version, BoundSide::Minimum, mode) &&
         versionBoundCheck(bounds.maximum, version, BoundSide::Maximum, mode);
}

bool isNewerVersion(const std::string& a, const std::string& b) {
  const VersionComponents va = parseVersion(a);
  const VersionComponents vb = parseVersion(b);
  for (size_t i = 0; i < va.size(); ++i) {
    if (i >= vb.size()) return true;
    if (va[i] != vb[i]) return va[i] > vb[i];
  }
  return false;
}

bool subkeyNameLess(const std::string& a, const std::string& b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

void sortSubkeyNames(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), subkeyNameLess);
}

bool isPrereleaseVersion(const std::string& version) {
  return version.find("beta") != std::string::npos || version.find("-ea") != std::string::npos ||
         version.find("-rc") != std::string::npos;
}

}  // namespace zvt
