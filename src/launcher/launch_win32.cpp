#include "config/accessors.h"
#include "config/keys.h"
#include "config/payload.h"
#include "jvm/discovery/load_dll.h"
#include "launcher/launch.h"
#include "runtime/console.h"
#include "runtime/environment_win32.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "service/console_handler_win32.h"

namespace zvt {
// The launch sequence so far: included files, the native-library PATH, the
// JVM search and library. JVM creation and main invocation are not built
// yet: say so plainly instead of pretending to run anything.
int runApplication(const ArgumentList& arguments, bool registerConsoleHandler) {
  if (extractPayload(true) != 0) fatalMessage(msg::kInternalError, "16");
  setNativeLibraryPath(config::getConfigString(key::kNativeLibraryDirectories),
                       config::getConfigFlag(key::kRegisterDllDirectories));
  if (registerConsoleHandler) installConsoleHandler();
  // LoadDLL has told the user what it found; nothing more to say here.
  if (!LoadDLL(true)) fatalExit(1);
  logLine(L"runApplication: %d arguments, console handler %d: not available yet", static_cast<int>(arguments.size()),
          registerConsoleHandler ? 1 : 0);
  writeConsoleText(stderr, L"Running the Java application is not available yet.\n");
  return 1;
}

}  // namespace zvt
