// The process runner against real child processes (runner_child.exe beside
// this program): pipes and their drains, files, standard input written and
// closed, time-outs, termination, exit codes, environment, inheritance.
#include <gtest/gtest.h>

#include <string>

#include "base/process_win32.h"
#include "base/text.h"
#include "child.h"
#include "support/win_process.h"

namespace zvt {
namespace {

std::wstring helper() {
  std::wstring self = test::selfPath();
  return self.substr(0, self.find_last_of(L'\\') + 1) + L"runner_child.exe";
}

ChildOptions childRunning(const std::wstring& arguments) {
  ChildOptions options;
  options.commandLine = test::quote(helper()) + L" " + arguments;
  options.terminateOnDestroy = true;  // a failed assertion leaves nothing running
  return options;
}

ChildOptions piped(const std::wstring& arguments) {
  ChildOptions options = childRunning(arguments);
  options.input = StreamSetup::pipe();
  options.output = StreamSetup::pipe();
  options.error = StreamSetup::pipe();
  return options;
}

// Starts, waits for the end and the drains; fails the test on a hang.
void runToEnd(ChildProcess& child, const ChildOptions& options) {
  ASSERT_TRUE(child.start(options)) << "error " << child.startError();
  child.closeInput();
  ASSERT_TRUE(child.wait(30000));
  ASSERT_TRUE(child.waitForOutput(30000));
}

std::string fileText(const std::wstring& path) {
  std::string bytes;
  EXPECT_TRUE(test::readFileBytes(path, bytes));
  return bytes;
}

TEST(ProcessRunner, HelperProgramIsBuilt) {
  ASSERT_TRUE(test::fileExists(helper())) << "runner_child.exe";
}

TEST(ProcessRunner, OutputAndErrorPipesAreDrainedSeparatelyOrTogether) {
  {
    ChildProcess child;
    runToEnd(child, piped(L"both"));
    EXPECT_EQ("out", child.output());
    EXPECT_EQ("err", child.errorOutput());
    EXPECT_EQ(0u, child.exitCode().value_or(99));
  }
  {
    ChildOptions options = piped(L"both");
    options.error = StreamSetup::toOutput();
    ChildProcess child;
    runToEnd(child, options);
    EXPECT_EQ("outerr", child.output());
    EXPECT_EQ("", child.errorOutput());
  }
}

// More than any pipe buffer holds: without the drain thread the child would
// block on its write and never end.
TEST(ProcessRunner, LargeOutputIsDrainedWhileTheChildRunsAndALimitDropsTheRest) {
  const size_t size = 3 * 1024 * 1024 + 7;
  {
    ChildProcess child;
    runToEnd(child, piped(L"write " + std::to_wstring(size)));
    std::string out = child.output();
    ASSERT_EQ(size, out.size());
    EXPECT_EQ("abc", out.substr(0, 3));
    EXPECT_EQ(static_cast<char>('a' + (size - 1) % 26), out.back());
  }
  {
    ChildOptions options = piped(L"write " + std::to_wstring(size));
    options.outputLimit = 10;
    ChildProcess child;
    runToEnd(child, options);
    EXPECT_EQ("abcdefghij", child.output());
    EXPECT_EQ(0u, child.exitCode().value_or(99));
  }
}

// The caller reads the output itself (the service host's drain): no drain
// thread, the read end handed over once; a write after the input is closed
// fails with a reason.
TEST(ProcessRunner, TheCallerCanReadTheOutputPipeItself) {
  ChildOptions options = piped(L"echo");
  options.error = StreamSetup::toOutput();
  options.drainOutputs = false;
  ChildProcess child;
  ASSERT_TRUE(child.start(options)) << "error " << child.startError();
  UniqueHandle out = child.takeOutput();
  ASSERT_TRUE(out.valid());
  EXPECT_FALSE(child.takeOutput().valid());
  ASSERT_TRUE(child.writeInput("0\n"));
  child.closeInput();
  EXPECT_FALSE(child.writeInput("0\n"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  std::string got;
  char buffer[64];
  DWORD n = 0;
  while (ReadFile(out.get(), buffer, sizeof(buffer), &n, nullptr)) got.append(buffer, n);
  EXPECT_EQ("0\nend", got);
  ASSERT_TRUE(child.wait(30000));
  EXPECT_EQ("", child.output());

  // An error pipe of its own would have no reader: refused.
  ChildOptions refused = piped(L"both");
  refused.drainOutputs = false;
  ChildProcess other;
  EXPECT_FALSE(other.start(refused));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), other.startError());
}

TEST(ProcessRunner, StandardInputStaysOpenUntilClosed) {
  ChildProcess child;
  ASSERT_TRUE(child.start(piped(L"echo")));
  EXPECT_TRUE(child.writeInput("hello\r\n"));
  EXPECT_TRUE(child.writeInput(std::string("w\0rld", 5)));
  // Still reading: the input has not ended.
  EXPECT_FALSE(child.wait(300));
  EXPECT_TRUE(child.running());
  EXPECT_FALSE(child.exitCode().has_value());
  child.closeInput();
  EXPECT_FALSE(child.writeInput("late"));
  ASSERT_TRUE(child.wait(30000));
  ASSERT_TRUE(child.waitForOutput(30000));
  EXPECT_EQ(std::string("hello\r\nw\0rld", 12), child.output());
  EXPECT_EQ("end", child.errorOutput());
}

TEST(ProcessRunner, StreamsFromAndToFiles) {
  test::Sandbox box(L"runnerfiles");
  const std::wstring in = box.file(L"in.txt"), out = box.file(L"out.txt"), err = box.file(L"err.txt");
  ASSERT_TRUE(test::writeFileBytes(in, "line one\nline two"));
  // An existing output file is replaced, not appended to or overwritten in
  // part.
  ASSERT_TRUE(test::writeFileBytes(out, std::string(100, 'x')));
  ChildOptions options = childRunning(L"echo");
  options.input = StreamSetup::toFile(in);
  options.output = StreamSetup::toFile(out);
  options.error = StreamSetup::toFile(err);
  ChildProcess child;
  runToEnd(child, options);
  EXPECT_EQ(0u, child.exitCode().value_or(99));
  EXPECT_EQ("line one\nline two", fileText(out));
  EXPECT_EQ("end", fileText(err));
  EXPECT_EQ("", child.output());

  ChildOptions both = childRunning(L"both");
  both.output = StreamSetup::toFile(out);
  both.error = StreamSetup::toOutput();
  ChildProcess second;
  runToEnd(second, both);
  EXPECT_EQ("outerr", fileText(out));
}

TEST(ProcessRunner, NoneAndInheritedStreams) {
  test::Sandbox box(L"runnerhandles");
  const std::wstring report = box.file(L"handles.txt");
  const std::wstring arguments = L"handles " + test::quote(report);
  ChildOptions none = childRunning(arguments);
  none.input = none.output = none.error = StreamSetup::none();
  // Without a console of its own to fall back on.
  none.creationFlags = DETACHED_PROCESS;
  ChildProcess first;
  runToEnd(first, none);
  EXPECT_EQ("in=none out=none err=none", fileText(report));

  // Input from a pipe, output and error as this test program has them
  // (CTest gives it pipes, a console gives it the console).
  ChildOptions mixed = childRunning(arguments);
  mixed.input = StreamSetup::pipe();
  ChildProcess second;
  runToEnd(second, mixed);
  EXPECT_EQ("in=some out=some err=some", fileText(report));
}

TEST(ProcessRunner, ExitCodesIncludingStillActiveAndTermination) {
  for (DWORD code : {0u, 3u, 259u, 0xC0000005u}) {
    SCOPED_TRACE(code);
    ChildProcess child;
    runToEnd(child, childRunning(L"exit " + std::to_wstring(code)));
    EXPECT_FALSE(child.running());
    // 259 is STILL_ACTIVE: the ended child still reports it as its code.
    ASSERT_TRUE(child.exitCode().has_value());
    EXPECT_EQ(code, *child.exitCode());
  }

  ChildProcess sleeper;
  ASSERT_TRUE(sleeper.start(childRunning(L"sleep 60000")));
  EXPECT_NE(0u, sleeper.id());
  EXPECT_FALSE(sleeper.wait(200));
  EXPECT_TRUE(sleeper.running());
  EXPECT_FALSE(sleeper.exitCode().has_value());
  EXPECT_TRUE(sleeper.terminate(7));
  EXPECT_FALSE(sleeper.running());
  EXPECT_EQ(7u, sleeper.exitCode().value_or(99));
  // Ending an ended child changes nothing.
  EXPECT_TRUE(sleeper.terminate(8));
  EXPECT_EQ(7u, sleeper.exitCode().value_or(99));
}

TEST(ProcessRunner, DestructionTerminatesOnlyWhenAsked) {
  UniqueHandle kept, left;
  {
    ChildProcess killed;
    ASSERT_TRUE(killed.start(childRunning(L"sleep 60000")));
    kept.reset(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, killed.id()));
    ChildOptions stays = childRunning(L"sleep 60000");
    stays.terminateOnDestroy = false;
    ChildProcess survivor;
    ASSERT_TRUE(survivor.start(stays));
    left.reset(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, survivor.id()));
  }
  ASSERT_TRUE(kept && left);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(kept.get(), 10000));
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(left.get(), 0));
  TerminateProcess(left.get(), 1);
}

