// The service host under faults, under the system's Service Control
// Manager: the whole lifecycle with nothing left behind, an application
// that ignores the stop line (bounded stop), a killed host (its job ends the
// child's tree), restarts of a failing child, the failure's event log entry,
// and the priority class the child really runs at.
//
// A service does not get this program's environment, so the launcher's log
// is off in the host and its child: they are judged by the states and exit
// codes the manager reports, the stand-in runtime's trace and the processes
// left on the machine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/handle.h"
#include "base/registry_win32.h"
#include "base/text.h"
#include "launcher_fixture.h"
#include "service_support.h"
#include "standin_layout.h"
#include "support/service_guard.h"
#include "support/win_process.h"

namespace zvt::e2e {
namespace {

size_t countEvents(const std::vector<std::string>& trace, const std::string& needle) {
  size_t n = 0;
  for (const std::string& line : trace) n += line.find(needle) != std::string::npos ? 1 : 0;
  return n;
}

// Polls the stand-in's trace until `needle` appears `count` times.
bool waitForTrace(const std::wstring& home, const std::string& needle, size_t count, DWORD timeoutMs = 60000) {
  DWORD start = GetTickCount();
  while (countEvents(standin::traceLines(home), needle) < count) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(100);
  }
  return true;
}

// The pid the application's grandchild was started with (0: none recorded).
DWORD grandchildPid(const std::wstring& home) {
  for (const std::string& line : standin::traceLines(home)) {
    if (line.find("\"ev\":\"grandchild\"") == std::string::npos) continue;
    size_t at = line.find("\"pid\":");
    if (at != std::string::npos) return static_cast<DWORD>(strtoul(line.c_str() + at + 6, nullptr, 10));
  }
  return 0;
}

// True once the process is gone (bounded wait).
bool processGone(DWORD pid, DWORD timeoutMs = 10000) {
  UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  return !process || WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD control(const std::wstring& name, DWORD code) {
  UniqueServiceHandle manager = test::openServiceManager();
  UniqueServiceHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS));
  SERVICE_STATUS status{};
  if (!service) return GetLastError();
  return ControlService(service.get(), code, &status) ? 0 : GetLastError();
}

// What the service reported to the Application event log. Wine keeps no
// event log: its ReportEventW writes each string to the "eventlog" debug
// channel of the reporting process, which for a service is the standard
// error of the session's service manager; tests/run-wine.sh sends that to
// the file named by ZVT_WINE_SESSION_LOG, with the channel on. (Wine cuts
// each string to about 200 characters there.) On Windows the log is read.
std::string eventLogText(const std::wstring& source) {
  if (const char* session = std::getenv("ZVT_WINE_SESSION_LOG")) {
    std::string bytes;
    test::readFileBytes(test::windowsPath(session), bytes);
    return bytes;
  }
  std::string text;
  HANDLE log = OpenEventLogW(nullptr, L"Application");
  if (log == nullptr) return text;
  std::vector<BYTE> buffer(0x10000);
  DWORD read = 0, needed = 0;
  while (ReadEventLogW(log, EVENTLOG_SEQUENTIAL_READ | EVENTLOG_FORWARDS_READ, 0, buffer.data(),
                       static_cast<DWORD>(buffer.size()), &read, &needed)) {
    for (DWORD at = 0; at < read;) {
      auto* record = reinterpret_cast<EVENTLOGRECORD*>(buffer.data() + at);
      const wchar_t* recordSource = reinterpret_cast<const wchar_t*>(record + 1);
      if (source == recordSource) {
        const wchar_t* s = reinterpret_cast<const wchar_t*>(buffer.data() + at + record->StringOffset);
        for (WORD i = 0; i < record->NumStrings; ++i, s += wcslen(s) + 1) text += utf16ToUtf8(s) + "\n";
      }
      at += record->Length;
    }
  }
  CloseEventLog(log);
  return text;
}

class ServiceHostFaults : public ::testing::Test {
 protected:
  // A service whose stand-in application is chosen by the VM options, with
  // the host's settings given as entries.
  void install(const std::string& vmOptions, std::vector<std::pair<uint32_t, std::string>> settings = {},
               const std::wstring& runtime = L"jre") {
    block::Content c;
    c.entries = {{101, guard.narrow()}, {107, "4"}, {122, "com.example.Main"}, {128, "B.\\jre;"}, {123, vmOptions}};
    for (auto& s : settings) c.entries.push_back({s.first, s.second});
    c.messages = {{1000, L"Error"},
                  {1009, L"An internal error occurred (error code: {0})"},
                  {1016, L"MSG1016 no JVM found, needs a {0}-bit runtime"}};
    exe = box.pack(c);
    if (!runtime.empty()) home = box.layOutRuntime(runtime);
    test::RunResult r = box.run(exe, L"/install-demand");
    ASSERT_EQ(0u, r.exitCode) << r.out << r.err;
  }

