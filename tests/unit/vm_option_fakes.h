// A scripted host for the VM option assembly: files, directories, the
// environment and the runtime's argument-file library held in maps, the
// real expansion engine over fixed values, and a choice of code page.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/text.h"
#include "jvm/launch/vm_options.h"
#include "runtime/expansion.h"
#include "runtime/path_rules.h"

namespace zvt::test {

// Hands its bytes out in pieces of `step`, as a slow file would.
class StringSource : public ByteChunkSource {
 public:
  explicit StringSource(std::string bytes, size_t step = 7) : bytes_(std::move(bytes)), step_(step) {}
  size_t read(char* buffer, size_t capacity) override {
    size_t n = std::min({capacity, step_, bytes_.size() - at_});
    std::copy(bytes_.begin() + static_cast<long>(at_), bytes_.begin() + static_cast<long>(at_ + n), buffer);
    at_ += n;
    return n;
  }

 private:
  std::string bytes_;
  size_t step_;
  size_t at_ = 0;
};

class FakeOptionsFile : public OptionsFile {
 public:
  FakeOptionsFile(std::wstring path, std::wstring identity, std::string bytes)
      : path_(std::move(path)), identity_(std::move(identity)), source_(std::move(bytes)) {}
  size_t read(char* buffer, size_t capacity) override { return source_.read(buffer, capacity); }
  const std::wstring& path() const override { return path_; }
  const std::wstring& identity() const override { return identity_; }

 private:
  std::wstring path_;
  std::wstring identity_;
  StringSource source_;
};

inline std::wstring lowerAscii(std::wstring s) {
  for (auto& c : s)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return s;
}

struct JliScript {
  std::map<std::string, std::vector<std::string>> argumentFiles;  // "@name" -> content
  std::vector<std::string> seen;                                  // every preprocessed option
  int initCalls = 0;
  bool initHasJavaArgs = false;
  bool initDisableArgFile = true;
};

class FakeJli : public ArgumentFileLibrary {
 public:
  explicit FakeJli(JliScript& script) : script_(script) {}
  void initArgProcessing(bool hasJavaArgs, bool disableArgFile) override {
    ++script_.initCalls;
    script_.initHasJavaArgs = hasJavaArgs;
    script_.initDisableArgFile = disableArgFile;
  }
  bool preprocessArg(const std::string& option, std::vector<std::string>& replacement) override {
    script_.seen.push_back(option);
    auto it = script_.argumentFiles.find(option);
    if (it == script_.argumentFiles.end()) return false;
    replacement = it->second;
    return true;
  }

 private:
  JliScript& script_;
};

enum class FakeCodePage {
  Latin1,  // every byte is the unit of the same value and back
  Lossy,   // nothing above ASCII survives a conversion, either way
};

class FakeHost : public VmOptionHost {
 public:
  std::string launcherDirectory = "C:\\App\\";
  FakeCodePage codePage = FakeCodePage::Latin1;
  std::map<std::wstring, std::string> files;                    // full path -> content
  std::map<std::wstring, std::wstring> aliases;                 // another spelling -> full path
  std::wstring defaultFile;                                     // the VM options file, when set
  std::map<std::string, std::vector<std::string>> directories;  // directory -> file names in listing order
  std::set<std::string> existing;                               // further files and directories that exist
  std::map<std::string, std::string> environment;
  std::map<std::string, JliScript> runtimes;  // JVM library directory -> its jli.dll
  std::vector<std::wstring> opened;           // every file opened, in order
  std::vector<std::string> jliLoads;

  std::wstring toWide(const std::string& narrow) override {
    std::wstring out;
    for (unsigned char c : narrow) out.push_back(c < 0x80 || codePage == FakeCodePage::Latin1 ? c : 0xFFFD);
    return out;
  }
  std::string toNarrow(const std::wstring& wide) override {
    std::string out;
    for (wchar_t c : wide) {
      bool keep = c < 0x80 || (codePage == FakeCodePage::Latin1 && c < 0x100);
      out.push_back(keep ? static_cast<char>(c) : '?');
    }
    return out;
  }
  void expand(std::string& text) override { expandWith(text, narrowValues()); }
  void expandWide(std::wstring& text, bool) override {
    ExpansionValuesW values;
    ExpansionValuesA narrow = narrowValues();
    values.launcherDirectory = widenBytes(narrow.launcherDirectory);
    values.launcherTempDirectory = widenBytes(narrow.launcherTempDirectory);
    values.systemTempDirectory = widenBytes(narrow.systemTempDirectory);
    for (const auto& e : narrow.environment) values.environment.push_back(widenBytes(e));
    expandWith(text, values);
  }
  // Joined to the launcher directory and normalised, as the system's
  // full-path function does ("." and ".." resolved, a trailing backslash kept).
  std::string absolute(const std::string& path) override {
    std::string joined = isRelativePath(path) ? launcherDirectory + path : path;
    std::vector<std::string> parts;
    size_t p = 0;
    while (p <= joined.size()) {
      size_t stop = std::min(joined.find('\\', p), joined.size());
      std::string part = joined.substr(p, stop - p);
      if (part == "..") {
        if (parts.size() > 1) parts.pop_back();
      } else if (part != "." && (!part.empty() || parts.empty() || stop == joined.size())) {
        parts.push_back(part);
      }
      p = stop + 1;
    }
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? "\\" : "") + parts[i];
    return out;
  }
  bool exists(const std::string& path) override {
    return existing.count(path) || directories.count(path) || files.count(widenBytes(path));
  }
  bool listArchives(const std::string& directory, const std::string& extension,
                    std::vector<std::string>& found) override {
    auto it = directories.find(directory);
    if (it == directories.end()) return false;
    std::string suffix = "." + extension;
    for (const std::string& name : it->second) {
      if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        found.push_back(directory + "\\" + name);
      }
    }
    return true;
  }
  bool environmentVariable(const std::string& name, std::string& value) override {
    auto it = environment.find(name);
    if (it == environment.end()) return false;
    value = it->second;
    return true;
  }
  std::unique_ptr<ArgumentFileLibrary> load(const std::string& directory) override {
    jliLoads.push_back(directory);
    auto it = runtimes.find(directory);
    if (it == runtimes.end()) return nullptr;
    return std::make_unique<FakeJli>(it->second);
  }
  std::unique_ptr<OptionsFile> openDefaultVmOptionsFile() override {
    if (defaultFile.empty()) return nullptr;
    return openOptionsFile(defaultFile);
  }
  std::unique_ptr<OptionsFile> openOptionsFile(const std::wstring& path) override {
    opened.push_back(path);
    std::wstring full = aliases.count(path) ? aliases[path] : path;
    auto it = files.find(full);
    if (it == files.end()) return nullptr;
    return std::make_unique<FakeOptionsFile>(path, lowerAscii(full), it->second);
  }
  std::wstring resolveInclude(const std::wstring& name, const std::wstring* includingFile) override {
    std::wstring out = name;
    if (isRelativePath(name))
      out = (includingFile ? directoryOf(*includingFile) : widenBytes(launcherDirectory)) + name;
    collapseBackslashes(out);
    return out;
  }

 private:
  ExpansionValuesA narrowValues() const {
    ExpansionValuesA v;
    v.launcherDirectory = launcherDirectory;
    v.systemTempDirectory = "C:\\Temp\\";
    for (const auto& [name, value] : environment) v.environment.push_back(name + "=" + value);
    return v;
  }
};

}  // namespace zvt::test
