#include "launcher/check_win32.h"

#include "config/accessors.h"
#include "config/keys.h"
#include "jvm/discovery/load_dll.h"
#include "jvm/launch/jvm_launch_win32.h"
#include "launcher/check_report.h"
#include "launcher/launch.h"
#include "runtime/console.h"
#include "runtime/decisions.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/log_format.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"
#include "service/commands_win32.h"

namespace zvt {
namespace {

std::wstring codePageText(const std::string& text) {
  return toWide(text);
}

ServiceFacts serviceFacts() {
  ServiceView view = queryServiceView();
  ServiceFacts facts;
  facts.name = processState().serviceName;
  facts.installed = view.installed;
  facts.state = view.state;
  facts.startType = view.startType;
  facts.account = view.account;
  return facts;
}

// The file the log writes, or the one it would open if it were on now.
LogFacts logFacts() {
  LogFacts facts;
  facts.path = logPath();
  facts.on = !facts.path.empty();
  if (!facts.on) {
    facts.path = logFilePath(logDirectory(tempDirectoryW(false)),
                             [](const std::wstring& path) { return fileExists(path); });
  }
  return facts;
}

void print(const std::wstring& text) {
  if (!text.empty()) writeConsoleText(stdout, text);
}

// Installs the report as the listener for its lifetime.
class Listening {
 public:
  explicit Listening(DecisionListener& listener) { setDecisionListener(&listener); }
  ~Listening() { setDecisionListener(nullptr); }
  Listening(const Listening&) = delete;
  Listening& operator=(const Listening&) = delete;
};

}  // namespace

int runCheck(const std::wstring& programPath, ArgumentList arguments) {
  logLine(L"checking what a start would do");
  // The process as /run sets it up: not the service, output not redirected.
  ProcessState& state = processState();
  state.serviceMode = false;
  state.noRedirection = true;
  arguments.insert(arguments.begin(), programPath);

  CheckReport report(&decisions());
  report.setBounds(config::getConfigString(key::kMinimumJavaVersion),
                   config::getConfigString(key::kMaximumJavaVersion));
  bool found = false;
  {
    Listening listening(report);
    prepareLaunch();
    JvmFailureReport failure;
    found = findJvm(failure);
    if (found) {
      report.setRuntime(state.jvm.home, state.jvm.version);
    } else {
      report.setFailure(failure.hasArgument ? messageWithA(failure.message, failure.argument)
                                            : messageWith(failure.message));
    }
    // Printed before the options are assembled: a required class-path entry
    // that is missing ends the process there with the message a start would
    // show, and the runtimes are on the screen by then.
    print(report.searchText(codePageText));
    if (found) {
      LaunchPlan plan = planLaunch(arguments);
      report.setMain(config::getConfigStringW(key::kMainClass), plan.mainParameters);
    }
  }
  print(report.launchText(codePageText));
  report.setService(serviceFacts());
  report.setLog(logFacts());
  print(report.closingText());
  // Nothing of the start stays behind but the version cache: the extracted
  // files go again; PATH and the other variables die with this process.
  removeLauncherTempDirectory();
  return report.startWouldGoAhead() ? 0 : 1;
}

}  // namespace zvt
