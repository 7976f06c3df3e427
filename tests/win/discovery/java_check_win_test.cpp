// The Java executable check on the real file system and registry, with
// stand-in runtimes: the version cache (cold, warm, touched, damaged
// entries), the probe (exit codes, a hang, the Java options variables, the
// short name), and the configuration rules.
#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "child.h"
#include "config/keys.h"
#include "discovery_fixture.h"
#include "json_line.h"
#include "jvm/discovery/java_check_win32.h"
#include "runtime/log.h"
#include "runtime/paths.h"

namespace zvt {
namespace {

using test::LogLines;

class JavaCheckWin : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& exe : cached_) test::deleteCacheEntry(exe);
    setProbeTimeoutForTesting(0);
    setProbeShortNamesForTesting(true);
  }

  // Lays out a runtime at sandbox\name and returns its home.
  std::wstring runtime(const std::wstring& name, const standin::RuntimeLayout& layout) {
    std::wstring home = sandbox_.path() + L"\\" + name;
    test::layOut(home, layout);
    cached_.push_back(test::lowerNarrow(test::javaExeOf(home)));
    cached_.push_back(test::lowerNarrow(home + L"\\bin\\javaw.exe"));
    return home;
  }

  bool check(const std::wstring& javaExe, std::string& version, Prerelease prerelease = Prerelease::Refuse,
             const VersionBounds& bounds = VersionBounds()) {
    checked_ = test::narrow(javaExe);
    return checkJavaExe(checked_, version, bounds, prerelease);
  }

  test::Sandbox sandbox_{L"jcheck"};
  test::ScopedConfig config_;
  LogLines log_;
  std::vector<std::string> cached_;
  std::string checked_;  // the caller's buffer after the last check
};

TEST_F(JavaCheckWin, ColdCheckProbesOnceWarmCheckNeverTouchedCheckAgain) {
  const std::wstring home = runtime(L"jre", test::runtimeReporting("11.0.2"));
  const std::wstring exe = test::javaExeOf(home);
  const std::string canonical = test::lowerNarrow(exe);
  std::string version;
  ASSERT_TRUE(check(exe, version));
  EXPECT_EQ("11.0.2", version);
  EXPECT_EQ(canonical, checked_);
  EXPECT_EQ(1, standin::probeCount(home));
  EXPECT_TRUE(log_.contains(L"got version from execution 11.0.2"));

  // The entry as every launcher sharing the cache expects it.
  test::CacheEntry entry = test::readCacheEntry(canonical);
  ASSERT_TRUE(entry.exists);
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), entry.timeType);
  EXPECT_EQ(test::timeBytes(test::lastWriteTime(exe)), entry.time);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), entry.versionType);
  EXPECT_EQ(L"11.0.2", test::storedText(entry.version));

  log_.clear();
  ASSERT_TRUE(check(exe, version));
  EXPECT_EQ(1, standin::probeCount(home));
  EXPECT_TRUE(log_.contains(L"got version from registry 11.0.2"));

  const uint64_t touched = test::lastWriteTime(exe) + 10000000;  // one second later
  test::setLastWriteTime(exe, touched);
  ASSERT_TRUE(check(exe, version));
  EXPECT_EQ(2, standin::probeCount(home));
  EXPECT_EQ(test::timeBytes(touched), test::readCacheEntry(canonical).time);
}

