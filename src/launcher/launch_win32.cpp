#include "launcher/launch.h"
#include "runtime/console.h"
#include "runtime/log.h"

namespace zvt {

// The launch sequence (JVM search, creation and main invocation) is not built
// yet: say so plainly instead of pretending to run anything.
int runApplication(const ArgumentList& arguments, bool registerConsoleHandler) {
  logLine(L"runApplication: %d arguments, console handler %d: not available yet",
          static_cast<int>(arguments.size()), registerConsoleHandler ? 1 : 0);
  writeConsoleText(stderr, L"Running the Java application is not available yet.\n");
  return 1;
}

}  // namespace zvt
