// The Windows single-byte ANSI code pages that configuration entries are
// stored in. Entries are 8-bit text: the packer turns the configuration's
// UTF-8 into the target machines' code page and refuses what it cannot hold.
#pragma once

#include <cstdint>
#include <string>

namespace zvt::pack {

constexpr int kDefaultCodePage = 1252;

class CodePage {
 public:
  // Null for a code page this packer does not know.
  static const CodePage* find(int number);
  // "874, 1250, 1251, ..." for messages.
  static std::string supportedList();

  int number() const { return number_; }
  // The byte for `c`, or -1 when the code page has none.
  int encode(char32_t c) const;
  // The character of byte `b`, or 0 for a byte the code page leaves
  // undefined (never for b < 0x80, which is ASCII in every one of them).
  char32_t decode(uint8_t b) const;
  // The characters beyond ASCII that this code page stores under their own
  // number (U+00E4 as byte 0xE4), the only ones that come through the
  // launcher's byte-by-byte widening unchanged: "U+00A0 to U+00FF" for 1252,
  // "15 of U+00A0 to U+00BB" where the run has gaps, "none" where there are
  // none.
  std::string sameNumberCharacters() const;

  CodePage(int number, const uint16_t* upper) : number_(number), upper_(upper) {}

 private:
  int number_;
  const uint16_t* upper_;  // bytes 0x80..0xFF
};

// Bytes in code page `number` as UTF-16 units, the way the launcher's file
// functions read included file names; a plain function, as the launcher's
// shared name check takes one. Null for an unknown code page.
using ByteDecoder = std::wstring (*)(const std::string& bytes);
ByteDecoder decoderFor(int number);

}  // namespace zvt::pack
