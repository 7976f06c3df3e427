// The launcher's command-line grammar: blank-separated arguments where double
// and single quotes group and the backslash is an ordinary character. Used on
// the process command line and on configured option and argument texts.
#pragma once

#include <string>
#include <vector>

#include "base/capacity.h"

namespace zvt {

using ArgumentList = std::vector<std::wstring>;

// Appends the arguments found in `text` to `list`.
void splitArguments(const std::wstring& text, ArgumentList& list);

// Where splitArguments finds a quote that nothing closes, or npos. Such a
// quote is no error to the launcher: the argument it opens takes the rest of
// the text, blanks and all, so the packer refuses it.
size_t unclosedQuote(const std::wstring& text);

// A program path as the first element of a command line the launcher
// starts: always in double quotes. Unquoted, "C:\Program Files\a.exe"
// would be read by the system as "C:\Program.exe" with arguments; a file
// name cannot hold a double quote, so the quoted form always fits.
std::wstring quotedProgram(const std::wstring& path);
std::string quotedProgram(const std::string& path);

// The literal last argument that marks the service child.
extern const wchar_t* const kRestartMarker;

// The service name buffer holds 6000 units including the terminator; the
// commands that use the name refuse a longer one (see the entry).
constexpr size_t kServiceNameCapacity = kBufferCapacity;

}  // namespace zvt
