// The console control handler of the service host and the service child.
#pragma once

#include "base/win32.h"

namespace zvt {

// Logs the event and reports it handled, so no console event (interrupt,
// close, logoff, shutdown) ends the process: the service is stopped through
// the Service Control Manager and the shutdown line, not by console events.
BOOL WINAPI consoleHandler(DWORD event);

// Logs "registering ConsoleCtrlHandler" and adds consoleHandler to the
// process's handler list.
void installConsoleHandler();

}  // namespace zvt
