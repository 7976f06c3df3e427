// The process entry end to end: usage, the dispatcher fallback, switch
// grammar, the service-name argument.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "launcher_fixture.h"

namespace zvt::e2e {
namespace {

block::Content basicContent() {
  block::Content c;
  c.entries = {{101, "ZvtE2eService"}, {107, "4"}};
  c.messages = {{1000, L"Error"}};
  return c;
}

TEST(Entry, UsageNamesTheExecutable) {
  LauncherSandbox box(L"usage");
  std::wstring exe = box.pack(basicContent(), L"myservice.exe");
  for (const wchar_t* sw : {L"/?", L"-help", L"--help", L"/-?"}) {
    test::RunResult r = box.run(exe, sw);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ(0u, r.out.find("Usage: myservice.exe /install | /uninstall | /stop | /start | /status | /run | "
                             "/run-redirect"))
        << r.out;
  }
  std::wstring other = box.pack(basicContent(), L"Other App.exe");
  test::RunResult r = box.run(other, L"/?");
  EXPECT_EQ(0u, r.out.find("Usage: Other App.exe /install")) << r.out;
}

// Outside the Service Control Manager the dispatcher call fails with 1063
// and the exit code stays 0;
// under Wine it takes seconds to give up, so the cases run side by side.
TEST(Entry, UnrecognisedCommandLinesReachTheDispatcher) {
  // An unknown switch with a name too long for the name buffer is no
  // different: the name is not used on this path.
  const std::vector<std::wstring> cases = {L"",          L"/bogus name extra", L"/INSTALL",
                                           L"-/install", L"install",           L"/bogus " + std::wstring(6000, L'n')};
  struct Run {
    std::unique_ptr<LauncherSandbox> box;
    std::unique_ptr<test::RunningProcess> process;
    test::RunResult result;
  };
  std::vector<Run> runs(cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    runs[i].box = std::make_unique<LauncherSandbox>(L"dispatch");
    test::RunOptions o;
    o.setEnv[L"QUARN_LOG"] = L"yes";
    runs[i].process = runs[i].box->start(runs[i].box->pack(basicContent()), cases[i], o);
  }
  for (Run& run : runs) run.result = run.process->finish();
  for (size_t i = 0; i < cases.size(); ++i) {
    const test::RunResult& r = runs[i].result;
    std::string label(cases[i].begin(), cases[i].begin() + std::min<size_t>(cases[i].size(), 40));
    EXPECT_FALSE(r.timedOut) << label;
    EXPECT_EQ(0u, r.exitCode) << label;
    EXPECT_TRUE(r.out.empty()) << label << ": " << r.out;
    // Nobody started it as a service: the usage line on standard error tells
    // the user the command line was not understood.
    EXPECT_EQ(0u, r.err.find("Usage: myservice.exe /install | /uninstall | /stop | /start | /status | /run | "
                             "/run-redirect"))
        << label << ": " << r.err;
    std::string log = runs[i].box->log();
    EXPECT_TRUE(contains(log, "] calling StartServiceCtrlDispatcher\r\n")) << label << log;
    EXPECT_TRUE(contains(log, "] StartServiceCtrlDispatcher failed with error 1063\r\n")) << label << log;
    EXPECT_TRUE(contains(log, "] StartServiceCtrlDispatcher returned\r\n")) << label << log;
  }
}

TEST(Entry, TheRestartMarkerWinsOverASwitch) {
  LauncherSandbox box(L"marker");
  std::wstring exe = box.pack(basicContent());
  test::RunOptions o;
  o.setEnv[L"QUARN_LOG"] = L"yes";
  test::RunResult r = box.run(exe, L"/install MyService __zvt_restart", o);
  // The service child runs the launch sequence, whose JVM search finds no
  // runtime in the sandbox: that ends the process with 1.
  EXPECT_EQ(1u, r.exitCode);
  std::string log = box.log();
  EXPECT_TRUE(contains(log, "] Searching for a JVM\r\n")) << log;
  EXPECT_TRUE(contains(log, "] ERROR: No JVM found\r\n")) << log;
  EXPECT_TRUE(contains(log, "] registering ConsoleCtrlHandler\r\n")) << log;
  EXPECT_FALSE(contains(log, "Installed service")) << log;
}

TEST(Entry, AnOverlongServiceNameIsRefusedWhereTheNameIsUsed) {
  LauncherSandbox box(L"longname");
  std::wstring exe = box.pack(basicContent(), L"myservice.exe");
  test::RunResult r = box.run(exe, L"/status " + std::wstring(6000, L'n'));
  EXPECT_EQ(1u, r.exitCode);
  EXPECT_TRUE(contains(r.err, "The service name is too long.")) << r.err;
  // The usage line does not use the name: it is printed as for "/?" alone.
  r = box.run(exe, L"/? " + std::wstring(6000, L'n'));
  EXPECT_EQ(0u, r.exitCode) << r.err;
  EXPECT_EQ(0u, r.out.find("Usage: myservice.exe /install")) << r.out;
  EXPECT_FALSE(contains(r.err, "too long")) << r.err;
  // 5999 units still fit the buffer and reach the command (which then finds
  // no such service).
  r = box.run(exe, L"/status " + std::wstring(5999, L'n'));
  EXPECT_FALSE(contains(r.err, "too long")) << r.err;
  EXPECT_NE(0u, r.exitCode);
}

}  // namespace
}  // namespace zvt::e2e
