#include "jvm/discovery/registry_sources.h"

#include <algorithm>
#include <cstdint>

#include "base/log_sink.h"
#include "base/text.h"
#include "config/accessors.h"
#include "config/keys.h"

namespace zvt {

const char kInstallationsKey[] = "SOFTWARE\\corvalent-works\\zentrovia\\installations";
const char kSharedJvmsRoot[] = "SOFTWARE\\corvalent-works\\zentrovia\\sharedjvms\\";
const char kLocatedJvmsKey[] = "SOFTWARE\\corvalent-works\\quarn\\locatedjvms\\";
const char kVendorJdkKey[] = "SOFTWARE\\JavaSoft\\JDK";
const char kVendorJreKey[] = "SOFTWARE\\JavaSoft\\JRE";
const char kVendorOldJdkKey[] = "SOFTWARE\\JavaSoft\\Java Development Kit";
const char kVendorOldJreKey[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char kStoreRuntimeMarker[] = "zvt_jres";

namespace {

std::wstring w(const std::string& text) {
  return widenBytes(text);
}

// The hive handle and the view flag as the system's own values, so that the
// log shows what a "%p" of the handle would show for this width.
std::wstring hiveForLog(Hive hive) {
  const uint32_t low = hive == Hive::CurrentUser ? 0x80000001u : 0x80000002u;
  // Predefined keys are sign-extended 32-bit values.
  uint64_t value = sizeof(void*) == 8 ? (0xFFFFFFFF00000000ull | low) : low;
  std::wstring text;
  for (int shift = static_cast<int>(sizeof(void*)) * 8 - 4; shift >= 0; shift -= 4)
    text.push_back(L"0123456789ABCDEF"[(value >> shift) & 0xf]);
  return text;
}

long viewFlag(RegistryView view) {
  return view == RegistryView::Wow64_32 ? 0x0200 : 0;
}

}  // namespace

RegistrySourceSettings registrySourceSettingsFromConfiguration() {
  RegistrySourceSettings settings;
  settings.applicationId = config::getConfigString(key::kApplicationId);
  settings.sharingKey = config::getConfigStringCopy(key::kSharingKey);
  settings.storeRuntimesOnly = config::getConfigInt(key::kRuntimeStoreOnly) != 0;
  settings.includeStoreRuntimes = config::getConfigInt(key::kApplicationLocatedRuntimes) != 0;
  settings.jdkRequired = config::getConfigInt(key::kJdkRequired) != 0;
  return settings;
}

std::vector<std::string> installationDirectories(const std::string& value) {
  std::vector<std::string> directories;
  size_t begin = 0;
  while (begin < value.size()) {
    const size_t end = std::min(value.find(';', begin), value.size());
    if (end == begin) break;
    directories.push_back(value.substr(begin, end - begin));
    begin = end + 1;
  }
  return directories;
}

bool listEntryEligible(const std::string& javaExe, bool includeOther, bool includeStore) {
  const bool store = javaExe.find(kStoreRuntimeMarker) != std::string::npos;
  return store ? includeStore : includeOther;
}

bool RegistrySources::tryHome(const std::string& home, Prerelease prerelease, JvmCandidateFound& found,
                              bool* executableFound) {
  std::string javaExe;
  const bool hasExe = check_.javaExeForHome(javaExe, home);
  if (executableFound != nullptr) *executableFound = hasExe;
  if (!hasExe) return false;
  std::string version;
  if (!check_.checkJavaExe(javaExe, version, prerelease)) return false;
  found.javaExe = javaExe;
  found.version = version;
  return true;
}

bool RegistrySources::previousInstallationSource(Hive hive, JvmCandidateFound& found) {
  return previousInstallationView(hive, RegistryView::Default, found) ||
         previousInstallationView(hive, RegistryView::Wow64_32, found);
}

bool RegistrySources::previousInstallationView(Hive hive, RegistryView view, JvmCandidateFound& found) {
  const std::string& id = settings_.applicationId;
  logText(L"checking app id " + w(id) + L" (" + decimal(viewFlag(view)) + L", " + hiveForLog(hive) + L")");
  if (id.empty()) return false;
  const RegistryValue value = registry_.readValue(hive, view, kInstallationsKey, id, kBufferCapacity);
  if (value.openError != 0) {
    logText(L"could not open installation node " + decimal(value.openError));
    return false;
  }
  if (!value.read || value.data.empty()) {
    logText(L"could not query value node 0");
    return false;
  }
  logText(L"found installations: " + w(value.data));
  for (const std::string& directory : installationDirectories(value.data)) {
    const std::string home = directory + "\\jre";
    bool executableFound = false;
    if (tryHome(home, Prerelease::Refuse, found, &executableFound)) return true;
    logText((executableFound ? L"java version did not match in " : L"did not find java in ") + w(home));
  }
  return false;
}

bool RegistrySources::sharedJvmSource(JvmCandidateFound& found) {
  logText(L"Sharing key: " + w(settings_.sharingKey));
  if (settings_.sharingKey.empty()) return false;
  return jvmListSource(kSharedJvmsRoot + settings_.sharingKey + "\\", true, true, found);
}

bool RegistrySources::jvmListSource(const std::string& path, bool includeOther, bool includeStore,
                                    JvmCandidateFound& found) {
  JvmCandidateFound user;
  JvmCandidateFound machine;
  const bool fromUser = jvmListFromHive(Hive::CurrentUser, path, includeOther, includeStore, user);
  const bool fromMachine = jvmListFromHive(Hive::LocalMachine, path, includeOther, includeStore, machine);
  if (fromUser && fromMachine) {
    found = isNewerVersion(user.version, machine.version) ? user : machine;
  } else if (fromUser || fromMachine) {
    found = fromUser ? user : machine;
  } else {
    return false;
  }
  return true;
}

bool RegistrySources::jvmListFromHive(Hive hive, const std::string& path, bool includeOther, bool includeStore,
                                      JvmCandidateFound& found) {
  std::vector<std::string> names;
  if (!registry_.subkeyNames(hive, RegistryView::Default, path, names)) return false;
  bool any = false;
  JvmCandidateFound best;
  for (const std::string& name : names) {
    std::string javaExe = name;
    std::replace(javaExe.begin(), javaExe.end(), '/', '\\');
    if (!listEntryEligible(javaExe, includeOther, includeStore)) continue;
    std::string version;
    if (!check_.checkJavaExe(javaExe, version, Prerelease::Allow)) continue;
    if (isNewerVersion(version, best.version)) {
      best.javaExe = javaExe;
      best.version = version;
      any = true;
    }
  }
  if (any) found = best;
  return any;
}

bool RegistrySources::registeredJvmSource(JvmCandidateFound& found) {
  JvmCandidateFound vendor;
  JvmCandidateFound located;
  bool fromVendor = false;
  if (!settings_.storeRuntimesOnly) {
    fromVendor = vendorRegistrySource(vendor);
    if (fromVendor) logText(L"found sun " + w(vendor.javaExe) + L" " + w(vendor.version));
  }
  const bool fromLocated =
      jvmListSource(kLocatedJvmsKey, !settings_.storeRuntimesOnly, settings_.includeStoreRuntimes, located);
  if (fromLocated) logText(L"found located " + w(located.javaExe) + L" " + w(located.version));
  if (fromVendor && fromLocated) {
    found = isNewerVersion(vendor.version, located.version) ? vendor : located;
  } else if (fromVendor || fromLocated) {
    found = fromVendor ? vendor : located;
  } else {
    return false;
  }
  return true;
}

bool RegistrySources::vendorRegistrySource(JvmCandidateFound& found) {
  const bool runtimes = !settings_.jdkRequired;
  return vendorCurrentVersion(kVendorJdkKey, kVendorJreKey, found) ||
         (runtimes && vendorVersionSubkeys(kVendorJreKey, found)) || vendorVersionSubkeys(kVendorJdkKey, found) ||
         vendorCurrentVersion(kVendorOldJdkKey, kVendorOldJreKey, found) ||
         (runtimes && vendorVersionSubkeys(kVendorOldJreKey, found)) || vendorVersionSubkeys(kVendorOldJdkKey, found);
}

std::string RegistrySources::loosePassingVersion(const std::string& key, bool read) {
  if (!read) return std::string();
  const RegistryValue value =
      registry_.readValue(Hive::LocalMachine, RegistryView::Default, key, "CurrentVersion", kRegistryVersionCapacity);
  if (value.openError != 0 || !value.read) return std::string();
  return versionInRange(value.data, bounds_, BoundMode::Loose) ? value.data : std::string();
}

bool RegistrySources::vendorCurrentVersion(const std::string& jdkKey, const std::string& runtimeKey,
                                           JvmCandidateFound& found) {
  const std::string jdkVersion = loosePassingVersion(jdkKey, true);
  const std::string runtimeVersion = loosePassingVersion(runtimeKey, !settings_.jdkRequired);
  const bool jdkWins = isNewerVersion(jdkVersion, runtimeVersion);
  const std::string& key = jdkWins ? jdkKey : runtimeKey;
  const std::string& version = jdkWins ? jdkVersion : runtimeVersion;
  // Neither key names a version in range: there is no version subkey to
  // read a home from (the key itself has none).
  if (version.empty()) return false;
  const RegistryValue home =
      registry_.readValue(Hive::LocalMachine, RegistryView::Default, key + "\\" + version, "JavaHome", kBufferCapacity);
  if (home.openError != 0 || !home.read || home.data.empty()) return false;
  return tryHome(home.data, Prerelease::Refuse, found, nullptr);
}

bool RegistrySources::vendorVersionSubkeys(const std::string& key, JvmCandidateFound& found) {
  std::vector<std::string> names;
  if (!registry_.subkeyNames(Hive::LocalMachine, RegistryView::Default, key, names)) return false;
  names.erase(std::remove_if(names.begin(), names.end(),
                             [&](const std::string& name) { return !versionInRange(name, bounds_, BoundMode::Loose); }),
              names.end());
  sortSubkeyNames(names);
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    const RegistryValue home =
        registry_.readValue(Hive::LocalMachine, RegistryView::Default, key + "\\" + *it, "JavaHome", kBufferCapacity);
    if (home.openError != 0 || !home.read || home.data.empty()) continue;
    if (tryHome(home.data, Prerelease::Refuse, found, nullptr)) return true;
  }
  return false;
}

}  // namespace zvt
