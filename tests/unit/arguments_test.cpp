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

// The quote that opens an argument no quote of its kind closes; a quote of
// the other kind inside a quoted part is an ordinary character.
TEST(SplitArguments, UnclosedQuoteIsFoundWhereItOpens) {
  const size_t npos = std::wstring::npos;
  struct Case {
    const wchar_t* text;
    size_t at;
  } cases[] = {
      {L"x'y", 1},     {L"\"a\" 'b c", 4},         {L"a\"b\"c'd", 5}, {L"'x \"y' z", npos},
      {L"\"\"", npos}, {L"-Da=1 -Db='2 3'", npos}, {L"", npos},
  };
  for (const auto& c : cases) EXPECT_EQ(c.at, unclosedQuote(c.text)) << std::string(c.text, c.text + wcslen(c.text));
}

TEST(SplitArguments, AppendsToAnExistingList) {
  ArgumentList list = {L"first"};
  splitArguments(L"second third", list);
  EXPECT_EQ((ArgumentList{L"first", L"second", L"third"}), list);
}

}  // namespace
}  // namespace zvt
