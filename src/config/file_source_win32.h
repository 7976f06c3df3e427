// A file opened for reading as a byte source for the block reader: the
// launcher's own executable, read by the loader and again by the extraction
// of included files.
#pragma once

#include <string>

#include "base/handle.h"
#include "base/win32.h"
#include "config/byte_source.h"

namespace zvt {

class FileSource final : public ByteSource {
 public:
  // Does not take ownership of `file`.
  explicit FileSource(HANDLE file);
  bool seek(uint64_t offset) override;
  bool read(void* dst, uint32_t size, uint32_t& got) override;
  uint64_t position() const override { return pos_; }
  uint64_t size() const override { return size_; }
  uint32_t lastError() const override { return error_ ? error_ : GetLastError(); }

 private:
  HANDLE file_;
  uint64_t size_ = 0;
  uint64_t pos_ = 0;
  uint32_t error_ = 0;
};

// Opens a packed executable for reading, sharing read and write; a file that
// cannot be opened ends the process with "Error opening media file.".
UniqueHandle openPackedFileOrExit(const std::wstring& path);

}  // namespace zvt
