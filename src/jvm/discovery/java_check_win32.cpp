#include "jvm/discovery/java_check_win32.h"

#include "runtime/paths.h"

namespace zvt {

namespace {

// The non-working list lives as long as the process and is never cleared:
// an executable whose JVM library failed once fails again.
NonWorkingList& nonWorkingList() {
  static NonWorkingList list;
  return list;
}

class MachineJavaCheck : public JavaCheckSystem {
 public:
  std::string canonicalPath(const std::string& path) override { return fullPath(path, false); }
  bool findFile(const std::string& path, uint64_t& lastWriteTime) override { return fileTime(path, &lastWriteTime); }
  bool fileExists(const std::string& path) override { return zvt::fileExists(path); }
  bool readVersionCache(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) override {
    return zvt::readVersionCache(javaExe, lastWriteTime, version);
  }
  void writeVersionCache(const std::string& javaExe, uint64_t lastWriteTime, const std::string& version) override {
    zvt::writeVersionCache(javaExe, lastWriteTime, version);
  }
  bool probeJavaVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) override {
    return zvt::probeJavaVersion(javaExe, lastWriteTime, version);
  }
};

}  // namespace

bool javaExeForHome(std::string& javaExe, const std::string& home) {
  MachineJavaCheck system;
  return JavaChecker(system, javaCheckSettingsFromConfiguration(), nonWorkingList()).javaExeForHome(javaExe, home);
}

bool checkJavaExe(std::string& javaExe, std::string& version, const VersionBounds& bounds, Prerelease prerelease,
                  CacheUse cache) {
  MachineJavaCheck system;
  JavaChecker checker(system, javaCheckSettingsFromConfiguration(), nonWorkingList());
  return checker.checkJavaExe(javaExe, version, bounds, prerelease, cache);
}

bool addNonWorkingJava(const std::string& javaExe) {
  return nonWorkingList().add(javaExe);
}

}  // namespace zvt
