// The first bytes of a PE file for tests: an MZ header whose e_lfanew points
// at "PE\0\0" and the machine field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zvt::test {

inline std::vector<uint8_t> peHead(uint16_t machine, uint32_t peOffset = 0x80, size_t size = 0x200) {
  std::vector<uint8_t> b(size, 0);
  b[0] = 'M';
  b[1] = 'Z';
  for (int i = 0; i < 4; ++i) b[60 + i] = static_cast<uint8_t>(peOffset >> (8 * i));
  if (uint64_t{peOffset} + 6 <= size) {
    b[peOffset] = 'P';
    b[peOffset + 1] = 'E';
    b[peOffset + 4] = static_cast<uint8_t>(machine);
    b[peOffset + 5] = static_cast<uint8_t>(machine >> 8);
  }
  return b;
}

}  // namespace zvt::test
