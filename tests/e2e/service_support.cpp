#include "service_support.h"

#include "base/handle.h"
#include "support/service_guard.h"

// After <windows.h>, which it needs.
#include <tlhelp32.h>

namespace zvt::e2e {

SERVICE_STATUS_PROCESS queryStatus(const std::wstring& name) {
  SERVICE_STATUS_PROCESS status{};
  UniqueServiceHandle manager = test::openServiceManager();
  UniqueServiceHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
  DWORD needed = 0;
  if (!service || !QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                        sizeof(status), &needed)) {
    status.dwCurrentState = 0;
  }
  return status;
}

// Polls until the service reports `state` (or the time is up) and returns
// what it reported last.
SERVICE_STATUS_PROCESS waitForState(const std::wstring& name, DWORD state, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  SERVICE_STATUS_PROCESS status = queryStatus(name);
  while (status.dwCurrentState != state && GetTickCount() - start < timeoutMs) {
    Sleep(100);
    status = queryStatus(name);
  }
  return status;
}

// A bounded wait for no process of `exe` to be left: the host and the child
// are both instances of it.
size_t processesOf(const std::wstring& exe) {
  wchar_t want[MAX_PATH * 4];
  DWORD n = GetLongPathNameW(exe.c_str(), want, MAX_PATH * 4);
  std::wstring wanted = n > 0 && n < MAX_PATH * 4 ? std::wstring(want, n) : exe;
  size_t count = 0;
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (!process) continue;
    wchar_t image[MAX_PATH * 4];
    DWORD size = MAX_PATH * 4;
    if (!QueryFullProcessImageNameW(process.get(), 0, image, &size)) continue;
    if (CompareStringOrdinal(image, static_cast<int>(size), wanted.c_str(), static_cast<int>(wanted.size()), TRUE) ==
        CSTR_EQUAL) {
      ++count;
    }
  }
  return count;
}

size_t processesLeft(const std::wstring& exe) {
  size_t count = processesOf(exe);
  for (int i = 0; i < 100 && count != 0; ++i) {
    Sleep(100);
    count = processesOf(exe);
  }
  return count;
}

// StartService with these parameters; 0 or the error.
DWORD startWith(const std::wstring& name, const std::vector<std::wstring>& parameters) {
  UniqueServiceHandle manager = test::openServiceManager();
  UniqueServiceHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_START));
  if (!service) return GetLastError();
  std::vector<const wchar_t*> pointers;
  for (const std::wstring& p : parameters) pointers.push_back(p.c_str());
  if (!StartServiceW(service.get(), static_cast<DWORD>(pointers.size()),
                     pointers.empty() ? nullptr : pointers.data())) {
    return GetLastError();
  }
  return 0;
}

bool createProbeService(const std::wstring& name, const std::wstring& binaryPath, DWORD startType) {
  UniqueServiceHandle manager = test::openServiceManager();
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

}  // namespace zvt::e2e
