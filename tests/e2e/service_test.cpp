// The service commands end to end under the system's Service Control
// Manager: registration (quoted path, type, start type, account,
// dependencies, description), reinstallation, removal, status, start
// parameters, stop and restart, and the texts of every failure.
//
// Where a test needs a service that really runs, it registers the probe
// service built beside this program (probe_service.cpp) under a fresh name;
// the launcher's commands address services by name only.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/registry_win32.h"
#include "base/text.h"
#include "launcher_fixture.h"
#include "service_support.h"
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

// A value of the service's registry key, as text (REG_SZ) or decimal
// (REG_DWORD); "<absent>" when the key has no such value.
std::string registryValue(const std::wstring& name, const wchar_t* valueName) {
  UniqueRegKey key = registry::openKey(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\" + name, KEY_READ);
  registry::Value value = registry::queryValue(key.get(), valueName);
  if (!value.ok()) return "<absent>";
  if (value.type == REG_DWORD && value.bytes.size() == 4) {
    DWORD n = 0;
    memcpy(&n, value.bytes.data(), 4);
    return std::to_string(n);
  }
  std::wstring text = fromUtf16Le(value.bytes.data(), value.bytes.size() & ~size_t{1});
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return utf16ToUtf8(text);
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
  std::string err = "";
};

// The system's text for `error` as the launcher prints it on standard
// error: FormatMessage's text in the user's interface language, its line
// end replaced by one "\n". Wine has texts of its own ("Service does not
// exist." for 1060, "No security ID mapped." for 1332), so the expectation
// comes from the same system call, not from a copy of Windows' wording.
std::string reasonLine(DWORD error) {
  wchar_t buffer[1024];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, buffer,
                           1024, nullptr);
  std::wstring text(buffer, n);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  return utf16ToUtf8(text) + "\n";
}

// Wine's own export: the facts of its manager differ from Windows' where
// the tests say so.
bool underWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

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
    EXPECT_EQ(textMode(step.err), r.err) << label;
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
  // Without the settings of service.account, display-name, delayed-start and
  // service.recovery the registration is the Part's: no account name (the
  // manager stores and reports LocalSystem), the name as display name, and
  // none of the values those settings write.
  EXPECT_EQ("LocalSystem", registryValue(guard.name(), L"ObjectName"));
  EXPECT_EQ(guard.narrow(), registryValue(guard.name(), L"DisplayName"));
  for (const wchar_t* value : {L"DelayedAutostart", L"FailureActions", L"FailureActionsOnNonCrashFailures"}) {
    EXPECT_EQ("<absent>", registryValue(guard.name(), value)) << utf16ToUtf8(value);
  }

  // Installed and stopped: install and uninstall both stop it quietly first.
  runAll(box, exe,
         {{L"/status", "Not running.\nAuto-start.\nAccount: LocalSystem\n", 3},
          {L"/install", "Service is already stopped.\nInstalled service " + quoted + ".\n", 0},
          {L"/uninstall", "Service is already stopped.\nUninstalled service " + quoted + ".\n", 0}});
  EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), openError(guard.name()));
}

// Each command's line on standard output is the Part's; the system's reason
// follows on standard error (the quiet stop of /uninstall and /restart adds
// none).
TEST(ServiceCommands, EveryCommandOnAMissingServiceSaysWhatFailedAndWhy) {
  LauncherSandbox box(L"svcmissing");
  const std::wstring name = uniqueName(L"Missing");
  ASSERT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), openError(name));
  std::wstring exe = box.pack(launcherContent(name, "4"));
  const std::string why = reasonLine(ERROR_SERVICE_DOES_NOT_EXIST);
  ASSERT_GT(why.size(), 1u);
  runAll(box, exe,
         {{L"/status", "Could not get status.\n", 1, why},
          {L"/uninstall", "Could not delete service.\n", 1, why},
          {L"/stop", "Could not stop service.\n", 1, why},
          {L"/start", "Could not start service. Error code: 1060\n", 1, why},
          {L"/restart", "Could not start service. Error code: 1060\n", 1, why}});
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
  // No start-type line for a demand start.
  runAll(box, exe, {{(L"/status" + other).c_str(), "Not running.\nAccount: LocalSystem\n", 3}});

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
         {{(L"/status" + n).c_str(), "Running.\nAccount: LocalSystem\n", 0},
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
  runAll(box, exe, {{L"/status", "Not running.\nAuto-start.\nAccount: LocalSystem\n", 3}});
}

