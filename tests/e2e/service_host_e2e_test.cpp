// The service host end to end under the system's Service Control Manager:
// the packed launcher installed as a service, started by the manager, its
// child, its states and exit codes as the manager reports them, and no
// launcher process left behind.
//
// A service started by the manager does not get this program's environment,
// so the launcher's diagnostic log is off in the host and in its child; the
// host is judged by what it does: the states and exit codes the manager
// reports, what the stand-in runtime recorded in the child, and which
// processes remain.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "launcher_fixture.h"
#include "pack.h"
#include "service_support.h"
#include "support/service_guard.h"

namespace zvt::e2e {
namespace {

// A packed service with a stand-in runtime beside it (.\jre), whose
// application is chosen by the VM options.
class ServiceHost : public ::testing::Test {
 protected:
  block::Content content(const std::string& vmOptions = "-Dstandin.app=record") {
    block::Content c;
    c.entries = {{101, guard.narrow()}, {107, "4"}, {122, "com.example.Main"}, {128, "B.\\jre;"}, {123, vmOptions}};
    c.messages = {{1000, L"Error"}, {1009, L"An internal error occurred (error code: {0})"}};
    return c;
  }
  // Packs and installs the service with the launcher's own command.
  void install(const block::Content& c) {
    exe = box.pack(c);
    jreHome = box.layOutRuntime(L"jre");
    test::RunResult r = box.run(exe, L"/install-demand");
    ASSERT_EQ(0u, r.exitCode) << r.out << r.err;
    ASSERT_TRUE(contains(r.out, "Installed service '" + guard.narrow() + "'.")) << r.out;
  }

  test::ServiceGuard guard{test::uniqueServiceName(L"Host")};
  LauncherSandbox box{L"svchost"};
  std::wstring exe, jreHome;
};

TEST_F(ServiceHost, AChildThatEndsWithZeroStopsTheServiceWithoutARequest) {
  install(content());
  ASSERT_EQ(0u, startWith(guard.name(), {}));
  SERVICE_STATUS_PROCESS s = waitForState(guard.name(), SERVICE_STOPPED);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), s.dwCurrentState);
  EXPECT_EQ(0u, s.dwWin32ExitCode);
  EXPECT_EQ(0u, s.dwServiceSpecificExitCode);
  EXPECT_EQ(0u, processesLeft(exe));
}

// The child cannot prepare the application (an included file whose name is
// a device is refused) and ends with 1. The host ends too, without
// reporting STOPPED: to the manager the service process ended on its own.
// Windows then shows STOPPED with ERROR_PROCESS_ABORTED (1067) and runs the
// service's recovery actions; Wine's manager does not notice the end and
// goes on showing the last reported state, RUNNING, with no process behind
// it. Either way no clean STOPPED was reported.
TEST_F(ServiceHost, AChildThatFailsLeavesTheStoppedReportToTheManager) {
  block::Content c = content();
  pack::setIncludedFileEntries(c, {"con"});
  c.files = {block::IncludedFile{std::vector<uint8_t>{'x'}}};
  install(c);
  ASSERT_EQ(0u, startWith(guard.name(), {}));
  EXPECT_EQ(0u, processesLeft(exe));  // the host and its child have ended
  SERVICE_STATUS_PROCESS s = queryStatus(guard.name());
  EXPECT_FALSE(s.dwCurrentState == SERVICE_STOPPED && s.dwWin32ExitCode == 0)
      << "a clean STOPPED was reported for a failed child";
  EXPECT_NE(0u, s.dwCurrentState);
}

// What cannot reach the child as it is given refuses the start: STOPPED
// with 1066 / 5000, visible to whoever asks the manager.
TEST_F(ServiceHost, AChildThatCannotBeStartedReportsStoppedWith1066And5000) {
  install(content());
  const std::vector<std::vector<std::wstring>> refused = {
      {std::wstring(12000, L'p')},  // the command line would exceed 12000 units
      {L"ok", L"both \" and ' quotes"},
  };
  for (const auto& parameters : refused) {
    ASSERT_EQ(0u, startWith(guard.name(), parameters));
    SERVICE_STATUS_PROCESS s = waitForState(guard.name(), SERVICE_STOPPED);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), s.dwCurrentState);
    EXPECT_EQ(1066u, s.dwWin32ExitCode);
    EXPECT_EQ(5000u, s.dwServiceSpecificExitCode);
    EXPECT_EQ(0u, processesLeft(exe));
  }
}

// A damaged block ends the service process with its fatal message instead
// of a dialog nobody can see: the process is gone, the service stopped.
TEST_F(ServiceHost, ADamagedBlockEndsTheServiceInsteadOfHangingOnADialog) {
  block::Content c = content();
  install(c);
  std::string bytes;
  ASSERT_TRUE(test::readFileBytes(exe, bytes));
  // The block's first byte is part of its magic.
  bytes[bytes.size() - block::write(c).size()] ^= 0x01;
  ASSERT_TRUE(test::writeFileBytes(exe, bytes));
  startWith(guard.name(), {});  // fails: the process ends before it reaches the dispatcher
  SERVICE_STATUS_PROCESS s = waitForState(guard.name(), SERVICE_STOPPED);
  EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), s.dwCurrentState);
  EXPECT_EQ(0u, processesLeft(exe));
}

}  // namespace
}  // namespace zvt::e2e