  test::ServiceGuard guard{test::uniqueServiceName(L"Fault")};
  LauncherSandbox box{L"svcfault"};
  std::wstring exe, home;
};

// install, start with parameters, main with them, stop, the application
// read "0", STOPPED with 0, and not one process left: the host, the child
// and what the application started.
TEST_F(ServiceHostFaults, LifecycleLeavesNothingBehind) {
  install("-Dstandin.app=waitStdin -Dstandin.grandchild=true");
  ASSERT_EQ(0u, startWith(guard.name(), {L"p1", L"p 2"}));
  ASSERT_TRUE(waitForTrace(home, "\"ev\":\"grandchild\"", 1));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), queryStatus(guard.name()).dwCurrentState);
  std::vector<std::string> trace = standin::traceLines(home);
  EXPECT_EQ(1u, countEvents(trace, "\"method\":\"main\""));
  bool parameters = false;
  for (const std::string& line : trace) {
    parameters = parameters || (line.find("\"method\":\"main\"") != std::string::npos &&
                                line.find("\"p1\"") != std::string::npos && line.find("\"p 2\"") != std::string::npos);
  }
  EXPECT_TRUE(parameters) << "main did not get the start parameters";
  const DWORD grandchild = grandchildPid(home);
  ASSERT_NE(0u, grandchild);

  test::RunResult r = box.run(exe, L"/stop");
  EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
  SERVICE_STATUS_PROCESS s = waitForState(guard.name(), SERVICE_STOPPED);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), s.dwCurrentState);
  EXPECT_EQ(0u, s.dwWin32ExitCode);
  EXPECT_EQ(1u, countEvents(standin::traceLines(home), "\"reason\":\"line0\""));
  EXPECT_EQ(0u, processesLeft(exe));
  EXPECT_TRUE(processGone(grandchild)) << "the application's grandchild outlived the service";
}

// The application ignores the stop line: STOP_PENDING with rising check
// points while the host waits, then STOPPED with ERROR_TIMEOUT (1460) once
// the stop timeout has passed, and the application's whole tree ended.
TEST_F(ServiceHostFaults, AStopTheApplicationIgnoresEndsAfterTheTimeout) {
  install("-Dstandin.app=ignoreStop -Dstandin.grandchild=true", {{30001, "3"}});
  ASSERT_EQ(0u, startWith(guard.name(), {}));
  ASSERT_TRUE(waitForTrace(home, "\"ev\":\"grandchild\"", 1));
  const DWORD grandchild = grandchildPid(home);
  const DWORD asked = GetTickCount();
  ASSERT_EQ(0u, control(guard.name(), SERVICE_CONTROL_STOP));
  std::vector<DWORD> checkPoints;
  SERVICE_STATUS_PROCESS s = queryStatus(guard.name());
  while (s.dwCurrentState == SERVICE_STOP_PENDING && GetTickCount() - asked < 30000) {
    if (checkPoints.empty() || checkPoints.back() != s.dwCheckPoint) checkPoints.push_back(s.dwCheckPoint);
    Sleep(100);
    s = queryStatus(guard.name());
  }
  const DWORD took = GetTickCount() - asked;
  ASSERT_EQ(static_cast<DWORD>(SERVICE_STOPPED), s.dwCurrentState);
  EXPECT_EQ(1460u, s.dwWin32ExitCode);
  // Not before the timeout (less the manager's polling); bounded after it
  // (the overshoot is measured by bench_stop_latency, not asserted here).
  EXPECT_GE(took, 2500u);
  EXPECT_GE(checkPoints.size(), 2u) << "the check point did not rise while the stop was pending";
  for (size_t i = 1; i < checkPoints.size(); ++i) EXPECT_GT(checkPoints[i], checkPoints[i - 1]);
  EXPECT_EQ(0u, processesLeft(exe));
  EXPECT_TRUE(processGone(grandchild));
  EXPECT_TRUE(contains(eventLogText(guard.name()), "did not end within the stop timeout of 3 s"));
}

// A host killed outright: its job closes with it and ends the child and the
// application's grandchild.
TEST_F(ServiceHostFaults, AKilledHostTakesItsChildAndGrandchildWithIt) {
  install("-Dstandin.app=waitStdin -Dstandin.grandchild=true");
  ASSERT_EQ(0u, startWith(guard.name(), {}));
  ASSERT_TRUE(waitForTrace(home, "\"ev\":\"grandchild\"", 1));
  const DWORD grandchild = grandchildPid(home);
  ASSERT_EQ(2u, processesOf(exe));  // host and child
  const DWORD hostPid = queryStatus(guard.name()).dwProcessId;
  ASSERT_NE(0u, hostPid);
  UniqueHandle hostProcess(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, hostPid));
  ASSERT_TRUE(hostProcess.valid());
  ASSERT_TRUE(TerminateProcess(hostProcess.get(), 9));
  EXPECT_EQ(0u, processesLeft(exe)) << "the child outlived its host";
  EXPECT_TRUE(processGone(grandchild)) << "the grandchild outlived the host";
}

