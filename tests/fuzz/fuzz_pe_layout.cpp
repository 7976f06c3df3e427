// The packer's PE header reader over arbitrary bytes: it must refuse what
// it cannot read without reading past the image, and a layout it accepts
// must place the block inside the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/pe_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> image(data, data + size);
  zvt::PeLayout layout;
  std::string error;
  if (zvt::readPeLayout(image, layout, error)) {
    if (layout.blockOffset > image.size() || !error.empty()) __builtin_trap();
  } else if (error.empty()) {
    __builtin_trap();
  }
  return 0;
}
