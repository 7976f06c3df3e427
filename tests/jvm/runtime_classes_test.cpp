// The JVM thread as the launcher runs it (system properties, the stack from
// "-Xss", main's parameters from configuration values, runJvm) against the
// real OpenJDK JVM and the real zvtruntime.jar: class and method names and
// descriptors are checked by a JVM, not by ourselves.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "subprocess.h"

namespace {

using zvt::test::RunOptions;
using zvt::test::runProgram;
using zvt::test::RunResult;

const char* const kQuarn = "probe:quarn";
const char* const kModuleNameUtf8 =
    "C:\\Program Files\\\xce\x94\xce\xb9\xce\xba\xcf\x8c Z\xc3\xbcrich \xe6\x96\x87\\app.exe";

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class JvmThread : public ::testing::Test {
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

  // Runs the probe: probe flags and VM options, then the program arguments.
  RunResult probe(std::vector<std::string> options, const std::vector<std::string>& arguments,
                  const RunOptions& run = RunOptions()) {
    std::vector<std::string> argv = {ZVT_JVM_PROBE, ZVT_LIBJVM};
    options.push_back("-Dzvt.test.out=" + path("out.txt"));
    options.push_back("-Dzvt.test.marker=" + path("marker.txt"));
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back("--");
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    RunResult result = runProgram(argv, run);
    EXPECT_FALSE(result.timedOut) << result.out << result.err;
    return result;
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

TEST_F(JvmThread, TheWholeSequenceRunsTheApplicationWithItsParametersAndProperties) {
  for (bool zentrovia : {true, false}) {
    SCOPED_TRACE(zentrovia ? "zentrovia" : "quarn");
    std::vector<std::string> options = {"probe:main=zvt.testapp.RecordingApp",
                                        "probe:kind=1",
                                        "probe:splash",
                                        "probe:helper=registers",
                                        "probe:app-args=-x 'two words'",
                                        classPath(),
                                        "-XXunknownOptionIsIgnored"};
    if (!zentrovia) options.push_back(kQuarn);
    RunResult r = probe(options, {"MyService", "\xc3\xa4\xe6\x96\x87", "last"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_TRUE(has(r.out, "created\n"));
    EXPECT_TRUE(has(r.out, "LOG: main returned\nLOG: dest JVM\nLOG: launch done\n")) << r.out;
    EXPECT_TRUE(has(r.out, "result 1\n"));
    std::string out = read("out.txt");
    // The first program argument is the launcher's, not the application's;
    // the configured arguments come before the further program arguments.
    EXPECT_TRUE(has(out, "arg=-x\narg=two words\narg=\xc3\xa4\xe6\x96\x87\narg=last\nwindowed=true\n")) << out;
    EXPECT_TRUE(has(out, "first=MyService\n"));
    // The exact Unicode path replaced the ANSI-safe form of the option list.
    EXPECT_TRUE(has(r.out, "property -Dquarn.moduleName=C:\\PROGRA~1\\ZRICH~1\\app.exe\n"));
    EXPECT_TRUE(has(out, std::string("moduleName=") + kModuleNameUtf8 + "\n")) << out;
    EXPECT_TRUE(has(out, "command=C:\\PROGRA~1\\ZRICH~1\\app.exe\n")) << out;
    EXPECT_TRUE(has(out, "splash=true,true|Loading,10,20|255,255,255,30,40|v1.0,50,60|0,0,0,70,80\n")) << out;
    EXPECT_TRUE(has(out, "semaphore=Local\\probe0\n"));
    if (zentrovia) {
      EXPECT_TRUE(has(out, "platform=1,true\n")) << out;
      EXPECT_TRUE(has(out, "isZentrovia=true\n"));
      EXPECT_TRUE(has(out, "helper=registered by the helper\n")) << out;
    } else {
      // No helper library and no platform class in the quarn flavour.
      EXPECT_FALSE(has(r.out, "helper "));
      EXPECT_TRUE(has(out, "platform=0,false\n")) << out;
      EXPECT_TRUE(has(out, "isZentrovia=null\n"));
      EXPECT_TRUE(has(out, "helper=unlinked\n")) << out;
    }
    EXPECT_TRUE(has(out, "isService=null\n"));
  }
}

TEST_F(JvmThread, TheJvmThreadGetsTheLastValidXssAsItsStack) {
  RunResult r = probe({"probe:main=zvt.testapp.RecordingApp", classPath(), "-Xss1m", "-Xss2m"}, {"svc"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(has(r.out, "stack 2097152\n")) << r.out;

  // The launcher passes on sizes it ignores for the thread; the JVM refuses
  // them and the launch fails as a JVM that cannot be created.
  r = probe({"probe:main=zvt.testapp.RecordingApp", classPath(), "-Xss2m", "-Xss1x"}, {"svc"});
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  EXPECT_TRUE(has(r.out, "stack 2097152\nLOG: Creating JVM\nERR: could not initialize JVM\nresult 0\n")) << r.out;
  EXPECT_FALSE(has(r.out, "created\n"));
  EXPECT_TRUE(has(r.err, "Invalid thread stack size: -Xss1x")) << r.err;
}

TEST_F(JvmThread, TheHelperLibraryFailingOrMissingItsExportTellsThePlatformClass) {
  RunResult r = probe({"probe:main=zvt.testapp.RecordingApp", "probe:helper=fails", classPath()}, {"svc"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(has(r.out, "registerNatives\nLOG: registering helper dll failed\n")) << r.out;
  EXPECT_TRUE(has(read("out.txt"), "platform=2,false\nhelper=unlinked\n")) << read("out.txt");

  r = probe({"probe:main=zvt.testapp.RecordingApp", "probe:helper=noexport", classPath()}, {"svc"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(has(r.out, "ERR: did not find register natives in helper dll\n"));
  EXPECT_FALSE(has(r.out, "registerNatives\n"));
  EXPECT_TRUE(has(read("out.txt"), "platform=0,false\n"));
}

TEST_F(JvmThread, LogFilesAppendOrStartFreshAndSpecialNamesAreLeftAlone) {
  write("err.log", "old-err\n");
  write("out.log", "old-out\n");
  RunResult r = probe({kQuarn, "probe:main=zvt.testapp.RecordingApp", "probe:err=" + path("err.log"),
                       "probe:out=" + path("out.log"), classPath()},
                      {"svc"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(read("err.log"), "old-err\nstderr-line\n");
  EXPECT_EQ(read("out.log"), "old-out\nstdout-line\n");
  EXPECT_FALSE(has(r.err, "stderr-line"));

  r = probe({"probe:main=zvt.testapp.RecordingApp", "probe:err=" + path("err.log"), "probe:out=" + path("out.log"),
             "probe:fresh", classPath()},
            {"svc"});
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_EQ(read("err.log"), "stderr-line\n");
  EXPECT_EQ(read("out.log"), "stdout-line\n");
  EXPECT_TRUE(has(read("out.txt"), "freshLogs=true"));

  // A variable that is not set stays "$..." and is no file: the streams
  // stay where they were.
  r = probe({"probe:main=zvt.testapp.RecordingApp", "probe:err=${ZVT_UNSET_VARIABLE}/e.log", "probe:out=$OUTLOG",
             classPath()},
            {"svc"});
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_TRUE(has(r.err, "stderr-line"));
  EXPECT_TRUE(has(r.out, "stdout-line"));

  r = probe({"probe:main=zvt.testapp.RecordingApp", "probe:err=" + path("err2.log"), "probe:out=" + path("out2.log"),
             classPath(), "-Dzentrovia.noRedir=true"},
            {"svc"});
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_TRUE(has(r.err, "stderr-line"));
  EXPECT_NE(access(path("err2.log").c_str(), F_OK), 0);
}

// The lines of a log file, in order.
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Directories of a log file are created; with the rotation settings a full
// file moves to .1 (an older .1 to .2, ...) at a line end, the newest lines
// stay, and no more files are kept than configured.
TEST_F(JvmThread, LogFilesGetTheirDirectoriesAndRotateBySize) {
  const std::string err = path("logs/deep/err.log");
  const std::string out = path("logs/out.log");
  // 100 lines of 50 bytes per stream, files of 1 KiB, two kept.
  RunResult r = probe({kQuarn, "probe:main=zvt.testapp.LoggingApp", "probe:err=" + err, "probe:out=" + out,
                       "probe:rotate=1,2", classPath()},
                      {"svc", "100", "50"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(has(r.out, "property -Dquarn.logRotateBytes=1024\nproperty -Dquarn.logKeepFiles=2\n")) << r.out;
  for (const std::string& log : {err, out}) {
    SCOPED_TRACE(log);
    EXPECT_NE(access((log + ".3").c_str(), F_OK), 0);
    std::vector<std::string> kept;
    for (const std::string& name : {log + ".2", log + ".1", log}) {
      std::ifstream in(name, std::ios::binary);
      ASSERT_TRUE(in.good()) << name;
      std::stringstream text;
      text << in.rdbuf();
      EXPECT_LE(text.str().size(), 1025u) << name;
      ASSERT_FALSE(text.str().empty());
      EXPECT_EQ('\n', text.str().back()) << name << " ends inside a line";
      for (const std::string& line : linesOf(text.str())) kept.push_back(line);
    }
    // The newest lines, none missing in between, each whole.
    ASSERT_GE(kept.size(), 40u);
    for (size_t i = 0; i < kept.size(); ++i) {
      const std::string number = std::to_string(100 - kept.size() + i);
      EXPECT_EQ(0u, kept[i].find(log == err ? "err  " + number + " ." : "out  " + number + " .")) << kept[i];
      EXPECT_EQ(49u, kept[i].size()) << kept[i];
    }
  }
  // None kept: the full file starts afresh.
  r = probe(
      {kQuarn, "probe:main=zvt.testapp.LoggingApp", "probe:err=" + path("solo.log"), "probe:rotate=1,0", classPath()},
      {"svc", "100", "50"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(access(path("solo.log.1").c_str(), F_OK), 0);
  EXPECT_LE(read("solo.log").size(), 1025u);
  EXPECT_TRUE(has(read("solo.log"), "err  99 .")) << read("solo.log");
}

// A log file that cannot be opened (its name is a directory, or its
// directory cannot be made) is reported with its path on the original
// standard error, and the application runs on without that redirection.
TEST_F(JvmThread, ALogFileThatCannotBeOpenedIsReportedAndTheApplicationRunsOn) {
  ASSERT_EQ(0, mkdir(path("adir").c_str(), 0700));
  write("afile", "x");
  RunResult r = probe({kQuarn, "probe:main=zvt.testapp.RecordingApp", "probe:err=" + path("adir"),
                       "probe:out=" + path("afile/out.log"), classPath()},
                      {"svc"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(has(r.err, "Cannot open the log file " + path("adir") + " for standard error (")) << r.err;
  EXPECT_TRUE(has(r.err, "); standard error is not redirected.\n")) << r.err;
  EXPECT_TRUE(has(r.err, "Cannot open the log file " + path("afile/out.log") +
                             " for standard output (cannot create "
                             "the directory " +
                             path("afile") + "); standard output is not redirected.\n"))
      << r.err;
  EXPECT_TRUE(has(r.err, "stderr-line"));
  EXPECT_TRUE(has(r.out, "stdout-line"));
  EXPECT_TRUE(has(read("out.txt"), "first=svc\n"));
}

// Packed into the launcher, the runtime jar is named after the flavour's
// runtime module; on the module path that name is the module's, so the
// launcher's --add-modules finds it in both flavours.
TEST_F(JvmThread, TheRuntimeJarNamedAfterItsModuleServesModuleMode) {
  for (bool zentrovia : {true, false}) {
    SCOPED_TRACE(zentrovia ? "zentrovia" : "quarn");
    const std::string runtime = zentrovia ? "com.zentrovia.runtime" : "com.quarn.runtime";
    ASSERT_EQ(0, std::system(("cp '" ZVT_RUNTIME_JAR "' '" + path(runtime + ".jar") + "'").c_str()));
    std::vector<std::string> options = {
        "probe:main=zvt.testmodule/zvt.testmodule.ModuleMain",
        "probe:module-mode",
        "-Djava.class.path=",
        std::string("--module-path=") + ZVT_TEST_MODULE_JAR + ":" + path(runtime + ".jar"),
        "--add-opens=zvt.testmodule/zvt.testmodule=" + runtime,
        "--add-modules=zvt.testmodule," + runtime};
    if (!zentrovia) options.push_back(kQuarn);
    RunResult r = probe(options, {"svc", "a"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(read("out.txt"), "module=zvt.testmodule\nargs=a\n");
    unlink(path(runtime + ".jar").c_str());
  }
}

TEST_F(JvmThread, ModuleModeLoadsTheClassFromItsNamedModule) {
  RunResult r = probe({"probe:main=zvt.testmodule/zvt.testmodule.ModuleMain", "probe:module-mode", classPath(),
                       std::string("--module-path=") + ZVT_TEST_MODULE_JAR, "--add-modules=zvt.testmodule"},
                      {"svc", "a", "b"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(read("out.txt"), "module=zvt.testmodule\nargs=a,b\n");
}

TEST_F(JvmThread, AnEscapingExceptionFailsTheLaunchWithItsTextAndStackTrace) {
  RunResult r = probe({kQuarn, "probe:main=zvt.testapp.ThrowingApp", classPath()}, {"svc", "went", "wrong"});
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  EXPECT_TRUE(has(r.out,
                  "ERR: an exception occurred\nERR: java.lang.IllegalStateException: boom: went wrong\n"
                  "ERR: could not call main\nresult 0\n"))
      << r.out;
  // ExceptionDescribe printed the stack trace on standard error; the JVM
  // was not destroyed.
  EXPECT_TRUE(has(r.err, "at zvt.testapp.ThrowingApp.main")) << r.err;
  EXPECT_FALSE(has(r.out, "dest JVM"));

  // Too few launcher parameters is a failure of main, reported the same way.
  r = probe({classPath(), "probe:params-as-given"}, {"false", "zvt.testapp.RecordingApp"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(has(r.out, "ERR: java.lang.IllegalArgumentException")) << r.out;
}

TEST_F(JvmThread, MissingRuntimeClassesAreLoggedAndAMissingLauncherClassIsFatal) {
  RunResult r = probe(
      {"probe:main=zvt.testapp.RecordingApp", "probe:splash", "probe:helper=registers", classPath(false)}, {"svc"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_TRUE(has(r.out, "ERR: could not find main class for splash properties\n")) << r.out;
  EXPECT_TRUE(has(r.out, "ERR: did not find com/zentrovia/runtime/installer/platform/win32/Common\n"));
  EXPECT_FALSE(has(r.out, "registerNatives\n"));
  // The module name still gets set: the lookups before it left nothing pending.
  EXPECT_TRUE(has(r.out, std::string("LOG: setting quarn.moduleName to ") + kModuleNameUtf8 + "\n"));
  EXPECT_TRUE(has(r.out, "ERR: could not find main class\nunavailable 2\n")) << r.out;
}

TEST_F(JvmThread, SystemExitEndsTheProcessWithItsCode) {
  RunResult r = probe({"probe:main=zvt.testapp.ExitingApp", classPath()}, {"svc", "7"});
  EXPECT_EQ(r.exitCode, 7) << r.out << r.err;
  EXPECT_FALSE(has(r.out, "result "));
  EXPECT_EQ(read("marker.txt"), "hook");
}

TEST_F(JvmThread, ServiceStopsOnTheLineZeroOrTheEndOfInput) {
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

  // The service flag reaches the Java side only as the launcher's
  // "quarn.isService" system property.
  for (const RunOptions* run : {&lineZero, &endOfInput}) {
    unlink(path("marker.txt").c_str());
    RunResult r = probe({"probe:main=zvt.testapp.BlockingApp", "probe:service", classPath()}, {"svc"}, *run);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_TRUE(has(r.out, "property -Dquarn.isService=true\n"));
    EXPECT_EQ(read("marker.txt"), "hook") << "shutdown hooks did not run";
  }
  // Any other line leaves the service running (until the test's time limit).
  RunResult r = runProgram({ZVT_JVM_PROBE, ZVT_LIBJVM, "probe:main=zvt.testapp.BlockingApp", "probe:service",
                            classPath(), "-Dzvt.test.marker=" + path("m2"), "--", "svc"},
                           otherLine);
  EXPECT_TRUE(r.timedOut);
  // Outside service mode nothing watches standard input.
  RunOptions notWatched = lineZero;
  notWatched.timeoutMs = 4000;
  r = runProgram({ZVT_JVM_PROBE, ZVT_LIBJVM, "probe:main=zvt.testapp.BlockingApp", classPath(),
                  "-Dzvt.test.marker=" + path("m3"), "--", "svc"},
                 notWatched);
  EXPECT_TRUE(r.timedOut);
}

TEST_F(JvmThread, DestroyJavaVmWaitsForNonDaemonThreads) {
  RunResult r = probe({kQuarn, "probe:main=zvt.testapp.NonDaemonApp", classPath()}, {"svc", "1500"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  long long waited = -1;
  size_t at = r.out.find("destroyWaitedMs ");
  ASSERT_NE(at, std::string::npos) << r.out;
  std::sscanf(r.out.c_str() + at, "destroyWaitedMs %lld", &waited);
  // The worker sleeps 1500 ms after main returned; DestroyJavaVM outlived it.
  EXPECT_GE(waited, 1000);
  EXPECT_EQ(read("marker.txt"), "done");

  // Without destroying, the probe returns as soon as main has: the worker
  // is cut off with the process.
  unlink(path("marker.txt").c_str());
  r = probe({kQuarn, "probe:main=zvt.testapp.NonDaemonApp", "probe:keep-jvm", classPath()}, {"svc", "3000"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_FALSE(has(r.out, "dest JVM"));
  EXPECT_NE(access(path("marker.txt").c_str(), F_OK), 0);
}

}  // namespace
