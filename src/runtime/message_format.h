// Message texts as the user sees them: the argument in place of the first
// "{0}", the log's path appended, everything bounded by the message buffer.
#pragma once

#include <cstddef>
#include <string>

#include "base/capacity.h"

namespace zvt {

// Message buffers hold 6000 units including the terminator.
constexpr size_t kMessageCapacity = kBufferCapacity;

// Replaces the first "{0}" only; further ones stay. The result is cut to
// kMessageCapacity - 1 units rather than overrun.
std::wstring insertArgument(const std::wstring& text, const std::wstring& argument);

// "<text>\n\nLog: <path>" when a log path exists, else the text; bounded
// like insertArgument.
std::wstring withLogPath(const std::wstring& text, const std::wstring& logPath);

}  // namespace zvt
