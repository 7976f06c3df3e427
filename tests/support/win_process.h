// Test support for Windows test programs: running a process with pipes,
// environment changes and a hard timeout, answering message boxes it shows,
// and throw-away sandbox directories. Runs unchanged on Windows and Wine.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/win32.h"

namespace zvt::test {

struct DialogSeen {
  std::wstring caption;
  std::wstring text;
};

struct RunResult {
  DWORD exitCode = 0;
  bool timedOut = false;
  std::string out;  // raw bytes of standard output
  std::string err;  // raw bytes of standard error
  std::vector<DialogSeen> dialogs;  // message boxes answered with OK
};

struct RunOptions {
  std::wstring workingDirectory;                   // empty: inherit
  std::map<std::wstring, std::wstring> setEnv;     // added or replaced
  std::vector<std::wstring> unsetEnv;              // removed
  DWORD timeoutMs = 60000;
  std::string input;                               // written to standard input, then closed
};

// Starts `commandLine`, collects its output, presses OK on every message box
// the process shows (recording caption and text), and kills it when it runs
// longer than the timeout.
RunResult runProcess(const std::wstring& commandLine, const RunOptions& options = RunOptions());

// A fresh directory under the temporary path, removed with its content.
class Sandbox {
 public:
  explicit Sandbox(const std::wstring& tag);
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

void removeTree(const std::wstring& path);
bool writeFileBytes(const std::wstring& path, const std::string& bytes);
bool readFileBytes(const std::wstring& path, std::string& bytes);
bool fileExists(const std::wstring& path);
// A Unix path handed over by CTest under Wine becomes a Z: drive path.
std::wstring windowsPath(const std::string& path);
std::wstring quote(const std::wstring& s);

}  // namespace zvt::test
