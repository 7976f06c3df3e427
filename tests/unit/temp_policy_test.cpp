// The temporary directory choice against a scripted system: which
// candidates are asked in which order with which checks, and what is chosen.
#include "runtime/temp_policy.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace zvt {
namespace {

// Each place names "n<place>" / L"w<place>"; the sets say which places are
// unknown and which spellings fail their check. Every call is recorded.
struct ScriptedSystem : TempDirectorySystem {
  std::set<int> unknown, narrowFails, wideFails, wideStrictFails;
  std::map<int, std::string> longForms;  // the narrow check turns these long
  struct NarrowCall {
    int place;
    bool create, ansiStrict, preferLong;
  };
  struct WideCall {
    int place;
    bool create, strict;
  };
  std::vector<int> asked;
  std::vector<NarrowCall> narrowCalls;
  std::vector<WideCall> wideCalls;

  static int placeOf(const std::string& narrow) { return std::stoi(narrow.substr(1)); }

  bool placePaths(TempPlace place, std::string& narrow, std::wstring& wide) override {
    int p = static_cast<int>(place);
    asked.push_back(p);
    if (unknown.count(p)) return false;
    narrow = "n" + std::to_string(p);
    wide = L"w" + std::to_wstring(p);
    return true;
  }
  bool narrowUsable(std::string& narrow, bool create, bool ansiStrict, bool preferLong) override {
    int p = placeOf(narrow);
    narrowCalls.push_back({p, create, ansiStrict, preferLong});
    if (preferLong && longForms.count(p)) narrow = longForms[p];
    return !narrowFails.count(p);
  }
  bool wideUsable(const std::wstring& wide, bool create, bool strict) override {
    int p = std::stoi(std::string(wide.begin() + 1, wide.end()));
    wideCalls.push_back({p, create, strict});
    return !wideFails.count(p) && !(strict && wideStrictFails.count(p));
  }
};

TEST(TempDirectoryChoice, TheFirstPassingCandidateWins) {
  ScriptedSystem system;
  TempDirectoryChoice choice = chooseTempDirectory(system, false);
  ASSERT_TRUE(choice.found);
  EXPECT_EQ("n0", choice.narrow);
  EXPECT_EQ(L"w0", choice.wide);
  EXPECT_EQ(std::vector<int>{0}, system.asked);
  ASSERT_EQ(1u, system.narrowCalls.size());
  // The system temp is created and checked strictly in both spellings.
  EXPECT_TRUE(system.narrowCalls[0].create);
  EXPECT_TRUE(system.narrowCalls[0].ansiStrict);
  EXPECT_FALSE(system.narrowCalls[0].preferLong);  // key 10009 off
  ASSERT_EQ(1u, system.wideCalls.size());
  EXPECT_TRUE(system.wideCalls[0].create);
  EXPECT_TRUE(system.wideCalls[0].strict);
}

TEST(TempDirectoryChoice, OrderAndChecksOfEveryCandidate) {
  // Nothing passes: every candidate is asked, in the fixed order, and the
  // wide check is never reached when the narrow one fails.
  ScriptedSystem system;
  for (int p = 0; p < 8; ++p) system.narrowFails.insert(p);
  TempDirectoryChoice choice = chooseTempDirectory(system, true);
  EXPECT_FALSE(choice.found);
  EXPECT_TRUE(choice.narrow.empty());
  EXPECT_TRUE(choice.wide.empty());
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 6, 0, 1, 2}), system.asked);
  EXPECT_TRUE(system.wideCalls.empty());
  struct Expected {
    int place;
    bool create, ansiStrict, preferLong;
  } expected[] = {
      {0, true, true, true},    {1, false, true, true},   {2, false, true, true},   {3, true, true, true},
      {4, false, false, false}, {5, false, false, false}, {6, false, false, false}, {7, false, false, false},
      {6, true, false, false},  {0, true, false, true},   {1, false, false, true},  {2, false, false, true},
  };
  ASSERT_EQ(12u, system.narrowCalls.size());
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(expected[i].place, system.narrowCalls[i].place) << i;
    EXPECT_EQ(expected[i].create, system.narrowCalls[i].create) << i;
    EXPECT_EQ(expected[i].ansiStrict, system.narrowCalls[i].ansiStrict) << i;
    EXPECT_EQ(expected[i].preferLong, system.narrowCalls[i].preferLong) << i;
  }
}

