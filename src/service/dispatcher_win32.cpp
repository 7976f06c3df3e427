#include <vector>

#include "base/win32.h"
#include "runtime/log.h"
#include "runtime/process_state.h"
#include "service/dispatcher.h"
#include "service/host_win32.h"

namespace zvt {

unsigned long runServiceDispatcher() {
  // The dispatcher keeps pointers into the table for as long as it runs.
  std::vector<wchar_t> name(processState().serviceName.begin(), processState().serviceName.end());
  name.push_back(L'\0');
  SERVICE_TABLE_ENTRYW table[] = {{name.data(), &serviceMain}, {nullptr, nullptr}};
  logLine(L"calling StartServiceCtrlDispatcher");
  DWORD error = 0;
  if (!StartServiceCtrlDispatcherW(table)) {
    error = GetLastError();
    logLine(L"StartServiceCtrlDispatcher failed with error %d", static_cast<int>(error));
  }
  logLine(L"StartServiceCtrlDispatcher returned");
  return error;
}

}  // namespace zvt
