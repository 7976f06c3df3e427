// The service host: the process the Service Control Manager starts. It
// reports the service state, runs the application in a second instance of
// this executable (the service child) with pipes on its standard streams,
// turns a stop or shutdown request into the shutdown line on the child's
// standard input, and reports the service stopped once the child has ended.
#pragma once

#include "base/win32.h"

namespace zvt {

// The service main named in the dispatcher's table. On its normal path it
// never returns: it ends the process with exit code 0 once the child has
// ended. It returns when the handler cannot be registered, and after
// reporting STOPPED (1066 / 5000) when the child cannot be started.
void WINAPI serviceMain(DWORD argumentCount, LPWSTR* arguments);

// The control handler registered by serviceMain (stop, shutdown,
// interrogate and the rest).
void WINAPI serviceControlHandler(DWORD control);

// Writes the shutdown line "0" and a line feed to the child's standard
// input and closes it, so the child also sees the end of its input. A
// second call finds the input closed and only logs the failed write.
void sendShutdown();

// Thread body: reads the child's output (a pipe read end, which the thread
// closes) in 6000-byte pieces and throws it away until the pipe ends.
DWORD WINAPI drainOutput(void* readHandle);

// The priority class of the child: the DWORD value named like the service
// under HKLM "SOFTWARE\corvalent-works\quarn\priority" when it is exactly
// four bytes and a priority class, else NORMAL_PRIORITY_CLASS.
DWORD readPriorityClass();

}  // namespace zvt