TEST(TempDirectoryChoice, FallbacksUnknownPlacesAndTheLongForm) {
  {
    // The strict places fail (unknown, narrow, wide), the Windows temp passes.
    ScriptedSystem system;
    system.unknown = {0, 3};
    system.narrowFails = {1};
    system.wideFails = {2};
    TempDirectoryChoice choice = chooseTempDirectory(system, false);
    ASSERT_TRUE(choice.found);
    EXPECT_EQ("n4", choice.narrow);
    EXPECT_EQ(L"w4", choice.wide);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), system.asked);
    ASSERT_EQ(2u, system.wideCalls.size());
    EXPECT_EQ(2, system.wideCalls[0].place);
    EXPECT_TRUE(system.wideCalls[0].strict);
    EXPECT_EQ(4, system.wideCalls[1].place);
    EXPECT_FALSE(system.wideCalls[1].strict);
  }
  {
    // Only the second round of the system temp passes, where its wide
    // spelling is no longer checked strictly; with key 10009 its narrow
    // spelling turns long there.
    ScriptedSystem system;
    system.narrowFails = {1, 2, 3, 4, 5, 7};
    system.wideFails = {6};
    system.wideStrictFails = {0};
    system.longForms[0] = "n0-long";
    TempDirectoryChoice choice = chooseTempDirectory(system, true);
    ASSERT_TRUE(choice.found);
    EXPECT_EQ("n0-long", choice.narrow);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 6, 0}), system.asked);
    ASSERT_EQ(4u, system.wideCalls.size());
    EXPECT_TRUE(system.wideCalls[0].strict);
    EXPECT_FALSE(system.wideCalls[1].create);  // c:\tmp in the fallback round
    EXPECT_TRUE(system.wideCalls[2].create);   // c:\tmp in the last round
    EXPECT_FALSE(system.wideCalls[3].strict);
  }
  {
    ScriptedSystem system;
    system.longForms[0] = "n0-long";
    TempDirectoryChoice choice = chooseTempDirectory(system, true);
    ASSERT_TRUE(choice.found);
    EXPECT_EQ("n0-long", choice.narrow);
    EXPECT_EQ(L"w0", choice.wide);  // the wide spelling stays as the system gave it
  }
}

TEST(TempDirectoryChoice, LongFormVerdicts) {
  const size_t cap = 6000;
  struct Case {
    const char* path;
    const char* longForm;
    bool ansiStrict, preferLong;
    LongFormVerdict verdict;
  } cases[] = {
      {"C:\\TEMPOR~1", "", true, true, LongFormVerdict::Keep},  // no long form from the system
      {"C:\\TEMPOR~1", "C:\\Temporary", false, true, LongFormVerdict::UseLong},
      {"C:\\TEMPOR~1", "C:\\Temporary", true, false, LongFormVerdict::Keep},  // only a strict check
      {"C:\\Temp", "C:\\Temp", true, true, LongFormVerdict::Keep},            // already long
      {"C:\\CF47~1", "C:\\??", true, true, LongFormVerdict::Refuse},          // the code page lost characters
      {"C:\\CF47~1", "C:\\??", false, true, LongFormVerdict::Keep},           // not strict: the short form serves
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.verdict, judgeLongForm(c.path, c.longForm, c.ansiStrict, c.preferLong, cap))
        << c.path << " " << c.longForm;
  }
  // A long form that would not fit the path buffer is not taken.
  EXPECT_EQ(LongFormVerdict::Keep, judgeLongForm("C:\\X~1", "C:\\" + std::string(6000, 'x'), false, true, cap));
  EXPECT_EQ(LongFormVerdict::UseLong, judgeLongForm("C:\\X~1", "C:\\" + std::string(5996, 'x'), false, true, cap));
}

}  // namespace
}  // namespace zvt