TEST_F(JavaCheckWin, DamagedOrStaleCacheEntriesAreMisses) {
  const std::wstring home = runtime(L"jre", test::runtimeReporting("11.0.2"));
  const std::wstring exe = test::javaExeOf(home);
  const std::string canonical = test::lowerNarrow(exe);
  const std::vector<uint8_t> right = test::timeBytes(test::lastWriteTime(exe));
  std::vector<uint8_t> seven(right.begin(), right.end() - 1);
  std::vector<uint8_t> nine = right;
  nine.push_back(0);
  std::vector<uint8_t> flipped = right;
  flipped[0] ^= 1;
  const struct {
    std::vector<uint8_t> time;
    std::wstring version;
  } misses[] = {{seven, L"11.0.2"}, {nine, L"11.0.2"}, {flipped, L"11.0.2"},
                {right, L"1.6."},   {right, L"1.7."},  {right, L"1.0.0"}};
  int probes = 0;
  std::string version;
  for (const auto& miss : misses) {
    test::writeCacheEntry(canonical, miss.time, miss.version);
    ASSERT_TRUE(check(exe, version)) << utf16ToUtf8(miss.version) << " " << miss.time.size();
    EXPECT_EQ(++probes, standin::probeCount(home)) << utf16ToUtf8(miss.version) << " " << miss.time.size();
    // Rewritten from the probe.
    test::CacheEntry entry = test::readCacheEntry(canonical);
    EXPECT_EQ(right, entry.time);
    EXPECT_EQ(L"11.0.2", test::storedText(entry.version));
  }
  // A real old version is a hit, even one the runtime would not report now.
  test::writeCacheEntry(canonical, right, L"1.6.0_45");
  ASSERT_TRUE(check(exe, version));
  EXPECT_EQ("1.6.0_45", version);
  EXPECT_EQ(probes, standin::probeCount(home));
}

TEST_F(JavaCheckWin, FailingProbeLeavesTheMarkerAndIsProbedAgain) {
  standin::RuntimeLayout layout = test::runtimeReporting("11.0.2");
  layout.exitCode = 3;
  const std::wstring home = runtime(L"jre", layout);
  const std::wstring exe = test::javaExeOf(home);
  std::string version;
  EXPECT_FALSE(check(exe, version));
  EXPECT_TRUE(log_.contains(L"couldn't get version"));
  test::CacheEntry entry = test::readCacheEntry(test::lowerNarrow(exe));
  ASSERT_TRUE(entry.exists);
  EXPECT_EQ(L"1.0.0", test::storedText(entry.version));
  EXPECT_FALSE(check(exe, version));
  EXPECT_EQ(2, standin::probeCount(home));
}

// A check run on a thread of its own, so that the test can look at the
// probe while the check waits for it.
struct ProbeInThread {
  std::string javaExe;
  std::string version;
  bool ok = true;
};

DWORD WINAPI checkInThread(LPVOID parameter) {
  ProbeInThread& run = *static_cast<ProbeInThread*>(parameter);
  run.ok = checkJavaExe(run.javaExe, run.version, VersionBounds(), Prerelease::Refuse);
  return 0;
}

TEST_F(JavaCheckWin, HangingProbeIsTerminated) {
  standin::RuntimeLayout layout = test::runtimeReporting("11.0.2");
  layout.delayMs = 120000;
  const std::wstring home = runtime(L"jre", layout);
  setProbeTimeoutForTesting(3000);
  // The check runs beside this thread, which opens the probe while it hangs:
  // the handle keeps the ended process's exit code readable.
  ProbeInThread run;
  run.javaExe = test::narrow(test::javaExeOf(home));
  HANDLE checker = CreateThread(nullptr, 0, &checkInThread, &run, 0, nullptr);
  ASSERT_NE(nullptr, checker);
  HANDLE process = nullptr;
  for (int i = 0; i < 2000 && process == nullptr; ++i) {
    std::vector<std::string> probes = test::traceRecords(home, "\"ev\":\"probe\"");
    const size_t at = probes.empty() ? std::string::npos : probes[0].find("\"pid\":");
    if (at != std::string::npos) {
      const DWORD pid = static_cast<DWORD>(std::stoul(probes[0].substr(at + 6)));
      process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
      break;
    }
    Sleep(5);
  }
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(checker, 60000));
  CloseHandle(checker);
  ASSERT_NE(nullptr, process) << "the probe was not seen running";
  EXPECT_FALSE(run.ok);
  EXPECT_TRUE(log_.contains(L"couldn't get version"));
  // No marker for a probe that never ended.
  EXPECT_FALSE(test::readCacheEntry(test::lowerNarrow(test::javaExeOf(home))).exists);
  // The stand-in is gone, ended with exit code 1.
  EXPECT_EQ(1u, test::traceRecords(home, "\"ev\":\"probe\"").size());
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 0)) << "the probe still runs";
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process, &code));
  EXPECT_EQ(1u, code);
  CloseHandle(process);
}

