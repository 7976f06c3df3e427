#pragma once

namespace zvt {

// Hands the process to the Service Control Manager. Returns when the
// dispatcher does (at once when the process was not started as a service):
// 0 after a service run, else the error StartServiceCtrlDispatcher failed
// with (1063 when the process was not started by the manager).
unsigned long runServiceDispatcher();

}  // namespace zvt