// service.account: each kind registers the account name the system knows,
// and /status reports it. Wine 8's manager stores the name given to
// CreateServiceW as it is (ObjectName) and reports it from
// QueryServiceConfigW; it checks no account, and keeps no password.
TEST(ServiceCommands, AccountKindsRegisterTheirAccountNames) {
  struct Case {
    const char* kind;
    const wchar_t* purpose;
    std::wstring (*expected)(const std::wstring& name);
  };
  const Case cases[] = {
      {"local-system", L"AcctSystem", [](const std::wstring&) { return std::wstring(L"LocalSystem"); }},
      {"local-service", L"AcctLocal",
       [](const std::wstring&) { return std::wstring(L"NT AUTHORITY\\LocalService"); }},
      {"network-service", L"AcctNetwork",
       [](const std::wstring&) { return std::wstring(L"NT AUTHORITY\\NetworkService"); }},
      {"virtual", L"AcctVirtual", [](const std::wstring& name) { return L"NT SERVICE\\" + name; }},
  };
  for (const Case& c : cases) {
    LauncherSandbox box(c.purpose);
    ServiceGuard guard(uniqueName(c.purpose));
    block::Content content = launcherContent(guard.name(), "1");
    content.entries.push_back({30101, c.kind});
    std::wstring exe = box.pack(content);
    const std::wstring account = c.expected(guard.name());
    runAll(box, exe,
           {{L"/install", "Installed service '" + guard.narrow() + "'.\n", 0},
            {L"/status", "Not running.\nAccount: " + utf16ToUtf8(account) + "\n", 3}});
    Registration r = registration(guard.name());
    ASSERT_TRUE(r.found) << c.kind;
    EXPECT_EQ(account, r.account) << c.kind;
    EXPECT_EQ(utf16ToUtf8(account), registryValue(guard.name(), L"ObjectName")) << c.kind;
  }
}

std::wstring currentUser() {
  wchar_t user[256];
  DWORD size = 256;
  return GetUserNameW(user, &size) ? std::wstring(user) : std::wstring();
}

