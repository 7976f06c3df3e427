#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/handle.h"
#include "base/win32.h"
#include "new_file.h"

namespace zvt::pack {
namespace {

std::string systemText(DWORD error) {
  return std::system_category().message(static_cast<int>(error));
}

}  // namespace

NewFile writeNewFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& reason) {
  const std::wstring wide = std::filesystem::u8path(path).wstring();
  // CREATE_NEW fails on any existing name, a link or reparse point too.
  UniqueHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return NewFile::Exists;
    reason = systemText(error);
    return NewFile::Failed;
  }
  size_t done = 0;
  DWORD error = 0;
  while (done < bytes.size() && error == 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      error = GetLastError();
      if (error == 0) error = ERROR_WRITE_FAULT;
    }
    done += written;
  }
  if (!CloseHandle(file.release()) && error == 0) error = GetLastError();
  if (error != 0) {
    DeleteFileW(wide.c_str());
    reason = systemText(error);
    return NewFile::Failed;
  }
  return NewFile::Written;
}

}  // namespace zvt::pack
