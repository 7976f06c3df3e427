#include "base/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>

namespace zvt {
namespace {

TEST(Text, Utf8RoundTripIncludingSurrogatePairs) {
  std::wstring w = {L'A', static_cast<wchar_t>(0xE4), static_cast<wchar_t>(0x20AC), static_cast<wchar_t>(0xD83D),
                    static_cast<wchar_t>(0xDE00)};
  std::string u = utf16ToUtf8(w);
  EXPECT_EQ("A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", u);
  EXPECT_EQ(w, utf8ToUtf16(u));
}

// UTF-16 units written as numbers, so a case reads the same on a host with
// a 32-bit wchar_t and under mingw.
std::wstring units(std::initializer_list<unsigned> list) {
  std::wstring out;
  for (unsigned u : list) out.push_back(static_cast<wchar_t>(u));
  return out;
}

constexpr unsigned R = 0xFFFD;

TEST(Text, Utf8BoundariesOfEachSequenceLength) {
  struct Case {
    const char* utf8;
    std::wstring utf16;
  } cases[] = {
      {"\x7F", units({0x7F})},
      {"\xC2\x80", units({0x80})},
      {"\xDF\xBF", units({0x7FF})},
      {"\xE0\xA0\x80", units({0x800})},
      {"\xED\x9F\xBF", units({0xD7FF})},
      {"\xEE\x80\x80", units({0xE000})},
      {"\xEF\xBF\xBF", units({0xFFFF})},
      {"\xF0\x90\x80\x80", units({0xD800, 0xDC00})},
      {"\xF4\x8F\xBF\xBF", units({0xDBFF, 0xDFFF})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.utf16, utf8ToUtf16(c.utf8)) << c.utf8;
    EXPECT_EQ(c.utf8, utf16ToUtf8(c.utf16)) << c.utf8;
  }
  // An embedded NUL is a character like any other.
  EXPECT_EQ(units({'a', 0, 'b'}), utf8ToUtf16(std::string("a\0b", 3)));
}

TEST(Text, IllFormedUtf8BecomesOneReplacementPerMaximalSubpart) {
  struct Case {
    const char* name;
    std::string utf8;
    std::wstring utf16;
  } cases[] = {
      {"cut off at the end (2 bytes)", "a\xC3", units({'a', R})},
      {"cut off at the end (3 bytes)", "\xE2\x82", units({R})},
      {"cut off at the end (4 bytes)", "\xF0\x9F\x98", units({R})},
      {"cut off by a non-continuation",
       "\xC3"
       "A",
       units({R, 'A'})},
      {"cut off inside a 3-byte sequence",
       "\xE2\x82"
       "A",
       units({R, 'A'})},
      {"short text after a 4-byte lead keeps its characters",
       "\xF0"
       "ab",
       units({R, 'a', 'b'})},
      {"cut off by another lead", "\xE2\xC3\xA4", units({R, 0xE4})},
      {"lone continuation", "\x80", units({R})},
      {"bytes that never start a sequence", "\xFF\xFE\xF5", units({R, R, R})},
      {"overlong slash", "\xC0\xAF", units({R, R})},
      {"overlong NUL", "\xC0\x80", units({R, R})},
      {"overlong 3-byte form", "\xE0\x80\xAF", units({R, R, R})},
      {"overlong 4-byte form", "\xF0\x8F\xBF\xBF", units({R, R, R, R})},
      {"encoded surrogate", "\xED\xA0\x80", units({R, R, R})},
      {"above U+10FFFF", "\xF4\x90\x80\x80", units({R, R, R, R})},
      // The example of the Unicode standard (U+FFFD substitution practice).
      {"mixed", "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64", units({'a', R, R, R, 'b', R, 'c', R, R, 'd'})},
  };
  for (const Case& c : cases) EXPECT_EQ(c.utf16, utf8ToUtf16(c.utf8)) << c.name;
}

TEST(Text, UnpairedSurrogatesBecomeOneReplacementEach) {
  const std::string r = "\xEF\xBF\xBD";
  struct Case {
    const char* name;
    std::wstring utf16;
    std::string utf8;
    std::wstring back;  // what the UTF-8 converts back to
  } cases[] = {
      {"high surrogate at the end", units({'a', 0xD800}), "a" + r, units({'a', R})},
      {"high surrogate before a non-surrogate", units({0xD800, 'A'}), r + "A", units({R, 'A'})},
      {"low surrogate alone", units({0xDC00}), r, units({R})},
      {"pair in the wrong order", units({0xDC00, 0xD800}), r + r, units({R, R})},
      {"high surrogate before a pair", units({0xD800, 0xD83D, 0xDE00}), r + "\xF0\x9F\x98\x80",
       units({R, 0xD83D, 0xDE00})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.utf8, utf16ToUtf8(c.utf16)) << c.name;
    EXPECT_EQ(c.back, utf8ToUtf16(c.utf8)) << c.name;
  }
}

TEST(Text, DecimalHandlesExtremes) {
  EXPECT_EQ(L"0", decimal(0));
  EXPECT_EQ(L"-9223372036854775808", decimal(LLONG_MIN));
  EXPECT_EQ(L"18446744073709551615", decimalUnsigned(~0ULL));
}

}  // namespace
}  // namespace zvt
