// Variable expansion over the running launcher's values: its directories,
// the selected runtime's home (process state) and the process environment.
#pragma once

#include <string>

namespace zvt {

// `ansiSafe` takes the launcher directory and the temporary directory in
// their ANSI-safe forms. Ends the process with message 1015 when there is no
// usable temporary directory.
void expandVariables(std::wstring& text, bool ansiSafe);
void expandVariablesAnsi(std::string& text);

}  // namespace zvt