// A named account takes its password as one line of standard input (a
// process started with pipes has no console; under Wine none at all). The
// password reaches neither the output nor the log. The launcher looks the
// account up with "." replaced by the computer's name: Wine 8's
// LookupAccountNameW knows "<COMPUTER>\<user>" for the user the prefix runs
// as (GetUserNameW). Wine's CreateServiceW accepts the account, and no
// value of the service's key holds the password; that the password
// reaches CreateServiceW is tested in-process (InstallCalls in tests/win).
TEST(ServiceCommands, ANamedAccountTakesItsPasswordFromStandardInput) {
  LauncherSandbox box(L"svcnamed");
  ServiceGuard guard(uniqueName(L"Named"));
  const std::wstring account = L".\\" + currentUser();
  ASSERT_GT(account.size(), 2u);
  block::Content content = launcherContent(guard.name(), "1");
  content.entries.push_back({30101, utf16ToUtf8(account)});
  std::wstring exe = box.pack(content);
  const std::string password = "Zvt-s3cret-\xC3\xA4-pw";  // UTF-8 on the pipe
  test::RunOptions options;
  options.setEnv[L"QUARN_LOG"] = L"yes";
  options.input = password + "\r\nnot read\n";
  test::RunResult r = box.run(exe, L"/install", options);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(textMode("Installed service '" + guard.narrow() + "'.\n"), r.out);
  EXPECT_EQ("", r.err);  // no prompt without a console
  EXPECT_EQ(0u, r.exitCode);
  Registration reg = registration(guard.name());
  ASSERT_TRUE(reg.found);
  EXPECT_EQ(account, reg.account);
  const std::string log = box.log();
  EXPECT_FALSE(log.empty()) << "the log was switched on";
  for (const std::string& seen : {r.out, r.err, log}) {
    EXPECT_EQ(std::string::npos, seen.find("s3cret")) << seen;
  }
  UniqueRegKey key = registry::openKey(HKEY_LOCAL_MACHINE,
                                       L"SYSTEM\\CurrentControlSet\\Services\\" + guard.name(), KEY_READ);
  for (DWORD i = 0;; ++i) {
    wchar_t valueName[256];
    DWORD nameSize = 256, type = 0;
    BYTE data[4096];
    DWORD dataSize = sizeof(data);
    if (RegEnumValueW(key.get(), i, valueName, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    std::string bytes(reinterpret_cast<char*>(data), dataSize);
    EXPECT_EQ(std::string::npos, bytes.find("s3cret")) << utf16ToUtf8(valueName);
    EXPECT_EQ(std::string::npos, bytes.find(std::string("s\0" "3\0" "c\0", 6))) << utf16ToUtf8(valueName);
  }
}

// An account the system does not know is refused before anything changes:
// the installed service of the same name stays as it was. Wine 8's
// LookupAccountNameW fails with 1332 (ERROR_NONE_MAPPED) for an unknown
// user; its CreateServiceW would have accepted any name. A known account
// without a password line (standard input ends at once) changes nothing
// either.
TEST(ServiceCommands, AnAccountTheSystemRefusesLeavesNothingInstalled) {
  LauncherSandbox box(L"svcrefused");
  ServiceGuard guard(uniqueName(L"Refused"));
  std::wstring plain = box.pack(launcherContent(guard.name(), "1"), L"plain.exe");
  block::Content content = launcherContent(guard.name(), "1");
  content.entries.push_back({30101, ".\\zvtnosuchuser"});
  std::wstring refused = box.pack(content, L"refused.exe");
  const std::string failed = "Could not create service.\n";

  test::RunOptions piped;
  piped.input = "pw\n";
  test::RunResult r = box.run(refused, L"/install", piped);
  EXPECT_EQ(textMode(failed), r.out);
  EXPECT_EQ(textMode("The service account '.\\zvtnosuchuser' was refused: " + reasonLine(ERROR_NONE_MAPPED)), r.err);
  EXPECT_EQ(1u, r.exitCode);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), openError(guard.name()));

  runAll(box, plain, {{L"/install", "Installed service '" + guard.narrow() + "'.\n", 0}});
  r = box.run(refused, L"/install", piped);
  EXPECT_EQ(textMode(failed), r.out);
  EXPECT_EQ(1u, r.exitCode);
  Registration reg = registration(guard.name());
  ASSERT_TRUE(reg.found) << "the earlier service stays";
  EXPECT_EQ(L"\"" + longPath(plain) + L"\"", reg.binaryPath);
  EXPECT_EQ(L"LocalSystem", reg.account);

  // A known account, but standard input ends at once: no password, nothing
  // changes either.
  content.entries.back().value = utf16ToUtf8(L".\\" + currentUser());
  std::wstring known = box.pack(content, L"known.exe");
  r = box.run(known, L"/install");
  EXPECT_EQ(textMode(failed), r.out);
  EXPECT_EQ(textMode("No password for the service account '" + utf16ToUtf8(L".\\" + currentUser()) +
                     "': give it on the console, or as one line on standard input.\n"),
            r.err);
  EXPECT_EQ(1u, r.exitCode);
  reg = registration(guard.name());
  ASSERT_TRUE(reg.found);
  EXPECT_EQ(L"LocalSystem", reg.account);
}

