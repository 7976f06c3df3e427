// The password of a named service account, read at /install: from the
// console without echo when standard input is one, else as one line of
// standard input. Never from the configuration or the command line, never
// into the log or the output.
#pragma once

#include <string>

namespace zvt {

// False when no password could be read (standard input ended first, or the
// console read failed). The console's mode is restored afterwards.
bool readPassword(const std::wstring& account, std::wstring& password);

// Overwrites the text's units before clearing it: a password stays in
// memory no longer than needed.
void wipe(std::wstring& text);

}  // namespace zvt
