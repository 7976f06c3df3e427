#include "config/pe_layout.h"

namespace zvt {
namespace {

bool u16At(const std::vector<uint8_t>& b, uint64_t at, uint32_t& v) {
  if (at + 2 > b.size()) return false;
  v = b[at] | (b[at + 1] << 8);
  return true;
}

bool u32At(const std::vector<uint8_t>& b, uint64_t at, uint32_t& v) {
  if (at + 4 > b.size()) return false;
  v = b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
  return true;
}

}  // namespace

bool readPeLayout(const std::vector<uint8_t>& image, PeLayout& layout, std::string& error) {
  uint32_t pe;
  if (image.size() < 64 || image[0] != 'M' || image[1] != 'Z' || !u32At(image, 60, pe)) {
    error = "not an executable (no MZ header)";
    return false;
  }
  if (uint64_t{pe} + 24 > image.size() || image[pe] != 'P' || image[pe + 1] != 'E' || image[pe + 2] != 0 ||
      image[pe + 3] != 0) {
    error = "not a PE executable (no PE signature)";
    return false;
  }
  uint32_t sections = 0;
  uint32_t optionalSize = 0;
  uint32_t magic = 0;
  u16At(image, pe + 6, sections);
  u16At(image, pe + 20, optionalSize);
  const uint64_t optional = uint64_t{pe} + 24;
  if (sections == 0 || !u16At(image, optional, magic)) {
    error = "PE image without sections";
    return false;
  }
  // The data directories follow the fixed part of the optional header, whose
  // size differs between PE32 and PE32+; entry 4 is the certificate table.
  const uint64_t dirs = optional + (magic == 0x20b ? 112 : 96);
  uint32_t dirCount = 0;
  u32At(image, dirs - 4, dirCount);
  uint32_t certSize = 0;
  if (dirCount > 4) u32At(image, dirs + 4 * 8 + 4, certSize);
  layout.hasCertificateTable = certSize != 0;

  const uint64_t table = optional + optionalSize;
  const uint64_t last = table + 40ull * (sections - 1);
  uint32_t rawSize;
  uint32_t rawOffset;
  if (!u32At(image, last + 16, rawSize) || !u32At(image, last + 20, rawOffset)) {
    error = "section table runs past the end of the file";
    return false;
  }
  layout.blockOffset = uint64_t{rawSize} + rawOffset;
  if (layout.blockOffset > image.size()) {
    error = "last section's raw data runs past the end of the file";
    return false;
  }
  // The launcher looks for its block right behind the last section header's
  // raw data. Where that is not behind all section data (a last section
  // without raw data, or sections out of order), a block written there would
  // overwrite the image or the headers.
  if (layout.blockOffset < table + 40ull * sections) {
    error = "the last section has no raw data behind the headers: the block would overwrite the image";
    return false;
  }
  for (uint32_t i = 0; i + 1 < sections; ++i) {
    uint32_t size = 0;
    uint32_t offset = 0;
    u32At(image, table + 40ull * i + 16, size);
    u32At(image, table + 40ull * i + 20, offset);
    if (size != 0 && uint64_t{offset} + size > layout.blockOffset) {
      error = "section " + std::to_string(i + 1) +
              "'s raw data lies behind the end of the last section: the block "
              "would overwrite it";
      return false;
    }
  }
  return true;
}

}  // namespace zvt