// service.display-name: what the services console shows. Wine 8 stores it
// (DisplayName) and reports it from QueryServiceConfigW; a second service
// with the same display name is refused with 1078
// (ERROR_DUPLICATE_SERVICE_NAME), and the reason reaches standard error.
TEST(ServiceCommands, TheDisplayNameIsRegistered) {
  LauncherSandbox box(L"svcdisplay");
  ServiceGuard guard(uniqueName(L"Display"));
  ServiceGuard second(uniqueName(L"Display2"));
  const std::string display = "Orders \xE4 " + guard.narrow();  // Latin-1 in the block, read byte by byte
  block::Content content = launcherContent(guard.name(), "1");
  content.entries.push_back({30102, display});
  std::wstring exe = box.pack(content);
  runAll(box, exe, {{L"/install", "Installed service '" + guard.narrow() + "'.\n", 0}});
  Registration r = registration(guard.name());
  ASSERT_TRUE(r.found);
  EXPECT_EQ(L"Orders \x00E4 " + guard.name(), r.displayName);
  EXPECT_EQ(utf16ToUtf8(L"Orders \x00E4 " + guard.name()), registryValue(guard.name(), L"DisplayName"));

  runAll(box, exe,
         {{(L"/install " + second.name()).c_str(), "Could not create service.\n", 1,
           reasonLine(ERROR_DUPLICATE_SERVICE_NAME)}});
  EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), openError(second.name()));
}

// service.delayed-start with an automatic start. Windows reports it from
// QueryServiceConfig2W (SERVICE_CONFIG_DELAYED_AUTO_START_INFO). Wine 8's
// ChangeServiceConfig2W refuses that level with ERROR_INVALID_LEVEL (124,
// "Invalid level.") and so does its QueryServiceConfig2W: there /install
// reports the refusal and removes the service again. What the launcher
// passes is tested in-process (InstallCalls in tests/win).
TEST(ServiceCommands, DelayedStartIsRegisteredOrTheInstallIsUndone) {
  LauncherSandbox box(L"svcdelayed");
  ServiceGuard guard(uniqueName(L"Delayed"));
  block::Content content = launcherContent(guard.name(), "4");
  content.entries.push_back({30103, "1"});
  std::wstring exe = box.pack(content);
  test::RunResult r = box.run(exe, L"/install");
  if (underWine()) {
    EXPECT_EQ(textMode("Could not create service.\n"), r.out);
    EXPECT_EQ(textMode("Delayed automatic start was refused: " + reasonLine(ERROR_INVALID_LEVEL)), r.err);
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), openError(guard.name()));
  } else {
    EXPECT_EQ(0u, r.exitCode) << r.err;
    UniqueServiceHandle manager = openServiceManager();
    UniqueServiceHandle service(OpenServiceW(manager.get(), guard.name().c_str(), SERVICE_QUERY_CONFIG));
    SERVICE_DELAYED_AUTO_START_INFO info{};
    DWORD needed = 0;
    ASSERT_TRUE(QueryServiceConfig2W(service.get(), SERVICE_CONFIG_DELAYED_AUTO_START_INFO,
                                     reinterpret_cast<BYTE*>(&info), sizeof(info), &needed));
    EXPECT_TRUE(info.fDelayedAutostart);
  }
  // Installed on demand, the setting does not apply and nothing is refused.
  runAll(box, exe, {{L"/install-demand", "Installed service '" + guard.narrow() + "'.\n", 0}});
  EXPECT_EQ(static_cast<DWORD>(SERVICE_DEMAND_START), registration(guard.name()).startType);
}

