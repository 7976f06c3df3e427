// Version-specific VM options: which of the configured lines applies to the
// chosen runtime's version string.
#pragma once

#include <string>

namespace zvt {

// "*" matches any run of characters (also none), "?" exactly one, every
// other character itself (case-sensitive); the whole text must match.
bool matchWildcard(const std::string& pattern, const std::string& text);

// The Java major version of a version string: its first number, or the
// second when the first is 1 and there is a second ("1.8.0_202" is 8,
// "11.0.2+9" is 11); -1 when the string holds no number.
int majorJavaVersion(const std::string& version);

enum class ConditionResult {
  Match,
  NoMatch,
  Malformed,  // neither "*" first nor a "-": never matches
};

// One condition: "*<pattern>" matched against the whole version string, or
// "<min>-<max>" (plain integer conversions, a missing number reads as 0)
// against the major version.
ConditionResult matchVersionCondition(const std::string& condition, const std::string& version, int majorVersion);

}  // namespace zvt
