// The JNI conversation against the real OpenJDK JVM and the real
// zvtruntime.jar: class and method names and descriptors are checked by a
// JVM, not by ourselves.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "subprocess.h"

namespace {

using zvt::test::RunOptions;
using zvt::test::RunResult;
using zvt::test::runProgram;

const char* const kLaunchers[] = {"com/zentrovia/runtime/launcher/WinLauncher",
                                  "com.quarn.runtime.WinLauncher"};

class RuntimeClasses : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zvt-jvm-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }

  static std::string classPath(bool withRuntime = true) {
    return std::string("-Djava.class.path=") + (withRuntime ? ZVT_RUNTIME_JAR ":" : "") + ZVT_TEST_APPS_JAR;
  }

  // Runs the probe: launcher class, VM options, then main's parameters.
  RunResult probe(const std::string& launcher, std::vector<std::string> options,
                  const std::vector<std::string>& params, const RunOptions& run = RunOptions()) {
    std::vector<std::string> argv = {ZVT_JVM_PROBE, ZVT_LIBJVM, launcher};
    options.push_back("-Dzvt.test.out=" + path("out.txt"));
    options.push_back("-Dzvt.test.marker=" + path("marker.txt"));
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back("--");
    argv.insert(argv.end(), params.begin(), params.end());
    RunResult result = runProgram(argv, run);
    EXPECT_FALSE(result.timedOut) << result.out << result.err;
    return result;
  }

  static std::vector<std::string> launcherParams(const std::string& mainClass, const std::string& errLog = "",
                                                 const std::string& outLog = "", bool fresh = false) {
    return {"false", mainClass, errLog, outLog, fresh ? "true" : "false"};
  }

  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  void write(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
  }

  std::string dir_;
};

