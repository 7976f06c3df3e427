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
};

// The library path option including its terminator fits this; a longer PATH
// leaves the property empty rather than cut in the middle of an entry.
constexpr size_t kLibraryPathOptionCapacity = kLongBufferCapacity;

// In order: "quarn.semaphoreName" (when there is one), "quarn.isZentrovia"
// (zentrovia flavour), "quarn.isService" (service mode), "quarn.moduleName",
// "sun.java.command", "quarn.tempDir", "quarn.unextractedPosition",
// "java.library.path", and "quarn.consoleCodepage" unless MANPATH is defined.
std::vector<std::string> buildSystemProperties(const SystemPropertyValues& values);

}  // namespace zvt
