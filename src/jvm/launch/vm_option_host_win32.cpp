#include "jvm/launch/vm_option_host_win32.h"

#include <vector>

#include "base/handle.h"
#include "base/win32.h"
#include "jvm/launch/jli_win32.h"
#include "runtime/expansion_win32.h"
#include "runtime/log.h"
#include "runtime/path_rules.h"
#include "runtime/paths.h"

namespace zvt {
namespace {

class Win32OptionsFile : public OptionsFile {
 public:
  Win32OptionsFile(UniqueHandle handle, std::wstring path, std::wstring identity)
      : handle_(std::move(handle)), path_(std::move(path)), identity_(std::move(identity)) {}

  size_t read(char* buffer, size_t capacity) override {
    DWORD got = 0;
    DWORD want = capacity > 0x10000000 ? 0x10000000 : static_cast<DWORD>(capacity);
    if (!ReadFile(handle_.get(), buffer, want, &got, nullptr)) return 0;
    return got;
  }
  const std::wstring& path() const override { return path_; }
  const std::wstring& identity() const override { return identity_; }

 private:
  UniqueHandle handle_;
  std::wstring path_;
  std::wstring identity_;
};

std::wstring upperCase(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

// The name the system resolves the open file to (links, 8.3 names, "..",
// case all settled), upper-cased because names compare without case; the
// full path when the system cannot tell.
std::wstring identityOf(HANDLE file, const std::wstring& fullPath) {
  std::vector<wchar_t> buffer(1024);
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD n = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) break;
    if (n < buffer.size()) return upperCase(std::wstring(buffer.data(), n));
    buffer.resize(n + 1);
  }
  return upperCase(fullPath);
}

bool endsWithIgnoringCase(const std::wstring& name, const std::wstring& suffix) {
  if (name.size() <= suffix.size()) return false;
  return upperCase(name.substr(name.size() - suffix.size())) == upperCase(suffix);
}

}  // namespace

std::wstring Win32VmOptionHost::toWide(const std::string& narrow) {
  return zvt::toWide(narrow);
}

std::string Win32VmOptionHost::toNarrow(const std::wstring& wide) {
  bool lossy = false;
  std::string narrow = zvt::toNarrow(wide, &lossy);
  if (lossy) logError(L"%ls does not fit the code page: %hs", wide.c_str(), narrow.c_str());
  return narrow;
}

void Win32VmOptionHost::expand(std::string& text) {
  expandVariablesAnsi(text);
}

void Win32VmOptionHost::expandWide(std::wstring& text, bool ansiSafe) {
  expandVariables(text, ansiSafe);
}

std::string Win32VmOptionHost::absolute(const std::string& path) {
  return fullPath(path, true);
}

bool Win32VmOptionHost::exists(const std::string& path) {
  return fileExists(path);
}

bool Win32VmOptionHost::listArchives(const std::string& directory, const std::string& extension,
                                     std::vector<std::string>& files) {
  const std::wstring wideDirectory = zvt::toWide(directory);
  DWORD attributes = GetFileAttributesW(wideDirectory.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  const std::wstring suffix = zvt::toWide(extension.compare(0, 1, ".") == 0 ? extension : "." + extension);
  const bool endsInSeparator = !directory.empty() && (directory.back() == '\\' || directory.back() == '/');
  const std::string separator = endsInSeparator ? "" : "\\";
  WIN32_FIND_DATAW entry;
  UniqueFindHandle find(FindFirstFileW((wideDirectory + zvt::toWide(separator) + L"*" + suffix).c_str(), &entry));
  if (!find) return true;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    // The pattern also matches through 8.3 aliases: "*.jar" finds
    // "old.jarx" by its short name "OLD~1.JAR". Only real archives count.
    if (!endsWithIgnoringCase(entry.cFileName, suffix)) continue;
    bool lossy = false;
    std::string name = zvt::toNarrow(entry.cFileName, &lossy);
    if (lossy) {
      // The JVM takes narrow options: a name the code page cannot hold is
      // reached through its short name.
      std::wstring shortName = entry.cAlternateFileName;
      name = shortName.empty() ? std::string() : zvt::toNarrow(shortName, &lossy);
      if (name.empty() || lossy) {
        logError(L"archive %ls\\%ls has no name in the code page and is left out", wideDirectory.c_str(),
                 entry.cFileName);
        continue;
      }
    }
    files.push_back(directory + separator + name);
  } while (FindNextFileW(find.get(), &entry));
  return true;
}

bool Win32VmOptionHost::environmentVariable(const std::string& name, std::string& value) {
  const std::wstring wideName = zvt::toWide(name);
  std::vector<wchar_t> buffer(256);
  SetLastError(ERROR_SUCCESS);
  DWORD n = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n >= buffer.size()) {
    buffer.resize(n);
    n = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  }
  if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
  value = toNarrow(std::wstring(buffer.data(), n < buffer.size() ? n : 0));
  return true;
}

std::unique_ptr<ArgumentFileLibrary> Win32VmOptionHost::load(const std::string& directory) {
  return loadJli(directory);
}

std::unique_ptr<OptionsFile> Win32VmOptionHost::openOptionsFile(const std::wstring& path) {
  UniqueHandle handle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return nullptr;
  // A device name ("con", "nul", "com1") opens too, but is no file to read
  // options from: a console would wait for input.
  if (GetFileType(handle.get()) != FILE_TYPE_DISK) {
    logError(L"options file %ls is not a file", path.c_str());
    return nullptr;
  }
  std::wstring full = fullPathW(path, true);
  std::wstring identity = identityOf(handle.get(), full);
  return std::make_unique<Win32OptionsFile>(std::move(handle), std::move(full), std::move(identity));
}

std::unique_ptr<OptionsFile> openVmOptionsFileFor(const std::wstring& executablePath) {
  Win32VmOptionHost host;
  if (executablePath.size() > 4) {
    std::unique_ptr<OptionsFile> file =
        host.openOptionsFile(executablePath.substr(0, executablePath.size() - 4) + L".vmoptions");
    if (file) return file;
  }
  return host.openOptionsFile(executablePath + L".vmoptions");
}

std::unique_ptr<OptionsFile> Win32VmOptionHost::openDefaultVmOptionsFile() {
  std::unique_ptr<OptionsFile> file = openVmOptionsFileFor(modulePathW());
  if (!file) file = openVmOptionsFileFor(moduleFileNameW());
  if (file) logLine(L"VM options file %ls", file->path().c_str());
  return file;
}

std::wstring Win32VmOptionHost::resolveInclude(const std::wstring& name, const std::wstring* includingFile) {
  return makeAbsoluteW(name, includingFile, false);
}

}  // namespace zvt
