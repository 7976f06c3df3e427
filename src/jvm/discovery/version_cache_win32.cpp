#include <optional>
#include <vector>

#include "base/capacity.h"
#include "base/handle.h"
#include "base/registry_win32.h"
#include "base/win32.h"
#include "jvm/discovery/java_check_win32.h"
#include "jvm/discovery/version_cache_rules.h"
#include "runtime/paths.h"

namespace zvt {

bool readVersionCache(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) {
  UniqueRegKey key = registry::openKey(HKEY_CURRENT_USER, toWide(versionCacheKeyName(javaExe)), KEY_READ);
  if (!key) return false;
  CacheEntryData entry;
  // Exactly 8 bytes are asked for: a longer value fails the query itself.
  const registry::Value time = registry::queryValue(key.get(), toWide(kLastWriteTimeValue), 8);
  if (time.ok()) {
    entry.timeRead = true;
    entry.timeBytes.assign(time.bytes.begin(), time.bytes.end());
  }
  // The version buffer keeps room for its terminator.
  const std::optional<std::string> cached = registry::readStringA(key.get(), kVersionValue, kShortBufferCapacity - 1);
  if (cached) {
    entry.versionRead = true;
    entry.versionBytes = *cached;
  }
  return cacheEntryHit(entry, lastWriteTime, version);
}

void writeVersionCache(const std::string& javaExe, uint64_t lastWriteTime, const std::string& version) {
  UniqueRegKey key = registry::createKey(HKEY_CURRENT_USER, toWide(versionCacheKeyName(javaExe)), KEY_ALL_ACCESS);
  if (!key) return;
  const std::string time = fileTimeBytes(lastWriteTime);
  registry::setBinary(key.get(), toWide(kLastWriteTimeValue), std::vector<uint8_t>(time.begin(), time.end()));
  // Exactly the text, without a terminator, as every launcher sharing the
  // cache writes it.
  const std::wstring text = toWide(version);
  registry::setRaw(key.get(), toWide(kVersionValue), REG_SZ, text.data(), text.size() * sizeof(wchar_t));
}

}  // namespace zvt
