#include "base/win32.h"
#include "config/accessors.h"
#include "config/keys.h"
#include "config/payload.h"
#include "instance/single_instance.h"
#include "jvm/discovery/load_dll.h"
#include "jvm/launch/jvm_launch_win32.h"
#include "launcher/launch.h"
#include "runtime/environment_win32.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "service/console_handler_win32.h"

namespace zvt {

bool runApplication(const ArgumentList& arguments, bool registerConsoleHandler) {
  if (extractPayload(true) != 0) fatalMessage(msg::kInternalError, "16");
  // Here, not in the start-up every process runs: the service host hands its
  // environment to the application's process, which would apply an entry
  // such as PATH=${PATH};x a second time. After the extraction, so values
  // may name the launcher temporary directory; before the JVM search, so a
  // JAVA_HOME set here counts.
  applyEnvironmentEntries(config::getConfigStringCopy(key::kEnvironment));
  setNativeLibraryPath(config::getConfigString(key::kNativeLibraryDirectories),
                       config::getConfigFlag(key::kRegisterDllDirectories));
  // Only the service child: a foreground run keeps the default handling, so
  // Ctrl+C still reaches the JVM.
  if (registerConsoleHandler) installConsoleHandler();
  // A second start in single-instance mode ends here with exit code 0.
  checkSingleInstance();
  // What went wrong was shown by the JVM search or the JVM launch.
  if (LoadDLL(true) && launchProgram(arguments, true)) return true;
  fatalExit(1);
}

}  // namespace zvt
