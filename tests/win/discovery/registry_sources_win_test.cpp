// The registry sources on the real registry with stand-in runtimes: the
// located list and its groups, both hives, the Java vendor keys in their
// order, previous installations in both views, the shared list.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/handle.h"
#include "base/registry_win32.h"
#include "base/text.h"
#include "config/keys.h"
#include "discovery_fixture.h"
#include "jvm/discovery/java_check_win32.h"
#include "jvm/discovery/registry_sources_win32.h"
#include "runtime/paths.h"
#include "support/registry_guard.h"

namespace zvt {
namespace {

const wchar_t kJavaSoft[] = L"SOFTWARE\\JavaSoft";
const wchar_t kLocated[] = L"SOFTWARE\\corvalent-works\\quarn\\locatedjvms";
const wchar_t kShared[] = L"SOFTWARE\\corvalent-works\\zentrovia\\sharedjvms";
const wchar_t kInstallations[] = L"SOFTWARE\\corvalent-works\\zentrovia\\installations";

class RegistrySourcesWin : public ::testing::Test {
 protected:
  RegistrySourcesWin() {
    const struct {
      HKEY root;
      const wchar_t* path;
      REGSAM view;
    } fixed[] = {{HKEY_LOCAL_MACHINE, kJavaSoft, 0},
                 {HKEY_LOCAL_MACHINE, kLocated, 0},
                 {HKEY_CURRENT_USER, kLocated, 0},
                 {HKEY_LOCAL_MACHINE, kShared, 0},
                 {HKEY_CURRENT_USER, kShared, 0},
                 {HKEY_LOCAL_MACHINE, kInstallations, 0},
                 {HKEY_CURRENT_USER, kInstallations, 0},
                 {HKEY_LOCAL_MACHINE, kInstallations, KEY_WOW64_32KEY},
                 {HKEY_CURRENT_USER, kInstallations, KEY_WOW64_32KEY}};
    for (const auto& key : fixed)
      guards_.push_back(
          std::make_unique<test::RegistryGuard>(key.root, key.path, test::RegistryGuard::kSavedKey, key.view));
  }

  void TearDown() override {
    for (const std::string& exe : cached_) test::deleteCacheEntry(exe);
  }

  std::wstring runtime(const std::wstring& name, const standin::RuntimeLayout& layout) {
    std::wstring home = sandbox_.path() + L"\\" + name;
    test::layOut(home, layout);
    cached_.push_back(test::lowerNarrow(test::javaExeOf(home)));
    return home;
  }
  standin::RuntimeLayout failing() {
    standin::RuntimeLayout layout = test::runtimeReporting("11.0.2");
    layout.exitCode = 1;
    return layout;
  }

  // A list entry: the executable's path with "/" for "\".
  void listEntry(HKEY hive, const std::wstring& list, const std::wstring& javaExe) {
    std::wstring name = javaExe;
    std::replace(name.begin(), name.end(), L'\\', L'/');
    ASSERT_TRUE(registry::createKey(hive, list + L"\\" + name, KEY_ALL_ACCESS).valid());
  }
  void vendorVersion(const std::wstring& key, const std::wstring& version, const std::wstring& home) {
    UniqueRegKey k = registry::createKey(HKEY_LOCAL_MACHINE, key + L"\\" + version, KEY_ALL_ACCESS);
    ASSERT_TRUE(k.valid());
    ASSERT_EQ(ERROR_SUCCESS, registry::setString(k.get(), L"JavaHome", home));
  }
  void currentVersion(const std::wstring& key, const std::wstring& version) {
    UniqueRegKey k = registry::createKey(HKEY_LOCAL_MACHINE, key, KEY_ALL_ACCESS);
    ASSERT_TRUE(k.valid());
    ASSERT_EQ(ERROR_SUCCESS, registry::setString(k.get(), L"CurrentVersion", version));
  }
  // The executables the check was asked about, in order, as given.
  std::vector<std::wstring> checkedInOrder() const {
    std::vector<std::wstring> exes;
    for (const std::wstring& line : log_.startingWith(L"checkJavaExe (")) {
      const size_t end = line.find(L", [out]");
      exes.push_back(line.substr(14, end - 14));
    }
    return exes;
  }

