#include "service/event_report_win32.h"

#include "base/registry_win32.h"

namespace zvt {
namespace {

const wchar_t* const kApplicationSources = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";

// Releases a handle of RegisterEventSourceW.
struct EventSource {
  HANDLE handle;
  ~EventSource() {
    if (handle != nullptr) DeregisterEventSource(handle);
  }
};

}  // namespace

bool writeEventLogEntry(const std::wstring& serviceName, const std::wstring& summary, const std::wstring& output,
                        bool warning) {
  EventSource source{RegisterEventSourceW(nullptr, serviceName.c_str())};
  if (source.handle == nullptr) return false;
  const wchar_t* strings[2] = {summary.c_str(), output.c_str()};
  return ReportEventW(source.handle, warning ? EVENTLOG_WARNING_TYPE : EVENTLOG_ERROR_TYPE, 0, kServiceEventId,
                      nullptr, 2, 0, strings, nullptr) != FALSE;
}

LONG registerEventSource(const std::wstring& serviceName, const std::wstring& executable) {
  LONG status = ERROR_SUCCESS;
  UniqueRegKey key = registry::createKey(HKEY_LOCAL_MACHINE, kApplicationSources + serviceName, KEY_WRITE, &status);
  if (!key) return status;
  // REG_EXPAND_SZ, as the system's own sources name their files.
  status = registry::setRaw(key.get(), L"EventMessageFile", REG_EXPAND_SZ, executable.c_str(),
                            (executable.size() + 1) * sizeof(wchar_t));
  if (status != ERROR_SUCCESS) return status;
  return registry::setDword(key.get(), L"TypesSupported",
                            EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE);
}

LONG removeEventSource(const std::wstring& serviceName) {
  LONG status = registry::deleteTree(HKEY_LOCAL_MACHINE, kApplicationSources + serviceName);
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

}  // namespace zvt
