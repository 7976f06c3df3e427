#include "service/host_win32.h"

#include <algorithm>
#include <cwchar>
#include <memory>
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
#include "service/event_report_win32.h"
#include "service/failure_report.h"
#include "service/host_settings.h"
#include "service/host_status.h"
#include "service/restart_policy.h"

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
  // The running child; its standard input pipe is the shutdown channel.
  // Replaced (under the lock) only when a failed child is started again.
  // Never destroyed at the end: the host ends the process while it stands.
  std::unique_ptr<ChildProcess> child;
  // Set by the control handler on a stop or shutdown request: wakes the
  // service main thread from its wait for the child or for a restart.
  UniqueHandle stopEvent;
  // Every process of the child's tree is in this job, which ends them all
  // when its last handle closes: when the host ends, even killed.
  UniqueHandle job;
  // The end of the child's combined output, for the failure report; the
  // drain thread writes it under tailLock.
  CriticalSection tailLock;
  OutputTail tail{kOutputTailBytes};
  UniqueHandle drainThread;
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

const char* stepName(StartStep step) {
  switch (step) {
    case StartStep::Options:
      return "the start options";
    case StartStep::Streams:
      return "creating the standard stream pipes";
    case StartStep::Inheritance:
      return "handing the pipes to the child";
    case StartStep::Process:
      return "creating the process";
    case StartStep::None:
      break;
  }
  return "starting";
}

// A job that ends every process in it when its last handle closes. Without
// one (the system refuses it) the child runs as before, unguarded.
UniqueHandle createChildJob() {
  UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) {
    logError(L"could not create a job object for the child (%d): a killed host leaves its child running",
             static_cast<int>(GetLastError()));
    return job;
  }
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
    logError(L"could not set up the child's job object (%d): a killed host leaves its child running",
             static_cast<int>(GetLastError()));
    job.reset();
  }
  return job;
}

bool startChild(const std::wstring& commandLine) {
  Host& h = host();
  ChildOptions options;
  // The child is this very executable, named to the system: the command
  // line's first element is what the child reads as its own path, never
  // what the system looks for.
  options.application = modulePathW();
  options.commandLine = commandLine;
  const DWORD priority = readPriorityClass();
  options.creationFlags = priority | DETACHED_PROCESS;
  if (priority != NORMAL_PRIORITY_CLASS) options.priorityClass = priority;
  options.job = h.job.get();
  options.input = StreamSetup::pipe();
  options.output = StreamSetup::pipe();
  options.error = StreamSetup::toOutput();
  options.drainOutputs = false;  // drainOutput reads it
  auto child = std::make_unique<ChildProcess>();
  if (!child->start(options)) {
    logError(L"could not start process %ls: %hs failed (%d)", commandLine.c_str(), stepName(child->failedStep()),
             static_cast<int>(child->startError()));
    return false;
  }
  if (child->jobError() != 0) {
    logError(L"the child is not in the host's job (%d): if the host is killed, the child runs on",
             static_cast<int>(child->jobError()));
  }
  if (child->priorityError() != 0) {
    logError(L"could not set priority class %d on the child (%d)", static_cast<int>(priority),
             static_cast<int>(child->priorityError()));
  }
  {
    CriticalSectionScope tail(h.tailLock);
    h.tail.clear();
  }
  UniqueHandle output = child->takeOutput();
  h.drainThread.reset(CreateThread(nullptr, 0, &drainOutput, output.get(), 0, nullptr));
  if (h.drainThread) {
    output.release();  // the thread closes it
  } else {
    // Without a reader the child would block on a full pipe; with the read
    // end closed its writes fail instead.
    logError(L"could not start the output thread (%d)", static_cast<int>(GetLastError()));
  }
  HostLock lock;
  h.child = std::move(child);
  return true;
}

uint64_t nowMs() { return GetTickCount64(); }

enum class ChildEnd { Ended, StopTimedOut };

