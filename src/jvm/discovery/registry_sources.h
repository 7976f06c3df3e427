// Java runtimes that the registry knows: earlier installations of this
// application, the shared list under the sharing key, the located list, and
// the Java vendor keys. Each source yields at most one candidate that passed
// the Java executable check, chosen by the version order's tie-breaks. The
// sources are written against RegistryReader and CandidateCheck so that the
// order and the tie-breaks run on the host with scripted fakes; the Win32
// shell (registry_sources_win32.h) supplies the registry and the real check.
// The launcher only reads these keys.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/capacity.h"
#include "jvm/discovery/java_check.h"
#include "jvm/discovery/version_rules.h"

namespace zvt {

enum class Hive { CurrentUser, LocalMachine };
// Default: the process's own view. Wow64_32: KEY_WOW64_32KEY.
enum class RegistryView { Default, Wow64_32 };

extern const char kInstallationsKey[];
extern const char kSharedJvmsRoot[];
extern const char kLocatedJvmsKey[];
extern const char kVendorJdkKey[];
extern const char kVendorJreKey[];
extern const char kVendorOldJdkKey[];
extern const char kVendorOldJreKey[];
// Entries of the shared and located lists whose path holds this form a group
// of their own.
extern const char kStoreRuntimeMarker[];

struct RegistryValue {
  long openError = 0;  // non-zero: the key did not open (the system's code)
  bool read = false;   // the value was read and fitted the capacity
  std::string data;    // up to its first NUL
};

class RegistryReader {
 public:
  virtual ~RegistryReader() = default;
  // A string value of at most capacity - 1 bytes, with KEY_READ.
  virtual RegistryValue readValue(Hive hive, RegistryView view, const std::string& key, const std::string& name,
                                  size_t capacity) = 0;
  // The subkey names in enumeration order, up to the first failing index.
  // False when the key does not open.
  virtual bool subkeyNames(Hive hive, RegistryView view, const std::string& key, std::vector<std::string>& names) = 0;
};

// The Java executable check with the search's bounds and the cache on.
class CandidateCheck {
 public:
  virtual ~CandidateCheck() = default;
  virtual bool javaExeForHome(std::string& javaExe, const std::string& home) = 0;
  virtual bool checkJavaExe(std::string& javaExe, std::string& version, Prerelease prerelease) = 0;
};

// The configuration the sources read.
struct RegistrySourceSettings {
  std::string applicationId;          // key 160
  std::string sharingKey;             // key 167
  bool storeRuntimesOnly = false;     // key 165
  bool includeStoreRuntimes = false;  // key 168
  bool jdkRequired = false;           // key 131
};
RegistrySourceSettings registrySourceSettingsFromConfiguration();

struct JvmCandidateFound {
  std::string javaExe;  // canonical
  std::string version;
};

class RegistrySources {
 public:
  RegistrySources(RegistryReader& registry, CandidateCheck& check, const VersionBounds& bounds,
                  const RegistrySourceSettings& settings)
      : registry_(registry), check_(check), bounds_(bounds), settings_(settings) {}

  // Installation directories listed under the application id, each tried
  // as directory\jre: the default view, then the 32-bit view.
  bool previousInstallationSource(Hive hive, JvmCandidateFound& found);
  bool previousInstallationView(Hive hive, RegistryView view, JvmCandidateFound& found);
  // The shared list under the sharing key (both groups).
  bool sharedJvmSource(JvmCandidateFound& found);
  // The vendor keys and the located list; the located entry wins unless the
  // vendor's is newer.
  bool registeredJvmSource(JvmCandidateFound& found);
  // One list from both hives; the machine's entry wins unless the user's is
  // newer.
  bool jvmListSource(const std::string& path, bool includeOther, bool includeStore, JvmCandidateFound& found);
  // The newest passing entry of one hive's list; the earlier entry wins on
  // equal versions.
  bool jvmListFromHive(Hive hive, const std::string& path, bool includeOther, bool includeStore,
                       JvmCandidateFound& found);
  // The six vendor steps, first success wins.
  bool vendorRegistrySource(JvmCandidateFound& found);
  bool vendorCurrentVersion(const std::string& jdkKey, const std::string& runtimeKey, JvmCandidateFound& found);
  // Version-named subkeys that pass the loose bounds, tried from the last
  // in byte-wise order to the first.
  bool vendorVersionSubkeys(const std::string& key, JvmCandidateFound& found);

 private:
  bool tryHome(const std::string& home, Prerelease prerelease, JvmCandidateFound& found, bool* executableFound);
  std::string loosePassingVersion(const std::string& key, bool read);

  RegistryReader& registry_;
  CandidateCheck& check_;
  const VersionBounds& bounds_;
  RegistrySourceSettings settings_;
};

// The pieces of an installations value: split at ";", ending at the first
// empty piece.
std::vector<std::string> installationDirectories(const std::string& value);

// Whether a list entry (an executable path) belongs to the included groups.
bool listEntryEligible(const std::string& javaExe, bool includeOther, bool includeStore);

}  // namespace zvt
