#include "jvm/discovery/registry_sources.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "unit/log_capture.h"

namespace zvt {
namespace {

// A scripted registry: keys by hive, view and path, each with string values
// and subkey names in enumeration order.
class ScriptedRegistry : public RegistryReader {
 public:
  struct Key {
    std::map<std::string, std::string> values;
    std::vector<std::string> subkeys;
  };
  using Id = std::tuple<Hive, RegistryView, std::string>;

  RegistryValue readValue(Hive hive, RegistryView view, const std::string& key, const std::string& name,
                          size_t capacity) override {
    reads.push_back(key + "|" + name);
    RegistryValue result;
    auto it = keys.find(Id(hive, view, key));
    if (it == keys.end()) {
      result.openError = 2;
      return result;
    }
    auto value = it->second.values.find(name);
    if (value == it->second.values.end() || value->second.size() >= capacity) return result;
    result.read = true;
    result.data = value->second;
    return result;
  }
  bool subkeyNames(Hive hive, RegistryView view, const std::string& key, std::vector<std::string>& names) override {
    auto it = keys.find(Id(hive, view, key));
    if (it == keys.end()) return false;
    names = it->second.subkeys;
    return true;
  }

  Key& key(Hive hive, const std::string& path, RegistryView view = RegistryView::Default) {
    return keys[Id(hive, view, path)];
  }
  // A vendor version subkey with its JavaHome.
  void vendorVersion(const std::string& vendorKey, const std::string& version, const std::string& home) {
    key(Hive::LocalMachine, vendorKey).subkeys.push_back(version);
    key(Hive::LocalMachine, vendorKey + "\\" + version).values["JavaHome"] = home;
  }

  std::map<Id, Key> keys;
  std::vector<std::string> reads;
};

// The check: homes map to home\bin\java.exe; executables pass with the
// scripted version when their version is in the bounds. Records the order.
class ScriptedCheck : public CandidateCheck {
 public:
  explicit ScriptedCheck(const VersionBounds& bounds) : bounds_(bounds) {}
  bool javaExeForHome(std::string& javaExe, const std::string& home) override {
    homes.push_back(home);
    javaExe = home + "\\bin\\java.exe";
    return !jdkOnly || jdkHomes.count(home) != 0;
  }
  bool checkJavaExe(std::string& javaExe, std::string& version, Prerelease prerelease) override {
    checked.push_back(javaExe);
    prereleases.push_back(prerelease);
    for (char& c : javaExe)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    auto it = versions.find(javaExe);
    if (it == versions.end()) return false;
    version = it->second;
    return versionInRange(version, bounds_, BoundMode::Strict);
  }

  std::map<std::string, std::string> versions;  // canonical exe -> version
  std::map<std::string, bool> jdkHomes;
  bool jdkOnly = false;
  std::vector<std::string> homes;
  std::vector<std::string> checked;
  std::vector<Prerelease> prereleases;

 private:
  const VersionBounds& bounds_;
};

struct SourcesFixture : ::testing::Test {
  ScriptedRegistry registry;
  VersionBounds bounds;
  ScriptedCheck check{bounds};
  RegistrySourceSettings settings;
  test::LogCapture log;
  JvmCandidateFound found;

