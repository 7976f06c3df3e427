// The one UTF-8/UTF-16 conversion over arbitrary input, both ways. UTF-8:
// every byte gives at most one unit, and decoding what was encoded from a
// decoding changes nothing. UTF-16 (the input's bytes as UTF-16LE units):
// a round trip keeps every unit except unpaired surrogates, which come back
// as U+FFFD one for one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/text.h"

namespace {

bool high(uint32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool low(uint32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::wstring decoded = zvt::utf8ToUtf16(bytes);
  if (decoded.size() > bytes.size()) __builtin_trap();
  const std::string encoded = zvt::utf16ToUtf8(decoded);
  if (zvt::utf8ToUtf16(encoded) != decoded) __builtin_trap();
  if (encoded == bytes && zvt::utf16ToUtf8(zvt::utf8ToUtf16(encoded)) != bytes) __builtin_trap();

  const std::wstring units = zvt::fromUtf16Le(data, size);
  const std::wstring back = zvt::utf8ToUtf16(zvt::utf16ToUtf8(units));
  if (back.size() != units.size()) __builtin_trap();
  // A high surrogate pairs with the low one right behind it, a low one
  // with the high one right before it; nothing else can claim either.
  auto unit = [&](size_t i) { return static_cast<uint32_t>(units[i]) & 0xFFFF; };
  for (size_t i = 0; i < units.size(); ++i) {
    const uint32_t u = unit(i);
    const bool paired = (high(u) && i + 1 < units.size() && low(unit(i + 1))) || (low(u) && i > 0 && high(unit(i - 1)));
    const uint32_t expected = (high(u) || low(u)) && !paired ? 0xFFFD : u;
    if ((static_cast<uint32_t>(back[i]) & 0xFFFF) != expected) __builtin_trap();
  }
  return 0;
}
