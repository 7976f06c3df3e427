// The end-to-end sandbox itself: stand-in runtimes laid out inside it work
// and go with it.
#include <gtest/gtest.h>

#include "launcher_fixture.h"

namespace zvt::e2e {
namespace {

TEST(Sandbox, RuntimesAreLaidOutInsideAndRemovedWithIt) {
  std::wstring home;
  {
    LauncherSandbox box(L"layout");
    standin::RuntimeLayout layout;
    layout.versionText = "java version \"1.8.0_201\"\n";
    layout.jdk = true;
    home = box.layOutRuntime(L"jdk8", layout);
    EXPECT_EQ(box.file(L"jdk8"), home);
    EXPECT_TRUE(test::fileExists(home + L"\\jre\\bin\\client\\jvm.dll"));
    test::RunResult r =
        test::runProcess(test::commandLine(standin::runtimeBinDir(home, layout) + L"\\java.exe", {L"-version"}));
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_EQ("java version \"1.8.0_201\"\n", r.err);
    EXPECT_EQ(1, standin::probeCount(home));

    std::wstring second = box.layOutRuntime(L"jre 11");
    EXPECT_TRUE(test::fileExists(second + L"\\bin\\client\\jvm.dll"));
  }
  EXPECT_FALSE(test::fileExists(home));
}

// Started without waiting: several launchers run side by side, and one
// whose standard input stays open is stopped from outside.
TEST(Sandbox, ProcessesRunSideBySideAndAreStopped) {
  LauncherSandbox box(L"running");
  standin::RuntimeLayout layout;
  layout.delayMs = 60000;  // java.exe -version hangs
  std::wstring java = standin::runtimeBinDir(box.layOutRuntime(L"slow", layout), layout) + L"\\java.exe";
  test::RunOptions open;
  open.closeInput = false;
  test::RunningProcess hanging(test::commandLine(java, {L"-version"}), open);
  ASSERT_TRUE(hanging.started());
  EXPECT_TRUE(hanging.writeInput("ignored\n"));
  test::RunResult stopped = hanging.stop();
  EXPECT_EQ(0xDEADu, stopped.exitCode);
  EXPECT_FALSE(stopped.timedOut);
}

}  // namespace
}  // namespace zvt::e2e
