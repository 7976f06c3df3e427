#include <gtest/gtest.h>

#include "base/arguments.h"

namespace zvt {
namespace {

ArgumentList split(const std::wstring& text) {
  ArgumentList list;
  splitArguments(text, list);
  return list;
}

TEST(SplitArguments, Table) {
  struct Case {
    const wchar_t* text;
    ArgumentList expected;
  } cases[] = {
      {L"a  b", {L"a", L"b"}},
      {L"\"C:\\Program Files\\app.exe\" /run", {L"C:\\Program Files\\app.exe", L"/run"}},
      {L"a\"b c\"d e", {L"ab c", L"d", L"e"}},
      {L"'x \"y' z", {L"x \"y", L"z"}},
      {L"\"\"", {L""}},
      {L"\"abc", {L"abc"}},
      {L"a\tb", {L"a\tb"}},
      {L"a\\\"b c\"", {L"a\\b c"}},
      {L"", {}},
      {L"   ", {}},
      {L" lead trail ", {L"lead", L"trail"}},
      {L"\"a\"\"b\"", {L"a", L"b"}},           // text glued to a closing quote starts a new argument
      {L"\"a\" \"\" b", {L"a", L"", L"b"}},     // an empty pair yields an empty argument
      {L"x'y", {L"xy"}},                         // unclosed single quote runs to the end
      {L"'a\"b' \"c'd\"", {L"a\"b", L"c'd"}},
      {L"\"a\"  b", {L"a", L"b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, split(c.text)) << "input: " << std::string(c.text, c.text + wcslen(c.text));
}

TEST(SplitArguments, AppendsToAnExistingList) {
  ArgumentList list = {L"first"};
  splitArguments(L"second third", list);
  EXPECT_EQ((ArgumentList{L"first", L"second", L"third"}), list);
}

TEST(Switches, PrefixesAndWords) {
  struct Case {
    const wchar_t* arg;
    bool isSwitch;
    const wchar_t* word;
    Command command;
  } cases[] = {
      {L"/install", true, L"install", Command::Install},
      {L"-install", true, L"install", Command::Install},
      {L"--install", true, L"install", Command::Install},
      {L"/-install", true, L"install", Command::Install},
      {L"-/install", true, L"/install", Command::None},  // only a second hyphen is skipped
      {L"/INSTALL", true, L"INSTALL", Command::None},    // case-sensitive
      {L"/?", true, L"?", Command::Help},
      {L"-help", true, L"help", Command::Help},
      {L"/install-and-start", true, L"install-and-start", Command::InstallAndStart},
      {L"/install-auto", true, L"install-auto", Command::InstallAuto},
      {L"/install-demand", true, L"install-demand", Command::InstallDemand},
      {L"/uninstall", true, L"uninstall", Command::Uninstall},
      {L"/stop", true, L"stop", Command::Stop},
      {L"/start", true, L"start", Command::Start},
      {L"/restart", true, L"restart", Command::Restart},
      {L"/status", true, L"status", Command::Status},
      {L"/run", true, L"run", Command::Run},
      {L"/run-redirect", true, L"run-redirect", Command::RunRedirect},
      {L"/", true, L"", Command::None},
      {L"install", false, L"", Command::None},
      {L"", false, L"", Command::None},
  };
  for (const auto& c : cases) {
    std::wstring word;
    ASSERT_EQ(c.isSwitch, switchWord(c.arg, word));
    if (c.isSwitch) {
      EXPECT_EQ(c.word, word);
      EXPECT_EQ(c.command, commandFor(word));
    }
  }
}

}  // namespace
}  // namespace zvt