// Waits for the child. Once a stop has been asked for, STOP_PENDING is
// reported every tick with a rising check point, and after the stop
// timeout (0: none) the child's whole tree is ended.
ChildEnd waitForChild(const HostSettings& settings) {
  Host& h = host();
  HANDLE process = h.child->process();
  HANDLE both[2] = {process, h.stopEvent.get()};
  DWORD woke = WaitForMultipleObjects(h.stopEvent ? 2 : 1, both, FALSE, INFINITE);
  if (woke == WAIT_OBJECT_0) return ChildEnd::Ended;
  const uint64_t stopAsked = nowMs();
  const uint64_t limitMs = static_cast<uint64_t>(settings.stopTimeoutSeconds) * 1000;
  for (;;) {
    uint64_t waitMs = kStopTickMs;
    if (limitMs != 0) {
      const uint64_t spent = nowMs() - stopAsked;
      if (spent >= limitMs) break;
      waitMs = std::min<uint64_t>(waitMs, limitMs - spent);
    }
    if (WaitForSingleObject(process, static_cast<DWORD>(waitMs)) == WAIT_OBJECT_0) return ChildEnd::Ended;
    HostLock lock;
    if (h.status.stopPendingTick() && !report()) {
      logLine(L"SetServiceStatus 11 failed %d", static_cast<int>(GetLastError()));
    }
  }
  logError(L"the child did not end within %d s of the stop request: ending it and every process it started",
           static_cast<int>(settings.stopTimeoutSeconds));
  if (!h.job || !TerminateJobObject(h.job.get(), kErrorTimeout)) h.child->terminate(kErrorTimeout);
  h.child->wait(10000);
  return ChildEnd::StopTimedOut;
}

// What the child wrote last, decoded with the launcher's narrow code page
// (the child's own messages are written in it, and so, by default, is
// Java's console output).
std::u16string outputTail(bool& cut) {
  Host& h = host();
  // The drain ends when every writer of the pipe has closed it; a process
  // the child left behind may keep it open, so the wait is short.
  if (h.drainThread) WaitForSingleObject(h.drainThread.get(), 2000);
  CriticalSectionScope tail(h.tailLock);
  cut = h.tail.cut();
  const std::wstring wide = toWide(h.tail.bytes());
  return std::u16string(wide.begin(), wide.end());
}

// One entry in the Application event log under the service's name, and the
// same text in the diagnostic log.
void reportFailure(FailureFacts facts, bool warning) {
  facts.serviceName = std::u16string(processState().serviceName.begin(), processState().serviceName.end());
  facts.outputTail = outputTail(facts.outputCut);
  const FailureReport failure = failureReport(facts);
  const std::u16string text = failureReportText(failure);
  logError(L"%ls", std::wstring(text.begin(), text.end()).c_str());
  if (!writeEventLogEntry(processState().serviceName, std::wstring(failure.summary.begin(), failure.summary.end()),
                          std::wstring(failure.output.begin(), failure.output.end()), warning)) {
    logError(L"could not write the event log entry (%d)", static_cast<int>(GetLastError()));
  }
}

// The end of the host: straight out, without the runtime's exit handlers:
// the dispatcher and the output thread still run, and nothing of theirs is
// to be torn down. The job's handle closes with the process and ends
// whatever the child left running.
[[noreturn]] void endHost() {
  logLine(L"exiting");
  fatalExit(0);
}

}  // namespace

