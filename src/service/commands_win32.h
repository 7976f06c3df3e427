// Management of the launcher's own Windows service through the Service
// Control Manager of the local machine. All operate on
// processState().serviceName, print their outcome to standard output and
// return the process exit code.
#pragma once

#include <string>

#include "base/arguments.h"
#include "base/win32.h"

namespace zvt {

constexpr unsigned long kAutoStart = 2;    // SERVICE_AUTO_START
constexpr unsigned long kDemandStart = 3;  // SERVICE_DEMAND_START

// Removes any service of the name first, then registers this executable.
int installService(unsigned long startType);
// Stops the service first. `messages` off silences the failure lines (the
// lines about stopping are printed either way).
int uninstallService(bool messages);
// `arguments` starts with the service name; the rest become start parameters.
int startService(const ArgumentList& arguments);
int stopService(bool messages);
// 0 running, 3 not running, 1 failure.
int printServiceStatus();

// The service as the manager sees it, without printing anything.
struct ServiceView {
  bool installed = false;
  unsigned long state = 0;      // SERVICE_RUNNING, ...; 0 when unknown
  unsigned long startType = 0;  // SERVICE_AUTO_START, ...; 0 when unknown
  std::wstring account;
  unsigned long error = 0;  // why it could not be opened or read (1060: not installed)
};
ServiceView queryServiceView();

// True when `service` (opened with SERVICE_QUERY_STATUS) reached the stopped
// state before its stop stalled for longer than its wait hint.
bool waitForStop(SC_HANDLE service);

}  // namespace zvt
