#include "service/console_handler_win32.h"

#include "runtime/log.h"

namespace zvt {

BOOL WINAPI consoleHandler(DWORD event) {
  (void)event;
  logLine(L"ConsoleCtrlHandler event");
  return TRUE;
}

void installConsoleHandler() {
  logLine(L"registering ConsoleCtrlHandler");
  SetConsoleCtrlHandler(&consoleHandler, TRUE);
}

}  // namespace zvt
