// The optional diagnostic log: a UTF-8 file in the temporary directory, one
// stamped line per event, switched on by QUARN_LOG=yes or ZENTROVIA_LOG=yes,
// or by the configuration through switchLogOn. Formats are wide printf
// formats; write wide string arguments as %ls and narrow ones as %hs, which
// mean the same to every Windows C runtime.
#pragma once

#include <string>

namespace zvt {

void logLine(const wchar_t* format, ...);
void logError(const wchar_t* format, ...);

// Switches the log on whatever the variables say, from this line on: the
// configuration's own switch, which the loader can read only after the first
// lines may have decided against logging.
void switchLogOn();

// The log file's path, or empty when no log was set up.
std::wstring logPath();

// Makes platform-free modules write through this log.
void installLogWriter();

}  // namespace zvt
