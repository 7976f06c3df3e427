#include <gtest/gtest.h>

#include <climits>

#include "base/text.h"

namespace zvt {
namespace {

TEST(Text, Utf8RoundTripIncludingSurrogatePairs) {
  std::wstring w = {L'A', static_cast<wchar_t>(0xE4), static_cast<wchar_t>(0x20AC), static_cast<wchar_t>(0xD83D),
                    static_cast<wchar_t>(0xDE00)};
  std::string u = utf16ToUtf8(w);
  EXPECT_EQ("A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", u);
  EXPECT_EQ(w, utf8ToUtf16(u));
}

TEST(Text, BrokenInputBecomesReplacementCharacters) {
  EXPECT_EQ("\xEF\xBF\xBD", utf16ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))));
  std::wstring w = utf8ToUtf16("a\xC3");  // truncated sequence
  ASSERT_EQ(2u, w.size());
  EXPECT_EQ(0xFFFD, static_cast<int>(w[1]));
  EXPECT_EQ(0xFFFD, static_cast<int>(utf8ToUtf16("\xFF")[0]));
}

TEST(Text, DecimalHandlesExtremes) {
  EXPECT_EQ(L"0", decimal(0));
  EXPECT_EQ(L"-9223372036854775808", decimal(LLONG_MIN));
  EXPECT_EQ(L"18446744073709551615", decimalUnsigned(~0ULL));
}

}  // namespace
}  // namespace zvt
