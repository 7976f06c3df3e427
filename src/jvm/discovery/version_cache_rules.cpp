#include "jvm/discovery/version_cache_rules.h"

#include <algorithm>

namespace zvt {

const char kVersionCacheRoot[] = "SOFTWARE\\corvalent-works\\quarn\\jvms\\";
const char kLastWriteTimeValue[] = "LastWriteTime";
const char kVersionValue[] = "Version";
const char kProbeFailedVersion[] = "1.0.0";

std::string versionCacheKeyName(const std::string& canonicalJavaExe) {
  std::string name = kVersionCacheRoot;
  std::string path = canonicalJavaExe;
  std::replace(path.begin(), path.end(), '\\', '/');
  return name + path;
}

std::string fileTimeBytes(uint64_t fileTime) {
  std::string bytes(8, '\0');
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((fileTime >> (8 * i)) & 0xff);
  return bytes;
}

bool cacheEntryHit(const CacheEntryData& entry, uint64_t lastWriteTime, std::string& version) {
  if (!entry.timeRead || entry.timeBytes != fileTimeBytes(lastWriteTime)) return false;
  if (!entry.versionRead || entry.versionBytes.size() >= kShortBufferCapacity) return false;
  version = entry.versionBytes.substr(0, entry.versionBytes.find('\0'));
  return version != "1.7." && version != "1.6." && version != "1.5.";
}

}  // namespace zvt
