// The JVM search end to end where it reads fixed registry paths: earlier
// installations of the application, and the system version Wine reports
// (HKCU\Software\Wine, which decides the ucrtbase.dll preload). Each key is
// saved and put back; the CTest entry holds the fixed-registry lock.
#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "launcher_fixture.h"
#include "base/registry_win32.h"
#include "support/jvm_registry.h"
#include "support/registry_guard.h"

namespace zvt::e2e {
namespace {

const wchar_t* const kInstallations = test::kInstallationsKey;

block::Content config(const std::string& sequence) {
  block::Content c;
  c.entries = {{101, "ZvtSearchReg"}, {128, sequence}, {160, "zvt-search-e2e"}};
  c.messages = {{1016, L"MSG1016 needs a {0}-bit runtime"}, {1005, L"MSG1005 registry runtime unusable"}};
  return c;
}

struct LauncherRun {
  test::RunResult run;
  std::string log;
};

LauncherRun runLauncher(LauncherSandbox& box, const block::Content& c) {
  test::RunOptions o;
  o.setEnv[L"QUARN_LOG"] = L"yes";
  o.unsetEnv = {L"QUARN_JAVA_HOME", L"ZENTROVIA_JAVA_HOME"};
  o.setEnv[L"PATH"] = L"C:\\windows\\system32;C:\\windows";
  LauncherRun r;
  r.run = box.run(box.pack(c), L"/run", o);
  EXPECT_FALSE(r.run.timedOut);
  r.log = box.log();
  DeleteFileW(box.file(L"tmp\\zvt_nlog_1.log").c_str());
  return r;
}

void setString(const test::RegistryGuard& guard, const wchar_t* name, const std::wstring& value) {
  UniqueRegKey key = guard.create();
  ASSERT_TRUE(key);
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

// An earlier installation of an application under `hive` (the key emptied
// by EmptiedJvmRegistry).
void installation(HKEY hive, const wchar_t* name, const std::wstring& value) {
  UniqueRegKey key = registry::createKey(hive, kInstallations, KEY_ALL_ACCESS);
  ASSERT_TRUE(key);
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

TEST(JvmSearchRegistry, PreviousInstallationsUserThenMachine) {
  test::EmptiedJvmRegistry registry;
  ASSERT_TRUE(registry.ok());
  LauncherSandbox box(L"search_prev");
  box.layOutRuntime(L"userapp\\jre");
  box.layOutRuntime(L"machineapp\\jre");
  installation(HKEY_CURRENT_USER, L"zvt-search-e2e", box.file(L"userapp"));
  installation(HKEY_LOCAL_MACHINE, L"zvt-search-e2e", box.file(L"machineapp"));
  LauncherRun r = runLauncher(box, config(""));
  EXPECT_TRUE(contains(r.log, "found JRE from previous installation (user) ")) << r.log;
  EXPECT_TRUE(contains(r.log, "Loading of JVM-DLL successful")) << r.log;
  EXPECT_FALSE(contains(r.log, "previous installation (machine)")) << r.log;

  RegDeleteKeyValueW(HKEY_CURRENT_USER, kInstallations, L"zvt-search-e2e");
  r = runLauncher(box, config(""));
  EXPECT_TRUE(contains(r.log, "found JRE from previous installation (machine) ")) << r.log;
  EXPECT_TRUE(contains(r.log, "Loading of JVM-DLL successful")) << r.log;
}

TEST(JvmSearchRegistry, RegistryRuntimeWhoseLibraryFails) {
  test::EmptiedJvmRegistry registry;
  ASSERT_TRUE(registry.ok());
  LauncherSandbox box(L"search_prev_fail");
  standin::RuntimeLayout layout;
  layout.vmTypes = {};
  box.layOutRuntime(L"app\\jre", layout);
  installation(HKEY_CURRENT_USER, L"zvt-search-e2e", box.file(L"app"));
  LauncherRun r = runLauncher(box, config(""));
  EXPECT_EQ(1u, r.run.exitCode);
  EXPECT_TRUE(contains(r.run.out + r.run.err, "MSG1005 registry runtime unusable")) << r.run.out << r.run.err;
  EXPECT_TRUE(contains(r.log, "ERROR: Could not get DLL-Handle.")) << r.log;
}

// Wine reports the version its prefix names; "win8" is 6.2. Wine serves its
// own ucrtbase.dll for the bare name, so the stand-in's copy is not the one
// that loads here: the log tells whether the preload ran.
TEST(JvmSearchRegistry, UcrtbasePreloadedBelow64Only) {
  test::RegistryGuard wine(HKEY_CURRENT_USER, L"Software\\Wine", test::RegistryGuard::kSavedKey);
  LauncherSandbox box(L"search_ucrt");
  standin::RuntimeLayout layout;
  layout.ucrtbase = true;
  box.layOutRuntime(L"jre", layout);
  setString(wine, L"Version", L"win8");
  LauncherRun r = runLauncher(box, config("B.\\jre"));
  EXPECT_TRUE(contains(r.log, "Preloading ucrtbase.dll 4")) << r.log;
  EXPECT_TRUE(contains(r.log, "Loading of JVM-DLL successful")) << r.log;

  setString(wine, L"Version", L"win10");
  r = runLauncher(box, config("B.\\jre"));
  EXPECT_FALSE(contains(r.log, "Preloading ucrtbase.dll")) << r.log;
  EXPECT_TRUE(contains(r.log, "Loading of JVM-DLL successful")) << r.log;
}

}  // namespace
}  // namespace zvt::e2e
