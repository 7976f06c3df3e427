// The service's entries in the Application event log. The service name is
// the event source; the executable carries a message table whose entry
// kServiceEventId frames the entry's two strings (what happened, the end of
// the application's output), so the Event Viewer shows them once /install
// has registered the source.
#pragma once

#include <string>

#include "base/win32.h"

namespace zvt {

constexpr DWORD kServiceEventId = 1;

// An error entry (a warning with `warning`) with its two strings.
bool writeEventLogEntry(const std::wstring& serviceName, const std::wstring& summary, const std::wstring& output,
                        bool warning);

// HKLM "SYSTEM\CurrentControlSet\Services\EventLog\Application\<name>"
// naming `executable` as the message file. ERROR_SUCCESS or the error.
LONG registerEventSource(const std::wstring& serviceName, const std::wstring& executable);
// Removes that key; a missing key is no error.
LONG removeEventSource(const std::wstring& serviceName);

}  // namespace zvt
