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
#include "service/stop_wait.h"

namespace zvt {
namespace {

constexpr size_t kConfigBufferBytes = kBufferCapacity;
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

// ChangeServiceConfig2W is looked up at run time: systems without it install
// the service without a description instead of failing to load the launcher.
void setDescription(SC_HANDLE service) {
  std::wstring text = config::getMessage(msg::kServiceDescription, kBufferCapacity);
  if (text.empty()) return;
  using ChangeConfig2 = BOOL(WINAPI*)(SC_HANDLE, DWORD, LPVOID);
  auto change = systemFunction<ChangeConfig2>(L"advapi32.dll", "ChangeServiceConfig2W");
  if (!change) return;
  SERVICE_DESCRIPTIONW description{&text[0]};
  change(service, SERVICE_CONFIG_DESCRIPTION, &description);  // no description is no failure
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

// Reads the start type. A configuration larger than the first buffer (a long
// binary path, many dependencies) is read again with the size the system
// asks for rather than reported as a failure.
bool queryStartType(SC_HANDLE service, DWORD& startType) {
  std::vector<BYTE> buffer(kConfigBufferBytes);
  DWORD needed = 0;
  BOOL ok = QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                                static_cast<DWORD>(buffer.size()), &needed);
  if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size() && needed <= kConfigBufferLimit) {
    buffer.resize(needed);
    ok = QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                             static_cast<DWORD>(buffer.size()), &needed);
  }
  if (!ok) {
    DWORD error = GetLastError();
    say(L"Could not get config (" + errorCode(error) + L", " + decimal(static_cast<int>(needed)) + L").\n");
    return false;
  }
  startType = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data())->dwStartType;
  return true;
}

}  // namespace

int installService(unsigned long startType) {
  uninstallService(false);  // a service of the same name is replaced
  UniqueServiceHandle manager = openManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) {
    say(L"Could not open SCManager.\n");
    return 1;
  }
  // Quoted, or the system would try "C:\Program.exe" for a path with blanks.
  const std::wstring binaryPath = L"\"" + modulePathW() + L"\"";
  const std::optional<std::wstring> dependencies =
      buildDependencyList(config::getConfigStringW(key::kServiceDependencies, kBufferCapacity));
  const wchar_t* name = serviceName().c_str();
  UniqueServiceHandle service(CreateServiceW(manager.get(), name, name, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                             startType, SERVICE_ERROR_NORMAL, binaryPath.c_str(), nullptr, nullptr,
                                             dependencies ? dependencies->c_str() : nullptr, nullptr, nullptr));
  if (!service) {
    say(L"Could not create service.\n");
    return 1;
  }
  setDescription(service.get());
  // The host's failure reports go to the Application event log under the
  // service's name; without the source the Event Viewer cannot show them.
  if (LONG status = registerEventSource(serviceName(), modulePathW()); status != ERROR_SUCCESS) {
    logError(L"could not register the event source '%ls' (%d)", serviceName().c_str(), static_cast<int>(status));
  }
  service.reset();
  manager.reset();
  say(L"Installed service " + quotedName() + L".\n");
  return 0;
}

int uninstallService(bool messages) {
  stopService(false);
  UniqueServiceHandle manager = openManager(SC_MANAGER_ALL_ACCESS);
  if (!manager) {
    if (messages) say(L"Could not open SCManager.\n");
    return 1;
  }
  UniqueServiceHandle service = openService(manager, DELETE);
  if (!service || !DeleteService(service.get())) {
    if (messages) say(L"Could not delete service.\n");
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
    say(L"Could not open SCManager.\n");
    return 1;
  }
  UniqueServiceHandle service = openService(manager, SERVICE_START);
  if (!service) {
    DWORD error = GetLastError();
    say(L"Could not start service. Error code: " + errorCode(error) + L"\n");
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
  say(L"Could not start service. Error code: " + errorCode(error) + L"\n");
  return 1;
}

int stopService(bool messages) {
  UniqueServiceHandle manager = openManager(SC_MANAGER_CONNECT);
  if (!manager) {
    if (messages) say(L"Could not open SCManager.\n");
    return 1;
  }
  UniqueServiceHandle service = openService(manager, SERVICE_STOP | SERVICE_QUERY_STATUS);
  if (!service) {
    if (messages) say(L"Could not stop service.\n");
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
  if (messages) say(L"Could not stop service.\n");
  return 1;
}

bool waitForStop(SC_HANDLE service) {
  ScmStopWait platform(service);
  return waitUntilStopped(platform);
}

int printServiceStatus() {
  UniqueServiceHandle manager = openManager(SC_MANAGER_CONNECT);
  if (!manager) {
    say(L"Could not open SCManager.\n");
    return 1;
  }
  UniqueServiceHandle service = openService(manager, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  if (!service || !QueryServiceStatus(service.get(), &status)) {
    say(L"Could not get status.\n");
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
  if (!queryStartType(service.get(), startType)) return 1;
  if (startType == SERVICE_AUTO_START) say(L"Auto-start.\n");
  return result;
}

}  // namespace zvt