TEST(ProcessRunner, EnvironmentBlockReplacesTheParentEnvironment) {
  SetEnvironmentVariableW(L"ZVT_RUNNER_PARENT", L"from parent");
  {
    ChildProcess child;
    runToEnd(child, piped(L"env ZVT_RUNNER_PARENT"));
    EXPECT_EQ("from parent", child.output());
  }
  std::wstring systemRoot(MAX_PATH, L'\0');
  systemRoot.resize(GetEnvironmentVariableW(L"SystemRoot", &systemRoot[0], MAX_PATH));
  ChildOptions options = piped(L"env ZVT_RUNNER_CHILD");
  options.environment = L"SystemRoot=" + systemRoot + std::wstring(1, L'\0') + L"ZVT_RUNNER_CHILD=a b=c";
  {
    ChildProcess child;
    runToEnd(child, options);
    EXPECT_EQ("a b=c", child.output());
  }
  options.commandLine = test::quote(helper()) + L" env ZVT_RUNNER_PARENT";
  {
    ChildProcess child;
    runToEnd(child, options);
    EXPECT_EQ("<unset>", child.output());
  }
  SetEnvironmentVariableW(L"ZVT_RUNNER_PARENT", nullptr);
}

TEST(ProcessRunner, WorkingDirectoryAndApplicationName) {
  test::Sandbox box(L"runnercwd");
  ChildOptions options = piped(L"cwd");
  options.workingDirectory = box.path();
  // The application is started whatever the command line's first token.
  options.application = helper();
  options.commandLine = L"whatever.exe cwd";
  ChildProcess child;
  runToEnd(child, options);
  EXPECT_EQ(utf16ToUtf8(box.path()), child.output());
}

