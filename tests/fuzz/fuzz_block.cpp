// The block loader over arbitrary bytes. The first byte chooses the shape:
// odd means the input is a whole file; even means it is a block behind a
// valid PE header, so the fuzzer spends its time in the block itself.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "config/block_reader.h"
#include "support/test_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::vector<uint8_t> file;
  if (data[0] & 1) {
    file.assign(data + 1, data + size);
  } else {
    static const std::vector<uint8_t> image = zvt::test::makeImage(2);
    file = image;
    file.insert(file.end(), data + 1, data + size);
  }
  zvt::MemorySource source(file);
  zvt::LoadedConfiguration config;
  zvt::ReadFailure failure = zvt::loadBlock(source, (data[0] & 2) ? "de_AT" : "en", config);
  if (failure == zvt::ReadFailure::None && config.payloadOffset > file.size()) __builtin_trap();
  return 0;
}
