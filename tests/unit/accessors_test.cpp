#include <gtest/gtest.h>

#include <climits>

#include "config/accessors.h"
#include "log_capture.h"
#include "runtime/message_format.h"

namespace zvt {
namespace {

class Accessors : public ::testing::Test {
 protected:
  void SetUp() override {
    config::current() = LoadedConfiguration();
    config::current().entries = {{107, "4"}, {108, "x4"}, {109, " 5"}, {2001, "i"}, {2002, "ie"},
                                 {146, ""},  {1000, "FromConfig"}, {150, "\xE4\xF6"}};
    config::current().messages = {{1009, L"An internal error occurred (error code: {0})"}};
  }
  test::LogCapture log;
};

TEST_F(Accessors, IntegersParseLikeAtoi) {
  EXPECT_EQ(4, config::getConfigInt(107));
  EXPECT_EQ(0, config::getConfigInt(108));
  EXPECT_EQ(5, config::getConfigInt(109));
  EXPECT_EQ(0, config::getConfigInt(146));
  EXPECT_EQ(0, config::getConfigInt(999));
  EXPECT_FALSE(config::getConfigFlag(999));
  EXPECT_TRUE(config::getConfigFlag(107));
}

TEST(ParseInt, EdgeCases) {
  EXPECT_EQ(-12, config::parseInt("  -12abc"));
  EXPECT_EQ(7, config::parseInt("+7"));
  EXPECT_EQ(0, config::parseInt("- 7"));
  EXPECT_EQ(0, config::parseInt(""));
  EXPECT_EQ(3, config::parseInt("\t\n3"));
  EXPECT_EQ(INT_MAX, config::parseInt("2147483647"));
  EXPECT_EQ(INT_MIN, config::parseInt("-2147483648"));
  // Overflow saturates (no undefined behaviour, no wrap-around).
  EXPECT_EQ(INT_MAX, config::parseInt("2147483648"));
  EXPECT_EQ(INT_MAX, config::parseInt("99999999999999999999999999"));
  EXPECT_EQ(INT_MIN, config::parseInt("-99999999999999999999999999"));
}

TEST_F(Accessors, StringTruncationIsLoggedOnlyWhenItCuts) {
  EXPECT_EQ("i", config::getConfigString(2001, 2));
  EXPECT_TRUE(log.lines().empty());
  EXPECT_EQ("i", config::getConfigString(2002, 2));
  ASSERT_EQ(1u, log.lines().size());
  EXPECT_EQ(L"ERROR: config string 2002 truncated (2 2)", log.lines()[0]);
}

TEST_F(Accessors, MissingAndEmptyReadAlike) {
  EXPECT_EQ("", config::getConfigString(146));
  EXPECT_EQ("", config::getConfigString(999));
  EXPECT_EQ(L"", config::getConfigStringW(999));
  EXPECT_EQ("", config::getConfigStringCopy(2003));
}

// A stand-in for a system code page with the traits that matter: 0x80 is a
// character far from U+0080 (the euro sign, as in 1251 and 1252), 0x82 is a
// lead byte whose pair makes one character (as in 932; "\x82\x5C" holds a
// trail byte that looks like a backslash), 0xF0 makes a surrogate pair.
std::wstring fakeCodePage(const std::string& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == 0x80) {
      out += L'\x20AC';
    } else if (c == 0x82 && i + 1 < text.size()) {
      out += static_cast<wchar_t>(0x3000 + static_cast<unsigned char>(text[++i]));
    } else if (c == 0xF0) {
      out += static_cast<wchar_t>(0xD83D);
      out += static_cast<wchar_t>(0xDE00);
    } else if (c < 0x80) {
      out += static_cast<wchar_t>(c);
    } else {
      out += static_cast<wchar_t>(0x0400 + c - 0xC0);
    }
  }
  return out;
}

TEST_F(Accessors, WideValuesGoThroughTheConfigurationsCodePage) {
  config::current().decodeText = &fakeCodePage;
  config::current().entries[150] = "\x80\xC0";
  config::current().entries[151] = std::string("a\x82\x5C") + "b";
  config::current().entries[152] = "ab\xF0";
  EXPECT_EQ(std::wstring(L"\x20AC\x0400"), config::getConfigStringW(150));
  // Converted whole, then cut to capacity - 1 units: a double-byte character
  // is never split into a lone lead byte and a stray backslash.
  EXPECT_EQ(std::wstring(L"a\x305C") + L"b", config::getConfigStringW(151));
  EXPECT_EQ(std::wstring(L"a\x305C"), config::getConfigStringW(151, 3));
  // A cut never leaves half a surrogate pair.
  EXPECT_EQ(std::wstring(L"ab"), config::getConfigStringW(152, 4));
  EXPECT_EQ(std::wstring(L"ab\xD83D\xDE00"), config::getConfigStringW(152, 5));
  // Longer than the caller's buffer: cut cleanly to capacity - 1.
  EXPECT_EQ(L"i", config::getConfigStringW(2002, 2));
  EXPECT_EQ(L"", config::getConfigStringW(2002, 1));
  // The message fallback reads the entry the same way.
  EXPECT_EQ(std::wstring(L"\x20AC\x0400"), config::getMessageText(150));
}

TEST_F(Accessors, WithoutADecoderOnlyAsciiIsTrusted) {
  // Nothing loaded: a byte above 0x7F is no known character, never the unit
  // of the same value.
  std::wstring w = config::getConfigStringW(150);
  EXPECT_EQ(std::wstring(L"\xFFFD\xFFFD"), w);
  EXPECT_EQ(L"ie", config::getConfigStringW(2002));
}

TEST_F(Accessors, MessageTextFallsBackToAConfigurationEntry) {
  EXPECT_EQ(L"FromConfig", config::getMessageText(1000));
  EXPECT_EQ(L"", config::getMessage(1000));
  EXPECT_EQ(L"An internal", config::getMessage(1009, 12));
  EXPECT_EQ(L"", config::getMessageText(4242));
}

TEST(MessageFormat, FirstPlaceholderOnlyAndLogPath) {
  EXPECT_EQ(L"An internal error occurred (error code: 7)",
            insertArgument(L"An internal error occurred (error code: {0})", L"7"));
  EXPECT_EQ(L"a x b {0}", insertArgument(L"a {0} b {0}", L"x"));
  EXPECT_EQ(L"no placeholder", insertArgument(L"no placeholder", L"x"));
  EXPECT_EQ(L"Boom\n\nLog: C:\\Temp\\zvt_nlog_1.log", withLogPath(L"Boom", L"C:\\Temp\\zvt_nlog_1.log"));
  EXPECT_EQ(L"Boom", withLogPath(L"Boom", L""));
}

TEST(MessageFormat, OverlongResultsAreCutToTheBuffer) {
  std::wstring big(5990, L'a');
  std::wstring r = insertArgument(big + L"{0}", std::wstring(100, L'b'));
  EXPECT_EQ(kMessageCapacity - 1, r.size());
  EXPECT_EQ(L'b', r.back());
  EXPECT_EQ(kMessageCapacity - 1, withLogPath(big, L"C:\\a\\long\\log\\path.log").size());
}

}  // namespace
}  // namespace zvt
