// Which version-specific option line applies to a runtime version.
#include "jvm/launch/version_options.h"

#include <gtest/gtest.h>

namespace zvt {
namespace {

TEST(MatchWildcard, StarQuestionMarkAndLiterals) {
  struct Row {
    const char* pattern;
    const char* text;
    bool match;
  } rows[] = {
      {"1.8*", "1.8.0_202", true},
      {"1.8*", "11.0.2", false},
      {"*", "", true},
      {"", "", true},
      {"", "x", false},
      {"?", "", false},
      {"?", "9", true},
      {"1?", "17", true},
      {"1?", "1", false},
      {"*-ea", "17-ea", true},
      {"*-ea", "17-ea+3", false},
      {"*.*.*", "1.8.0", true},
      {"*.*.*", "17.1", false},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYbZ", false},
      {"1.8.0_2*", "1.8.0_202", true},
      {"1.8.0_2*", "1.8.0_191", false},
      {"JDK*", "jdk11", false},
      {"**1**", "1", true},
      {"*?", "", false},
  };
  for (const Row& r : rows) EXPECT_EQ(r.match, matchWildcard(r.pattern, r.text)) << r.pattern << " vs " << r.text;
}

TEST(MatchWildcard, ManyStarsStayFast) {
  // A backtracking matcher would take exponential time here.
  std::string pattern(200, '*');
  pattern += "b";
  EXPECT_FALSE(matchWildcard(pattern, std::string(5000, 'a')));
  EXPECT_TRUE(matchWildcard(pattern, std::string(5000, 'a') + "b"));
}

TEST(MajorJavaVersion, FirstOrSecondNumber) {
  EXPECT_EQ(8, majorJavaVersion("1.8.0_202"));
  EXPECT_EQ(11, majorJavaVersion("11.0.2+9"));
  EXPECT_EQ(17, majorJavaVersion("17-ea"));
  EXPECT_EQ(9, majorJavaVersion("9"));
  EXPECT_EQ(1, majorJavaVersion("1"));
  EXPECT_EQ(0, majorJavaVersion("ea"));
  EXPECT_EQ(-1, majorJavaVersion(""));
  EXPECT_EQ(-1, majorJavaVersion("._-+"));
}

TEST(VersionCondition, RangesWildcardsAndMalformedConditions) {
  struct Row {
    const char* condition;
    const char* version;
    ConditionResult result;
  } rows[] = {
      {"9-11", "9.0.4", ConditionResult::Match},
      {"9-11", "10.0.2", ConditionResult::Match},
      {"9-11", "11.0.2+9", ConditionResult::Match},
      {"9-11", "1.8.0_202", ConditionResult::NoMatch},
      {"9-11", "17", ConditionResult::NoMatch},
      {"*1.8*", "1.8.0_202", ConditionResult::Match},
      {"*1.8*", "11.0.2", ConditionResult::NoMatch},
      {"-8", "1.8.0_202", ConditionResult::Match},   // a missing minimum reads as 0
      {"11-", "11.0.2", ConditionResult::NoMatch},   // a missing maximum reads as 0
      {" 8 - 8x", "1.8.0", ConditionResult::Match},  // plain integer conversions
      {"17", "17", ConditionResult::Malformed},
      {"", "17", ConditionResult::Malformed},
      {"1.8", "1.8.0", ConditionResult::Malformed},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.result, matchVersionCondition(r.condition, r.version, majorJavaVersion(r.version)))
        << r.condition << " vs " << r.version;
  }
}

}  // namespace
}  // namespace zvt
