#include "jvm/discovery/registry_sources_win32.h"

#include <vector>

#include "base/handle.h"
#include "base/registry_win32.h"
#include "base/win32.h"
#include "jvm/discovery/java_check_win32.h"

namespace zvt {

namespace {

HKEY rootOf(Hive hive) {
  return hive == Hive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

REGSAM readAccess(RegistryView view) {
  return KEY_READ | (view == RegistryView::Wow64_32 ? KEY_WOW64_32KEY : 0);
}

// Key paths and names go through the ANSI functions, as narrow texts
// everywhere else in the search do.
class MachineRegistry : public RegistryReader {
 public:
  RegistryValue readValue(Hive hive, RegistryView view, const std::string& key, const std::string& name,
                          size_t capacity) override {
    RegistryValue result;
    LONG status = ERROR_SUCCESS;
    UniqueRegKey handle = registry::openKeyA(rootOf(hive), key, readAccess(view), &status);
    if (!handle) {
      result.openError = status == ERROR_SUCCESS ? ERROR_INVALID_HANDLE : status;
      return result;
    }
    const std::optional<std::string> data = registry::readStringA(handle.get(), name, capacity);
    if (data) {
      result.read = true;
      result.data = *data;
    }
    return result;
  }
  bool subkeyNames(Hive hive, RegistryView view, const std::string& key, std::vector<std::string>& names) override {
    UniqueRegKey handle = registry::openKeyA(rootOf(hive), key, readAccess(view));
    if (!handle) return false;
    names = registry::subkeyNamesA(handle.get());
    return true;
  }
};

class MachineCheck : public CandidateCheck {
 public:
  explicit MachineCheck(const VersionBounds& bounds) : bounds_(bounds) {}
  bool javaExeForHome(std::string& javaExe, const std::string& home) override {
    return zvt::javaExeForHome(javaExe, home);
  }
  bool checkJavaExe(std::string& javaExe, std::string& version, Prerelease prerelease) override {
    return zvt::checkJavaExe(javaExe, version, bounds_, prerelease);
  }

 private:
  const VersionBounds& bounds_;
};

template <typename Run>
bool runSource(const VersionBounds& bounds, std::string& javaExe, std::string& version, Run run) {
  MachineRegistry registry;
  MachineCheck check(bounds);
  RegistrySources sources(registry, check, bounds, registrySourceSettingsFromConfiguration());
  JvmCandidateFound found;
  if (!run(sources, found)) return false;
  javaExe = found.javaExe;
  version = found.version;
  return true;
}

}  // namespace

bool previousInstallationSource(Hive hive, const VersionBounds& bounds, std::string& javaExe, std::string& version) {
  return runSource(bounds, javaExe, version, [hive](RegistrySources& sources, JvmCandidateFound& found) {
    return sources.previousInstallationSource(hive, found);
  });
}

bool sharedJvmSource(const VersionBounds& bounds, std::string& javaExe, std::string& version) {
  return runSource(bounds, javaExe, version,
                   [](RegistrySources& sources, JvmCandidateFound& found) { return sources.sharedJvmSource(found); });
}

bool registeredJvmSource(const VersionBounds& bounds, std::string& javaExe, std::string& version) {
  return runSource(bounds, javaExe, version, [](RegistrySources& sources, JvmCandidateFound& found) {
    return sources.registeredJvmSource(found);
  });
}

}  // namespace zvt
