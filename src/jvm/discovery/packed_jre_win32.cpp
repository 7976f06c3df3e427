#include "jvm/discovery/packed_jre_win32.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "base/handle.h"
#include "base/process_win32.h"
#include "base/win32.h"
#include "jvm/discovery/packed_jre.h"
#include "runtime/console.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/message_ids.h"
#include "runtime/paths.h"

namespace zvt {

namespace {

bool endsWithPackSuffix(const std::wstring& name) {
  static const std::wstring suffix = L".jar.pack";
  if (name.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    wchar_t c = name[name.size() - suffix.size() + i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != suffix[i]) return false;
  }
  return true;
}

class MachinePackedJre : public PackedJreSystem {
 public:
  std::vector<std::string> packedFiles(const std::string& directory) override {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    UniqueFindHandle find(FindFirstFileW(toWide(directory + "\\*.jar.pack").c_str(), &entry));
    if (!find) return names;
    do {
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      // The pattern is matched against 8.3 names too; only real
      // "*.jar.pack" names count.
      const std::wstring name = entry.cFileName;
      if (!endsWithPackSuffix(name)) continue;
      bool lossy = false;
      std::string narrow = toNarrow(name, &lossy);
      if (lossy) {
        // A "?" in its place would be read as a wildcard later on.
        logLine(L"skipping %ls: not representable in the file code page", name.c_str());
        continue;
      }
      names.push_back(narrow);
    } while (FindNextFileW(find.get(), &entry));
    return names;
  }

  bool fileExists(const std::string& path) override { return zvt::fileExists(path); }

  void announce() override { writeConsoleText(stdout, L"Preparing JRE ...\n"); }

  bool startUnpacker(const std::string& program, const std::string& commandLine) override {
    ChildOptions options;
    options.application = toWide(program);
    options.commandLine = toWide(commandLine);
    options.inheritHandles = true;
    options.creationFlags = NORMAL_PRIORITY_CLASS;
    options.showWindow = SW_HIDE;
    child_ = std::make_unique<ChildProcess>();
    return child_->start(options);
  }

  unsigned long waitForUnpacker() override {
    child_->wait(INFINITE);
    const unsigned long code = child_->exitCode().value_or(STILL_ACTIVE);
    child_.reset();
    return code;
  }

  DeleteResult deleteFile(const std::string& path, unsigned long& error) override {
    if (DeleteFileW(toWide(path).c_str())) return DeleteResult::Deleted;
    error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? DeleteResult::Missing
                                                                          : DeleteResult::Failed;
  }

  [[noreturn]] void unpackerMissing() override { fatalMessageW(msg::kUnpackFailed); }

 private:
  std::unique_ptr<ChildProcess> child_;
};

}  // namespace

void unpackPackedJre(const std::string& home) {
  MachinePackedJre system;
  PackedJreUnpacker(system).unpackPackedJre(home);
}

}  // namespace zvt
