#include "base/handle.h"
#include "base/win32.h"
#include "config/accessors.h"
#include "config/block_reader.h"
#include "config/loader.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/paths.h"

namespace zvt {
namespace {

// The executable's own file as a byte source for the block reader.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(HANDLE file) : file_(file) {
    LARGE_INTEGER size;
    size_ = GetFileSizeEx(file, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
  }
  bool seek(uint64_t offset) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return false;
    pos_ = offset;
    return true;
  }
  bool read(void* dst, uint32_t size, uint32_t& got) override {
    DWORD n = 0;
    BOOL ok = ReadFile(file_, dst, size, &n, nullptr);
    got = n;
    pos_ += n;
    if (!ok) error_ = GetLastError();
    return ok != FALSE;
  }
  uint64_t position() const override { return pos_; }
  uint64_t size() const override { return size_; }
  uint32_t lastError() const override { return error_ ? error_ : GetLastError(); }

 private:
  HANDLE file_;
  uint64_t size_ = 0;
  uint64_t pos_ = 0;
  uint32_t error_ = 0;
};

constexpr uint32_t kLauncherKind = 107;

}  // namespace

int loadConfiguration() { return loadConfigurationFrom(modulePathW()); }

int loadConfigurationFrom(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    logError(L"Could not open %p %d %ls", file.get(), static_cast<int>(GetLastError()), path.c_str());
    fatalText(L"Error opening media file.");
  }
  FileSource source(file.get());
  LoadedConfiguration& config = config::current();
  ReadFailure failure = loadBlock(source, detectLocale(), config);
  if (failure != ReadFailure::None) fatalText(fatalTextFor(failure));
  file.reset();

  int kind = config::getConfigInt(kLauncherKind);
  if (kind != 1 && kind != 5) setErrorDisplay(ErrorDisplay::Console);
  return kind;
}

bool languageCode(std::string& out) {
  out = config::current().language;
  return !out.empty();
}

bool countryCode(std::string& out) {
  out = config::current().country;
  return !out.empty();
}

unsigned long long payloadOffset() { return config::current().payloadOffset; }

}  // namespace zvt
