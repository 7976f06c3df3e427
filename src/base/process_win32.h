// The process runner: starts a child process and owns everything that comes
// with it (process and thread handles, pipe ends, drain threads).
//
//   ChildOptions options;
//   options.commandLine = L"\"C:\\jre\\bin\\java.exe\" -version";
//   options.error = StreamSetup::toFile(L"C:\\tmp\\probe.txt");
//   ChildProcess child;
//   if (!child.start(options)) log(child.startError());
//   if (!child.wait(60000)) child.terminate(1);
//   std::optional<DWORD> code = child.exitCode();  // nullopt: still running
//
// Standard streams. Each of input, output and error is one of
//   Inherit  the parent's own standard handle (the default),
//   Pipe     a pipe to this object: input is written with writeInput() and
//            closed with closeInput(); output is read by a drain thread into
//            a buffer read with output() / errorOutput(),
//   File     a file: input opens an existing one, output creates or
//            truncates it,
//   None     no handle at all,
// and error may also be ToOutput: the same pipe or file as the output.
// When every stream is Inherit the child gets the parent's streams the way
// CreateProcess gives them without STARTF_USESTDHANDLES.
//
// Inheritance. Handles reach the child only by inheritance, so redirected
// streams need inheritHandles (start() refuses them without it). The
// child's ends are made inheritable only for the moment of CreateProcess,
// under a lock that every start in the process shares: a second child
// started at the same time from another thread never inherits this child's
// pipe ends (which would keep its drains from ever seeing the end).
//
// Drains. Each output pipe has a thread that reads until the pipe ends (the
// child and everyone who inherited the write end closed it). A limit keeps
// at most that many bytes and reads the rest away, so a talkative child
// never blocks on a full pipe. waitForOutput() waits for the ends.
//
// Lifetime. The destructor closes standard input, stops the drains and
// closes every handle; it terminates the child only when asked to
// (terminateOnDestroy). It never blocks for long: a drain whose pipe is kept
// open by a grandchild is cancelled, and its buffer lives until the thread
// ends, so no thread is killed and no thread writes into freed memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/handle.h"
#include "base/win32.h"

namespace zvt {

enum class StreamMode { Inherit, Pipe, File, None, ToOutput };

// The step at which a start failed.
enum class StartStep {
  None,         // started (or not tried)
  Options,      // options that cannot work together (ERROR_INVALID_PARAMETER)
  Streams,      // a pipe could not be created or a file opened
  Inheritance,  // a stream could not be made inheritable for the child
  Process,      // CreateProcess failed
};

struct StreamSetup {
  StreamMode mode = StreamMode::Inherit;
  std::wstring path;  // File only

  static StreamSetup inherit() { return {StreamMode::Inherit, {}}; }
  static StreamSetup pipe() { return {StreamMode::Pipe, {}}; }
  static StreamSetup toFile(const std::wstring& path) { return {StreamMode::File, path}; }
  static StreamSetup none() { return {StreamMode::None, {}}; }
  static StreamSetup toOutput() { return {StreamMode::ToOutput, {}}; }
};

struct ChildOptions {
  // Passed to CreateProcessW as they are: the application may stay empty
  // (then the first token of the command line names the program).
  std::wstring application;
  std::wstring commandLine;
  // A UTF-16 environment block ("NAME=value" entries, each ending with a
  // NUL, and one more NUL at the end); nullopt: the parent's environment.
  std::optional<std::wstring> environment;
  std::wstring workingDirectory;  // empty: the parent's
  bool inheritHandles = true;
  // CREATE_UNICODE_ENVIRONMENT is added when an environment is given.
  DWORD creationFlags = CREATE_NO_WINDOW;
  int showWindow = -1;  // an SW_* value for STARTF_USESHOWWINDOW; -1: not set
  StreamSetup input, output, error;
  // Bytes each output drain keeps; the rest is read and thrown away.
  size_t outputLimit = SIZE_MAX;
  // A job object the child is put into before it runs its first
  // instruction (it starts suspended and is resumed once it is in the job).
  // When the job cannot take it, the child runs all the same and jobError()
  // says why.
  HANDLE job = nullptr;
  // A priority class set on the child after it was created (0: none).
  // Some systems ignore the priority bits of the creation flags (Wine
  // does); this sets it for certain. A failure is told by priorityError().
  DWORD priorityClass = 0;
  // False: no drain thread for the output pipe; the caller takes its read
  // end with takeOutput() and must keep reading it, or the child blocks
  // once the pipe is full. (The error stream then goes to the output.)
  bool drainOutputs = true;
  bool terminateOnDestroy = false;
};

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts the child. False when a stream, a pipe or the process could not
  // be created; startError() then holds the system error code and
  // failedStep() the step. One start per object.
  bool start(const ChildOptions& options);
  DWORD startError() const { return startError_; }
  StartStep failedStep() const { return failedStep_; }
  // After a successful start: why the child is not in the job (0: it is,
  // or no job was asked for), and why its priority class was not set.
  DWORD jobError() const { return jobError_; }
  DWORD priorityError() const { return priorityError_; }
  bool started() const { return process_.valid(); }

  HANDLE process() const { return process_.get(); }
  DWORD id() const { return id_; }

  // Standard input as a pipe: writes all bytes (false when the pipe is
  // closed, the child ended reading, or input is no pipe, the last error
  // then ERROR_INVALID_HANDLE); closeInput() lets the child see the end of
  // its input.
  bool writeInput(const std::string& bytes);
  void closeInput();

  // True once the child has ended (at once for 0); false on time-out.
  bool wait(DWORD timeoutMs);
  bool running() const;
  // The exit code once the child has ended, nullopt while it runs. A child
  // that really exits with STILL_ACTIVE (259) gives 259, not nullopt.
  std::optional<DWORD> exitCode() const;
  // Ends the child with `code` and waits for it to be gone (bounded).
  // True when it has ended, also when it had ended before.
  bool terminate(DWORD code);

  // The read end of the output pipe, once, when drainOutputs was false.
  UniqueHandle takeOutput() { return std::move(outputRead_); }

  // True once every output drain has seen its pipe end; false on time-out.
  bool waitForOutput(DWORD timeoutMs);
  // What the drains have read so far (everything once waitForOutput() gave
  // true). Raw bytes.
  std::string output() const;
  std::string errorOutput() const;

 private:
  struct Drain;
  void stopDrain(Drain*& drain);

  UniqueHandle process_, thread_, input_, outputRead_;
  DWORD id_ = 0;
  DWORD startError_ = 0;
  DWORD jobError_ = 0;
  DWORD priorityError_ = 0;
  StartStep failedStep_ = StartStep::None;
  bool terminateOnDestroy_ = false;
  Drain* outputDrain_ = nullptr;
  Drain* errorDrain_ = nullptr;
};

}  // namespace zvt