TEST(ProcessRunner, StartFailuresGiveTheSystemError) {
  ChildOptions nowhere;
  nowhere.commandLine = L"\"C:\\no\\such\\program.exe\"";
  ChildProcess missing;
  EXPECT_FALSE(missing.start(nowhere));
  EXPECT_TRUE(missing.startError() == ERROR_FILE_NOT_FOUND || missing.startError() == ERROR_PATH_NOT_FOUND)
      << missing.startError();
  EXPECT_EQ(StartStep::Process, missing.failedStep());
  EXPECT_FALSE(missing.started());
  EXPECT_FALSE(missing.exitCode().has_value());

  ChildOptions noInheritance = piped(L"both");
  noInheritance.inheritHandles = false;
  ChildProcess refused;
  EXPECT_FALSE(refused.start(noInheritance));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), refused.startError());
  EXPECT_EQ(StartStep::Options, refused.failedStep());

  ChildOptions noInput = childRunning(L"echo");
  noInput.input = StreamSetup::toFile(L"C:\\no\\such\\input.txt");
  ChildProcess unopened;
  EXPECT_FALSE(unopened.start(noInput));
  EXPECT_TRUE(unopened.startError() == ERROR_FILE_NOT_FOUND || unopened.startError() == ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(StartStep::Streams, unopened.failedStep());

  ChildProcess twice;
  ASSERT_TRUE(twice.start(childRunning(L"exit 0")));
  EXPECT_FALSE(twice.start(childRunning(L"exit 0")));
}

// The parent's own pipe ends never reach another child: a second child that
// inherits handles must not keep the first one's input open.
TEST(ProcessRunner, ASecondChildDoesNotInheritTheFirstOnesPipes) {
  ChildProcess first;
  ASSERT_TRUE(first.start(piped(L"echo")));
  ChildProcess second;
  ASSERT_TRUE(second.start(childRunning(L"sleep 60000")));
  ASSERT_TRUE(first.writeInput("x"));
  first.closeInput();
  EXPECT_TRUE(first.wait(20000)) << "the first child never saw the end of its input";
  EXPECT_TRUE(first.waitForOutput(20000)) << "the first child's output pipe is held elsewhere";
  EXPECT_EQ("x", first.output());
}

// A grandchild that inherited the output pipe keeps it open after the child
// ended: the drains end only with it, and tearing down never waits for it.
TEST(ProcessRunner, AGrandchildHoldingThePipeDelaysTheEndButNotTheTeardown) {
  {
    ChildProcess child;
    ASSERT_TRUE(child.start(piped(L"hold 3000")));
    ASSERT_TRUE(child.wait(20000));
    EXPECT_EQ(0u, child.exitCode().value_or(99));
    EXPECT_FALSE(child.waitForOutput(200));
    EXPECT_TRUE(child.waitForOutput(30000));
  }
  ChildProcess held;
  ASSERT_TRUE(held.start(piped(L"hold 5000")));
  ASSERT_TRUE(held.wait(20000));
  // The destructor at the end of the test must return although the
  // grandchild still holds the pipe; a hang fails through CTest's time-out.
}

}  // namespace
}  // namespace zvt
