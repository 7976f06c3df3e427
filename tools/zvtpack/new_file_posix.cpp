#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "new_file.h"

namespace zvt::pack {
namespace {

std::string systemText(int error) {
  return std::generic_category().message(error);
}

}  // namespace

NewFile writeNewFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& reason) {
  // O_EXCL with O_CREAT fails on any existing name, a dangling link too.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return NewFile::Exists;
    reason = systemText(errno);
    return NewFile::Failed;
  }
  size_t done = 0;
  int error = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : EIO;
      break;
    }
    done += static_cast<size_t>(n);
  }
  // A full disk may show only when the data is flushed at close.
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    ::unlink(path.c_str());
    reason = systemText(error);
    return NewFile::Failed;
  }
  return NewFile::Written;
}

}  // namespace zvt::pack