// service.recovery. Windows reports the actions from QueryServiceConfig2W
// (SERVICE_CONFIG_FAILURE_ACTIONS, _FLAG). Wine 8's ChangeServiceConfig2W
// accepts SERVICE_CONFIG_FAILURE_ACTIONS and stores nothing (no
// FailureActions value; QueryServiceConfig2W answers ERROR_INVALID_LEVEL),
// and refuses SERVICE_CONFIG_FAILURE_ACTIONS_FLAG with ERROR_INVALID_LEVEL: so
// with count-error-exits (the default) /install is undone there, without it
// the service installs. What the launcher passes is tested in-process
// (InstallCalls in tests/win).
TEST(ServiceCommands, RecoveryActionsAreRegisteredOrTheInstallIsUndone) {
  LauncherSandbox box(L"svcrecovery");
  ServiceGuard guard(uniqueName(L"Recovery"));
  block::Content content = launcherContent(guard.name(), "1");
  content.entries.push_back({30104, "restart"});
  content.entries.push_back({30105, "5"});
  content.entries.push_back({30106, "restart"});
  content.entries.push_back({30110, "3600"});
  std::wstring withFlag = box.pack(content, L"flag.exe");
  content.entries.push_back({30111, "0"});
  std::wstring withoutFlag = box.pack(content, L"noflag.exe");

  test::RunResult r = box.run(withFlag, L"/install");
  if (underWine()) {
    EXPECT_EQ(textMode("Could not create service.\n"), r.out);
    EXPECT_EQ(textMode("Counting a stop with an error exit code as a failure was refused: " +
                       reasonLine(ERROR_INVALID_LEVEL)),
              r.err);
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), openError(guard.name()));
  } else {
    EXPECT_EQ(0u, r.exitCode) << r.err;
  }

  runAll(box, withoutFlag, {{L"/install", "Installed service '" + guard.narrow() + "'.\n", 0}});
  UniqueServiceHandle manager = openServiceManager();
  UniqueServiceHandle service(OpenServiceW(manager.get(), guard.name().c_str(), SERVICE_QUERY_CONFIG));
  ASSERT_TRUE(service);
  std::vector<BYTE> buffer(4096);
  DWORD needed = 0;
  BOOL ok = QueryServiceConfig2W(service.get(), SERVICE_CONFIG_FAILURE_ACTIONS, buffer.data(),
                                 static_cast<DWORD>(buffer.size()), &needed);
  if (underWine()) {
    EXPECT_FALSE(ok);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_LEVEL), GetLastError());
    EXPECT_EQ("<absent>", registryValue(guard.name(), L"FailureActions"));
  } else {
    ASSERT_TRUE(ok);
    const auto* actions = reinterpret_cast<const SERVICE_FAILURE_ACTIONSW*>(buffer.data());
    EXPECT_EQ(3600u, actions->dwResetPeriod);
    ASSERT_EQ(3u, actions->cActions);
    EXPECT_EQ(SC_ACTION_RESTART, actions->lpsaActions[0].Type);
    EXPECT_EQ(5000u, actions->lpsaActions[0].Delay);
    EXPECT_EQ(SC_ACTION_RESTART, actions->lpsaActions[1].Type);
    EXPECT_EQ(60000u, actions->lpsaActions[1].Delay);
    EXPECT_EQ(SC_ACTION_NONE, actions->lpsaActions[2].Type);
  }
}

// A setting the packer would refuse, stored raw: /install refuses it before
// the installed service is touched.
TEST(ServiceCommands, ARefusedSettingLeavesTheInstalledServiceAlone) {
  LauncherSandbox box(L"svcbadsetting");
  ServiceGuard guard(uniqueName(L"BadSetting"));
  std::wstring plain = box.pack(launcherContent(guard.name(), "1"), L"plain.exe");
  block::Content content = launcherContent(guard.name(), "1");
  content.entries.push_back({30104, "restart"});
  content.entries.push_back({30105, "-1"});
  std::wstring bad = box.pack(content, L"bad.exe");
  runAll(box, plain, {{L"/install", "Installed service '" + guard.narrow() + "'.\n", 0}});
  runAll(box, bad,
         {{L"/install", "Could not create service.\n", 1,
           "service.recovery.first-failure-delay: expected seconds, 0 to 4294967\n"}});
  EXPECT_EQ(L"\"" + longPath(plain) + L"\"", registration(guard.name()).binaryPath);
}

}  // namespace
}  // namespace zvt::e2e
