#include "config/byte_source.h"

#include <cstring>

namespace zvt {

bool MemorySource::read(void* dst, uint32_t size, uint32_t& got) {
  got = 0;
  if (pos_ >= size_) return true;
  uint64_t avail = size_ - pos_;
  got = static_cast<uint32_t>(avail < size ? avail : size);
  if (got != 0) std::memcpy(dst, data_ + pos_, got);
  pos_ += got;
  return true;
}

}  // namespace zvt
