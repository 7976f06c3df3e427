// The Y entry of the search sequence end to end: the shared list under the
// sharing key, the Java vendor keys, the located list and its "zvt_jres"
// group, and the retry over the non-working list when a registered
// runtime's library does not load. Every fixed key the launcher reads here
// is saved, emptied for the test and put back; the CTest entry holds the
// fixed-registry lock.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/registry_win32.h"
#include "base/text.h"
#include "launcher_fixture.h"
#include "support/jvm_registry.h"

namespace zvt::e2e {
namespace {

const wchar_t kJre[] = L"SOFTWARE\\JavaSoft\\JRE";
const wchar_t kOldJre[] = L"SOFTWARE\\JavaSoft\\Java Runtime Environment";
const wchar_t* const kLocated = test::kLocatedJvmsKey;
const wchar_t* const kShared = test::kSharedJvmsKey;
const char kLoaded[] = "Loading of JVM-DLL successful";

UniqueRegKey createKey(HKEY hive, const std::wstring& path) {
  HKEY key = nullptr;
  const LSTATUS status = RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  EXPECT_EQ(ERROR_SUCCESS, status) << utf16ToUtf8(path);
  return UniqueRegKey(status == ERROR_SUCCESS ? key : nullptr);
}

void setString(HKEY key, const wchar_t* name, const std::wstring& value) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

// A list entry: the Java executable's path with "/" for "\" as the name of
// a subkey (a key name cannot hold a backslash).
void listEntry(HKEY hive, const std::wstring& list, const std::wstring& home) {
  std::wstring name = home + L"\\bin\\java.exe";
  std::replace(name.begin(), name.end(), L'\\', L'/');
  createKey(hive, list + L"\\" + name);
}

void vendorVersion(const std::wstring& key, const std::wstring& version, const std::wstring& home) {
  UniqueRegKey k = createKey(HKEY_LOCAL_MACHINE, key + L"\\" + version);
  ASSERT_TRUE(k);
  setString(k.get(), L"JavaHome", home);
}

standin::RuntimeLayout reporting(const std::string& version, bool libraryLoads = true) {
  standin::RuntimeLayout layout;
  layout.versionText = "openjdk version \"" + version + "\" 2019-01-15\n";
  if (!libraryLoads) layout.vmTypes = {};
  return layout;
}

block::Content config(const std::string& sequence, std::vector<block::Entry> extra = {}) {
  block::Content c;
  c.entries = {{101, "ZvtSearchLists"}, {128, sequence}};
  for (auto& entry : extra) c.entries.push_back(std::move(entry));
  c.messages = {{1016, L"MSG1016 needs a {0}-bit runtime"},
                {1019, L"MSG1019 damaged at {0}"},
                {1005, L"MSG1005 registry runtime unusable"}};
  return c;
}

struct SearchResult {
  test::RunResult run;
  std::string log;
  std::string said;  // standard output and error
};

SearchResult runSearch(LauncherSandbox& box, const block::Content& c) {
  test::RunOptions o;
  o.setEnv[L"QUARN_LOG"] = L"yes";
  o.unsetEnv = {L"QUARN_JAVA_HOME", L"ZENTROVIA_JAVA_HOME"};
  o.setEnv[L"PATH"] = L"C:\\windows\\system32;C:\\windows";
  SearchResult r;
  r.run = box.run(box.pack(c), L"/run", o);
  EXPECT_FALSE(r.run.timedOut);
  r.log = box.log();
  r.said = r.run.out + r.run.err;
  DeleteFileW(box.file(L"tmp\\zvt_nlog_1.log").c_str());
  return r;
}

std::string lower(std::string text) {
  for (char& ch : text) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
  return text;
}

// Whether the library that loaded came from `home`: the last "Trying to
// load" line before the success line names its bin directory.
bool loadedFrom(const SearchResult& r, const std::wstring& home) {
  const std::string bin = lower(utf16ToUtf8(home));
  const std::string log = lower(r.log);
  const size_t ok = log.find(lower(kLoaded));
  if (ok == std::string::npos) return false;
  const size_t trying = log.rfind("trying to load jvm-dll from ", ok);
  return trying != std::string::npos && log.compare(trying + 28, bin.size(), bin) == 0;
}

// The shared list is read only under a sharing key; both groups count in
// it, the newest passing entry wins, and on equal versions the machine's.
TEST(JvmSearchLists, SharedListUnderTheSharingKey) {
  test::EmptiedJvmRegistry registry;
  ASSERT_TRUE(registry.ok());
  LauncherSandbox box(L"lists_shared");
  const std::wstring older = box.layOutRuntime(L"java\\jdk11", reporting("11.0.2"));
  const std::wstring store = box.layOutRuntime(L"java\\zvt_jres\\jre17", reporting("17.0.1"));
  const std::wstring twin = box.layOutRuntime(L"java\\machine17", reporting("17.0.1"));
  const std::wstring list = std::wstring(kShared) + L"\\team-a";
  listEntry(HKEY_CURRENT_USER, list, older);
  listEntry(HKEY_CURRENT_USER, list, store);

  SearchResult r = runSearch(box, config("Y"));
  EXPECT_EQ(1u, r.run.exitCode);
  EXPECT_TRUE(contains(r.said, std::string("MSG1016 needs a ") + kOwnBits + "-bit runtime")) << r.said;

  r = runSearch(box, config("Y", {{167, "team-a"}}));
  EXPECT_TRUE(contains(r.log, "Sharing key: team-a")) << r.log;
  EXPECT_TRUE(loadedFrom(r, store)) << r.log;

  // Another sharing key sees none of it.
  r = runSearch(box, config("Y", {{167, "team-b"}}));
  EXPECT_FALSE(contains(r.log, kLoaded)) << r.log;

  listEntry(HKEY_LOCAL_MACHINE, list, twin);
  r = runSearch(box, config("Y", {{167, "team-a"}}));
  EXPECT_TRUE(loadedFrom(r, twin)) << r.log;
}

// The vendor keys: CurrentVersion names the subkey to read first; without
// it the version-named subkeys are walked from the last in byte order, so
// "9.0.4" comes before "11".
TEST(JvmSearchLists, VendorKeysCurrentVersionThenVersionSubkeys) {
  test::EmptiedJvmRegistry registry;
  ASSERT_TRUE(registry.ok());
  LauncherSandbox box(L"lists_vendor");
  const std::wstring eleven = box.layOutRuntime(L"jre11", reporting("11.0.2"));
  const std::wstring nine = box.layOutRuntime(L"jre9", reporting("9.0.4"));
  const std::wstring old = box.layOutRuntime(L"jre8", reporting("1.8.0_201"));
  vendorVersion(kJre, L"11", eleven);
  vendorVersion(kJre, L"9.0.4", nine);

  SearchResult r = runSearch(box, config("Y"));
  EXPECT_TRUE(contains(r.log, "found sun ")) << r.log;
  EXPECT_TRUE(loadedFrom(r, nine)) << r.log;

  {
    UniqueRegKey k = createKey(HKEY_LOCAL_MACHINE, kJre);
    ASSERT_TRUE(k);
    setString(k.get(), L"CurrentVersion", L"11");
  }
  r = runSearch(box, config("Y"));
  EXPECT_TRUE(loadedFrom(r, eleven)) << r.log;

  // The older sibling key is read only when the newer ones give nothing.
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kJre);
  vendorVersion(kOldJre, L"1.8", old);
  r = runSearch(box, config("Y"));
  EXPECT_TRUE(loadedFrom(r, old)) << r.log;
}

// Each width reads the vendor keys in its own registry view (a 64-bit
// launcher the 64-bit keys, a 32-bit one those under WOW6432Node): a runtime
// registered only in the other view, of the other width there, is not even
// looked at.
TEST(JvmSearchLists, VendorKeysOfTheLaunchersOwnView) {
  test::EmptiedJvmRegistry registry;
  ASSERT_TRUE(registry.ok());
  const REGSAM otherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  test::RegistryGuard otherGuard(HKEY_LOCAL_MACHINE, test::kJavaSoftKey, test::RegistryGuard::kSavedKey, otherView);
  ASSERT_EQ(ERROR_SUCCESS, registry::deleteTree(HKEY_LOCAL_MACHINE, test::kJavaSoftKey, otherView));
  LauncherSandbox box(L"lists_view");
  const std::wstring own = box.layOutRuntime(L"own", reporting("11.0.2"));
  standin::RuntimeLayout otherLayout = reporting("17.0.1");
  otherLayout.wrongWidth = true;
  const std::wstring other = box.layOutRuntime(L"other", otherLayout);
  vendorVersion(kJre, L"11", own);
  {
    UniqueRegKey k = registry::createKey(HKEY_LOCAL_MACHINE, std::wstring(kJre) + L"\\17", KEY_ALL_ACCESS | otherView);
    ASSERT_TRUE(k);
    setString(k.get(), L"JavaHome", other);
  }
  SearchResult r = runSearch(box, config("Y"));
  EXPECT_TRUE(loadedFrom(r, own)) << r.log;
  EXPECT_FALSE(contains(lower(r.log), lower(utf16ToUtf8(other)))) << r.log;
}

// The located list's groups: key 165 drops the vendor keys and the entries
// outside "zvt_jres", key 168 lets the "zvt_jres" entries in.
TEST(JvmSearchLists, LocatedListGroupsFollowKeys165And168) {
  test::EmptiedJvmRegistry registry;
  ASSERT_TRUE(registry.ok());
  LauncherSandbox box(L"lists_located");
  const std::wstring store = box.layOutRuntime(L"java\\zvt_jres\\jre11", reporting("11.0.2"));
  const std::wstring other = box.layOutRuntime(L"java\\jdk17", reporting("17.0.1"));
  const std::wstring vendor = box.layOutRuntime(L"java\\vendor21", reporting("21.0.1"));
  listEntry(HKEY_CURRENT_USER, kLocated, store);
  listEntry(HKEY_CURRENT_USER, kLocated, other);

  SearchResult r = runSearch(box, config("Y", {{165, "0"}, {168, "0"}}));
  EXPECT_TRUE(contains(r.log, "found located ")) << r.log;
  EXPECT_TRUE(loadedFrom(r, other)) << r.log;

  // A newer vendor runtime beats the located one while key 165 is clear,
  // and is not consulted once it is set.
  vendorVersion(kJre, L"21", vendor);
  r = runSearch(box, config("Y", {{165, "0"}, {168, "1"}}));
  EXPECT_TRUE(loadedFrom(r, vendor)) << r.log;
  r = runSearch(box, config("Y", {{165, "1"}, {168, "1"}}));
  EXPECT_FALSE(contains(r.log, "found sun ")) << r.log;
  EXPECT_TRUE(loadedFrom(r, store)) << r.log;

  r = runSearch(box, config("Y", {{165, "1"}, {168, "0"}}));
  EXPECT_EQ(1u, r.run.exitCode);
  EXPECT_TRUE(contains(r.said, std::string("MSG1016 needs a ") + kOwnBits + "-bit runtime")) << r.said;
  EXPECT_TRUE(contains(r.log, "ERROR: No JVM found")) << r.log;
}

// A registered runtime whose library does not load goes on the non-working
// list, and the same source is asked again for the next best one.
TEST(JvmSearchLists, FailedLibraryRetriesWithTheNextRegisteredRuntime) {
  test::EmptiedJvmRegistry registry;
  ASSERT_TRUE(registry.ok());
  LauncherSandbox box(L"lists_retry");
  const std::wstring broken = box.layOutRuntime(L"java\\jdk17", reporting("17.0.1", false));
  const std::wstring working = box.layOutRuntime(L"java\\jdk11", reporting("11.0.2"));
  listEntry(HKEY_LOCAL_MACHINE, kLocated, broken);
  listEntry(HKEY_LOCAL_MACHINE, kLocated, working);
  const std::wstring list = std::wstring(kShared) + L"\\team-a";
  listEntry(HKEY_CURRENT_USER, list, broken);

  SearchResult r = runSearch(box, config("Y", {{167, "team-a"}}));
  EXPECT_TRUE(contains(lower(r.log), lower("add non-working java " + utf16ToUtf8(broken)))) << r.log;
  EXPECT_TRUE(loadedFrom(r, working)) << r.log;
}

// Only the machine has a runtime registered, and its library fails: the
// message is 1005, not the "nothing found" one, and the log says why.
TEST(JvmSearchLists, MachineOnlyRegistryRuntimeWhoseLibraryFails) {
  test::EmptiedJvmRegistry registry;
  ASSERT_TRUE(registry.ok());
  LauncherSandbox box(L"lists_1005");
  const std::wstring broken = box.layOutRuntime(L"java\\jdk17", reporting("17.0.1", false));
  listEntry(HKEY_LOCAL_MACHINE, kLocated, broken);

  SearchResult r = runSearch(box, config("Y"));
  EXPECT_EQ(1u, r.run.exitCode);
  EXPECT_TRUE(contains(r.said, "MSG1005 registry runtime unusable")) << r.said;
  EXPECT_FALSE(contains(r.said, "MSG1016")) << r.said;
  EXPECT_TRUE(contains(r.log, "found located ")) << r.log;
  EXPECT_TRUE(contains(r.log, "ERROR: Could not get DLL-Handle.")) << r.log;
  EXPECT_FALSE(contains(r.log, kLoaded)) << r.log;

  // The same through the vendor keys, which exist under the machine only.
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLocated);
  vendorVersion(kJre, L"17", broken);
  r = runSearch(box, config("Y"));
  EXPECT_EQ(1u, r.run.exitCode);
  EXPECT_TRUE(contains(r.log, "found sun ")) << r.log;
  EXPECT_TRUE(contains(r.said, "MSG1005 registry runtime unusable")) << r.said;
}

}  // namespace
}  // namespace zvt::e2e
