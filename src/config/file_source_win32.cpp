#include "config/file_source_win32.h"

namespace zvt {

FileSource::FileSource(HANDLE file) : file_(file) {
  LARGE_INTEGER size;
  size_ = GetFileSizeEx(file, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
}

bool FileSource::seek(uint64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return false;
  pos_ = offset;
  return true;
}

bool FileSource::read(void* dst, uint32_t size, uint32_t& got) {
  DWORD n = 0;
  BOOL ok = ReadFile(file_, dst, size, &n, nullptr);
  got = n;
  pos_ += n;
  if (!ok) error_ = GetLastError();
  return ok != FALSE;
}

}  // namespace zvt
