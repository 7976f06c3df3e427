// Is this Java executable usable? The decision every source of the JVM
// search ends in: the canonical path, the version from the per-user cache or
// from running the executable, the pre-release rule, the version bounds, the
// windowed executable beside it, and the list of executables whose JVM
// library already failed to load. Written against JavaCheckSystem so that
// every branch runs on the host with a scripted system; the Win32 shell
// (java_check_win32.h) supplies the real one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jvm/discovery/version_rules.h"
#include "runtime/decisions.h"

namespace zvt {

// What the check asks of the machine.
class JavaCheckSystem {
 public:
  virtual ~JavaCheckSystem() = default;
  // The full path against the launcher's directory, lower-cased, with runs
  // of backslashes collapsed.
  virtual std::string canonicalPath(const std::string& path) = 0;
  // A file search for exactly this path: whether a file is there, and its
  // last-write time.
  virtual bool findFile(const std::string& path, uint64_t& lastWriteTime) = 0;
  // The file-exists helper (a drive root exists without touching the disk).
  virtual bool fileExists(const std::string& path) = 0;
  virtual bool readVersionCache(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) = 0;
  virtual void writeVersionCache(const std::string& javaExe, uint64_t lastWriteTime, const std::string& version) = 0;
  // Runs the executable with -version; a run that fails writes the probe
  // failure marker into the cache itself.
  virtual bool probeJavaVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) = 0;
};

// The configuration the check depends on.
struct JavaCheckSettings {
  bool windowed = false;           // launcher kind (key 107) is 1: javaw.exe is needed
  bool prereleaseAllowed = false;  // key 130
  bool jdkRequired = false;        // key 131
};
JavaCheckSettings javaCheckSettingsFromConfiguration();

// Whether the caller accepts pre-release runtimes whatever key 130 says (the
// preferred location, the relaxed pass and the runtime lists do).
enum class Prerelease { Refuse, Allow };

struct CacheUse {
  bool read = true;
  bool write = true;
};

// Executables whose JVM library failed to load. Paths are compared exactly
// (case-sensitive) in their canonical form.
class NonWorkingList {
 public:
  static constexpr size_t kLimit = 50;
  // Appends; true while the list has room for more (fewer than kLimit
  // entries after the append).
  bool add(const std::string& javaExe);
  bool contains(const std::string& javaExe) const;
  size_t size() const { return entries_.size(); }

 private:
  std::vector<std::string> entries_;
};

// A path holding "*" or "?" names no file: the file search would take them
// as wildcards and find some other file. A leading "\\?\" is the long-path
// prefix, not a wildcard.
bool hasWildcard(const std::string& path);

// The pre-release rule, then the bounds in strict mode: Passed, Prerelease
// or OutsideBounds.
Verdict versionVerdict(const JavaCheckSettings& settings, const std::string& version, const VersionBounds& bounds,
                       Prerelease prerelease);
// versionVerdict is Passed.
bool acceptJavaVersion(const JavaCheckSettings& settings, const std::string& version, const VersionBounds& bounds,
                       Prerelease prerelease);

class JavaChecker {
 public:
  JavaChecker(JavaCheckSystem& system, const JavaCheckSettings& settings, const NonWorkingList& nonWorking)
      : system_(system), settings_(settings), nonWorking_(nonWorking) {}

  // The executable of a Java home (as given, not canonicalised). With a JDK
  // required: home\jre\bin\java.exe, passing only when home\lib\tools.jar
  // exists. Otherwise home\jre\bin\java.exe when it exists, else
  // home\bin\java.exe, always passing.
  bool javaExeForHome(std::string& javaExe, const std::string& home);

  // javaExe is rewritten to its canonical form (and to the javaw.exe beside
  // it for a windowed launcher); version is cleared once the file is found
  // and receives the version when one is found. The verdict is told to
  // decisions(), as is a home that javaExeForHome refuses for not being a
  // JDK.
  bool checkJavaExe(std::string& javaExe, std::string& version, const VersionBounds& bounds, Prerelease prerelease,
                    CacheUse cache = CacheUse());

 private:
  JavaCheckSystem& system_;
  JavaCheckSettings settings_;
  const NonWorkingList& nonWorking_;
};

}  // namespace zvt
