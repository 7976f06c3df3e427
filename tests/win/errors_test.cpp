// Error output and the fatal exit, each in a child process.
#include <gtest/gtest.h>

#include "base/text.h"
#include "child.h"
#include "config/accessors.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"

namespace zvt {
namespace {

TEST(Child_Errors, ConsoleErrorWithLogPath) {
  REQUIRE_CHILD();
  installLogWriter();
  logLine(L"first line sets up the log");
  ASSERT_FALSE(logPath().empty());
  setErrorDisplay(ErrorDisplay::Console);
  setMessageSource(&config::getMessageText);
  config::current().messages[1009] = L"An internal error occurred (error code: {0}) {0}";
  std::wstring argument = L"16";
  showMessage(1009, &argument);
}

TEST(Child_Errors, FatalExitRemovesTheLauncherTemporaryDirectory) {
  REQUIRE_CHILD();
  processState().launcherTempDirectory = toNarrow(test::childEnv(L"ZVT_DIR"));
  fatalExit(3);
}

TEST(Child_Errors, DialogCaptionComesFromMessage1000) {
  REQUIRE_CHILD();
  setMessageSource(&config::getMessageText);
  config::current().messages[1000] = L"Fehler";
  fatalText(L"Internal Error: magic");
}

// A service runs in a window station nobody sees; this child moves into one
// of its own before the fatal message.
TEST(Child_Errors, FatalDialogWhereNobodySeesIt) {
  REQUIRE_CHILD();
  installLogWriter();
  std::wstring name = L"ZvtHidden" + std::to_wstring(GetCurrentProcessId());
  HWINSTA station = CreateWindowStationW(name.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
  ASSERT_NE(nullptr, station);
  ASSERT_TRUE(SetProcessWindowStation(station));
  setMessageSource(&config::getMessageText);
  config::current().messages[1000] = L"Fehler";
  fatalText(L"Internal Error: magic");
}

class Errors : public ::testing::Test {
 protected:
  test::Sandbox box{L"errors"};
};

TEST_F(Errors, ConsoleModeWritesStandardErrorWithTheLogPath) {
  std::wstring tmp = box.file(L"tmp");
  CreateDirectoryW(tmp.c_str(), nullptr);
  test::RunOptions o;
  o.setEnv[L"QUARN_LOG"] = L"yes";
  o.setEnv[L"TMP"] = tmp;
  o.setEnv[L"TEMP"] = tmp;
  test::RunResult r = test::runChild("Child_Errors.ConsoleErrorWithLogPath", o);
  EXPECT_EQ(0u, r.exitCode) << r.out;
  // Only the first "{0}" takes the argument; standard output is a pipe, so
  // the text goes to standard error with a line break.
  std::string expected = "An internal error occurred (error code: 16) {0}\r\n\r\nLog: " +
                         utf16ToUtf8(tmp) + "\\zvt_nlog_1.log\r\n";
  EXPECT_NE(std::string::npos, r.err.find(expected)) << r.err;
  EXPECT_TRUE(r.dialogs.empty());
}

TEST_F(Errors, FatalExitEmptiesOneLevelAndKeepsDeeperOnes) {
  std::wstring dir = box.file(L"run_dir1");
  CreateDirectoryW(dir.c_str(), nullptr);
  CreateDirectoryW((dir + L"\\lib").c_str(), nullptr);
  CreateDirectoryW((dir + L"\\deep").c_str(), nullptr);
  CreateDirectoryW((dir + L"\\deep\\er").c_str(), nullptr);
  ASSERT_TRUE(test::writeFileBytes(dir + L"\\a.jar", "a"));
  ASSERT_TRUE(test::writeFileBytes(dir + L"\\lib\\b.jar", "b"));
  ASSERT_TRUE(test::writeFileBytes(dir + L"\\deep\\er\\c.jar", "c"));
  test::RunOptions o;
  o.setEnv[L"ZVT_DIR"] = dir;
  test::RunResult r = test::runChild("Child_Errors.FatalExitRemovesTheLauncherTemporaryDirectory", o);
  EXPECT_EQ(3u, r.exitCode);
  EXPECT_FALSE(test::fileExists(dir + L"\\a.jar"));
  EXPECT_FALSE(test::fileExists(dir + L"\\lib"));
  // Two levels down is not emptied, so it and the levels above it stay.
  EXPECT_TRUE(test::fileExists(dir + L"\\deep\\er\\c.jar"));
  EXPECT_TRUE(test::fileExists(dir));

  // Without the deeper level the whole directory goes.
  std::wstring flat = box.file(L"run_dir2");
  CreateDirectoryW(flat.c_str(), nullptr);
  CreateDirectoryW((flat + L"\\lib").c_str(), nullptr);
  ASSERT_TRUE(test::writeFileBytes(flat + L"\\lib\\b.jar", "b"));
  o.setEnv[L"ZVT_DIR"] = flat;
  r = test::runChild("Child_Errors.FatalExitRemovesTheLauncherTemporaryDirectory", o);
  EXPECT_EQ(3u, r.exitCode);
  EXPECT_FALSE(test::fileExists(flat));
}

TEST_F(Errors, FatalExitLeavesADotNameAlone) {
  std::wstring dir = box.file(L".keep");
  CreateDirectoryW(dir.c_str(), nullptr);
  ASSERT_TRUE(test::writeFileBytes(dir + L"\\a.jar", "a"));
  test::RunOptions o;
  o.workingDirectory = box.path();
  o.setEnv[L"ZVT_DIR"] = L".keep";
  test::RunResult r = test::runChild("Child_Errors.FatalExitRemovesTheLauncherTemporaryDirectory", o);
  EXPECT_EQ(3u, r.exitCode);
  EXPECT_TRUE(test::fileExists(dir + L"\\a.jar"));
}

TEST_F(Errors, DialogShowsTheTextUnderTheConfiguredCaption) {
  test::RunResult r = test::runChild("Child_Errors.DialogCaptionComesFromMessage1000");
  EXPECT_EQ(1u, r.exitCode);
  ASSERT_EQ(1u, r.dialogs.size());
  EXPECT_EQ(L"Fehler", r.dialogs[0].caption);
  EXPECT_EQ(L"Internal Error: magic", r.dialogs[0].text);
}

// A dialog there would wait forever for a button nobody can press: the text
// goes to standard error and the log, and the process ends with its code.
TEST_F(Errors, NoDialogInAWindowStationNobodySees) {
  std::wstring tmp = box.file(L"tmp");
  CreateDirectoryW(tmp.c_str(), nullptr);
  test::RunOptions o;
  o.setEnv[L"QUARN_LOG"] = L"yes";
  o.setEnv[L"TMP"] = tmp;
  o.setEnv[L"TEMP"] = tmp;
  o.timeoutMs = 30000;  // a hang fails here instead of blocking the suite
  test::RunResult r = test::runChild("Child_Errors.FatalDialogWhereNobodySeesIt", o);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(1u, r.exitCode);
  EXPECT_TRUE(r.dialogs.empty());
  EXPECT_NE(std::string::npos, r.err.find("Internal Error: magic\r\n")) << r.err;
  std::string log;
  ASSERT_TRUE(test::readFileBytes(tmp + L"\\zvt_nlog_1.log", log));
  EXPECT_NE(std::string::npos, log.find("ERROR: Internal Error: magic")) << log;
}

}  // namespace
}  // namespace zvt
