#include <cstring>
#include <optional>
#include <vector>

#include "base/capacity.h"
#include "base/handle.h"
#include "base/system_function_win32.h"
#include "base/text.h"
#include "config/accessors.h"
#include "config/keys.h"
#include "runtime/console.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"
#include "runtime/log.h"
#include "service/commands_win32.h"
#include "service/dependencies.h"
#include "service/event_report_win32.h"
#include "service/install_calls_win32.h"
#include "service/install_options.h"
#include "service/password_win32.h"
#include "service/stop_wait.h"

namespace zvt {
namespace {

constexpr size_t kConfigBufferBytes = kBufferCapacity;
const wchar_t kNotCreated[] = L"Could not create service.\n";
// QueryServiceConfig never needs more than 8 KB.
constexpr DWORD kConfigBufferLimit = 8192;

void say(const std::wstring& text) {
  writeConsoleText(stdout, text);
}


const std::wstring& serviceName() {
  return processState().serviceName;
}

std::wstring quotedName() {
  return L"'" + serviceName() + L"'";
}

std::wstring errorCode(DWORD error) {
  return decimal(static_cast<int>(error));
}

// No machine name, no database name: the active database of this machine.
UniqueServiceHandle openManager(DWORD access) {
  return UniqueServiceHandle(OpenSCManagerW(nullptr, nullptr, access));
}

UniqueServiceHandle openService(const UniqueServiceHandle& manager, DWORD access) {
  return UniqueServiceHandle(OpenServiceW(manager.get(), serviceName().c_str(), access));
}

class ScmStopWait : public StopWaitPlatform {
 public:
  explicit ScmStopWait(SC_HANDLE service) : service_(service) {}
  bool query(ServiceProgress& progress) override {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service_, &status)) return false;
    progress.state = status.dwCurrentState;
    progress.checkPoint = status.dwCheckPoint;
    progress.waitHint = status.dwWaitHint;
    return true;
  }
  void sleep(uint32_t milliseconds) override { Sleep(milliseconds); }
  uint32_t ticks() override { return GetTickCount(); }

 private:
  SC_HANDLE service_;
};

// Reads the start type and the account. A configuration larger than the
// first buffer (a long binary path, many dependencies) is read again with
// the size the system asks for rather than reported as a failure.
// QueryServiceConfigW with a buffer that grows once to what it asks for;
// false with the error and the size it asked for.
bool readConfig(SC_HANDLE service, DWORD& startType, std::wstring& account, DWORD& error, DWORD& needed) {
  std::vector<BYTE> buffer(kConfigBufferBytes);
  needed = 0;
  BOOL ok = QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                                static_cast<DWORD>(buffer.size()), &needed);
  if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size() && needed <= kConfigBufferLimit) {
    buffer.resize(needed);
    ok = QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                             static_cast<DWORD>(buffer.size()), &needed);
  }
  if (!ok) {
    error = GetLastError();
    return false;
  }
  const auto* config = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data());
  startType = config->dwStartType;
  account = config->lpServiceStartName ? config->lpServiceStartName : L"";
  return true;
}

bool queryConfig(SC_HANDLE service, DWORD& startType, std::wstring& account) {
  DWORD error = 0;
  DWORD needed = 0;
  if (readConfig(service, startType, account, error, needed)) return true;
  const std::wstring line =
      L"Could not get config (" + errorCode(error) + L", " + decimal(static_cast<int>(needed)) + L").\n";
  failWith(line.c_str(), error);
  return false;
}

InstallSettings readInstallSettings() {
  static const struct {
    std::string InstallSettings::*field;
    uint32_t id;
  } kNarrow[] = {
      {&InstallSettings::delayedStart, key::kServiceDelayedStart},
      {&InstallSettings::firstFailure, key::kRecoveryFirstFailure},
      {&InstallSettings::firstFailureDelay, key::kRecoveryFirstFailureDelay},
      {&InstallSettings::secondFailure, key::kRecoverySecondFailure},
      {&InstallSettings::secondFailureDelay, key::kRecoverySecondFailureDelay},
      {&InstallSettings::laterFailures, key::kRecoveryLaterFailures},
      {&InstallSettings::laterFailuresDelay, key::kRecoveryLaterFailuresDelay},
      {&InstallSettings::resetAfter, key::kRecoveryResetAfter},
      {&InstallSettings::countErrorExits, key::kRecoveryCountErrorExits},
  };
  InstallSettings s;
  s.account = config::getConfigStringW(key::kServiceAccount, kBufferCapacity);
  s.displayName = config::getConfigStringW(key::kServiceDisplayName, kBufferCapacity);
  for (const auto& k : kNarrow) s.*k.field = config::getConfigString(k.id);
  return s;
}

