// Shared pieces of the JVM discovery tests under Wine: stand-in runtimes in
// a sandbox, configuration values set for one test, the platform-free log
// lines of the check, and raw looks at the version cache.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/win32.h"
#include "standin_layout.h"
#include "support/win_process.h"

namespace zvt::test {

// Configuration entries for one test; the previous values come back after.
class ScopedConfig {
 public:
  ScopedConfig() = default;
  ~ScopedConfig();
  ScopedConfig(const ScopedConfig&) = delete;
  ScopedConfig& operator=(const ScopedConfig&) = delete;
  void set(uint32_t key, const std::string& value);

 private:
  std::map<uint32_t, std::pair<bool, std::string>> saved_;
};

// Collects what platform-free code logs while it lives.
class LogLines {
 public:
  LogLines();
  ~LogLines();
  LogLines(const LogLines&) = delete;
  LogLines& operator=(const LogLines&) = delete;
  bool contains(const std::wstring& line) const;
  // Lines that begin with `prefix`, in order.
  std::vector<std::wstring> startingWith(const std::wstring& prefix) const;
  void clear();
};

std::string narrow(const std::wstring& path);
// The canonical form the check writes back (lower case).
std::string lowerNarrow(const std::wstring& path);

// A stand-in runtime laid out at `home`; fails the test when it cannot be.
void layOut(const std::wstring& home, const standin::RuntimeLayout& layout);
standin::RuntimeLayout runtimeReporting(const std::string& version);
std::wstring javaExeOf(const std::wstring& home);

// The raw values of a version cache entry (HKEY_CURRENT_USER).
struct CacheEntry {
  bool exists = false;
  DWORD timeType = REG_NONE;
  std::vector<uint8_t> time;
  DWORD versionType = REG_NONE;
  std::vector<uint8_t> version;  // as stored (UTF-16 bytes)
};
CacheEntry readCacheEntry(const std::string& canonicalJavaExe);
// The text of stored REG_SZ bytes, which hold exactly the text: no
// terminator (the length every launcher sharing the cache writes), no odd
// byte. Anything else comes back visibly as "<malformed>".
std::wstring storedText(const std::vector<uint8_t>& bytes);
// Writes an entry with exactly these bytes.
void writeCacheEntry(const std::string& canonicalJavaExe, const std::vector<uint8_t>& time,
                     const std::wstring& version);
void deleteCacheEntry(const std::string& canonicalJavaExe);

uint64_t lastWriteTime(const std::wstring& path);
void setLastWriteTime(const std::wstring& path, uint64_t time);
std::vector<uint8_t> timeBytes(uint64_t time);

// Records of the stand-in whose name contains `event` ("\"ev\":\"probe\"").
std::vector<std::string> traceRecords(const std::wstring& home, const std::string& event);

}  // namespace zvt::test
