#include "service/host_win32.h"

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>

#include "base/arguments.h"
#include "base/capacity.h"
#include "base/critical_section.h"
#include "base/handle.h"
#include "base/process_win32.h"
#include "base/registry_win32.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"
#include "service/child_command_line.h"
#include "service/console_handler_win32.h"
#include "service/host_status.h"

namespace zvt {
namespace {

const wchar_t* const kPriorityKey = L"SOFTWARE\\corvalent-works\\quarn\\priority";

// The host's process-wide state. The service main thread and the thread on
// which the platform calls the control handler both change the status record
// and both use the child's input: every change, the report that follows it
// and every write to the input happen under the lock, so the reports reach
// the manager in the order of the decisions (a stop is never reported away
// by a late RUNNING) and the input is written and closed by one thread at a
// time. SetServiceStatus never waits for the control handler, so holding the
// lock across it cannot deadlock with a control in flight.
struct Host {
  CriticalSection lock;
  HostStatus status;
  SERVICE_STATUS_HANDLE statusHandle = nullptr;
  // Its standard input pipe is the shutdown channel. Never destroyed: the
  // host ends the process while the object still stands.
  ChildProcess child;
};

Host& host() {
  static Host* state = new Host();
  return *state;
}

class HostLock : public CriticalSectionScope {
 public:
  HostLock() : CriticalSectionScope(host().lock) {}
};

// Reports the whole record; call with the lock held.
bool report() {
  const StatusRecord& r = host().status.record();
  SERVICE_STATUS status{};
  status.dwServiceType = r.serviceType;
  status.dwCurrentState = r.currentState;
  status.dwControlsAccepted = r.controlsAccepted;
  status.dwWin32ExitCode = r.win32ExitCode;
  status.dwServiceSpecificExitCode = r.serviceSpecificExitCode;
  status.dwCheckPoint = r.checkPoint;
  status.dwWaitHint = r.waitHint;
  return SetServiceStatus(host().statusHandle, &status) != FALSE;
}

// The child is not started: STOPPED with 1066 / 5000, so the manager shows
// that the service failed instead of a service that runs without its child.
void reportNotStarted() {
  HostLock lock;
  host().status.childNotStarted();
  report();
}

std::optional<std::wstring> firstServiceArgument(DWORD count, LPWSTR* arguments) {
  if (count < 1 || arguments == nullptr || arguments[0] == nullptr) return std::nullopt;
  // Measured only up to the capacity: a longer name is refused anyway.
  return std::wstring(arguments[0], wcsnlen(arguments[0], kServiceNameCapacity));
}

bool buildCommandLine(DWORD count, LPWSTR* arguments, std::wstring& text) {
  ArgumentList own;
  splitArguments(GetCommandLineW(), own);
  ArgumentList parameters;
  for (DWORD i = 1; i < count; ++i) parameters.emplace_back(arguments[i] ? arguments[i] : L"");
  ChildCommandLine line = buildChildCommandLine(own, processState().serviceName, parameters, kLongBufferCapacity);
  switch (line.status) {
    case ChildLineStatus::Ok:
      text = line.text;
      return true;
    case ChildLineStatus::Unquotable:
      logError(L"child argument %d holds both kinds of quotes and cannot reach the child as it is",
               static_cast<int>(line.element));
      return false;
    case ChildLineStatus::TooLong:
      logError(L"child command line too long (%d units, at most %d)", static_cast<int>(line.text.size()),
               static_cast<int>(kLongBufferCapacity - 1));
      return false;
  }
  return false;
}

bool startChild(const std::wstring& commandLine) {
  ChildOptions options;
  // The child is this very executable, named to the system: the command
  // line's first element is what the child reads as its own path, never
  // what the system looks for.
  options.application = modulePathW();
  options.commandLine = commandLine;
  options.creationFlags = readPriorityClass() | DETACHED_PROCESS;
  options.input = StreamSetup::pipe();
  options.output = StreamSetup::pipe();
  options.error = StreamSetup::toOutput();
  options.drainOutputs = false;  // drainOutput reads it
  Host& h = host();
  if (!h.child.start(options)) {
    logLine(L"could not start process %ls (%d)", commandLine.c_str(), static_cast<int>(h.child.startError()));
    return false;
  }
  UniqueHandle output = h.child.takeOutput();
  UniqueHandle drain(CreateThread(nullptr, 0, &drainOutput, output.get(), 0, nullptr));
  if (drain) {
    output.release();  // the thread closes it
  } else {
    // Without a reader the child would block on a full pipe; with the read
    // end closed its writes fail instead.
    logError(L"could not start the output thread (%d)", static_cast<int>(GetLastError()));
  }
  return true;
}

}  // namespace

void WINAPI serviceMain(DWORD argumentCount, LPWSTR* arguments) {
  logLine(L"service main");
  Host& h = host();
  std::wstring& name = processState().serviceName;
  name = hostServiceName(firstServiceArgument(argumentCount, arguments), kServiceNameCapacity);
  logLine(L"service name is '%ls'", name.c_str());
  h.statusHandle = RegisterServiceCtrlHandlerW(name.c_str(), &serviceControlHandler);
  if (h.statusHandle == nullptr) return;
  {
    HostLock lock;
    report();
  }

  std::wstring commandLine;
  if (!buildCommandLine(argumentCount, arguments, commandLine) || !startChild(commandLine)) {
    reportNotStarted();
    return;
  }
  {
    HostLock lock;
    HostStatus::StartOutcome started = h.status.childStarted();
    if (started.sendShutdown) sendShutdown();
    if (started.reportRunning) report();
  }
  installConsoleHandler();

  h.child.wait(INFINITE);
  DWORD exitCode = h.child.exitCode().value_or(0);
  logLine(L"process terminated with exit code %d", static_cast<int>(exitCode));
  {
    HostLock lock;
    if (h.status.childEnded(exitCode)) {
      if (!report()) logLine(L"SetServiceStatus 10 failed %d", static_cast<int>(GetLastError()));
      logLine(L"service stopped set");
    }
  }
  logLine(L"exiting");
  // Straight out, without the runtime's exit handlers: the dispatcher and
  // the output thread still run, and nothing of theirs is to be torn down.
  fatalExit(0);
}

void WINAPI serviceControlHandler(DWORD control) {
  logLine(L"control handler request %d", static_cast<int>(control));
  HostLock lock;
  HostStatus::ControlOutcome outcome = host().status.control(control);
  if (!report()) logLine(L"SetServiceStatus %d failed %d", outcome.reportTag, static_cast<int>(GetLastError()));
  if (outcome.sendShutdown) sendShutdown();
}

void sendShutdown() {
  const int shutdownCode = 0;
  logLine(L"sending shutdown1 %d", shutdownCode);
  char message[16];
  snprintf(message, sizeof(message), "%d\n", shutdownCode);
  ChildProcess& child = host().child;
  if (!child.writeInput(message)) {
    DWORD error = GetLastError();
    logLine(L"sending shutdown failed");
    logLine(L"error code %d", static_cast<int>(error));
  }
  child.closeInput();
  logLine(L"shutdown sent");
}

DWORD WINAPI drainOutput(void* readHandle) {
  UniqueHandle pipe(static_cast<HANDLE>(readHandle));
  logLine(L"consuming output");
  static char buffer[kBufferCapacity];  // one drain per process
  DWORD got = 0;
  // Until the read fails: the child and everyone who inherited the write end
  // have closed it. A read of zero bytes is a zero-byte write of the child,
  // not the end, and stopping there would leave its later output unread.
  while (ReadFile(pipe.get(), buffer, sizeof(buffer), &got, nullptr)) {
  }
  logLine(L"consuming output done");
  return 0;
}

DWORD readPriorityClass() {
  UniqueRegKey key = registry::openKey(HKEY_LOCAL_MACHINE, kPriorityKey, KEY_READ);
  if (!key) return NORMAL_PRIORITY_CLASS;
  registry::Value value = registry::queryValue(key.get(), processState().serviceName, sizeof(DWORD));
  if (!value.ok()) return NORMAL_PRIORITY_CLASS;
  std::optional<uint32_t> number = priorityValue(value.bytes);
  if (!number) return NORMAL_PRIORITY_CLASS;
  if (!isPriorityClass(*number)) {
    logError(L"priority %d is not a priority class, using normal priority", static_cast<int>(*number));
    return NORMAL_PRIORITY_CLASS;
  }
  logLine(L"using priority %d", static_cast<int>(*number));
  return *number;
}

}  // namespace zvt
