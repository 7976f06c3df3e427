// A minimal PE32 image for tests: DOS header, PE signature, file header, an
// optional header of the usual size and `sections` section headers, the last
// one's raw data ending at `blockOffset`. Enough for the block locator and the
// packer, not for the Windows loader.
#pragma once

#include <cstdint>
#include <vector>

namespace zvt::test {

inline void putU16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void putU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline std::vector<uint8_t> makeImage(uint32_t sections = 3, uint32_t imageSize = 0x600) {
  std::vector<uint8_t> b(imageSize, 0);
  b[0] = 'M';
  b[1] = 'Z';
  const uint32_t pe = 0x80;
  putU32(b, 60, pe);
  b[pe] = 'P';
  b[pe + 1] = 'E';
  putU16(b, pe + 4, 0x14c);  // i386
  putU16(b, pe + 6, sections);
  putU16(b, pe + 20, 0xE0);  // optional header size of PE32
  putU16(b, pe + 24, 0x10b);  // PE32 magic
  putU32(b, pe + 24 + 92, 16);  // number of data directories
  const uint32_t table = pe + 24 + 0xE0;
  uint32_t raw = 0x200;
  const uint32_t each = (imageSize - 0x200) / sections;
  for (uint32_t i = 0; i < sections; ++i) {
    const uint32_t h = table + 40 * i;
    b[h] = '.';
    b[h + 1] = static_cast<uint8_t>('a' + i);
    putU32(b, h + 16, each);  // SizeOfRawData
    putU32(b, h + 20, raw);   // PointerToRawData
    raw += each;
  }
  b.resize(raw);
  return b;
}

}  // namespace zvt::test
