// The service commands end to end under the system's Service Control
// Manager: registration (quoted path, type, start type, account,
// dependencies, description), reinstallation, removal, status, start
// parameters, stop and restart, and the texts of every failure.
//
// Where a test needs a service that really runs, it registers the probe
// service built beside this program (probe_service.cpp) under a fresh name;
// the launcher's commands address services by name only.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/registry_win32.h"
#include "base/text.h"
#include "launcher_fixture.h"
#include "support/service_guard.h"

namespace zvt::e2e {
namespace {

using test::openServiceManager;
using test::ServiceGuard;

std::wstring uniqueName(const wchar_t* purpose) {
  return test::uniqueServiceName(purpose);
}

// 0 when the service opens, else the error of OpenService (1060: no such
// service).
DWORD openError(const std::wstring& name) {
  UniqueServiceHandle manager = openServiceManager();
  UniqueServiceHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
  return service ? 0 : GetLastError();
}

DWORD currentState(const std::wstring& name) {
  UniqueServiceHandle manager = openServiceManager();
  UniqueServiceHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
  SERVICE_STATUS status{};
  if (!service || !QueryServiceStatus(service.get(), &status)) return 0;
  return status.dwCurrentState;
}

struct Registration {
  bool found = false;
  DWORD type = 0, startType = 0, errorControl = 0;
  std::wstring binaryPath, account, displayName, description;
  std::vector<std::wstring> dependencies;
};

// The dependencies as the Service Control Manager stores them. Read from
// the service's registry key: Wine's QueryServiceConfig leaves
// lpDependencies empty, while the key holds them on Windows and Wine alike.
std::vector<std::wstring> registeredDependencies(const std::wstring& name) {
  UniqueRegKey key = registry::openKey(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\" + name, KEY_READ);
  registry::Value value = registry::queryValue(key.get(), L"DependOnService");
  if (!value.ok() || value.type != REG_MULTI_SZ) return {};
  std::wstring text = fromUtf16Le(value.bytes.data(), value.bytes.size() & ~size_t{1});
  std::vector<std::wstring> names;
  for (size_t start = 0, end; start < text.size() && text[start] != L'\0'; start = end + 1) {
    end = text.find(L'\0', start);
    if (end == std::wstring::npos) end = text.size();
    names.push_back(text.substr(start, end - start));
  }
  return names;
}

Registration registration(const std::wstring& name) {
  Registration r;
  UniqueServiceHandle manager = openServiceManager();
  UniqueServiceHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_CONFIG));
  if (!service) return r;
  DWORD needed = 0;
  QueryServiceConfigW(service.get(), nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed + 16);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  if (!QueryServiceConfigW(service.get(), config, static_cast<DWORD>(buffer.size()), &needed)) return r;
  r.found = true;
  r.type = config->dwServiceType;
  r.startType = config->dwStartType;
  r.errorControl = config->dwErrorControl;
  r.binaryPath = config->lpBinaryPathName ? config->lpBinaryPathName : L"";
  r.account = config->lpServiceStartName ? config->lpServiceStartName : L"";
  r.displayName = config->lpDisplayName ? config->lpDisplayName : L"";
  r.dependencies = registeredDependencies(name);
  needed = 0;
  QueryServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
  std::vector<BYTE> described(needed + 16);
  auto* description = reinterpret_cast<SERVICE_DESCRIPTIONW*>(described.data());
  if (QueryServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, described.data(),
                           static_cast<DWORD>(described.size()), &needed) &&
      description->lpDescription) {
    r.description = description->lpDescription;
  }
  return r;
}

std::wstring longPath(const std::wstring& path) {
  wchar_t buffer[4096];
  DWORD n = GetLongPathNameW(path.c_str(), buffer, 4096);
  return n > 0 && n < 4096 ? std::wstring(buffer, n) : path;
}