// A child ending with 3 is started again after the delay while the service
// stays RUNNING; past the limit the host ends without a STOPPED report.
TEST_F(ServiceHostFaults, AFailingChildIsRestartedUpToTheLimit) {
  install("-Dstandin.app=exit -Dstandin.exitCode=3", {{30002, "2"}, {30003, "1"}});
  ASSERT_EQ(0u, startWith(guard.name(), {}));
  ASSERT_TRUE(waitForTrace(home, "\"method\":\"main\"", 2));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), queryStatus(guard.name()).dwCurrentState);
  ASSERT_TRUE(waitForTrace(home, "\"method\":\"main\"", 3));
  EXPECT_EQ(0u, processesLeft(exe));  // gave up after the second restart
  EXPECT_EQ(3u, countEvents(standin::traceLines(home), "\"method\":\"main\""));
  SERVICE_STATUS_PROCESS s = queryStatus(guard.name());
  EXPECT_FALSE(s.dwCurrentState == SERVICE_STOPPED && s.dwWin32ExitCode == 0) << "a clean STOPPED was reported";
  const std::string events = eventLogText(guard.name());
  EXPECT_TRUE(contains(events, "Service '" + guard.narrow() + "': the application process ended with exit code 3; "
                               "it is started again in 1 s (restart 2 of at most 2 within 600 s)."))
      << events;
  EXPECT_TRUE(contains(events, "Service '" + guard.narrow() + "': the application process ended with exit code 3; "
                               "it is not started again: 2 restarts within 600 s already."))
      << events;
}

// A stop while the host waits to restart the child ends the service at
// once, long before the delay is over.
TEST_F(ServiceHostFaults, AStopDuringTheRestartDelayStopsAtOnce) {
  install("-Dstandin.app=exit -Dstandin.exitCode=3", {{30002, "5"}, {30003, "120"}});
  ASSERT_EQ(0u, startWith(guard.name(), {}));
  ASSERT_TRUE(waitForTrace(home, "\"ev\":\"exit\"", 1));
  for (int i = 0; i < 100 && processesOf(exe) != 1; ++i) Sleep(100);
  ASSERT_EQ(1u, processesOf(exe));  // the child has ended, the host waits
  ASSERT_EQ(0u, control(guard.name(), SERVICE_CONTROL_STOP));
  SERVICE_STATUS_PROCESS s = waitForState(guard.name(), SERVICE_STOPPED, 60000);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), s.dwCurrentState);
  EXPECT_EQ(0u, s.dwWin32ExitCode);
  EXPECT_EQ(0u, processesLeft(exe));
  EXPECT_EQ(1u, countEvents(standin::traceLines(home), "\"method\":\"main\""));
}

// A child that finds no Java: the event log entry names the service, the
// exit code and what the child said.
TEST_F(ServiceHostFaults, AFailedChildIsExplainedInTheEventLog) {
  install("-Dstandin.app=record", {}, L"");
  ASSERT_EQ(0u, startWith(guard.name(), {}));
  EXPECT_EQ(0u, processesLeft(exe));
  const std::string events = eventLogText(guard.name());
  EXPECT_TRUE(contains(events, "Service '" + guard.narrow() + "': the application process ended with exit code 1; "
                               "it is not started again (restart on failure is off)."))
      << events;
  EXPECT_TRUE(contains(events, "MSG1016 no JVM found, needs a")) << events;
}

// The priority class named for the service reaches the child, set after its
// creation where the creation flag is ignored.
TEST_F(ServiceHostFaults, ThePriorityClassReachesTheChild) {
  install("-Dstandin.app=record");
  const wchar_t* priorityKey = L"SOFTWARE\\corvalent-works\\quarn\\priority";
  UniqueRegKey key = registry::createKey(HKEY_LOCAL_MACHINE, priorityKey, KEY_SET_VALUE);
  ASSERT_TRUE(key.valid());
  ASSERT_EQ(ERROR_SUCCESS, registry::setDword(key.get(), guard.name(), 0x4000));
  ASSERT_EQ(0u, startWith(guard.name(), {}));
  bool created = waitForTrace(home, "\"ev\":\"create\"", 1);
  registry::deleteValue(key.get(), guard.name());
  ASSERT_TRUE(created);
  EXPECT_EQ(1u, countEvents(standin::traceLines(home), "\"priorityClass\":16384"));
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), waitForState(guard.name(), SERVICE_STOPPED).dwCurrentState);
}

}  // namespace
}  // namespace zvt::e2e
