#include "base/win32.h"
#include "config/accessors.h"
#include "config/keys.h"
#include "launcher/check_win32.h"
#include "launcher/command_line.h"
#include "launcher/entry.h"
#include "launcher/launch.h"
#include "launcher/startup.h"
#include "runtime/console.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"
#include "service/commands_win32.h"
#include "service/dispatcher.h"

namespace zvt {
namespace {

void printUsage(FILE* stream) {
  writeConsoleText(stream, L"Usage: " + moduleBaseName() +
                               L".exe /install | /uninstall | /stop | /start | /status | /run | /run-redirect\n");
}

unsigned long configuredStartType() {
  return config::getConfigInt(key::kLauncherKind) == 4 ? kAutoStart : kDemandStart;
}

int runInForeground(const std::wstring& programPath, ArgumentList list) {
  ProcessState& state = processState();
  state.serviceMode = false;
  list.insert(list.begin(), programPath);
  // A normal end is exit code 0 whatever runApplication says; a failed launch
  // and an application's System.exit end the process before this returns.
  runApplication(list, false);
  return 0;
}

int dispatch(Command command, const std::wstring& programPath, ArgumentList& list) {
  switch (command) {
    case Command::Help:
      printUsage(stdout);
      return 0;
    case Command::Install:
      return installService(configuredStartType());
    case Command::InstallAndStart:
      installService(configuredStartType());
      return startService(list);
    case Command::InstallAuto:
      return installService(kAutoStart);
    case Command::InstallDemand:
      return installService(kDemandStart);
    case Command::Uninstall:
      return uninstallService(true);
    case Command::Stop:
      return stopService(true);
    case Command::Start:
      return startService(list);
    case Command::Restart:
      stopService(false);
      return startService(list);
    case Command::Status:
      return printServiceStatus();
    case Command::Run:
      logLine(L"running service");
      processState().noRedirection = true;
      return runInForeground(programPath, list);
    case Command::RunRedirect:
      logLine(L"running service with redirection");
      return runInForeground(programPath, list);
    case Command::Check:
      return runCheck(programPath, list);
    case Command::None:
      break;
  }
  // A mistyped switch typed at a console also lands here; the manager's
  // refusal is the one sign that nobody started the process as a service,
  // so the user learns that the switch was not understood. The exit code
  // stays 0, as for every run of the dispatcher.
  if (runServiceDispatcher() == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) printUsage(stderr);
  return 0;
}

}  // namespace

int processEntry() {
  installLogWriter();
  ProcessState& state = processState();
  state.serviceMode = true;
  prepareStartup();
  state.serviceName = config::getConfigStringW(key::kServiceName, kServiceNameCapacity);

  const wchar_t* commandLine = GetCommandLineW();
  logLine(L"command line %ls", commandLine);
  EntryCommandLine line = parseEntryCommandLine(commandLine);
  if (line.serviceChild) {
    runApplication(line.arguments, true);
    return 0;
  }
  if (line.serviceNameTooLong) {
    // The name buffer holds 6000 units with its terminator. For a command
    // that works on the name a longer one is refused rather than cut: a cut
    // name would address some other service than the one the user typed.
    // The other commands go on with the configured name.
    int units = static_cast<int>(line.arguments.front().size());
    if (commandUsesServiceName(line.command)) {
      logError(L"service name argument too long (%d units)", units);
      writeConsoleText(stderr, L"The service name is too long.\n");
      return 1;
    }
    logLine(L"service name argument too long (%d units), not used", units);
  }
  if (line.hasServiceName) state.serviceName = line.serviceName;
  return dispatch(line.command, line.programPath, line.arguments);
}

}  // namespace zvt