TEST_F(RuntimeClasses, BothLauncherClassesStartTheApplicationWithItsArguments) {
  for (const char* launcher : kLaunchers) {
    SCOPED_TRACE(launcher);
    std::vector<std::string> params = {"true", "zvt.testapp.RecordingApp", "", "", "false",
                                       "MyService", "-x", "two words", "\xc3\xa4\xe6\x96\x87"};
    RunResult r = probe(launcher, {classPath(), "-XXunknownOptionIsIgnored"}, params);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("create 0\n"), std::string::npos);
    EXPECT_NE(r.out.find("main returned\n"), std::string::npos) << r.out;
    std::string out = read("out.txt");
    // The first program argument is the launcher's, not the application's.
    EXPECT_NE(out.find("arg=-x\narg=two words\narg=\xc3\xa4\xe6\x96\x87\nwindowed=true\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("arg=MyService"), std::string::npos);
    EXPECT_NE(out.find("first=MyService\n"), std::string::npos);
    // The exact Unicode path replaces whatever the option list said.
    EXPECT_NE(out.find("moduleName=C:\\Program Files\\Z\xc3\xbcrich \xe6\x96\x87\\app.exe\n"), std::string::npos) << out;
    EXPECT_NE(out.find("splash=true,true|Loading,10,20|255,255,255,30,40|v1.0,50,60|0,0,0,70,80\n"),
              std::string::npos) << out;
    EXPECT_NE(out.find("platform=1,true\n"), std::string::npos);
  }
}

TEST_F(RuntimeClasses, LogFilesAppendOrStartFreshAndSpecialNamesAreLeftAlone) {
  write("err.log", "old-err\n");
  write("out.log", "old-out\n");
  RunResult r = probe(kLaunchers[1], {classPath()},
                      launcherParams("zvt.testapp.RecordingApp", path("err.log"), path("out.log")));
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(read("err.log"), "old-err\nstderr-line\n");
  EXPECT_EQ(read("out.log"), "old-out\nstdout-line\n");
  EXPECT_EQ(r.err.find("stderr-line"), std::string::npos);

  r = probe(kLaunchers[0], {classPath()},
            launcherParams("zvt.testapp.RecordingApp", path("err.log"), path("out.log"), true));
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_EQ(read("err.log"), "stderr-line\n");
  EXPECT_EQ(read("out.log"), "stdout-line\n");
  EXPECT_NE(read("out.txt").find("freshLogs=true"), std::string::npos);

  // An unexpanded "$" name is no file: the streams stay where they were.
  r = probe(kLaunchers[0], {classPath()}, launcherParams("zvt.testapp.RecordingApp", "$ERRLOG", "$OUTLOG"));
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_NE(r.err.find("stderr-line"), std::string::npos);
  EXPECT_NE(r.out.find("stdout-line"), std::string::npos);
  EXPECT_NE(access("$ERRLOG", F_OK), 0);

  r = probe(kLaunchers[0], {classPath(), "-Dzentrovia.noRedir=true"},
            launcherParams("zvt.testapp.RecordingApp", path("err2.log"), path("out2.log")));
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_NE(r.err.find("stderr-line"), std::string::npos);
  EXPECT_NE(access(path("err2.log").c_str(), F_OK), 0);
}

TEST_F(RuntimeClasses, ModuleModeLoadsTheClassFromItsNamedModule) {
  RunResult r = probe(kLaunchers[0],
                      {classPath(), std::string("--module-path=") + ZVT_TEST_MODULE_JAR,
                       "--add-modules=zvt.testmodule"},
                      {"false", "/zvt.testmodule/zvt.testmodule.ModuleMain", "", "", "false", "svc", "a", "b"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(read("out.txt"), "module=zvt.testmodule\nargs=a,b\n");
}

TEST_F(RuntimeClasses, AnEscapingExceptionIsReportedThroughToString) {
  RunResult r = probe(kLaunchers[1], {classPath()},
                      {"false", "zvt.testapp.ThrowingApp", "", "", "false", "svc", "went", "wrong"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("ERR: an exception occurred\nERR: java.lang.IllegalStateException: boom: went wrong\n"),
            std::string::npos) << r.out;
  EXPECT_NE(r.out.find("main exception\n"), std::string::npos);
  // ExceptionDescribe printed the stack trace on standard error.
  EXPECT_NE(r.err.find("at zvt.testapp.ThrowingApp.main"), std::string::npos) << r.err;

  // Too few launcher parameters is a failure of main, reported the same way.
  r = probe(kLaunchers[0], {classPath()}, {"false", "zvt.testapp.RecordingApp"});
  EXPECT_NE(r.out.find("ERR: java.lang.IllegalArgumentException"), std::string::npos) << r.out;
}

TEST_F(RuntimeClasses, MissingRuntimeClassesAreLoggedAndMainIsFatal) {
  RunResult r = probe(kLaunchers[0], {classPath(false)}, launcherParams("zvt.testapp.RecordingApp"));
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.out.find("ERR: could not find main class for splash properties\nsplash 0\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ERR: did not find com/zentrovia/runtime/installer/platform/win32/Common\nplatform 0\n"),
            std::string::npos);
  // The module name still gets set: the lookups before it left nothing pending.
  EXPECT_NE(r.out.find("moduleName 1\n"), std::string::npos);
  EXPECT_NE(r.out.find("ERR: could not find main class\nmain classMissing\n"), std::string::npos);
}

TEST_F(RuntimeClasses, ServiceStopsOnTheLineZeroOrTheEndOfInput) {
  RunOptions lineZero;
  lineZero.input = "0\n";
  lineZero.sendAfter = "blocking";
  lineZero.closeInput = false;  // only the line itself may stop it
  lineZero.timeoutMs = 30000;
  RunOptions endOfInput = lineZero;
  endOfInput.input = "";
  endOfInput.closeInput = true;
  RunOptions otherLine = lineZero;
  otherLine.input = "1\n";
  otherLine.timeoutMs = 4000;

  for (const RunOptions* run : {&lineZero, &endOfInput}) {
    unlink(path("marker.txt").c_str());
    RunResult r = probe(kLaunchers[0], {classPath(), "-Dquarn.isService=true"},
                        launcherParams("zvt.testapp.BlockingApp"), *run);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(read("marker.txt"), "hook") << "shutdown hooks did not run";
  }
  // Any other line leaves the service running (until the test's time limit).
  RunResult r = runProgram({ZVT_JVM_PROBE, ZVT_LIBJVM, kLaunchers[0], classPath(), "-Dquarn.isService=true",
                            "-Dzvt.test.marker=" + path("m2"), "--", "false", "zvt.testapp.BlockingApp", "", "", "false"},
                           otherLine);
  EXPECT_TRUE(r.timedOut);
  // Outside service mode nothing watches standard input.
  r = runProgram({ZVT_JVM_PROBE, ZVT_LIBJVM, kLaunchers[0], classPath(), "-Dzvt.test.marker=" + path("m3"), "--",
                  "false", "zvt.testapp.BlockingApp", "", "", "false"},
                 [&] { RunOptions o = lineZero; o.timeoutMs = 4000; return o; }());
  EXPECT_TRUE(r.timedOut);
}

TEST_F(RuntimeClasses, DestroyJavaVmWaitsForNonDaemonThreads) {
  RunResult r = probe(kLaunchers[1], {classPath()},
                      {"false", "zvt.testapp.NonDaemonApp", "", "", "false", "svc", "1500"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  long long afterMs = -1;
  size_t at = r.out.find("destroy 0 afterMs ");
  ASSERT_NE(at, std::string::npos) << r.out;
  std::sscanf(r.out.c_str() + at, "destroy 0 afterMs %lld", &afterMs);
  EXPECT_GE(afterMs, 1000);
  EXPECT_EQ(read("marker.txt"), "done");
}

}  // namespace
