// Strict conversions between UTF-8, code points and UTF-16 for the packer:
// nothing is replaced silently. The lenient helpers of base/text turn bad
// input into U+FFFD, which is right for the launcher's logs and wrong for a
// tool that must never change a value behind its user's back.
#pragma once

#include <cstddef>
#include <string>

namespace zvt::pack {

// Decodes UTF-8. On malformed input (a bad lead or continuation byte, an
// overlong form, a surrogate, a value above U+10FFFF, a cut sequence) returns
// false with `badByte` at the offending byte.
bool decodeUtf8(const std::string& text, std::u32string& out, size_t& badByte);
std::string encodeUtf8(const std::u32string& text);
std::string encodeUtf8(char32_t c);

// Code points to UTF-16 units (surrogate pairs above U+FFFF), held in a
// std::wstring as the block's messages are (one unit per element, whatever
// the width of wchar_t).
std::wstring toUtf16Units(const std::u32string& text);
// UTF-16 units to code points; false at the index of an unpaired surrogate.
bool fromUtf16Units(const std::wstring& units, std::u32string& out, size_t& badUnit);

// A readable name for a character in messages: "U+00E4 'ä'", "line feed".
std::string describeChar(char32_t c);

}  // namespace zvt::pack
