#include "jvm/launch/version_options.h"

#include "config/accessors.h"
#include "jvm/discovery/version_rules.h"

namespace zvt {

bool matchWildcard(const std::string& pattern, const std::string& text) {
  // Greedy with one backtracking point (the last "*"): linear in practice,
  // O(pattern x text) at worst, never exponential.
  size_t p = 0, t = 0;
  size_t starP = std::string::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && pattern[p] == text[t]))) {
      ++p;
      ++t;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starT = t;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

int majorJavaVersion(const std::string& version) {
  VersionComponents parts = parseVersion(version);
  if (parts.empty()) return -1;
  if (parts[0] == 1 && parts.size() > 1) return parts[1];
  return parts[0];
}

ConditionResult matchVersionCondition(const std::string& condition, const std::string& version, int majorVersion) {
  if (!condition.empty() && condition[0] == '*') {
    return matchWildcard(condition.substr(1), version) ? ConditionResult::Match : ConditionResult::NoMatch;
  }
  size_t dash = condition.find('-');
  if (dash == std::string::npos) return ConditionResult::Malformed;
  int minimum = config::parseInt(condition.substr(0, dash));
  int maximum = config::parseInt(condition.substr(dash + 1));
  return minimum <= majorVersion && majorVersion <= maximum ? ConditionResult::Match : ConditionResult::NoMatch;
}

}  // namespace zvt
