// The Java executable check on the real machine: the file system, the
// per-user version cache in the registry, and "java -version" run through
// the process runner. The decisions are java_check.h's; this is the shell
// that the JVM search calls.
#pragma once

#include <cstdint>
#include <string>

#include "jvm/discovery/java_check.h"
#include "jvm/discovery/version_rules.h"

namespace zvt {

// With the configuration's settings (keys 107, 130, 131) and the process's
// non-working list. See JavaChecker.
bool javaExeForHome(std::string& javaExe, const std::string& home);
bool checkJavaExe(std::string& javaExe, std::string& version, const VersionBounds& bounds, Prerelease prerelease,
                  CacheUse cache = CacheUse());

// Appends to the process's non-working list; true while it has room for
// more (fewer than 50 entries).
bool addNonWorkingJava(const std::string& javaExe);

// Runs javaExe (its short form, named to the system and quoted on its
// command line) with -version, without the Java options
// variables, standard error into a fresh temporary file, at most the probe
// limit; a non-zero exit code writes the probe failure marker into the
// cache. The version comes from the first line of standard error.
bool probeJavaVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version);

// The cache entry of one executable under HKEY_CURRENT_USER.
bool readVersionCache(const std::string& javaExe, uint64_t lastWriteTime, std::string& version);
void writeVersionCache(const std::string& javaExe, uint64_t lastWriteTime, const std::string& version);

// The probe limit: 60000 ms. Tests set a short one so that a hanging
// runtime is terminated quickly; 0 restores the default.
constexpr uint32_t kProbeTimeoutMs = 60000;
void setProbeTimeoutForTesting(uint32_t milliseconds);
// False: the probe acts as on a volume without 8.3 names (tests; Wine always
// has them). True restores the default.
void setProbeShortNamesForTesting(bool use);

}  // namespace zvt
