// The process entry's reading of its command line: the program path, the
// restart marker of the service child, the switch and its command, and the
// service name that follows a switch.
#pragma once

#include <string>

#include "base/arguments.h"

namespace zvt {

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
  Check,  // what a /run would do, reported instead of done
};

// Exact, case-sensitive lookup of a switch word.
Command commandFor(const std::wstring& word);

// Whether the command works on the service name: the management commands
// (install, uninstall, start, stop, restart, status) and check, which
// reports on the service. Help, the foreground
// runs and the dispatcher do not address a service by it.
bool commandUsesServiceName(Command command);

struct EntryCommandLine {
  std::wstring programPath;   // the first argument, removed from `arguments`
  bool serviceChild = false;  // the last argument was the restart marker (removed)
  bool hasSwitch = false;     // the first argument was a switch (removed)
  Command command = Command::None;
  // The argument after a switch (it stays first in `arguments`); it replaces
  // the configured service name when it fits the name buffer.
  bool hasServiceName = false;
  std::wstring serviceName;
  // The argument after a switch does not fit the name buffer: refused when
  // the command works on the name (a cut name would address some other
  // service), otherwise only not taken as the name.
  bool serviceNameTooLong = false;
  ArgumentList arguments;
};

// Splits `commandLine` and reads it as the entry does. The restart marker is
// tested before any switch. `nameCapacity` counts the terminator.
EntryCommandLine parseEntryCommandLine(const std::wstring& commandLine, size_t nameCapacity = kServiceNameCapacity);

}  // namespace zvt
