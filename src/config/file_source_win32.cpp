#include "config/file_source_win32.h"

#include "runtime/errors.h"
#include "runtime/log.h"

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

UniqueHandle openPackedFileOrExit(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    logError(L"Could not open %p %d %ls", file.get(), static_cast<int>(GetLastError()), path.c_str());
    fatalText(L"Error opening media file.");
  }
  return file;
}

}  // namespace zvt