  RegistrySources sources() { return RegistrySources(registry, check, bounds, settings); }
  void listEntry(Hive hive, const std::string& path, const std::string& exeWithSlashes, const std::string& version) {
    registry.key(hive, path).subkeys.push_back(exeWithSlashes);
    std::string exe = exeWithSlashes;
    for (char& c : exe)
      if (c == '/') c = '\\';
    if (!version.empty()) check.versions[exe] = version;
  }
};

TEST_F(SourcesFixture, LocatedListGroups) {
  const std::string store = "c:/java/zvt_jres/jre11/bin/java.exe";
  const std::string other = "c:/java/jdk1.8/bin/java.exe";
  listEntry(Hive::LocalMachine, kLocatedJvmsKey, store, "11.0.2");
  listEntry(Hive::LocalMachine, kLocatedJvmsKey, other, "1.8.0_201");
  struct Case {
    bool storeOnly;
    bool includeStore;
    std::vector<std::string> considered;
  } cases[] = {
      {true, true, {"c:\\java\\zvt_jres\\jre11\\bin\\java.exe"}},
      {true, false, {}},
      {false, false, {"c:\\java\\jdk1.8\\bin\\java.exe"}},
      {false, true, {"c:\\java\\zvt_jres\\jre11\\bin\\java.exe", "c:\\java\\jdk1.8\\bin\\java.exe"}},
  };
  for (const auto& c : cases) {
    settings.storeRuntimesOnly = c.storeOnly;
    settings.includeStoreRuntimes = c.includeStore;
    check.checked.clear();
    found = JvmCandidateFound();
    const bool ok = sources().registeredJvmSource(found);
    EXPECT_EQ(c.considered, check.checked) << c.storeOnly << c.includeStore;
    EXPECT_EQ(!c.considered.empty(), ok);
    if (ok) EXPECT_EQ(c.considered.front(), found.javaExe);  // the newest of those considered
    for (Prerelease p : check.prereleases) EXPECT_EQ(Prerelease::Allow, p);
  }
  EXPECT_TRUE(listEntryEligible("c:\\zvt_jres\\x", false, true));
  EXPECT_FALSE(listEntryEligible("c:\\ZVT_JRES\\x", false, true));  // the marker is case-sensitive
}

TEST_F(SourcesFixture, HivesAndTieBreaks) {
  const std::string path = "SOFTWARE\\list\\";
  listEntry(Hive::CurrentUser, path, "c:/user/bin/java.exe", "11.0.2");
  listEntry(Hive::LocalMachine, path, "c:/machine/bin/java.exe", "11.0.2");
  ASSERT_TRUE(sources().jvmListSource(path, true, true, found));
  EXPECT_EQ("c:\\machine\\bin\\java.exe", found.javaExe);  // equal: machine wins

  check.versions["c:\\user\\bin\\java.exe"] = "11.0.3";
  ASSERT_TRUE(sources().jvmListSource(path, true, true, found));
  EXPECT_EQ("c:\\user\\bin\\java.exe", found.javaExe);
  EXPECT_EQ("11.0.3", found.version);

  check.versions.erase("c:\\machine\\bin\\java.exe");
  ASSERT_TRUE(sources().jvmListSource(path, true, true, found));
  EXPECT_EQ("c:\\user\\bin\\java.exe", found.javaExe);  // only one hive has one

  check.versions.erase("c:\\user\\bin\\java.exe");
  EXPECT_FALSE(sources().jvmListSource(path, true, true, found));
  EXPECT_FALSE(sources().jvmListSource("SOFTWARE\\absent\\", true, true, found));
}

TEST_F(SourcesFixture, NewestEntryOfOneListEarlierOnEqual) {
  const std::string path = "SOFTWARE\\list\\";
  listEntry(Hive::LocalMachine, path, "c:/a/bin/java.exe", "1.8.0_201");
  listEntry(Hive::LocalMachine, path, "c:/b/bin/java.exe", "11.0.2");
  listEntry(Hive::LocalMachine, path, "c:/c/bin/java.exe", "11.0.2");
  listEntry(Hive::LocalMachine, path, "c:/d/bin/java.exe", "");  // fails its check
  listEntry(Hive::LocalMachine, path, "c:/e/bin/java.exe", "9");
  ASSERT_TRUE(sources().jvmListFromHive(Hive::LocalMachine, path, true, true, found));
  EXPECT_EQ("c:\\b\\bin\\java.exe", found.javaExe);
  EXPECT_EQ(5u, check.checked.size());

  // Out of bounds entries fail their check and never become the best.
  bounds.maximum = parseVersion("10");
  ASSERT_TRUE(sources().jvmListFromHive(Hive::LocalMachine, path, true, true, found));
  EXPECT_EQ("c:\\e\\bin\\java.exe", found.javaExe);
}

TEST_F(SourcesFixture, VendorAgainstLocated) {
  registry.vendorVersion(kVendorJreKey, "11.0.2", "c:\\vendor");
  check.versions["c:\\vendor\\bin\\java.exe"] = "11.0.2";
  listEntry(Hive::LocalMachine, kLocatedJvmsKey, "c:/located/bin/java.exe", "11.0.2");
  ASSERT_TRUE(sources().registeredJvmSource(found));
  EXPECT_EQ("c:\\located\\bin\\java.exe", found.javaExe);
  EXPECT_TRUE(log.contains(L"found sun c:\\vendor\\bin\\java.exe 11.0.2"));
  EXPECT_TRUE(log.contains(L"found located c:\\located\\bin\\java.exe 11.0.2"));

  check.versions["c:\\vendor\\bin\\java.exe"] = "11.0.3";
  ASSERT_TRUE(sources().registeredJvmSource(found));
  EXPECT_EQ("c:\\vendor\\bin\\java.exe", found.javaExe);

  // Store runtimes only: the vendor keys are not read.
  settings.storeRuntimesOnly = true;
  registry.reads.clear();
  EXPECT_FALSE(sources().registeredJvmSource(found));
  for (const auto& read : registry.reads) EXPECT_EQ(std::string::npos, read.find("JavaSoft")) << read;
}

TEST_F(SourcesFixture, VendorSubkeysInByteOrderFromTheLast) {
  for (const char* version : {"1.8", "1.8.0_201", "11", "9.0.4"})
    registry.vendorVersion(kVendorJreKey, version, std::string("c:\\jre") + version);
  EXPECT_FALSE(sources().vendorVersionSubkeys(kVendorJreKey, found));
  EXPECT_EQ((std::vector<std::string>{"c:\\jre9.0.4", "c:\\jre11", "c:\\jre1.8.0_201", "c:\\jre1.8"}), check.homes);

  // The first that passes wins.
  check.homes.clear();
  check.versions["c:\\jre11\\bin\\java.exe"] = "11.0.2";
  check.versions["c:\\jre1.8\\bin\\java.exe"] = "1.8.0_301";
  ASSERT_TRUE(sources().vendorVersionSubkeys(kVendorJreKey, found));
  EXPECT_EQ("c:\\jre11\\bin\\java.exe", found.javaExe);
  EXPECT_EQ((std::vector<std::string>{"c:\\jre9.0.4", "c:\\jre11"}), check.homes);
  for (Prerelease p : check.prereleases) EXPECT_EQ(Prerelease::Refuse, p);
}

TEST_F(SourcesFixture, VendorSubkeysAreSortedWhateverOrderTheRegistryGives) {
  // The system promises no order (Wine's happens to be sorted): the walk is
  // the same for names given in any order.
  for (const char* version : {"11", "1.8", "9.0.4", "1.8.0_201"})
    registry.vendorVersion(kVendorJreKey, version, std::string("c:\\jre") + version);
  EXPECT_FALSE(sources().vendorVersionSubkeys(kVendorJreKey, found));
  EXPECT_EQ((std::vector<std::string>{"c:\\jre9.0.4", "c:\\jre11", "c:\\jre1.8.0_201", "c:\\jre1.8"}), check.homes);
}

TEST_F(SourcesFixture, LooseFilterOnSubkeysThenStrictCheck) {
  for (const char* version : {"1.7", "1.8", "1.8.0_99"})
    registry.vendorVersion(kVendorJreKey, version, std::string("c:\\jre") + version);
  check.versions["c:\\jre1.8\\bin\\java.exe"] = "1.8.0_50";  // the real version is too old
  bounds.minimum = parseVersion("1.8.0_100");
  EXPECT_FALSE(sources().vendorVersionSubkeys(kVendorJreKey, found));
  EXPECT_EQ((std::vector<std::string>{"c:\\jre1.8"}), check.homes);  // 1.7 and 1.8.0_99 filtered out
  EXPECT_EQ(1u, check.checked.size());

  check.versions["c:\\jre1.8\\bin\\java.exe"] = "1.8.0_301";
  ASSERT_TRUE(sources().vendorVersionSubkeys(kVendorJreKey, found));
  EXPECT_EQ("1.8.0_301", found.version);
}

TEST_F(SourcesFixture, CurrentVersionFallsThroughToRuntimeSubkeys) {
  registry.key(Hive::LocalMachine, kVendorJdkKey).values["CurrentVersion"] = "11";
  registry.vendorVersion(kVendorJdkKey, "11", "c:\\jdk11");
  registry.key(Hive::LocalMachine, kVendorJreKey).values["CurrentVersion"] = "1.8";
  registry.vendorVersion(kVendorJreKey, "1.8", "c:\\jre8");
  registry.vendorVersion(kVendorJreKey, "1.8.0_201", "c:\\jre8u201");
  // The JDK home is tried first and fails; step 2 walks the runtime
  // subkeys (1.8.0_201 before 1.8), not the runtime's current version.
  check.versions["c:\\jre8\\bin\\java.exe"] = "1.8.0_201";
  ASSERT_TRUE(sources().vendorRegistrySource(found));
  EXPECT_EQ((std::vector<std::string>{"c:\\jdk11", "c:\\jre8u201", "c:\\jre8"}), check.homes);
  EXPECT_EQ("c:\\jre8\\bin\\java.exe", found.javaExe);

  // Runtime newer than the JDK: the runtime key's current version is used.
  check.homes.clear();
  registry.key(Hive::LocalMachine, kVendorJreKey).values["CurrentVersion"] = "1.8.0_201";
  registry.key(Hive::LocalMachine, kVendorJdkKey).values["CurrentVersion"] = "1.8";
  registry.vendorVersion(kVendorJdkKey, "1.8", "c:\\jdk8");
  check.versions["c:\\jre8u201\\bin\\java.exe"] = "1.8.0_201";
  ASSERT_TRUE(sources().vendorRegistrySource(found));
  EXPECT_EQ((std::vector<std::string>{"c:\\jre8u201"}), check.homes);

  // Equal versions: the runtime key wins.
  check.homes.clear();
  registry.key(Hive::LocalMachine, kVendorJdkKey).values["CurrentVersion"] = "1.8.0_201";
  registry.vendorVersion(kVendorJdkKey, "1.8.0_201", "c:\\jdk8u201");
  ASSERT_TRUE(sources().vendorCurrentVersion(kVendorJdkKey, kVendorJreKey, found));
  EXPECT_EQ((std::vector<std::string>{"c:\\jre8u201"}), check.homes);
}

TEST_F(SourcesFixture, CurrentVersionOutOfBoundsOrTooLong) {
  registry.key(Hive::LocalMachine, kVendorJdkKey).values["CurrentVersion"] = "1.7";
  registry.vendorVersion(kVendorJdkKey, "1.7", "c:\\jdk7");
  registry.key(Hive::LocalMachine, kVendorJreKey).values["CurrentVersion"] = std::string(100, '1');
  registry.vendorVersion(kVendorJreKey, std::string(100, '1'), "c:\\long");
  bounds.minimum = parseVersion("1.8");
  registry.reads.clear();
  EXPECT_FALSE(sources().vendorCurrentVersion(kVendorJdkKey, kVendorJreKey, found));
  EXPECT_TRUE(check.homes.empty());
  for (const auto& read : registry.reads) EXPECT_EQ(std::string::npos, read.find("JavaHome")) << read;
}

TEST_F(SourcesFixture, JdkRequiredSkipsRuntimeKeys) {
  settings.jdkRequired = true;
  registry.key(Hive::LocalMachine, kVendorJreKey).values["CurrentVersion"] = "17";
  registry.vendorVersion(kVendorJreKey, "17", "c:\\jre17");
  registry.vendorVersion(kVendorOldJreKey, "1.8", "c:\\jre8");
  registry.key(Hive::LocalMachine, kVendorOldJdkKey).values["CurrentVersion"] = "1.8";
  registry.vendorVersion(kVendorOldJdkKey, "1.8", "c:\\jdk8");
  check.versions["c:\\jdk8\\bin\\java.exe"] = "1.8.0_201";
  ASSERT_TRUE(sources().vendorRegistrySource(found));
  EXPECT_EQ("c:\\jdk8\\bin\\java.exe", found.javaExe);
  EXPECT_EQ((std::vector<std::string>{"c:\\jdk8"}), check.homes);
  for (const auto& read : registry.reads) {
    EXPECT_EQ(std::string::npos, read.find("JRE")) << read;
    EXPECT_EQ(std::string::npos, read.find("Runtime Environment")) << read;
  }
}

TEST_F(SourcesFixture, VendorStepOrder) {
  // One failing home per step, so every step runs; record the order.
  registry.key(Hive::LocalMachine, kVendorJdkKey).values["CurrentVersion"] = "11";
  registry.vendorVersion(kVendorJdkKey, "11", "c:\\s1-jdk-current");
  registry.vendorVersion(kVendorJreKey, "1.8", "c:\\s2-jre-subkey");
  registry.key(Hive::LocalMachine, kVendorOldJdkKey).values["CurrentVersion"] = "1.6";
  registry.vendorVersion(kVendorOldJdkKey, "1.6", "c:\\s4-old-jdk-current");
  registry.vendorVersion(kVendorOldJreKey, "1.5", "c:\\s5-old-jre-subkey");
  EXPECT_FALSE(sources().vendorRegistrySource(found));
  EXPECT_EQ((std::vector<std::string>{"c:\\s1-jdk-current", "c:\\s2-jre-subkey", "c:\\s1-jdk-current",
                                      "c:\\s4-old-jdk-current", "c:\\s5-old-jre-subkey", "c:\\s4-old-jdk-current"}),
            check.homes);
}

TEST_F(SourcesFixture, PreviousInstallations) {
  settings.applicationId = "1234-5678";
  registry.key(Hive::CurrentUser, kInstallationsKey).values["1234-5678"] = "d:\\app;e:\\old app;";
  EXPECT_FALSE(sources().previousInstallationSource(Hive::CurrentUser, found));
  EXPECT_EQ((std::vector<std::string>{"d:\\app\\jre", "e:\\old app\\jre"}), check.homes);
  EXPECT_TRUE(log.contains(L"found installations: d:\\app;e:\\old app;"));
  EXPECT_TRUE(log.contains(L"java version did not match in e:\\old app\\jre"));
  // Then the 32-bit view, which has no key here.
  EXPECT_TRUE(log.contains(L"could not open installation node 2"));
  const std::wstring hkcu = sizeof(void*) == 8 ? L"FFFFFFFF80000001" : L"80000001";
  EXPECT_TRUE(log.contains(L"checking app id 1234-5678 (0, " + hkcu + L")"));
  EXPECT_TRUE(log.contains(L"checking app id 1234-5678 (512, " + hkcu + L")"));

  check.homes.clear();
  check.versions["e:\\old app\\jre\\bin\\java.exe"] = "1.8.0_201";
  ASSERT_TRUE(sources().previousInstallationSource(Hive::CurrentUser, found));
  EXPECT_EQ("e:\\old app\\jre\\bin\\java.exe", found.javaExe);
  for (Prerelease p : check.prereleases) EXPECT_EQ(Prerelease::Refuse, p);

  // Only the 32-bit view of the machine hive has it.
  check.homes.clear();
  registry.key(Hive::LocalMachine, kInstallationsKey, RegistryView::Wow64_32).values["1234-5678"] = "f:\\x";
  registry.key(Hive::LocalMachine, kInstallationsKey).values["other"] = "g:\\y";
  EXPECT_FALSE(sources().previousInstallationSource(Hive::LocalMachine, found));
  EXPECT_EQ((std::vector<std::string>{"f:\\x\\jre"}), check.homes);
  EXPECT_TRUE(log.contains(L"could not query value node 0"));

  // A JDK required and no JDK there.
  check.jdkOnly = true;
  EXPECT_FALSE(sources().previousInstallationSource(Hive::CurrentUser, found));
  EXPECT_TRUE(log.contains(L"did not find java in d:\\app\\jre"));
}

TEST_F(SourcesFixture, PreviousInstallationWithoutApplicationId) {
  registry.key(Hive::CurrentUser, kInstallationsKey).values[""] = "d:\\app";
  EXPECT_FALSE(sources().previousInstallationSource(Hive::CurrentUser, found));
  EXPECT_TRUE(registry.reads.empty());
}

TEST_F(SourcesFixture, SharedList) {
  EXPECT_FALSE(sources().sharedJvmSource(found));
  EXPECT_TRUE(log.contains(L"Sharing key: "));
  settings.sharingKey = "team";
  const std::string path = std::string(kSharedJvmsRoot) + "team\\";
  EXPECT_EQ("SOFTWARE\\corvalent-works\\zentrovia\\sharedjvms\\team\\", path);
  listEntry(Hive::CurrentUser, path, "c:/zvt_jres/a/bin/java.exe", "17.0.1");
  listEntry(Hive::LocalMachine, path, "c:/b/bin/java.exe", "11.0.2");
  ASSERT_TRUE(sources().sharedJvmSource(found));
  EXPECT_EQ("c:\\zvt_jres\\a\\bin\\java.exe", found.javaExe);  // both groups, the user's is newer
}

TEST(InstallationDirectories, SplitRules) {
  EXPECT_EQ((std::vector<std::string>{"d:\\app", "e:\\old app"}), installationDirectories("d:\\app;e:\\old app;"));
  EXPECT_EQ((std::vector<std::string>{"a"}), installationDirectories("a;;b"));
  EXPECT_EQ((std::vector<std::string>{}), installationDirectories(";a"));
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), installationDirectories("a;b"));
  EXPECT_EQ((std::vector<std::string>{}), installationDirectories(""));
}

}  // namespace
}  // namespace zvt
