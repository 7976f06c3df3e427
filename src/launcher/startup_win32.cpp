#include "config/accessors.h"
#include "config/loader.h"
#include "launcher/process_state.h"
#include "launcher/startup.h"
#include "runtime/errors.h"

namespace zvt {
namespace {
constexpr uint32_t kRuntimeFlavour = 2001;
}

void prepareStartup() {
  launcherTempDirectory().clear();
  loadConfiguration();
  // Capacity 2: only the first character of the value counts.
  std::string flavour = config::getConfigString(kRuntimeFlavour, 2);
  processState().runtimeFlavour = flavour.empty() ? '\0' : flavour[0];
}

}  // namespace zvt
