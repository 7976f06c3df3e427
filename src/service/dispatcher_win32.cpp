#include <vector>

#include "base/win32.h"
#include "runtime/log.h"
#include "runtime/process_state.h"
#include "service/dispatcher.h"

namespace zvt {
namespace {

// The service host (status reports, the service child, stop requests) is not
// built yet. Returning without registering a handler makes the Service
// Control Manager treat the start as failed instead of hanging.
void WINAPI serviceMain(DWORD argc, LPWSTR* argv) {
  (void)argc;
  (void)argv;
  logError(L"service main: the service host is not available yet");
}

}  // namespace

void runServiceDispatcher() {
  // The dispatcher keeps pointers into the table for as long as it runs.
  std::vector<wchar_t> name(processState().serviceName.begin(), processState().serviceName.end());
  name.push_back(L'\0');
  SERVICE_TABLE_ENTRYW table[] = {{name.data(), &serviceMain}, {nullptr, nullptr}};
  logLine(L"calling StartServiceCtrlDispatcher");
  if (!StartServiceCtrlDispatcherW(table)) {
    logLine(L"StartServiceCtrlDispatcher failed with error %d", static_cast<int>(GetLastError()));
  }
  logLine(L"StartServiceCtrlDispatcher returned");
}

}  // namespace zvt
