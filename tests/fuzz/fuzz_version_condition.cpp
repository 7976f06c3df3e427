// Version conditions of version-specific options over arbitrary text: the
// wildcard matcher against a plain dynamic-programming reference, and the
// condition and major-version rules against their invariants.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jvm/launch/version_options.h"

namespace {

bool referenceMatch(const std::string& p, const std::string& t) {
  // can[i][j]: the first i pattern characters match the first j text ones.
  std::vector<std::vector<char>> can(p.size() + 1, std::vector<char>(t.size() + 1, 0));
  can[0][0] = 1;
  for (size_t i = 1; i <= p.size(); ++i) {
    for (size_t j = 0; j <= t.size(); ++j) {
      if (p[i - 1] == '*') {
        can[i][j] = can[i - 1][j] || (j > 0 && can[i][j - 1]);
      } else if (j > 0) {
        can[i][j] = can[i - 1][j - 1] && (p[i - 1] == '?' || p[i - 1] == t[j - 1]);
      }
    }
  }
  return can[p.size()][t.size()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\n');
  const std::string condition = input.substr(0, cut);
  const std::string version = cut == std::string::npos ? std::string() : input.substr(cut + 1);

  if (condition.size() <= 64 && version.size() <= 64 &&
      zvt::matchWildcard(condition, version) != referenceMatch(condition, version)) {
    __builtin_trap();
  }
  const int major = zvt::majorJavaVersion(version);
  if (major < -1) __builtin_trap();
  // The version is a C string to the version grammar: it ends at a NUL.
  const std::string asRead = version.substr(0, version.find('\0'));
  if ((major == -1) != (asRead.find_first_not_of("._-+") == std::string::npos)) __builtin_trap();
  zvt::ConditionResult r = zvt::matchVersionCondition(condition, version, major);
  const bool wildcard = !condition.empty() && condition[0] == '*';
  const bool malformed = !wildcard && condition.find('-') == std::string::npos;
  if ((r == zvt::ConditionResult::Malformed) != malformed) __builtin_trap();
  if (wildcard && (r == zvt::ConditionResult::Match) != zvt::matchWildcard(condition.substr(1), version)) {
    __builtin_trap();
  }
  return 0;
}
