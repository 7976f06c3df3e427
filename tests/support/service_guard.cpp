#include "support/service_guard.h"

#include "base/text.h"

namespace zvt::test {

std::wstring uniqueServiceName(const wchar_t* purpose) {
  static const std::wstring run = std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount());
  return L"ZvtSvc" + std::wstring(purpose) + run;
}

UniqueServiceHandle openServiceManager() {
  return UniqueServiceHandle(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
}

ServiceGuard::~ServiceGuard() {
  UniqueServiceHandle manager = openServiceManager();
  UniqueServiceHandle service(OpenServiceW(manager.get(), name_.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
  if (!service) return;
  SERVICE_STATUS status{};
  ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
  for (int i = 0; i < 100 && QueryServiceStatus(service.get(), &status) && status.dwCurrentState != SERVICE_STOPPED;
       ++i) {
    Sleep(100);
  }
  DeleteService(service.get());
}

std::string ServiceGuard::narrow() const {
  return utf16ToUtf8(name_);
}

}  // namespace zvt::test
