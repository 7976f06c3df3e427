// Platform-free text helpers. Wide strings hold UTF-16 code units in
// std::wstring on every platform (host wchar_t is 32-bit; nothing here
// depends on its width).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zvt {

// Each byte becomes the UTF-16 unit of the same value: the conversion that the
// C runtime's "%S" performs in its default "C" locale.
std::wstring widenBytes(const std::string& bytes);

// UTF-16 code units <-> UTF-8, the one conversion of the launcher. Neither
// direction fails or reads past the end of its input; what cannot be
// converted becomes U+FFFD:
// - UTF-16 -> UTF-8: each unpaired surrogate (a high one not followed by a
//   low one, a low one on its own) is one U+FFFD.
// - UTF-8 -> UTF-16: each maximal subpart of an ill-formed sequence is one
//   U+FFFD (the W3C/Unicode practice). A sequence cut off by the end of the
//   text or by a byte that does not continue it is one U+FFFD; a byte that
//   cannot start a sequence is one U+FFFD. Overlong forms, encoded
//   surrogates and values above U+10FFFF are refused at their first or
//   second byte, so they give one U+FFFD per byte. Decoding resumes at the
//   first byte not taken: no valid character after a damaged one is lost.
std::string utf16ToUtf8(const std::wstring& text);
std::wstring utf8ToUtf16(const std::string& text);

// UTF-16LE byte sequences as stored in the configuration block.
std::wstring fromUtf16Le(const uint8_t* bytes, size_t byteCount);
void appendUtf16Le(std::vector<uint8_t>& out, const std::wstring& text);

// Decimal rendering without printf, so platform-free code never depends on
// how a C library treats %s in wide formats.
std::wstring decimal(long long value);
std::wstring decimalUnsigned(unsigned long long value);

}  // namespace zvt