TEST_F(JavaCheckWin, APlantedProgramBeforeTheBlankNeverRuns) {
  const std::wstring home = runtime(L"Program Files\\jre", test::runtimeReporting("11.0.2"));
  const std::wstring decoy = sandbox_.path() + L"\\Program.exe";
  const std::wstring self = test::selfPath();
  const std::wstring decoySource = self.substr(0, self.rfind(L'\\')) + L"\\zvt_probe_decoy.exe";
  ASSERT_TRUE(CopyFileW(decoySource.c_str(), decoy.c_str(), FALSE)) << utf16ToUtf8(decoySource);
  setProbeShortNamesForTesting(false);
  std::string version;
  EXPECT_TRUE(check(test::javaExeOf(home), version));
  EXPECT_EQ("11.0.2", version);
  EXPECT_FALSE(test::fileExists(decoy + L".ran")) << "the planted program ran";
  EXPECT_EQ(1, standin::probeCount(home));
  // The runtime saw its own path quoted as the first element.
  std::vector<std::string> probes = test::traceRecords(home, "\"ev\":\"probe\"");
  ASSERT_EQ(1u, probes.size());
  EXPECT_NE(
      std::string::npos,
      probes[0].find("\"cmd\":" + standin::jsonString("\"" + test::lowerNarrow(test::javaExeOf(home)) + "\" -version")))
      << probes[0];
}

// Probes ZVT_JAVA after its temporary directory has gone: the log is set up
// in ZVT_LOG_DIR first (the temporary directory of the default choice), then
// the long-path choice is made in ZVT_GONE_DIR, which is then removed, so the
// probe's output file cannot be created while the log still can.
TEST(Child_ProbeFile, OutputFileCannotBeCreated) {
  REQUIRE_CHILD();
  const std::wstring logDir = test::childEnv(L"ZVT_LOG_DIR");
  const std::wstring gone = test::childEnv(L"ZVT_GONE_DIR");
  SetEnvironmentVariableW(L"TMP", logDir.c_str());
  SetEnvironmentVariableW(L"TEMP", logDir.c_str());
  logLine(L"probe output file test");
  setPreferLongTempPath(true);
  SetEnvironmentVariableW(L"TMP", gone.c_str());
  SetEnvironmentVariableW(L"TEMP", gone.c_str());
  ASSERT_EQ(test::narrow(gone), tempDirectoryA().substr(0, gone.size()));
  ASSERT_TRUE(RemoveDirectoryW(gone.c_str())) << GetLastError();
  std::string version;
  EXPECT_FALSE(probeJavaVersion(test::narrow(test::childEnv(L"ZVT_JAVA")), 0, version));
}

