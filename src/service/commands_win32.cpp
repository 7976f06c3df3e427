#include "runtime/console.h"
#include "runtime/log.h"
#include "service/commands.h"

namespace zvt {
namespace {

int notAvailable(const wchar_t* operation) {
  logError(L"%ls: not available yet", operation);
  writeConsoleText(stderr, std::wstring(operation) + L" is not available yet.\n");
  return 1;
}

}  // namespace

// The Service Control Manager commands are not built yet; each reports that
// and fails, so no caller mistakes a missing command for success.
int installService(unsigned long) { return notAvailable(L"Installing the service"); }
int uninstallService(bool) { return notAvailable(L"Uninstalling the service"); }
int startService(const ArgumentList&) { return notAvailable(L"Starting the service"); }
int stopService(bool) { return notAvailable(L"Stopping the service"); }
int printServiceStatus() { return notAvailable(L"Service status"); }

}  // namespace zvt
