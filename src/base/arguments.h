// The launcher's command-line grammar: blank-separated arguments where double
// and single quotes group and the backslash is an ordinary character. Used on
// the process command line and on configured option and argument texts.
#pragma once

#include <string>
#include <vector>

namespace zvt {

using ArgumentList = std::vector<std::wstring>;

// Appends the arguments found in `text` to `list`.
void splitArguments(const std::wstring& text, ArgumentList& list);

// The literal last argument that marks the service child.
extern const wchar_t* const kRestartMarker;

// If `argument` is a switch ("/x", "-x", "--x", "/-x"), stores the switch
// word and returns true.
bool switchWord(const std::wstring& argument, std::wstring& word);

enum class Command {
  None,  // not a known switch word: the service dispatcher takes over
  Help,
  Install,
  InstallAndStart,
  InstallAuto,
  InstallDemand,
  Uninstall,
  Stop,
  Start,
  Restart,
  Status,
  Run,
  RunRedirect,
};

// Exact, case-sensitive lookup of a switch word.
Command commandFor(const std::wstring& word);

// The service name buffer holds 6000 units including the terminator; a
// longer name from the command line is refused (see the entry).
constexpr size_t kServiceNameCapacity = 6000;

}  // namespace zvt
