// Test support for Windows test programs: running a process with pipes,
// environment changes and a hard timeout, answering message boxes it shows,
// and throw-away sandbox directories. Runs unchanged on Windows and Wine.
// The process itself is the launcher's own runner (base/process_win32.h);
// this is its test side.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/process_win32.h"
#include "base/win32.h"

namespace zvt::test {

struct DialogSeen {
  std::wstring caption;
  std::wstring text;
};

struct RunResult {
  DWORD exitCode = 0;  // 0xDEAD when killed after the timeout
  bool timedOut = false;
  std::string out;  // raw bytes of standard output
  std::string err;  // raw bytes of standard error
  std::vector<DialogSeen> dialogs;  // message boxes answered with OK
};

struct RunOptions {
  std::wstring workingDirectory;                // empty: inherit
  std::map<std::wstring, std::wstring> setEnv;  // added or replaced
  std::vector<std::wstring> unsetEnv;           // removed
  DWORD timeoutMs = 60000;
  std::string input;       // written to standard input at the start
  bool closeInput = true;  // then closed, or kept open for writeInput()
};

// A process started without waiting for it. It runs with this process's
// environment plus the changes in the options, its standard streams on
// pipes; it is killed when the object goes away while it still runs.
class RunningProcess {
 public:
  explicit RunningProcess(const std::wstring& commandLine, const RunOptions& options = RunOptions());
  RunningProcess(const RunningProcess&) = delete;
  RunningProcess& operator=(const RunningProcess&) = delete;

  bool started() const { return child_.started(); }
  DWORD id() const { return child_.id(); }
  bool writeInput(const std::string& bytes) { return child_.writeInput(bytes); }
  void closeInput() { child_.closeInput(); }

  // Waits for the end within the options' timeout, pressing OK on every
  // message box the process shows; kills it (timedOut) when it runs
  // longer. Collects its output.
  RunResult finish();
  // Kills it now (when it still runs) and collects what it wrote.
  RunResult stop();

 private:
  RunResult collect();

  ChildProcess child_;
  RunOptions options_;
  RunResult result_;
};

// Starts `commandLine` and finishes it (see RunningProcess::finish).
RunResult runProcess(const std::wstring& commandLine, const RunOptions& options = RunOptions());

// One argument quoted for the usual command-line parsing: as it is when it
// needs no quotes, else in double quotes with backslashes doubled only
// before a quote.
std::wstring quoteArgument(const std::wstring& argument);
// The program (quoted) followed by the arguments, each quoted as needed.
std::wstring commandLine(const std::wstring& program, const std::vector<std::wstring>& arguments);

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