// ".\user" names an account of this machine; the lookup wants the
// machine's name in its place.
std::wstring lookupName(const std::wstring& account) {
  if (account.compare(0, 2, L".\\") != 0) return account;
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(computer, &size)) return account;
  return std::wstring(computer, size) + account.substr(1);
}

// 0 when the system knows the named account, else the error of the lookup
// (1332: no such account).
DWORD lookUpAccount(const std::wstring& account) {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof(sid);
  wchar_t domain[256];
  DWORD domainSize = 256;
  SID_NAME_USE use;
  if (LookupAccountNameW(nullptr, lookupName(account).c_str(), sid, &sidSize, domain, &domainSize, &use)) return 0;
  DWORD error = GetLastError();
  return error == 0 ? static_cast<DWORD>(ERROR_NONE_MAPPED) : error;
}

class ScmInstallCalls : public InstallCalls {
 public:
  explicit ScmInstallCalls(SC_HANDLE manager) : manager_(manager) {}
  bool create(const CreateRequest& r, DWORD& error) override {
    service_.reset(CreateServiceW(manager_, r.name, r.displayName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                  r.startType, SERVICE_ERROR_NORMAL, r.binaryPath, nullptr, nullptr,
                                  r.dependencies, r.account, r.password));
    error = service_ ? 0 : GetLastError();
    return static_cast<bool>(service_);
  }
  // Looked up at run time: systems without the function install the service
  // without a description instead of failing to load the launcher.
  bool changeConfig2(DWORD level, void* info, DWORD& error) override {
    using ChangeConfig2 = BOOL(WINAPI*)(SC_HANDLE, DWORD, LPVOID);
    auto change = systemFunction<ChangeConfig2>(L"advapi32.dll", "ChangeServiceConfig2W");
    if (!change) {
      error = ERROR_CALL_NOT_IMPLEMENTED;
      return false;
    }
    SetLastError(0);
    if (change(service_.get(), level, info)) return true;
    error = GetLastError();
    return false;
  }
  void remove() override {
    if (service_) DeleteService(service_.get());
    service_.reset();
  }

 private:
  SC_HANDLE manager_;
  UniqueServiceHandle service_;
};

}  // namespace

int installService(unsigned long startType) {
  // Everything that can be checked before the old service is removed is
  // checked first: a refused setting or account leaves it as it was.
  InstallPlan plan;
  const char* problem = "";
  if (!planInstall(readInstallSettings(), serviceName(), startType, plan, problem)) {
    writeParts(stdout, {kNotCreated});
    writeParts(stderr, {utf8ToUtf16(problem).c_str(), L"\n"});
    return 1;
  }
  // A named account: known to the system first (no password is asked for an
  // account that does not exist), then its password.
  std::wstring password;
  if (plan.account.needsPassword()) {
    if (DWORD error = lookUpAccount(plan.account.name)) {
      writeParts(stdout, {kNotCreated});
      writeParts(stderr, {L"The service account '", plan.account.name.c_str(), L"' was refused: ",
                          systemErrorText(error).c_str(), L"\n"});
      return 1;
    }
    if (!readPassword(plan.account.name, password)) {
      wipe(password);
      writeParts(stdout, {kNotCreated});
      writeParts(stderr, {L"No password for the service account '", plan.account.name.c_str(),
                          L"': give it on the console, or as one line on standard input.\n"});
      return 1;
    }
  }
  uninstallService(false);  // a service of the same name is replaced
  UniqueServiceHandle manager = openManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) {
    DWORD error = GetLastError();
    wipe(password);
    failWith(L"Could not open SCManager.\n", error);
    return 1;
  }
  // Quoted, or the system would try "C:\Program.exe" for a path with blanks.
  const std::wstring binaryPath = L"\"" + modulePathW() + L"\"";
  const std::optional<std::wstring> dependencies =
      buildDependencyList(config::getConfigStringW(key::kServiceDependencies, kBufferCapacity));
  CreateRequest request;
  request.name = serviceName().c_str();
  request.startType = startType;
  request.binaryPath = binaryPath.c_str();
  request.dependencies = dependencies ? dependencies->c_str() : nullptr;
  if (plan.account.needsPassword()) request.password = password.c_str();
  ScmInstallCalls calls(manager.get());
  const int result =
      registerService(plan, request, config::getMessage(msg::kServiceDescription, kBufferCapacity), calls);
  wipe(password);
  // The host's failure reports go to the Application event log under the
  // service's name; without the source the Event Viewer cannot show them.
  if (result == 0) {
    if (LONG status = registerEventSource(serviceName(), modulePathW()); status != ERROR_SUCCESS) {
      logError(L"could not register the event source '%ls' (%d)", serviceName().c_str(), static_cast<int>(status));
    }
  }
  return result;
}

