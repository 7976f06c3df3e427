// The seam between platform-free code and the diagnostic log. Platform-free
// modules report through logText/logErrorText; the Win32 log installs itself
// as the writer, host tests install a capturing one. Without a writer the
// lines are dropped, as they are when the log is switched off.
#pragma once

#include <string>

namespace zvt {

using LogWriter = void (*)(bool isError, const std::wstring& text);

void setLogWriter(LogWriter writer);
void logText(const std::wstring& text);
void logErrorText(const std::wstring& text);

}  // namespace zvt