TEST_F(JavaCheckWin, AProbeOutputFileThatCannotBeCreatedIsNamedWithItsReason) {
  const std::wstring home = runtime(L"jre", test::runtimeReporting("11.0.2"));
  const std::wstring logDir = sandbox_.path() + L"\\log";
  const std::wstring gone = sandbox_.path() + L"\\gone";
  ASSERT_TRUE(CreateDirectoryW(logDir.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(gone.c_str(), nullptr));
  test::RunOptions options;
  options.setEnv[L"QUARN_LOG"] = L"yes";
  options.setEnv[L"ZVT_LOG_DIR"] = logDir;
  options.setEnv[L"ZVT_GONE_DIR"] = gone;
  options.setEnv[L"ZVT_JAVA"] = test::javaExeOf(home);
  test::RunResult r = test::runChild("Child_ProbeFile.OutputFileCannotBeCreated", options);
  ASSERT_EQ(0u, r.exitCode) << r.out << r.err;
  std::string log;
  ASSERT_TRUE(test::readFileBytes(logDir + L"\\zvt_nlog_1.log", log)) << "no log in " << utf16ToUtf8(logDir);
  // The file and the reason (the directory is gone), not a program that
  // could not be started; the runtime never ran.
  EXPECT_NE(std::string::npos, log.find("Could not create the probe's output file " + utf16ToUtf8(gone) + "\\qrn"))
      << log;
  EXPECT_NE(std::string::npos, log.find("(error 3)")) << log;
  EXPECT_EQ(std::string::npos, log.find("Could not create process")) << log;
  EXPECT_EQ(0, standin::probeCount(home));
}

TEST_F(JavaCheckWin, ProbeRunsWithoutTheJavaOptionsVariablesWhichComeBackAfterwards) {
  const std::wstring home = runtime(L"jre", test::runtimeReporting("11.0.2"));
  // A value outside the ANSI code page must come back unchanged.
  const std::wstring tool = L"-Dname=\x0416\x0443\x043a";
  SetEnvironmentVariableW(L"_JAVA_OPTIONS", L"-Xmx1m");
  SetEnvironmentVariableW(L"JAVA_TOOL_OPTIONS", tool.c_str());
  SetEnvironmentVariableW(L"JDK_JAVA_OPTIONS", L"");
  std::string version;
  const bool ok = check(test::javaExeOf(home), version);
  const std::wstring afterJava = test::childEnv(L"_JAVA_OPTIONS");
  const std::wstring afterTool = test::childEnv(L"JAVA_TOOL_OPTIONS");
  SetLastError(ERROR_SUCCESS);
  wchar_t probe[4];
  const DWORD jdkLength = GetEnvironmentVariableW(L"JDK_JAVA_OPTIONS", probe, 4);
  const bool jdkDefined = jdkLength == 0 && GetLastError() != ERROR_ENVVAR_NOT_FOUND;
  for (const wchar_t* name : {L"_JAVA_OPTIONS", L"JAVA_TOOL_OPTIONS", L"JDK_JAVA_OPTIONS"})
    SetEnvironmentVariableW(name, nullptr);

  EXPECT_TRUE(ok);
  EXPECT_EQ(L"-Xmx1m", afterJava);
  EXPECT_EQ(tool, afterTool);
  EXPECT_TRUE(jdkDefined) << "an empty variable is put back empty";
  std::vector<std::string> probes = test::traceRecords(home, "\"ev\":\"probe\"");
  ASSERT_EQ(1u, probes.size());
  const std::string& record = probes[0];
  EXPECT_NE(std::string::npos, record.find("\"_JAVA_OPTIONS\":null")) << record;
  EXPECT_NE(std::string::npos, record.find("\"JAVA_TOOL_OPTIONS\":null")) << record;
  EXPECT_NE(std::string::npos, record.find("\"JDK_JAVA_OPTIONS\":null")) << record;
  // Only standard error is handed over.
  EXPECT_NE(std::string::npos, record.find("\"stdin\":false,\"stdout\":false,\"stderr\":true")) << record;
}

TEST_F(JavaCheckWin, PathWithABlankIsProbedThroughItsShortName) {
  const std::wstring home = runtime(L"with blank\\jre", test::runtimeReporting("1.8.0_201"));
  std::string version;
  ASSERT_TRUE(check(test::javaExeOf(home), version));
  EXPECT_EQ("1.8.0_201", version);
  std::string probes;
  ASSERT_TRUE(test::readFileBytes(home + L"\\standin\\probes.log", probes));
  const size_t end = probes.find(" -version");
  ASSERT_NE(std::string::npos, end) << probes;
  // Quoted all the same: the quotes are what keeps a long path with a blank
  // whole where no short name exists.
  const std::string quoted = probes.substr(0, end);
  ASSERT_TRUE(quoted.size() > 2 && quoted.front() == '"' && quoted.back() == '"') << probes;
  const std::wstring program = utf8ToUtf16(quoted.substr(1, quoted.size() - 2));
  EXPECT_EQ(std::wstring::npos, program.find(L' ')) << probes;
  wchar_t longName[MAX_PATH * 2];
  const DWORD n = GetLongPathNameW(program.c_str(), longName, MAX_PATH * 2);
  ASSERT_GT(n, 0u) << probes;
  EXPECT_EQ(0, lstrcmpiW(longName, test::javaExeOf(home).c_str())) << probes;
}

TEST_F(JavaCheckWin, PrereleaseRuntimeNeedsKey130OrACallerThatAllowsIt) {
  const std::wstring home = runtime(L"jre", test::runtimeReporting("17-ea"));
  const std::wstring exe = test::javaExeOf(home);
  std::string version;
  config_.set(key::kAllowPreRelease, "0");
  EXPECT_FALSE(check(exe, version));
  EXPECT_EQ("17-ea", version);
  EXPECT_TRUE(log_.contains(L"beta vm not allowed"));
  EXPECT_TRUE(check(exe, version, Prerelease::Allow));
  config_.set(key::kAllowPreRelease, "1");
  EXPECT_TRUE(check(exe, version));
  // Still within the bounds only.
  VersionBounds bounds{parseVersion("1.8"), parseVersion("11")};
  EXPECT_FALSE(check(exe, version, Prerelease::Allow, bounds));
  EXPECT_EQ(1, standin::probeCount(home));
}

TEST_F(JavaCheckWin, WindowedLauncherNeedsJavawBeside) {
  config_.set(key::kLauncherKind, "1");
  standin::RuntimeLayout layout = test::runtimeReporting("11.0.2");
  layout.javaw = false;
  const std::wstring bare = runtime(L"bare", layout);
  std::string version;
  EXPECT_FALSE(check(test::javaExeOf(bare), version));
  EXPECT_EQ(test::lowerNarrow(bare + L"\\bin\\javaw.exe"), checked_);
  const std::wstring full = runtime(L"full", test::runtimeReporting("11.0.2"));
  EXPECT_TRUE(check(test::javaExeOf(full), version));
  EXPECT_EQ(test::lowerNarrow(full + L"\\bin\\javaw.exe"), checked_);
}

TEST_F(JavaCheckWin, JdkRequiredAcceptsOnlyAHomeWithToolsJar) {
  config_.set(key::kJdkRequired, "1");
  const std::wstring jre = runtime(L"jre", test::runtimeReporting("1.8.0_201"));
  standin::RuntimeLayout jdkLayout = test::runtimeReporting("1.8.0_201");
  jdkLayout.jdk = true;
  const std::wstring jdk = runtime(L"jdk", jdkLayout);
  std::string exe;
  EXPECT_FALSE(javaExeForHome(exe, test::narrow(jre)));
  EXPECT_EQ(test::narrow(jre + L"\\jre\\bin\\java.exe"), exe);
  ASSERT_TRUE(javaExeForHome(exe, test::narrow(jdk)));
  EXPECT_EQ(test::narrow(jdk + L"\\jre\\bin\\java.exe"), exe);
  std::string version;
  cached_.push_back(test::lowerNarrow(jdk + L"\\jre\\bin\\java.exe"));
  EXPECT_TRUE(check(utf8ToUtf16(exe), version));
  EXPECT_EQ(0, standin::probeCount(jre));
  EXPECT_EQ(1, standin::probeCount(jdk));

  // Without the rule the private runtime is still preferred when present.
  config_.set(key::kJdkRequired, "0");
  ASSERT_TRUE(javaExeForHome(exe, test::narrow(jre)));
  EXPECT_EQ(test::narrow(jre + L"\\bin\\java.exe"), exe);
  ASSERT_TRUE(javaExeForHome(exe, test::narrow(jdk)));
  EXPECT_EQ(test::narrow(jdk + L"\\jre\\bin\\java.exe"), exe);
}

TEST_F(JavaCheckWin, WildcardsInAPathNameNoFile) {
  const std::wstring home = runtime(L"jre", test::runtimeReporting("11.0.2"));
  for (const std::wstring& pattern :
       {sandbox_.path() + L"\\j*\\bin\\java.exe", sandbox_.path() + L"\\jr?\\bin\\java.exe",
        sandbox_.path() + L"\\jre\\bin\\java.e*"}) {
    std::string version;
    EXPECT_FALSE(check(pattern, version)) << utf16ToUtf8(pattern);
    EXPECT_FALSE(test::readCacheEntry(test::lowerNarrow(pattern)).exists);
  }
  EXPECT_TRUE(log_.contains(L"file doesn't exist"));
  EXPECT_EQ(0, standin::probeCount(home));
}

TEST_F(JavaCheckWin, NonWorkingRuntimeFailsDespiteItsCacheEntry) {
  const std::wstring home = runtime(L"jre", test::runtimeReporting("11.0.2"));
  std::string version;
  ASSERT_TRUE(check(test::javaExeOf(home), version));
  addNonWorkingJava(checked_);
  log_.clear();
  EXPECT_FALSE(check(test::javaExeOf(home), version));
  EXPECT_TRUE(log_.contains(L"got version from registry 11.0.2"));
  EXPECT_TRUE(log_.startingWith(L"checkJavaExe returning").empty());
  EXPECT_EQ(1, standin::probeCount(home));
}

TEST_F(JavaCheckWin, VersionOnlyFromTheFirstLine) {
  standin::RuntimeLayout layout;
  layout.versionText = "Picked up _JAVA_OPTIONS: -Xmx1m\r\nopenjdk version \"11.0.2\" 2019-01-15\r\n";
  const std::wstring home = runtime(L"jre", layout);
  std::string version;
  EXPECT_FALSE(check(test::javaExeOf(home), version));
  EXPECT_TRUE(log_.contains(L"couldn't get version"));
  EXPECT_EQ("", version);
  // Missing executables are not probed at all.
  EXPECT_FALSE(check(sandbox_.path() + L"\\none\\bin\\java.exe", version));
  EXPECT_TRUE(log_.contains(L"file doesn't exist"));
}

TEST_F(JavaCheckWin, ProbeTemporaryFilesAreRemovedInEveryCase) {
  std::wstring temp = tempDirectoryW(false);
  ASSERT_FALSE(temp.empty());
  if (temp.back() != L'\\') temp += L'\\';
  auto count = [&] {
    int n = 0;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((temp + L"qrn*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do ++n;
    while (FindNextFileW(find, &entry));
    FindClose(find);
    return n;
  };
  const int before = count();
  standin::RuntimeLayout failing = test::runtimeReporting("11.0.2");
  failing.exitCode = 1;
  standin::RuntimeLayout hanging = test::runtimeReporting("11.0.2");
  hanging.delayMs = 120000;
  standin::RuntimeLayout silent;
  silent.versionText = "";
  setProbeTimeoutForTesting(500);
  std::string version;
  check(test::javaExeOf(runtime(L"ok", test::runtimeReporting("11.0.2"))), version);
  check(test::javaExeOf(runtime(L"failing", failing)), version);
  check(test::javaExeOf(runtime(L"hanging", hanging)), version);
  check(test::javaExeOf(runtime(L"silent", silent)), version);
  EXPECT_EQ(before, count());
}

}  // namespace
}  // namespace zvt
