// Single-instance control: the named semaphore that marks a running instance
// of this executable, the per-user record of the instance's process id, and
// bringing the running instance's windows to the front.
#pragma once

#include <cstdint>
#include <string>

namespace zvt {

// Called once by the launch sequence, after the native search path is set
// and before the JVM search. Creates the instance semaphore and leaves its
// name in processState().instanceSemaphoreName. In single-instance mode
// (key 10005) a second start ends the process here with exit code 0, after
// bringing the first instance's windows to the front when key 10008 asks.
void checkSingleInstance();

// This executable's instance key: its ANSI-safe path, absolute, lower case,
// single backslashes ("c:\program files\app\svc.exe").
const std::string& instanceKey();
// The same rule for any path.
std::string instanceKeyOf(const std::string& path);

// The per-user record of the running instance's process id, a REG_DWORD
// named by the instance key. Failures are silent; the read gives 0.
void recordInstancePid();
uint32_t readInstancePid();

// Whether `processId` names a running process started from this very
// executable file.
bool runsThisExecutable(uint32_t processId);

// Every visible top-level window of `processId`, in enumeration order:
// restored when minimised (with `restore`), then made the foreground window,
// then its last active popup.
void bringToFront(uint32_t processId, bool restore);

}  // namespace zvt
