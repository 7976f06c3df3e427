#include "launcher/command_line.h"

namespace zvt {

bool switchWord(const std::wstring& argument, std::wstring& word) {
  if (argument.empty() || (argument[0] != L'/' && argument[0] != L'-')) return false;
  size_t skip = (argument.size() > 1 && argument[1] == L'-') ? 2 : 1;
  word = argument.substr(skip);
  return true;
}

Command commandFor(const std::wstring& word) {
  static const struct {
    const wchar_t* word;
    Command command;
  } kTable[] = {
      {L"?", Command::Help},
      {L"help", Command::Help},
      {L"install", Command::Install},
      {L"install-and-start", Command::InstallAndStart},
      {L"install-auto", Command::InstallAuto},
      {L"install-demand", Command::InstallDemand},
      {L"uninstall", Command::Uninstall},
      {L"stop", Command::Stop},
      {L"start", Command::Start},
      {L"restart", Command::Restart},
      {L"status", Command::Status},
      {L"run", Command::Run},
      {L"run-redirect", Command::RunRedirect},
      {L"check", Command::Check},
  };
  for (const auto& row : kTable) {
    if (word == row.word) return row.command;
  }
  return Command::None;
}

bool commandUsesServiceName(Command command) {
  switch (command) {
    case Command::Install:
    case Command::InstallAndStart:
    case Command::InstallAuto:
    case Command::InstallDemand:
    case Command::Uninstall:
    case Command::Stop:
    case Command::Start:
    case Command::Restart:
    case Command::Status:
    case Command::Check:
      return true;
    case Command::None:
    case Command::Help:
    case Command::Run:
    case Command::RunRedirect:
      break;
  }
  return false;
}

EntryCommandLine parseEntryCommandLine(const std::wstring& commandLine, size_t nameCapacity) {
  EntryCommandLine line;
  ArgumentList& list = line.arguments;
  splitArguments(commandLine, list);
  if (!list.empty()) {
    line.programPath = list.front();
    list.erase(list.begin());
  }
  // The service child: the host appends the marker, whatever precedes it.
  if (!list.empty() && list.back() == kRestartMarker) {
    list.pop_back();
    line.serviceChild = true;
    return line;
  }
  std::wstring word;
  if (!list.empty() && switchWord(list.front(), word)) {
    list.erase(list.begin());
    line.hasSwitch = true;
    line.command = commandFor(word);
    if (!list.empty()) {
      if (list.front().size() < nameCapacity) {
        line.hasServiceName = true;
        line.serviceName = list.front();
      } else {
        line.serviceNameTooLong = true;
      }
    }
  }
  return line;
}

}  // namespace zvt