  test::Sandbox sandbox_{L"regsrc"};
  // Saved now, put back when the test ends.
  std::vector<std::unique_ptr<test::RegistryGuard>> guards_;
  test::ScopedConfig config_;
  test::LogLines log_;
  std::vector<std::string> cached_;
  VersionBounds bounds_;
  std::string exe_, version_;
};

TEST_F(RegistrySourcesWin, LocatedListGroupsFollowKeys165And168) {
  const std::wstring store = runtime(L"java\\zvt_jres\\jre11", test::runtimeReporting("11.0.2"));
  const std::wstring other = runtime(L"java\\jdk1.8", test::runtimeReporting("1.8.0_201"));
  listEntry(HKEY_LOCAL_MACHINE, kLocated, test::javaExeOf(store));
  listEntry(HKEY_LOCAL_MACHINE, kLocated, test::javaExeOf(other));
  const struct {
    const char* storeOnly;
    const char* includeStore;
    std::vector<std::wstring> considered;
  } cases[] = {
      {"1", "1", {test::javaExeOf(store)}},
      {"1", "0", {}},
      {"0", "0", {test::javaExeOf(other)}},
  };
  for (const auto& c : cases) {
    config_.set(key::kRuntimeStoreOnly, c.storeOnly);
    config_.set(key::kApplicationLocatedRuntimes, c.includeStore);
    log_.clear();
    const bool found = registeredJvmSource(bounds_, exe_, version_);
    std::vector<std::wstring> considered;
    for (const std::wstring& exe : checkedInOrder()) considered.push_back(exe);
    EXPECT_EQ(c.considered.size(), considered.size()) << c.storeOnly << c.includeStore;
    ASSERT_EQ(!c.considered.empty(), found) << c.storeOnly << c.includeStore;
    if (found) {
      EXPECT_EQ(0, lstrcmpiW(c.considered[0].c_str(), considered[0].c_str()));
      EXPECT_EQ(test::lowerNarrow(c.considered[0]), exe_);
    }
  }
}

TEST_F(RegistrySourcesWin, EqualVersionsInBothHivesTakeTheMachines) {
  const std::wstring user = runtime(L"user", test::runtimeReporting("11.0.2"));
  const std::wstring machine = runtime(L"machine", test::runtimeReporting("11.0.2"));
  listEntry(HKEY_CURRENT_USER, kLocated, test::javaExeOf(user));
  listEntry(HKEY_LOCAL_MACHINE, kLocated, test::javaExeOf(machine));
  ASSERT_TRUE(registeredJvmSource(bounds_, exe_, version_));
  EXPECT_EQ(test::lowerNarrow(test::javaExeOf(machine)), exe_);
  EXPECT_TRUE(log_.contains(L"found located " + utf8ToUtf16(exe_) + L" 11.0.2"));

  const std::wstring newer = runtime(L"newer", test::runtimeReporting("11.0.3"));
  listEntry(HKEY_CURRENT_USER, kLocated, test::javaExeOf(newer));
  ASSERT_TRUE(registeredJvmSource(bounds_, exe_, version_));
  EXPECT_EQ(test::lowerNarrow(test::javaExeOf(newer)), exe_);
}

TEST_F(RegistrySourcesWin, VendorSubkeysAreTriedInByteOrderFromTheLast) {
  std::vector<std::wstring> homes;
  for (const wchar_t* version : {L"1.8", L"1.8.0_201", L"11", L"9.0.4"}) {
    homes.push_back(runtime(std::wstring(L"jre") + version, failing()));
    vendorVersion(L"SOFTWARE\\JavaSoft\\JRE", version, homes.back());
  }
  EXPECT_FALSE(registeredJvmSource(bounds_, exe_, version_));
  const std::vector<std::wstring> expected = {test::javaExeOf(homes[3]), test::javaExeOf(homes[2]),
                                              test::javaExeOf(homes[1]), test::javaExeOf(homes[0])};
  EXPECT_EQ(expected, checkedInOrder());
}

TEST_F(RegistrySourcesWin, LooseMinimumKeepsAShortSubkeyWhoseRuntimeIsThenCheckedStrictly) {
  bounds_.minimum = parseVersion("1.8.0_100");
  const std::wstring old = runtime(L"jre8old", test::runtimeReporting("1.8.0_50"));
  const std::wstring older = runtime(L"jre7", test::runtimeReporting("1.7.0_80"));
  vendorVersion(L"SOFTWARE\\JavaSoft\\JRE", L"1.8", old);
  vendorVersion(L"SOFTWARE\\JavaSoft\\JRE", L"1.7", older);
  EXPECT_FALSE(registeredJvmSource(bounds_, exe_, version_));
  EXPECT_EQ(std::vector<std::wstring>{test::javaExeOf(old)}, checkedInOrder());
  EXPECT_EQ(0, standin::probeCount(older));

  const std::wstring current = runtime(L"jre8", test::runtimeReporting("1.8.0_201"));
  vendorVersion(L"SOFTWARE\\JavaSoft\\JRE", L"1.8", current);
  ASSERT_TRUE(registeredJvmSource(bounds_, exe_, version_));
  EXPECT_EQ("1.8.0_201", version_);
  EXPECT_TRUE(log_.contains(L"found sun " + utf8ToUtf16(exe_) + L" 1.8.0_201"));
}

TEST_F(RegistrySourcesWin, FailingJdkCurrentVersionFallsThroughToTheRuntimeSubkeys) {
  const std::wstring jdk = runtime(L"jdk11", failing());
  const std::wstring current = runtime(L"jre8", test::runtimeReporting("1.8.0_201"));
  const std::wstring update = runtime(L"jre8u201", test::runtimeReporting("1.8.0_201"));
  currentVersion(L"SOFTWARE\\JavaSoft\\JDK", L"11");
  vendorVersion(L"SOFTWARE\\JavaSoft\\JDK", L"11", jdk);
  currentVersion(L"SOFTWARE\\JavaSoft\\JRE", L"1.8");
  vendorVersion(L"SOFTWARE\\JavaSoft\\JRE", L"1.8", current);
  vendorVersion(L"SOFTWARE\\JavaSoft\\JRE", L"1.8.0_201", update);
  ASSERT_TRUE(registeredJvmSource(bounds_, exe_, version_));
  // Step 2 walks the subkeys (1.8.0_201 sorts after 1.8), not the
  // runtime key's current version.
  const std::vector<std::wstring> expected = {test::javaExeOf(jdk), test::javaExeOf(update)};
  EXPECT_EQ(expected, checkedInOrder());
  EXPECT_EQ(test::lowerNarrow(test::javaExeOf(update)), exe_);
}

TEST_F(RegistrySourcesWin, EqualVendorAndLocatedVersionsTakeTheLocated) {
  const std::wstring vendor = runtime(L"vendor", test::runtimeReporting("11.0.2"));
  const std::wstring located = runtime(L"located", test::runtimeReporting("11.0.2"));
  vendorVersion(L"SOFTWARE\\JavaSoft\\JRE", L"11", vendor);
  listEntry(HKEY_LOCAL_MACHINE, kLocated, test::javaExeOf(located));
  ASSERT_TRUE(registeredJvmSource(bounds_, exe_, version_));
  EXPECT_EQ(test::lowerNarrow(test::javaExeOf(located)), exe_);
}

TEST_F(RegistrySourcesWin, PreviousInstallationsAreTriedInTheirOrder) {
  config_.set(key::kApplicationId, "1234-5678");
  const std::wstring oldApp = sandbox_.path() + L"\\old app";
  const std::wstring jre = runtime(L"old app\\jre", test::runtimeReporting("1.8.0_201"));
  const std::wstring list = sandbox_.path() + L"\\app;" + oldApp + L";";
  {
    UniqueRegKey k = registry::createKey(HKEY_CURRENT_USER, kInstallations, KEY_ALL_ACCESS);
    ASSERT_TRUE(k.valid());
    ASSERT_EQ(ERROR_SUCCESS, registry::setString(k.get(), L"1234-5678", list));
  }
  ASSERT_TRUE(previousInstallationSource(Hive::CurrentUser, bounds_, exe_, version_));
  EXPECT_EQ(test::lowerNarrow(test::javaExeOf(jre)), exe_);
  const std::vector<std::wstring> expected = {sandbox_.path() + L"\\app\\jre\\bin\\java.exe", test::javaExeOf(jre)};
  EXPECT_EQ(expected, checkedInOrder());
  EXPECT_TRUE(log_.contains(L"java version did not match in " + sandbox_.path() + L"\\app\\jre"));
  EXPECT_FALSE(previousInstallationSource(Hive::LocalMachine, bounds_, exe_, version_));
}

TEST_F(RegistrySourcesWin, PreviousInstallationFoundInThe32BitView) {
  config_.set(key::kApplicationId, "1234-5678");
  const std::wstring jre = runtime(L"app\\jre", test::runtimeReporting("1.8.0_201"));
  {
    UniqueRegKey k = registry::createKey(HKEY_LOCAL_MACHINE, kInstallations, KEY_ALL_ACCESS | KEY_WOW64_32KEY);
    ASSERT_TRUE(k.valid());
    ASSERT_EQ(ERROR_SUCCESS, registry::setString(k.get(), L"1234-5678", sandbox_.path() + L"\\app"));
  }
  ASSERT_TRUE(previousInstallationSource(Hive::LocalMachine, bounds_, exe_, version_));
  EXPECT_EQ(test::lowerNarrow(test::javaExeOf(jre)), exe_);
}

TEST_F(RegistrySourcesWin, SharedListUnderTheSharingKey) {
  EXPECT_FALSE(sharedJvmSource(bounds_, exe_, version_));  // no sharing key
  config_.set(key::kSharingKey, "team");
  const std::wstring shared = runtime(L"zvt_jres\\jre17", test::runtimeReporting("17.0.1"));
  const std::wstring older = runtime(L"jre11", test::runtimeReporting("11.0.2"));
  listEntry(HKEY_CURRENT_USER, std::wstring(kShared) + L"\\team", test::javaExeOf(shared));
  listEntry(HKEY_LOCAL_MACHINE, std::wstring(kShared) + L"\\team", test::javaExeOf(older));
  ASSERT_TRUE(sharedJvmSource(bounds_, exe_, version_));
  EXPECT_EQ(test::lowerNarrow(test::javaExeOf(shared)), exe_);
  EXPECT_EQ("17.0.1", version_);
  // Pre-release runtimes are welcome in the lists.
  const std::wstring ea = runtime(L"jre18ea", test::runtimeReporting("18-ea"));
  listEntry(HKEY_LOCAL_MACHINE, std::wstring(kShared) + L"\\team", test::javaExeOf(ea));
  ASSERT_TRUE(sharedJvmSource(bounds_, exe_, version_));
  EXPECT_EQ("18-ea", version_);
}

}  // namespace
}  // namespace zvt
