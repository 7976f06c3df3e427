#include "jvm/discovery/version_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "jvm/discovery/version_output.h"

namespace zvt {
namespace {

VersionComponents v(std::initializer_list<int32_t> list) {
  return VersionComponents(list);
}

TEST(VersionRules, ParseVersionShapes) {
  struct Case {
    std::string text;
    VersionComponents components;
  } cases[] = {
      {"1.8.0_201", v({1, 8, 0, 201})},
      {"11.0.2+9", v({11, 0, 2, 9})},
      {"17-ea", v({17, 0})},
      {"1.8.0_201-b09", v({1, 8, 0, 201, 0})},
      {"9b", v({9})},
      {"", v({})},
      {"._-+", v({})},
      {"..1__2++", v({1, 2})},
      {"abc", v({0})},
      {" 5. 7", v({5, 7})},
      {"1. ", v({1, 0})},
      {"007.010", v({7, 10})},
      {"2147483647", v({INT32_MAX})},
      {"2147483648", v({INT32_MAX})},
      {"99999999999999999999999.1", v({INT32_MAX, 1})},
      {std::string("1.8\0.5", 6), v({1, 8})},
      {"21.0.1+12-LTS", v({21, 0, 1, 12, 0})},
  };
  for (const auto& c : cases) EXPECT_EQ(c.components, parseVersion(c.text)) << c.text;

  VersionComponents appended = v({4});
  parseVersion("1.2", appended);
  EXPECT_EQ(v({4, 1, 2}), appended);
}

struct RangeCase {
  const char* version;
  const char* minimum;
  const char* maximum;
  bool strict;
  bool loose;
};

TEST(VersionRules, RangeInBothModes) {
  const RangeCase cases[] = {
      // No bounds: everything passes, the empty version too.
      {"", "", "", true, true},
      {"1.8.0_201", "", "", true, true},
      // Minimum 1.8.
      {"1.7.0_80", "1.8", "", false, false},
      {"1.8", "1.8", "", true, true},
      {"11.0.2", "1.8", "", true, true},  // 11 > 1 decides at once
      {"1.10", "1.8", "", true, true},
      {"1", "1.8", "", false, true},  // strict counts the missing 8 as 0
      // Maximum 1.8: components past the bound never matter.
      {"1.8.0_201", "", "1.8", true, true},
      {"9", "", "1.8", false, false},
      {"1.9.0", "", "1.8", false, false},
      {"1.8.0", "", "1.8", true, true},
      {"1", "", "1.8", true, true},
      // Minimum 1.8.0_100: a short registry name passes only loosely.
      {"1.8", "1.8.0_100", "", false, true},
      {"1.8.0_99", "1.8.0_100", "", false, false},
      {"1.8.0_100", "1.8.0_100", "", true, true},
      // Letters count as 0.
      {"1.8.0_201-b09", "1.8.0_201.1", "", false, false},
      {"1.8.0_201-b09", "1.8.0_201.0", "", true, true},
      // Both bounds.
      {"11.0.2", "1.8", "11", true, true},
      {"17", "1.8", "11", false, false},
      {"1.7", "1.8", "11", false, false},
      // Saturated components compare equal to the limit.
      {"99999999999", "2147483647", "2147483647", true, true},
      {"2147483646", "2147483647", "", false, false},
  };
  for (const auto& c : cases) {
    VersionBounds bounds{parseVersion(c.minimum), parseVersion(c.maximum)};
    EXPECT_EQ(c.strict, versionInRange(c.version, bounds, BoundMode::Strict))
        << c.version << " in [" << c.minimum << ", " << c.maximum << "] strict";
    EXPECT_EQ(c.loose, versionInRange(c.version, bounds, BoundMode::Loose))
        << c.version << " in [" << c.minimum << ", " << c.maximum << "] loose";
  }
}

TEST(VersionRules, BoundCheckSidesAndNegativeComponents) {
  // Components are signed: a negative bound component (from a hand-built
  // list) still compares as a number.
  EXPECT_TRUE(versionBoundCheck(v({-1}), v({0}), BoundSide::Minimum, BoundMode::Strict));
  EXPECT_FALSE(versionBoundCheck(v({-1}), v({0}), BoundSide::Maximum, BoundMode::Strict));
  EXPECT_TRUE(versionBoundCheck(v({1, 8}), v({1, 8}), BoundSide::Minimum, BoundMode::Strict));
  EXPECT_TRUE(versionBoundCheck(v({1, 8}), v({1, 8}), BoundSide::Maximum, BoundMode::Strict));
  EXPECT_TRUE(versionBoundCheck(v({}), v({}), BoundSide::Minimum, BoundMode::Strict));
  // An empty version against a bound of zeros: strict fills with 0.
  EXPECT_TRUE(versionBoundCheck(v({0, 0}), v({}), BoundSide::Minimum, BoundMode::Strict));
  EXPECT_FALSE(versionBoundCheck(v({0, 1}), v({}), BoundSide::Minimum, BoundMode::Strict));
  EXPECT_TRUE(versionBoundCheck(v({0, 1}), v({}), BoundSide::Minimum, BoundMode::Loose));
}

TEST(VersionRules, NewerVersion) {
  struct Case {
    const char* a;
    const char* b;
    bool newer;
  } cases[] = {
      {"11", "1.8", true},
      {"1.8", "11", false},
      {"1.8.0_201", "1.8.0_201", false},
      {"1.8.0", "1.8", true},
      {"1.8", "1.8.0", false},
      {"1", "", true},
      {"", "1", false},
      {"", "", false},
      {"1.8.0_201", "1.8.0_202", false},
      {"1.8.0_202", "1.8.0_201", true},
      {"9b", "9", false},
      {"17-ea", "17", true},  // 17, 0 against 17
      {"11.0.2+9", "11.0.2", true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.newer, isNewerVersion(c.a, c.b)) << c.a << " vs " << c.b;
}

TEST(VersionRules, SubkeyOrderIsByteWise) {
  std::vector<std::string> names = {"1.8", "9.0.4", "1.8.0_201", "11"};
  sortSubkeyNames(names);
  EXPECT_EQ((std::vector<std::string>{"1.8", "1.8.0_201", "11", "9.0.4"}), names);

  names = {"17.0.1", "9.0.4", "11.0.2"};
  sortSubkeyNames(names);
  EXPECT_EQ("9.0.4", names.back());  // tried first although it is the oldest

  // Bytes above 0x7f sort after ASCII (unsigned), a shorter prefix first.
  EXPECT_TRUE(subkeyNameLess("z", "\xe9"));
  EXPECT_FALSE(subkeyNameLess("\xe9", "z"));
  EXPECT_TRUE(subkeyNameLess("1.8", "1.8.0"));
  EXPECT_FALSE(subkeyNameLess("1.8", "1.8"));
  EXPECT_TRUE(subkeyNameLess("A", "a"));  // no case folding
}

TEST(VersionRules, PrereleaseMarkers) {
  EXPECT_TRUE(isPrereleaseVersion("17-ea"));
  EXPECT_TRUE(isPrereleaseVersion("1.9.0-beta2"));
  EXPECT_TRUE(isPrereleaseVersion("beta"));
  EXPECT_TRUE(isPrereleaseVersion("11.0.1-rc"));
  EXPECT_FALSE(isPrereleaseVersion("17-EA"));
  EXPECT_FALSE(isPrereleaseVersion("17.0.1+12"));
  EXPECT_FALSE(isPrereleaseVersion("1.8.0_201-b09"));
  EXPECT_FALSE(isPrereleaseVersion("17ea"));
}

TEST(VersionOutput, FirstLinesOfRealRuntimes) {
  struct Case {
    std::string output;
    bool found;
    std::string version;
  } cases[] = {
      {"java version \"1.8.0_201\"\r\nJava(TM) SE Runtime Environment (build 1.8.0_201-b09)\r\n", true, "1.8.0_201"},
      {"openjdk version \"1.8.0_392\"\nOpenJDK Runtime Environment (Temurin)(build 1.8.0_392-b08)\n", true,
       "1.8.0_392"},
      {"openjdk version \"11.0.2\" 2019-01-15\r\nOpenJDK Runtime Environment 18.9 (build 11.0.2+9)\r\n", true,
       "11.0.2"},
      {"openjdk version \"17.0.9\" 2023-10-17\nOpenJDK Runtime Environment Temurin-17.0.9+9 (build 17.0.9+9)\n", true,
       "17.0.9"},
      {"java version \"21.0.1\" 2023-10-17 LTS\r\nJava(TM) SE Runtime Environment (build 21.0.1+12-LTS-29)\r\n", true,
       "21.0.1"},
      {"openjdk version \"22-ea\" 2024-03-19\r\nOpenJDK Runtime Environment (build 22-ea+27-2262)\r\n", true, "22-ea"},
      {"java version \"1.7.0\"\r\nJava(TM) SE Runtime Environment (build pxi3270sr9fp10-20150708_01(SR9 FP10))\r\n",
       true, "1.7.0"},
      // A first line without the marker gives nothing, even when a later one
      // has it (what a runtime prints when _JAVA_OPTIONS is set).
      {"Picked up _JAVA_OPTIONS: -Xmx512m\r\njava version \"1.8.0_201\"\r\n", false, ""},
      {"Error: could not open `C:\\jre\\lib\\i386\\jvm.cfg'\r\n", false, ""},
      {"", false, ""},
      {"version \"1.8\"\r\n", false, ""},  // the marker begins with a blank
      {"java Version \"1.8\"\r\n", false, ""},
  };
  for (const auto& c : cases) {
    std::string version = "untouched";
    EXPECT_EQ(c.found, parseVersionOutput(c.output, version)) << c.output;
    if (c.found) EXPECT_EQ(c.version, version) << c.output;
    if (!c.found) EXPECT_EQ("untouched", version);
  }
}

TEST(VersionOutput, LineWithoutClosingQuoteLosesItsLastTwoCharacters) {
  std::string version;
  ASSERT_TRUE(parseVersionOutput("java version \"1.8.0_201\r\nnext\"\r\n", version));
  EXPECT_EQ("1.8.0_201", version);  // the CR LF
  ASSERT_TRUE(parseVersionOutput("java version \"1.8.0_201\nnext\"\n", version));
  EXPECT_EQ("1.8.0_20", version);  // a bare LF and one more character
  ASSERT_TRUE(parseVersionOutput("java version \"x", version));
  EXPECT_EQ("", version);  // never fewer than zero characters
  ASSERT_TRUE(parseVersionOutput("java version \"", version));
  EXPECT_EQ("", version);
  ASSERT_TRUE(parseVersionOutput("java version \"\"", version));
  EXPECT_EQ("", version);
}

TEST(VersionOutput, OnlyNinetyNineBytesOfTheFirstLineAreRead) {
  // The marker must lie inside the first 99 bytes.
  std::string late(90, 'x');
  std::string version;
  EXPECT_FALSE(parseVersionOutput(late + " version \"1.8\"\r\n", version));
  std::string early(85, 'x');
  ASSERT_TRUE(parseVersionOutput(early + " version \"1.8\"\r\n", version));
  EXPECT_EQ("1.8", version);
  // A closing quote past byte 99 is not seen: the cut line ends the version,
  // less two characters.
  const std::string head = "java version \"";
  ASSERT_TRUE(parseVersionOutput(head + std::string(100, '7') + "\"\r\n", version));
  EXPECT_EQ(std::string(kVersionLineLimit - head.size() - 2, '7'), version);
  // A NUL ends the line as it ends a C string.
  EXPECT_FALSE(parseVersionOutput(std::string("java\0 version \"1.8\"\r\n", 21), version));

  EXPECT_EQ("ab\n", firstOutputLine("ab\ncd\n"));
  EXPECT_EQ("ab\r\n", firstOutputLine("ab\r\ncd"));
  EXPECT_EQ(std::string(99, 'q'), firstOutputLine(std::string(200, 'q')));
}

}  // namespace
}  // namespace zvt
