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

// UTF-16 code units <-> UTF-8. Unpaired surrogates become U+FFFD.
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
