// Loading a runtime's JVM library into this very process: what stays
// changed after a success and what is put back after a failure (PATH in
// both environment copies, the DLL directory), and the entry it resolves.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/win32.h"
#include "config/keys.h"
#include "discovery_fixture.h"
#include "jvm/discovery/load_dll.h"
#include "runtime/environment_win32.h"
#include "runtime/process_state.h"

namespace zvt {
namespace {

struct PathState {
  bool present;
  std::wstring value;
  std::string runtimeCopy;  // what the C runtime's getenv sees
  bool runtimePresent;
};

PathState pathState() {
  PathState s;
  s.present = readProcessPath(s.value);
  const char* copy = getenv("PATH");
  s.runtimePresent = copy != nullptr;
  s.runtimeCopy = copy ? copy : "";
  return s;
}

// Puts PATH back the way the test found it.
class PathRestore {
 public:
  PathRestore() : saved_(pathState()) {}
  ~PathRestore() { writeProcessPath(saved_.present ? &saved_.value : nullptr, nullptr); }

 private:
  PathState saved_;
};

TEST(LoadDllWin, FailedLoadPutsPathBack) {
  test::Sandbox box(L"loaddll_fail");
  std::wstring home = box.file(L"novm");
  standin::RuntimeLayout layout;
  layout.vmTypes = {};
  test::layOut(home, layout);
  PathRestore restore;
  std::wstring before = L"C:\\windows\\system32;C:\\windows;C:\\\x00e9t\x00e9";
  ASSERT_TRUE(writeProcessPath(&before, nullptr));
  PathState was = pathState();
  test::ScopedConfig config;
  config.set(key::kRegisterDllDirectories, "1");
  EXPECT_EQ(0u, loadJvmFromJavaExe(test::narrow(test::javaExeOf(home))));
  PathState now = pathState();
  EXPECT_TRUE(now.present);
  EXPECT_EQ(was.value, now.value);
  EXPECT_EQ(was.runtimeCopy, now.runtimeCopy);

  // Not set before: not set after (not an empty variable).
  ASSERT_TRUE(writeProcessPath(nullptr, nullptr));
  EXPECT_EQ(0u, loadJvmFromJavaExe(test::narrow(test::javaExeOf(home))));
  now = pathState();
  EXPECT_FALSE(now.present);
  EXPECT_FALSE(now.runtimePresent);
}

TEST(LoadDllWin, LoadedLibraryLeadsPathAndResolvesTheEntry) {
  test::Sandbox box(L"loaddll_ok");
  std::wstring home = box.file(L"jre");
  standin::RuntimeLayout layout;
  layout.vmTypes = {L"server"};
  test::layOut(home, layout);
  PathRestore restore;
  std::wstring before = L"C:\\windows";
  ASSERT_TRUE(writeProcessPath(&before, nullptr));
  std::string javaExe = test::narrow(test::javaExeOf(home));
  uintptr_t module = loadJvmFromJavaExe(javaExe);
  ASSERT_NE(0u, module);
  std::string bin = javaExe.substr(0, javaExe.size() - 9);
  EXPECT_EQ(bin, processState().jvm.libraryDirectory);
  PathState now = pathState();
  EXPECT_EQ(test::narrow(now.value), bin + ";C:\\windows");
  EXPECT_EQ(now.runtimeCopy, bin + ";C:\\windows");
  EXPECT_FALSE(resolveCreateJavaVm(0));
  ASSERT_TRUE(resolveCreateJavaVm(module));
  EXPECT_EQ(reinterpret_cast<UntypedFunction>(GetProcAddress(reinterpret_cast<HMODULE>(module), "JNI_CreateJavaVM")),
            processState().jvm.createJavaVM);
}

}  // namespace
}  // namespace zvt