int uninstallService(bool messages) {
  stopService(false);
  UniqueServiceHandle manager = openManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) {
    DWORD error = GetLastError();
    if (messages) {
      failWith(L"Could not open SCManager.\n", error);
    }
    return 1;
  }
  UniqueServiceHandle service = openService(manager, DELETE);
  if (!service || !DeleteService(service.get())) {
    DWORD error = GetLastError();
    if (messages) {
      failWith(L"Could not delete service.\n", error);
    }
    return 1;
  }
  service.reset();
  manager.reset();
  if (LONG status = removeEventSource(serviceName()); status != ERROR_SUCCESS) {
    logError(L"could not remove the event source '%ls' (%d)", serviceName().c_str(), static_cast<int>(status));
  }
  if (messages) say(L"Uninstalled service " + quotedName() + L".\n");
  return 0;
}

int startService(const ArgumentList& arguments) {
  UniqueServiceHandle manager = openManager(SC_MANAGER_CONNECT);
  if (!manager) {
    DWORD error = GetLastError();
    failWith(L"Could not open SCManager.\n", error);
    return 1;
  }
  UniqueServiceHandle service = openService(manager, SERVICE_START);
  if (!service) {
    DWORD error = GetLastError();
    failWith((L"Could not start service. Error code: " + errorCode(error) + L"\n").c_str(), error);
    return 1;
  }
  // The first argument is the service name itself, which the system passes
  // to the service main anyway.
  std::vector<const wchar_t*> parameters;
  for (size_t i = 1; i < arguments.size(); ++i) parameters.push_back(arguments[i].c_str());
  if (StartServiceW(service.get(), static_cast<DWORD>(parameters.size()),
                    parameters.empty() ? nullptr : parameters.data())) {
    say(L"Starting service " + quotedName() + L".\n");
    return 0;
  }
  DWORD error = GetLastError();
  if (error == ERROR_SERVICE_ALREADY_RUNNING) {
    say(L"Service is already running.\n");
    return 0;
  }
  failWith((L"Could not start service. Error code: " + errorCode(error) + L"\n").c_str(), error);
  return 1;
}

int stopService(bool messages) {
  UniqueServiceHandle manager = openManager(SC_MANAGER_CONNECT);
  if (!manager) {
    DWORD error = GetLastError();
    if (messages) {
      failWith(L"Could not open SCManager.\n", error);
    }
    return 1;
  }
  UniqueServiceHandle service = openService(manager, SERVICE_STOP | SERVICE_QUERY_STATUS);
  if (!service) {
    DWORD error = GetLastError();
    if (messages) {
      failWith(L"Could not stop service.\n", error);
    }
    return 1;
  }
  SERVICE_STATUS status{};
  if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
    say(L"Stopping service " + quotedName() + L".\n");
    if (waitForStop(service.get())) {
      say(L"Service stopped\n");
      return 0;
    }
    // The service is still running or stopping: a script must not take
    // this for a completed stop.
    say(L"Error while stopping service\n");
    return 1;
  }
  DWORD error = GetLastError();
  if (error == ERROR_SERVICE_NOT_ACTIVE) {
    say(L"Service is already stopped.\n");
    return 0;
  }
  if (messages) {
    failWith(L"Could not stop service.\n", error);
  }
  return 1;
}

bool waitForStop(SC_HANDLE service) {
  ScmStopWait platform(service);
  return waitUntilStopped(platform);
}

int printServiceStatus() {
  UniqueServiceHandle manager = openManager(SC_MANAGER_CONNECT);
  if (!manager) {
    DWORD error = GetLastError();
    failWith(L"Could not open SCManager.\n", error);
    return 1;
  }
  UniqueServiceHandle service = openService(manager, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  if (!service || !QueryServiceStatus(service.get(), &status)) {
    DWORD error = GetLastError();
    failWith(L"Could not get status.\n", error);
    return 1;
  }
  int result = 3;
  if (status.dwCurrentState == SERVICE_RUNNING) {
    say(L"Running.\n");
    result = 0;
  } else {
    say(L"Not running.\n");
  }
  DWORD startType = 0;
  std::wstring account;
  if (!queryConfig(service.get(), startType, account)) return 1;
  if (startType == SERVICE_AUTO_START) say(L"Auto-start.\n");
  writeParts(stdout, {L"Account: ", account.c_str(), L"\n"});
  return result;
}

ServiceView queryServiceView() {
  ServiceView view;
  UniqueServiceHandle manager = openManager(SC_MANAGER_CONNECT);
  if (!manager) {
    view.error = GetLastError();
    return view;
  }
  UniqueServiceHandle service = openService(manager, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS);
  if (!service) {
    view.error = GetLastError();
    return view;
  }
  view.installed = true;
  SERVICE_STATUS status{};
  if (QueryServiceStatus(service.get(), &status)) view.state = status.dwCurrentState;
  DWORD needed = 0;
  if (!readConfig(service.get(), view.startType, view.account, view.error, needed)) view.startType = 0;
  return view;
}

}  // namespace zvt