void WINAPI serviceMain(DWORD argumentCount, LPWSTR* arguments) {
  logLine(L"service main");
  Host& h = host();
  std::wstring& name = processState().serviceName;
  name = hostServiceName(firstServiceArgument(argumentCount, arguments), kServiceNameCapacity);
  logLine(L"service name is '%ls'", name.c_str());
  h.stopEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  h.statusHandle = RegisterServiceCtrlHandlerW(name.c_str(), &serviceControlHandler);
  if (h.statusHandle == nullptr) return;
  {
    HostLock lock;
    report();
  }
  const HostSettings settings = readHostSettings();
  RestartPolicy restarts(settings.restart);
  h.job = createChildJob();

  std::wstring commandLine;
  if (!buildCommandLine(argumentCount, arguments, commandLine)) {
    reportNotStarted();
    return;
  }
  bool consoleHandlerInstalled = false;
  for (;;) {
    if (!startChild(commandLine)) {
      reportNotStarted();
      return;
    }
    {
      HostLock lock;
      HostStatus::StartOutcome started = h.status.childStarted();
      if (started.sendShutdown) sendShutdown();
      if (started.reportRunning) report();
    }
    if (!consoleHandlerInstalled) {
      installConsoleHandler();
      consoleHandlerInstalled = true;
    }

    if (waitForChild(settings) == ChildEnd::StopTimedOut) {
      // Told before STOPPED: once a service process has reported STOPPED
      // the manager may end it at any moment.
      FailureFacts facts;
      facts.kind = FailureKind::StopTimedOut;
      facts.stopTimeoutSeconds = settings.stopTimeoutSeconds;
      reportFailure(facts, false);
      HostLock lock;
      h.status.stopTimedOut();
      if (!report()) logLine(L"SetServiceStatus 12 failed %d", static_cast<int>(GetLastError()));
      endHost();
    }
    DWORD exitCode = h.child->exitCode().value_or(0);
    logLine(L"process terminated with exit code %d", static_cast<int>(exitCode));
    RestartDecision decision;
    {
      HostLock lock;
      if (h.status.childEnded(exitCode)) {
        if (!report()) logLine(L"SetServiceStatus 10 failed %d", static_cast<int>(GetLastError()));
        logLine(L"service stopped set");
        endHost();
      }
      // Failed while nobody asked it to stop: started again, or left to the
      // manager (no STOPPED report) once the restarts are used up.
      decision = restarts.childFailed(nowMs());
    }
    FailureFacts facts;
    facts.exitCode = exitCode;
    facts.restarting = decision.restart;
    facts.delayMs = decision.delayMs;
    facts.restartsInWindow = decision.restartsInWindow;
    facts.restartLimit = settings.restart.limit;
    facts.restartWindowMs = settings.restart.windowMs;
    reportFailure(facts, decision.restart);
    if (!decision.restart) endHost();
    logLine(L"starting the child again in %d ms", static_cast<int>(decision.delayMs));
    if (WaitForSingleObject(h.stopEvent.get(), static_cast<DWORD>(decision.delayMs)) == WAIT_OBJECT_0) {
      HostLock lock;
      h.status.stoppedBeforeRestart();
      if (!report()) logLine(L"SetServiceStatus 13 failed %d", static_cast<int>(GetLastError()));
      logLine(L"stopped before the restart");
      endHost();
    }
  }
}

void WINAPI serviceControlHandler(DWORD control) {
  logLine(L"control handler request %d", static_cast<int>(control));
  HostLock lock;
  HostStatus::ControlOutcome outcome = host().status.control(control);
  if (!report()) logLine(L"SetServiceStatus %d failed %d", outcome.reportTag, static_cast<int>(GetLastError()));
  if (outcome.sendShutdown) sendShutdown();
  if (host().status.stopRequested() && host().stopEvent) SetEvent(host().stopEvent.get());
}

void sendShutdown() {
  const int shutdownCode = 0;
  logLine(L"sending shutdown1 %d", shutdownCode);
  const std::string message = std::to_string(shutdownCode) + "\n";
  ChildProcess* child = host().child.get();
  if (child == nullptr) return;
  if (!child->writeInput(message)) {
    DWORD error = GetLastError();
    logLine(L"sending shutdown failed");
    logLine(L"error code %d", static_cast<int>(error));
  }
  child->closeInput();
  logLine(L"shutdown sent");
}

DWORD WINAPI drainOutput(void* readHandle) {
  UniqueHandle pipe(static_cast<HANDLE>(readHandle));
  logLine(L"consuming output");
  // On this thread's stack: the drain of a failed child may still run
  // (a process it left holds the pipe) when the next child's drain starts.
  char buffer[kBufferCapacity];
  DWORD got = 0;
  // Until the read fails: the child and everyone who inherited the write end
  // have closed it. A read of zero bytes is a zero-byte write of the child,
  // not the end, and stopping there would leave its later output unread.
  while (ReadFile(pipe.get(), buffer, sizeof(buffer), &got, nullptr)) {
    CriticalSectionScope tail(host().tailLock);
    host().tail.append(buffer, got);
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
