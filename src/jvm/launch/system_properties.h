// The launcher's own system properties, handed to the JVM as the first "-D"
// options. Platform-free: the caller gathers the values from the process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/capacity.h"

namespace zvt {

struct SystemPropertyValues {
  std::string semaphoreName;  // empty: no single-instance semaphore
  bool zentroviaFlavour = true;
  bool serviceMode = false;
  std::string modulePathAnsi;         // the executable, ANSI-safe form
  std::string launcherTempDirectory;  // may be empty
  uint64_t unextractedPosition = 0;
  std::optional<std::string> path;  // PATH; nullopt when it is not set
  bool manpathDefined = false;
  unsigned consoleOutputCodePage = 0;
  // Log rotation for the runtime classes: 0 bytes never rotates.
  uint64_t logRotateBytes = 0;
  unsigned logRotateKeep = 0;
};

// Rotated log files kept when the configuration names no count.
constexpr unsigned kDefaultLogRotateKeep = 5;

// The rotation settings as configured (a size in KiB, a count of files):
// the values the system properties carry. A size of 0 or less never rotates,
// a negative count keeps none.
void setLogRotation(SystemPropertyValues& values, int sizeKib, int keep);

// The library path option including its terminator fits this; a longer PATH
// leaves the property empty rather than cut in the middle of an entry.
constexpr size_t kLibraryPathOptionCapacity = kLongBufferCapacity;

// In order: "quarn.semaphoreName" (when there is one), "quarn.isZentrovia"
// (zentrovia flavour), "quarn.isService" (service mode), "quarn.moduleName",
// "sun.java.command", "quarn.tempDir", "quarn.unextractedPosition",
// "java.library.path", "quarn.consoleCodepage" unless MANPATH is defined, and
// "quarn.logRotateBytes" with "quarn.logKeepFiles" when logs rotate.
std::vector<std::string> buildSystemProperties(const SystemPropertyValues& values);

}  // namespace zvt
