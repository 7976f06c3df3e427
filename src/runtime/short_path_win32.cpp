#include <string>

#include "base/arguments.h"
#include "base/process_win32.h"
#include "base/win32.h"
#include "runtime/log.h"
#include "runtime/path_calls_win32.h"

namespace zvt {
namespace {

// The pipe ends when cmd.exe closes it on its way out, a moment before the
// process counts as ended; its exit code is read once it has.
constexpr DWORD kExitWaitMs = 5000;

void logStartFailure(const ChildProcess& cmd) {
  switch (cmd.failedStep()) {
    case StartStep::Streams:
      logLine(L"CreatePipe error (%d)", static_cast<int>(cmd.startError()));
      break;
    case StartStep::Inheritance:
      logLine(L"SetHandleInformation error (%d)", static_cast<int>(cmd.startError()));
      break;
    default:
      logLine(L"could not execute cmd.exe");
      break;
  }
}

}  // namespace

std::string shortPathFromCommandInterpreter(const std::wstring& path) {
  // Named to the system and quoted, as every program the launcher starts.
  const std::wstring program = windowsDirectoryW() + L"\\system32\\cmd.exe";
  std::wstring command = quotedProgram(program) + L" /C for %I in (\"" + path + L"\") do @echo %~sI";
  logLine(L"executing %ls", command.c_str());
  ChildOptions options;
  options.application = program;
  options.commandLine = command;
  options.input = StreamSetup::none();
  options.output = StreamSetup::pipe();
  options.error = StreamSetup::toOutput();
  options.outputLimit = kPathCapacity;
  ChildProcess cmd;
  if (!cmd.start(options)) {
    logStartFailure(cmd);
    return std::string();
  }
  cmd.waitForOutput(INFINITE);
  std::string text = cmd.output();
  logLine(L"finished reading from cmd.exe %d \"%hs\"", static_cast<int>(text.size()), text.c_str());
  cmd.wait(kExitWaitMs);
  std::optional<DWORD> exitCode = cmd.exitCode();
  DWORD code = exitCode.value_or(STILL_ACTIVE);
  logLine(L"Exit Code %d", static_cast<int>(code));
  if (!exitCode) {
    logLine(L"Terminating process");
    cmd.terminate(1);
  }
  if (code != 0 || text.size() <= 5) return std::string();
  size_t end = text.find_first_of("\r\n");
  if (end == std::string::npos) return std::string();
  text.resize(end);
  logLine(L"Using %hs", text.c_str());
  return text;
}

}  // namespace zvt
