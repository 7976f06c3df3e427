// A positioned byte source: the launcher's own file on Windows, a memory
// buffer in tests, the fuzzer and the packer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zvt {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Moves the position; a position past the end is allowed (reads there
  // deliver 0 bytes), as with a file pointer.
  virtual bool seek(uint64_t offset) = 0;
  // One read of up to `size` bytes at the position; `got` is what arrived.
  // Returns false on an I/O failure (lastError() tells which).
  virtual bool read(void* dst, uint32_t size, uint32_t& got) = 0;
  virtual uint64_t position() const = 0;
  // Total size, used to bound lengths read from the data before allocating.
  virtual uint64_t size() const = 0;
  // The system error behind the last failed read (0 when none applies).
  virtual uint32_t lastError() const { return 0; }
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  explicit MemorySource(const std::vector<uint8_t>& bytes) : MemorySource(bytes.data(), bytes.size()) {}

  bool seek(uint64_t offset) override {
    pos_ = offset;
    return true;
  }
  bool read(void* dst, uint32_t size, uint32_t& got) override;
  uint64_t position() const override { return pos_; }
  uint64_t size() const override { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  uint64_t pos_ = 0;
};

}  // namespace zvt
