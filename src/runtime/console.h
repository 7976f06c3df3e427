// Narrow output of user-facing texts on the standard streams.
#pragma once

#include <cstdio>
#include <string>

namespace zvt {

// Writes `text` in the ANSI code page ("?" for what it cannot show) and
// flushes, so the text is out before the process may end.
void writeConsoleText(FILE* stream, const std::wstring& text);

}  // namespace zvt