// Registers the probe service directly, bypassing the launcher.
bool createProbeService(const std::wstring& name, const std::wstring& binaryPath, DWORD startType) {
  UniqueServiceHandle manager = openServiceManager();
  UniqueServiceHandle service(CreateServiceW(manager.get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                             SERVICE_WIN32_OWN_PROCESS, startType, SERVICE_ERROR_NORMAL,
                                             binaryPath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  return static_cast<bool>(service);
}

std::wstring probeServicePath() {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"zvt_probe_service.exe";
}

// The record file's lines once it holds at least `count` of them (or what it
// holds after ten seconds).
std::vector<std::string> recordLines(const std::wstring& path, size_t count) {
  std::vector<std::string> lines;
  for (int i = 0; i < 100; ++i) {
    std::string bytes;
    lines.clear();
    if (test::readFileBytes(path, bytes)) {
      size_t start = 0;
      for (size_t nl; (nl = bytes.find('\n', start)) != std::string::npos; start = nl + 1) {
        lines.push_back(bytes.substr(start, nl - start));
      }
    }
    if (lines.size() >= count) break;
    Sleep(100);
  }
  return lines;
}

struct Expect {
  const wchar_t* arguments;
  std::string out;
  DWORD exitCode;
};

// Standard output is in text mode: each "\n" reaches the pipe as "\r\n".
std::string textMode(const std::string& text) {
  std::string out;
  for (char ch : text) {
    if (ch == '\n') out += '\r';
    out += ch;
  }
  return out;
}

void runAll(LauncherSandbox& box, const std::wstring& exe, const std::vector<Expect>& steps) {
  for (const Expect& step : steps) {
    test::RunResult r = box.run(exe, step.arguments);
    std::string label = utf16ToUtf8(step.arguments);
    EXPECT_FALSE(r.timedOut) << label;
    EXPECT_EQ(textMode(step.out), r.out) << label;
    EXPECT_EQ(step.exitCode, r.exitCode) << label;
    EXPECT_EQ("", r.err) << label;
  }
}

block::Content launcherContent(const std::wstring& name, const char* kind) {
  block::Content c;
  c.entries = {{101, utf16ToUtf8(name)}, {107, kind}};
  c.messages = {{1000, L"Error"}};
  return c;
}

TEST(ServiceCommands, InstallRegistersTheQuotedLauncherAndReinstallReplacesIt) {
  LauncherSandbox box(L"svc blank");
  ServiceGuard guard(uniqueName(L"Install"));
  const std::wstring description = L"Zvt probe \x2013 service description";
  block::Content c = launcherContent(guard.name(), "4");
  c.entries.push_back({149, ",Tcpip,,Dnscache,"});
  c.messages.push_back({20017, description});
  std::wstring exe = box.pack(c, L"my service.exe");
  ASSERT_NE(std::wstring::npos, exe.find(L' '));
  const std::string quoted = "'" + guard.narrow() + "'";

  runAll(box, exe, {{L"/install", "Installed service " + quoted + ".\n", 0}});
  Registration r = registration(guard.name());
  ASSERT_TRUE(r.found);
  EXPECT_EQ(L"\"" + longPath(exe) + L"\"", r.binaryPath);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS), r.type);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), r.startType);  // key 107 is 4
  EXPECT_EQ(static_cast<DWORD>(SERVICE_ERROR_NORMAL), r.errorControl);
  EXPECT_EQ(L"LocalSystem", r.account);
  EXPECT_EQ(guard.name(), r.displayName);
  EXPECT_EQ((std::vector<std::wstring>{L"Tcpip", L"Dnscache"}), r.dependencies);
  EXPECT_EQ(description, r.description);

  // Installed and stopped: install and uninstall both stop it quietly first.
  runAll(box, exe,
         {{L"/status", "Not running.\nAuto-start.\n", 3},
          {L"/install", "Service is already stopped.\nInstalled service " + quoted + ".\n", 0},
          {L"/uninstall", "Service is already stopped.\nUninstalled service " + quoted + ".\n", 0}});
  EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), openError(guard.name()));
}

TEST(ServiceCommands, EveryCommandOnAMissingServiceSaysWhatFailed) {
  LauncherSandbox box(L"svcmissing");
  const std::wstring name = uniqueName(L"Missing");
  ASSERT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), openError(name));
  std::wstring exe = box.pack(launcherContent(name, "4"));
  runAll(box, exe,
         {{L"/status", "Could not get status.\n", 1},
          {L"/uninstall", "Could not delete service.\n", 1},
          {L"/stop", "Could not stop service.\n", 1},
          {L"/start", "Could not start service. Error code: 1060\n", 1},
          {L"/restart", "Could not start service. Error code: 1060\n", 1}});
}

TEST(ServiceCommands, TheNameAfterTheSwitchWinsAndSwitchesChooseTheStartType) {
  LauncherSandbox box(L"svcname");
  const std::wstring keyName = uniqueName(L"FromKey");
  ServiceGuard keyGuard(keyName);  // removed should the name from the key be used after all
  ServiceGuard guard(uniqueName(L"MyOther"));
  std::wstring exe = box.pack(launcherContent(keyName, "1"));  // no key 149, no message 20017
  const std::string quoted = "'" + guard.narrow() + "'";
  const std::wstring other = L" " + guard.name();

  runAll(box, exe, {{(L"/install" + other).c_str(), "Installed service " + quoted + ".\n", 0}});
  EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), openError(keyName));
  Registration r = registration(guard.name());
  ASSERT_TRUE(r.found);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_DEMAND_START), r.startType);  // key 107 is not 4
  EXPECT_TRUE(r.dependencies.empty());
  EXPECT_EQ(L"", r.description);
  runAll(box, exe, {{(L"/status" + other).c_str(), "Not running.\n", 3}});  // no line for demand start

  const std::string reinstalled = "Service is already stopped.\nInstalled service " + quoted + ".\n";
  runAll(box, exe, {{(L"-install-auto" + other).c_str(), reinstalled, 0}});
  EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), registration(guard.name()).startType);
  runAll(box, exe, {{(L"--install-demand" + other).c_str(), reinstalled, 0}});
  EXPECT_EQ(static_cast<DWORD>(SERVICE_DEMAND_START), registration(guard.name()).startType);
  runAll(box, exe,
         {{(L"/uninstall" + other).c_str(), "Service is already stopped.\nUninstalled service " + quoted + ".\n", 0}});
  EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), openError(guard.name()));
}

