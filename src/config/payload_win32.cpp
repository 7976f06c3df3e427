#include <cstdint>
#include <ctime>

#include "base/handle.h"
#include "base/text.h"
#include "base/win32.h"
#include "config/accessors.h"
#include "config/block_reader.h"
#include "config/file_source_win32.h"
#include "config/keys.h"
#include "config/loader.h"
#include "config/payload.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"

namespace zvt {
namespace {

constexpr int kDirectoryAttempts = 10;

uint64_t g_unextractedPosition = 0;

class FileSink final : public ByteSink {
 public:
  explicit FileSink(HANDLE file) : file_(file) {}
  bool write(const void* data, uint32_t size, uint32_t& written) override {
    DWORD n = 0;
    BOOL ok = WriteFile(file_, data, size, &n, nullptr);
    written = n;
    if (!ok) error_ = GetLastError();
    return ok != FALSE;
  }
  uint32_t lastError() const override { return error_; }

 private:
  HANDLE file_;
  uint32_t error_ = 0;
};

[[noreturn]] void fileCannotBeCreated() {
  fatalMessage(msg::kInternalError, "11");
}

// Names come from our own block, but a damaged or hand-made block must not
// make the launcher write outside its temporary directory.
void refuseUnsafeName(const std::string& name) {
  const char* reason = refusedNameReason(name, &toWide);
  if (!reason) return;
  logError(L"refusing included file name \"%ls\": %hs", toWide(name).c_str(), reason);
  fileCannotBeCreated();
}

// Split after the conversion, as the name was checked: a trail byte 0x5C
// of a double-byte character separates nothing.
void createDirectoryLevel(const std::string& tempDir, const std::string& name) {
  std::wstring level = directoryLevelOf(toWide(name));
  if (level.empty()) return;
  std::wstring path = toWide(tempDir) + L"\\" + level;
  logLine(L"creating directory %ls", path.c_str());
  if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    logError(L"failed to create directory %ls", path.c_str());
  }
}

}  // namespace

uint64_t unextractedPosition() {
  return g_unextractedPosition;
}

void createLauncherTempDir() {
  for (int attempt = 0; attempt < kDirectoryAttempts; ++attempt) {
    std::string file = makeTempFileName();
    // The low 32 bits of the time, as the name has always carried them.
    int32_t seconds = static_cast<int32_t>(static_cast<uint32_t>(time(nullptr)));
    std::string dir = file + "_dir" + std::to_string(seconds);
    logLine(L"Temp dir3: %hs", dir.c_str());
    if (CreateDirectoryA(dir.c_str(), nullptr)) {
      processState().launcherTempDirectory = dir;
      return;
    }
    logLine(L"Could not create dir (%d)", static_cast<int>(GetLastError()));
  }
  processState().launcherTempDirectory.clear();
  fatalMessage(msg::kInternalError, "7");
}

int extractFile(BlockReader& reader, ByteSource& source, const std::string& target) {
  uint64_t size = 0;
  if (!reader.readLong(size)) fatalText(fatalTextFor(reader.failure()));
  logLine(L"extracting %hs (size: %ls)", target.c_str(), decimal(static_cast<int64_t>(size)).c_str());
  if (static_cast<int64_t>(size) <= 0) return 0;
  UniqueHandle file(
      CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    logError(L"could not create %hs (%d)", target.c_str(), static_cast<int>(GetLastError()));
    fileCannotBeCreated();
  }
  FileSink sink(file.get());
  return copyMasked(source, sink, size, true);
}

int extractPayload(bool createDirectory) {
  logLine(L"extracting files");
  int count = config::getConfigInt(key::kIncludedFileCount);
  logLine(L"Included files: %d", count);
  // A negative count is as good as none: nothing to extract, no directory.
  if (count <= 0) {
    if (createDirectory) processState().launcherTempDirectory.clear();
    return 0;
  }
  if (createDirectory) createLauncherTempDir();
  const std::string tempDir = processState().launcherTempDirectory;
  if (tempDir.empty()) {
    // Without a directory every name would land in the current drive's root.
    logError(L"no launcher temporary directory to extract into");
    fileCannotBeCreated();
  }

  UniqueHandle file = openPackedFileOrExit(modulePathW());
  FileSource source(file.get());
  BlockReader reader(source);
  if (!reader.seek(payloadOffset())) fatalText(fatalTextFor(ReadFailure::ReadLong));
  for (const std::string& name : includedFileNames(config::getConfigStringCopy(key::kIncludedFileNames), count)) {
    refuseUnsafeName(name);
    createDirectoryLevel(tempDir, name);
    std::string target = tempDir + "\\" + name;
    int result = extractFile(reader, source, target);
    if (result != 0) {
      logError(L"Failed to extract %hs", target.c_str());
      return result;
    }
  }
  g_unextractedPosition = source.position();
  file.reset();
  logLine(L"extracting files done");
  return 0;
}

}  // namespace zvt
