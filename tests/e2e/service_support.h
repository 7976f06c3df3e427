// Watching a service of the packed launcher under the Service Control
// Manager: its state as the manager reports it, starts with parameters, and
// the launcher processes (host and child) left on the machine.
#pragma once

#include <string>
#include <vector>

#include "base/win32.h"

namespace zvt::e2e {

constexpr DWORD kStateTimeoutMs = 60000;

// The manager's status of the service; dwCurrentState 0 when it cannot be read.
SERVICE_STATUS_PROCESS queryStatus(const std::wstring& name);
// Polls until the service reports `state` (or the time is up) and returns
// what it reported last.
SERVICE_STATUS_PROCESS waitForState(const std::wstring& name, DWORD state, DWORD timeoutMs = kStateTimeoutMs);
// The running processes of `exe` (the host and the child are both instances of it).
size_t processesOf(const std::wstring& exe);
// processesOf after a bounded wait (10 s) for none to be left.
size_t processesLeft(const std::wstring& exe);
// StartService with these parameters; 0 or the error.
DWORD startWith(const std::wstring& name, const std::vector<std::wstring>& parameters);

// Registers the probe service (zvt_probe_service.exe beside the test
// program) directly, bypassing the launcher.
bool createProbeService(const std::wstring& name, const std::wstring& binaryPath, DWORD startType);
std::wstring probeServicePath();

}  // namespace zvt::e2e