// The launcher as its own service host: the start line follows the install
// line and sets the exit code.
TEST(ServiceCommands, InstallAndStartInstallsThenStarts) {
  LauncherSandbox box(L"svcboth");
  ServiceGuard guard(uniqueName(L"Both"));
  std::wstring exe = box.pack(launcherContent(L"ZvtSvcUnusedKeyName", "1"));
  test::RunResult r = box.run(exe, L"/install-and-start " + guard.name());
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(textMode("Installed service '" + guard.narrow() + "'.\nStarting service '" + guard.narrow() + "'.\n"),
            r.out);
  EXPECT_EQ(0u, r.exitCode);
  Registration reg = registration(guard.name());
  ASSERT_TRUE(reg.found);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_DEMAND_START), reg.startType);
}

// A service that really runs: start parameters, status, stop with its wait,
// restart, and install over the running service.
TEST(ServiceCommands, StartStopRestartAndReinstallOfARunningService) {
  LauncherSandbox box(L"svcrun");
  ServiceGuard guard(uniqueName(L"Probe"));
  const std::wstring record = box.file(L"record.txt");
  ASSERT_TRUE(test::fileExists(probeServicePath())) << "zvt_probe_service.exe beside the test program";
  ASSERT_TRUE(createProbeService(guard.name(), test::quote(probeServicePath()) + L" " + test::quote(record),
                                 SERVICE_DEMAND_START));
  std::wstring exe = box.pack(launcherContent(L"ZvtSvcUnusedKeyName", "4"));
  const std::wstring n = L" " + guard.name();
  const std::string quoted = "'" + guard.narrow() + "'";
  const std::string starting = "Starting service " + quoted + ".\n";
  const std::string stopping = "Stopping service " + quoted + ".\nService stopped\n";

  // The first argument, the name, is not repeated among the start parameters.
  runAll(box, exe, {{(L"/start" + n + L" -x \"two words\"").c_str(), starting, 0}});
  std::vector<std::string> lines = recordLines(record, 1);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ("start|" + guard.narrow() + "|-x|two words", lines[0]);

  runAll(box, exe,
         {{(L"/status" + n).c_str(), "Running.\n", 0},
          {(L"/start" + n).c_str(), "Service is already running.\n", 0},
          {(L"/stop" + n).c_str(), stopping, 0}});
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), currentState(guard.name()));
  runAll(box, exe,
         {{(L"/stop" + n).c_str(), "Service is already stopped.\n", 0},
          {(L"/restart" + n).c_str(), "Service is already stopped.\n" + starting, 0}});
  lines = recordLines(record, 2);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ("start|" + guard.narrow(), lines[1]);

  runAll(box, exe, {{(L"/restart" + n + L" a").c_str(), stopping + starting, 0}});
  lines = recordLines(record, 3);
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ("start|" + guard.narrow() + "|a", lines[2]);

  // Install over the running service: the quiet stop still reports.
  runAll(box, exe, {{(L"/install-demand" + n).c_str(), stopping + "Installed service " + quoted + ".\n", 0}});
  EXPECT_EQ(L"\"" + longPath(exe) + L"\"", registration(guard.name()).binaryPath);
}

// A stop that stalls beyond the service's wait hint is an error, not a
// completed stop: the command says so and fails.
TEST(ServiceCommands, AStalledStopFails) {
  LauncherSandbox box(L"svcstall");
  ServiceGuard guard(uniqueName(L"Stall"));
  const std::wstring record = box.file(L"record.txt");
  ASSERT_TRUE(createProbeService(guard.name(), test::quote(probeServicePath()) + L" " + test::quote(record) + L" stall",
                                 SERVICE_DEMAND_START));
  std::wstring exe = box.pack(launcherContent(guard.name(), "4"));
  const std::string quoted = "'" + guard.narrow() + "'";
  runAll(box, exe, {{L"/start", "Starting service " + quoted + ".\n", 0}});
  ASSERT_EQ(1u, recordLines(record, 1).size());
  runAll(box, exe, {{L"/stop", "Stopping service " + quoted + ".\nError while stopping service\n", 1}});
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOP_PENDING), currentState(guard.name()));
}

// A configuration larger than the first 6000-byte buffer is read again with
// the size the system asks for.
TEST(ServiceCommands, StatusReadsALargeConfiguration) {
  LauncherSandbox box(L"svclarge");
  ServiceGuard guard(uniqueName(L"Large"));
  const std::wstring binaryPath = L"\"C:\\" + std::wstring(3200, L'p') + L".exe\"";
  ASSERT_TRUE(createProbeService(guard.name(), binaryPath, SERVICE_AUTO_START));
  ASSERT_GT(binaryPath.size() * 2, 6000u);
  std::wstring exe = box.pack(launcherContent(guard.name(), "4"));
  runAll(box, exe, {{L"/status", "Not running.\nAuto-start.\n", 3}});
}

}  // namespace
}  // namespace zvt::e2e
