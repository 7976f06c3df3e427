#include "base/capacity.h"
#include "base/win32.h"
#include "config/accessors.h"
#include "config/keys.h"
#include "config/loader.h"
#include "launcher/startup.h"
#include "runtime/environment_win32.h"
#include "runtime/errors.h"
#include "runtime/expansion_win32.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"

namespace zvt {
namespace {

constexpr size_t kPathCapacity = kBufferCapacity;

void takeRuntimeFlavour() {
  // Capacity 2: only the first character of the value counts.
  std::string flavour = config::getConfigString(key::kRuntimeFlavour, 2);
  processState().runtimeFlavour = flavour.empty() ? '\0' : flavour[0];
}

void removeJavaOptionsVariablesWhenConfigured() {
  if (config::getConfigInt(key::kIgnoreJavaOptionsVariables) == 0) return;
  logLine(L"ignoring java options environment variables");
  clearJavaOptionsVariables();
}

void setWorkingDirectory() {
  std::wstring directory = config::getConfigStringW(key::kWorkingDirectory, kPathCapacity);
  if (directory.empty()) {
    logLine(L"working directory unchanged");
    return;
  }
  expandVariables(directory, true);
  // A cut path would name some other directory: keep the current one.
  if (directory.size() >= kPathCapacity) {
    logError(L"working directory too long after expansion (%d units), unchanged", static_cast<int>(directory.size()));
    return;
  }
  std::wstring full = fullPathW(directory, true, true);
  // The result is not checked: a directory that cannot be entered leaves the
  // previous one in place.
  SetCurrentDirectoryW(full.c_str());
  logLine(L"change working directory to %ls", full.c_str());
}

}  // namespace

void prepareStartup() {
  processState().launcherTempDirectory.clear();
  loadConfiguration();
  // As early as the configuration can say it, in every process: a service
  // is diagnosed without a machine-wide variable, which services see only
  // after a restart of the machine.
  if (config::getConfigFlag(key::kDiagnosticLog)) switchLogOn();
  takeRuntimeFlavour();
  if (config::getConfigFlag(key::kReducePath)) reducePath();
  removeJavaOptionsVariablesWhenConfigured();
  setWorkingDirectory();
}

}  // namespace zvt
