// The per-user cache of Java versions: one registry key per Java executable,
// named after its canonical path, holding the executable's last-write time
// and the version it reported. These are the names and the rules for reading
// an entry back; other launchers share the entries, so the layout is fixed.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/capacity.h"

namespace zvt {

// Under HKEY_CURRENT_USER.
extern const char kVersionCacheRoot[];
extern const char kLastWriteTimeValue[];  // REG_BINARY, exactly 8 bytes (a FILETIME, low half first)
extern const char kVersionValue[];        // REG_SZ, stored without its terminating NUL

// Written for an executable whose "-version" run failed. Never a hit, so
// the next check runs the executable again.
extern const char kProbeFailedVersion[];

// The root followed by the canonical path with every backslash made a
// forward slash, so the whole path is one key name.
std::string versionCacheKeyName(const std::string& canonicalJavaExe);

// The 8 bytes of a FILETIME as the registry stores them.
std::string fileTimeBytes(uint64_t fileTime);

// What reading one entry found. A field is set only when its query
// succeeded; the data are the exact bytes returned.
struct CacheEntryData {
  bool timeRead = false;
  std::string timeBytes;
  bool versionRead = false;
  std::string versionBytes;
};

// Whether the entry is a hit for an executable with this last-write time:
// the time has exactly 8 bytes equal to it, the version was read and fits a
// version buffer (kShortBufferCapacity with its terminator), and it is not
// one of the truncated versions "1.7.", "1.6.", "1.5." that older
// launchers wrote. The version is the data up to its first NUL. The probe
// failure marker is a hit here; the check itself refuses to use it.
bool cacheEntryHit(const CacheEntryData& entry, uint64_t lastWriteTime, std::string& version);

}  // namespace zvt
