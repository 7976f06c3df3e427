// What the launcher hands the JVM and the launcher class: size values and
// the JVM thread's stack, the launcher's system properties, and main's
// parameters.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "jvm/launch/main_parameters.h"
#include "jvm/launch/size_value.h"
#include "jvm/launch/system_properties.h"

namespace zvt {
namespace {

TEST(SizeValue, DigitsWithAtMostOneUnit) {
  const struct {
    const char* text;
    int64_t size;
  } cases[] = {
      {"512", 512},
      {"0", 0},
      {"007", 7},
      {"64k", 65536},
      {"64K", 65536},
      {"2m", 2097152},
      {"2M", 2097152},
      {"1g", 1073741824},
      {"3G", 3221225472LL},
      {"1t", 1099511627776LL},
      {"2T", 2199023255552LL},
      {"9223372036854775807", INT64_MAX},
      {"8388607t", 8388607LL << 40},
      // Not sizes.
      {"", -1},
      {"k", -1},
      {"-1", -1},
      {"+5", -1},
      {" 5", -1},
      {"5 ", -1},
      {"1x", -1},
      {"5kb", -1},
      {"5.5m", -1},
      {"9223372036854775808", -1},
      {"99999999999999999999999", -1},
      {"8388608t", -1},
      {"8589934592g", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(c.size, parseSizeValue(c.text)) << '"' << c.text << '"';
}

TEST(SizeValue, TheLastValidXssSetsTheThreadStack) {
  const struct {
    std::vector<std::string> options;
    uint32_t stack;
  } cases[] = {
      {{}, 0},
      {{"-Xmx64m", "-Dx=-Xss1m"}, 0},
      {{"-Xss2m"}, 2097152},
      {{"-Xss512"}, 65536},
      {{"-Xss1"}, 65536},
      {{"-Xss65535"}, 65536},
      {{"-Xss65537"}, 65537},
      {{"-Xss1x"}, 0},
      {{"-Xss-1"}, 0},
      {{"-Xss2m", "-Xss1x"}, 2097152},
      {{"-Xss1m", "-Xss-1"}, 1048576},
      {{"-Xss1m", "-Xss0"}, 1048576},
      {{"-Xss1m", "-Xmx1g", "-Xss3m"}, 3145728},
      {{"-Xss"}, 0},
      {{"-XSS1m", "-xss1m"}, 0},
      // Only the low 32 bits of a size count.
      {{"-Xss4g"}, 0},
      {{"-Xss4194305k"}, 65536},
      {{"-Xss5g"}, 1073741824},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const std::string& o : c.options) shown += o + " ";
    EXPECT_EQ(c.stack, jvmThreadStackSize(c.options)) << shown;
  }
}

SystemPropertyValues sampleValues() {
  SystemPropertyValues v;
  v.semaphoreName = "Local\\c:_app_my.exe0";
  v.zentroviaFlavour = true;
  v.serviceMode = true;
  v.modulePathAnsi = "C:\\PROGRA~1\\app\\my.exe";
  v.launcherTempDirectory = "C:\\Temp\\e4j1.tmp";
  v.unextractedPosition = 5000000000ULL;
  v.path = "C:\\app\\lib;C:\\Windows";
  v.manpathDefined = false;
  v.consoleOutputCodePage = 850;
  return v;
}

TEST(SystemProperties, AllNineInOrder) {
  EXPECT_EQ((std::vector<std::string>{
                "-Dquarn.semaphoreName=Local\\c:_app_my.exe0",
                "-Dquarn.isZentrovia=true",
                "-Dquarn.isService=true",
                "-Dquarn.moduleName=C:\\PROGRA~1\\app\\my.exe",
                "-Dsun.java.command=C:\\PROGRA~1\\app\\my.exe",
                "-Dquarn.tempDir=C:\\Temp\\e4j1.tmp",
                "-Dquarn.unextractedPosition=5000000000",
                "-Djava.library.path=C:\\app\\lib;C:\\Windows",
                "-Dquarn.consoleCodepage=cp850",
            }),
            buildSystemProperties(sampleValues()));
}

TEST(SystemProperties, ConditionalOnesAreLeftOut) {
  SystemPropertyValues v = sampleValues();
  v.semaphoreName.clear();
  v.zentroviaFlavour = false;
  v.serviceMode = false;
  v.launcherTempDirectory.clear();
  v.unextractedPosition = 0;
  v.manpathDefined = true;
  EXPECT_EQ((std::vector<std::string>{
                "-Dquarn.moduleName=C:\\PROGRA~1\\app\\my.exe",
                "-Dsun.java.command=C:\\PROGRA~1\\app\\my.exe",
                "-Dquarn.tempDir=",
                "-Dquarn.unextractedPosition=0",
                "-Djava.library.path=C:\\app\\lib;C:\\Windows",
            }),
            buildSystemProperties(v));
}

// Rotation reaches the runtime classes only when a size is configured: the
// size in bytes and the count of files kept (5 unless configured).
TEST(SystemProperties, LogRotationOnlyWithASize) {
  SystemPropertyValues v = sampleValues();
  setLogRotation(v, 0, 5);
  EXPECT_EQ(9u, buildSystemProperties(v).size());
  setLogRotation(v, -3, 5);
  EXPECT_EQ(9u, buildSystemProperties(v).size());
  setLogRotation(v, 3 * 1024 * 1024, kDefaultLogRotateKeep);
  std::vector<std::string> options = buildSystemProperties(v);
  ASSERT_EQ(11u, options.size());
  EXPECT_EQ("-Dquarn.logRotateBytes=3221225472", options[9]);
  EXPECT_EQ("-Dquarn.logKeepFiles=5", options[10]);
  setLogRotation(v, 1, -1);
  EXPECT_EQ("-Dquarn.logKeepFiles=0", buildSystemProperties(v)[10]);
}

TEST(SystemProperties, ALibraryPathThatDoesNotFitIsEmpty) {
  const std::string prefix = "-Djava.library.path=";
  auto libraryPath = [](const SystemPropertyValues& v) { return buildSystemProperties(v)[7]; };
  SystemPropertyValues v = sampleValues();
  // The option with its terminator fills the 12,000 bytes exactly.
  v.path = std::string(kLibraryPathOptionCapacity - 1 - prefix.size(), 'p');
  EXPECT_EQ(prefix + *v.path, libraryPath(v));
  v.path->push_back('p');
  EXPECT_EQ(prefix, libraryPath(v));
  v.path = std::string(100000, 'p');
  EXPECT_EQ(prefix, libraryPath(v));
  v.path.reset();
  EXPECT_EQ(prefix, libraryPath(v));
  v.path = "";
  EXPECT_EQ(prefix, libraryPath(v));
}

// Expansion of "${NAME}" from a table; full paths against C:\app\.
class FakeMainHost : public MainParameterHost {
 public:
  void expand(std::wstring& text) override {
    ++expansions;
    for (const auto& [name, value] : variables) {
      std::wstring token = L"${" + name + L"}";
      for (size_t at = text.find(token); at != std::wstring::npos; at = text.find(token, at + value.size())) {
        text.replace(at, token.size(), value);
      }
    }
  }
  std::wstring fullPath(const std::wstring& path) override {
    fullPaths.push_back(path);
    return path.size() > 1 && path[1] == L':' ? path : L"C:\\app\\" + path;
  }
  std::map<std::wstring, std::wstring> variables = {{L"LOGS", L"logs"}, {L"ARGS", L"-v 'x y'"}};
  int expansions = 0;
  std::vector<std::wstring> fullPaths;
};

MainParameterValues sampleConfiguration() {
  MainParameterValues v;
  v.launcherKind = 1;
  v.mainClass = L"com.example.Main";
  v.errorLogEnabled = true;
  v.errorLogFile = L"${LOGS}\\err.log";
  v.outputLogEnabled = true;
  v.outputLogFile = L"D:\\out.log";
  v.freshLogs = true;
  v.applicationArguments = L"--port 80 \"a b\" ${ARGS}";
  return v;
}

TEST(MainParameters, LauncherParametersThenFirstArgumentThenConfiguredThenFurtherArguments) {
  FakeMainHost host;
  ArgumentList params = buildMainParameters(sampleConfiguration(), {L"C:\\app\\my.exe", L"a", L"b c"}, host);
  EXPECT_EQ((ArgumentList{L"true", L"com.example.Main", L"C:\\app\\logs\\err.log", L"D:\\out.log", L"true",
                          L"C:\\app\\my.exe", L"--port", L"80", L"a b", L"-v", L"x y", L"a", L"b c"}),
            params);
}

TEST(MainParameters, FlagsModuleModeAndDisabledLogs) {
  FakeMainHost host;
  MainParameterValues v = sampleConfiguration();
  v.launcherKind = 5;
  v.moduleMode = true;
  v.mainClass = L"app.mod/com.example.Main";
  v.errorLogEnabled = false;
  v.outputLogEnabled = false;
  v.freshLogs = false;
  v.applicationArguments.clear();
  EXPECT_EQ((ArgumentList{L"false", L"/app.mod/com.example.Main", L"", L"", L"false", L"svc"}),
            buildMainParameters(v, {L"svc"}, host));
  // Disabled log names are not even looked at.
  EXPECT_TRUE(host.fullPaths.empty());
  // Without any program argument the configured arguments still follow.
  v.applicationArguments = L"x";
  EXPECT_EQ((ArgumentList{L"false", L"/app.mod/com.example.Main", L"", L"", L"false", L"x"}),
            buildMainParameters(v, {}, host));
}

TEST(MainParameters, LogFileNames) {
  FakeMainHost host;
  EXPECT_EQ(L"", logFileParameter(false, L"err.log", host));
  EXPECT_EQ(L"C:\\app\\err.log", logFileParameter(true, L"err.log", host));
  // A variable that is not set stays as it is, without a directory before it.
  EXPECT_EQ(L"${UNSET}\\err.log", logFileParameter(true, L"${UNSET}\\err.log", host));
  EXPECT_EQ(L"$ERRLOG", logFileParameter(true, L"$ERRLOG", host));
  // Expansion that leaves nothing gives no log file, not the directory.
  host.variables[L"EMPTY"] = L"";
  EXPECT_EQ(L"", logFileParameter(true, L"${EMPTY}", host));
  EXPECT_EQ(L"", logFileParameter(true, L"", host));
  EXPECT_EQ((std::vector<std::wstring>{L"err.log"}), host.fullPaths);
}

TEST(MainParameters, FurtherArgumentsLeaveOutVmOptionsAndTheLocaleSwitch) {
  FakeMainHost host;
  MainParameterValues v = sampleConfiguration();
  v.applicationArguments.clear();
  const ArgumentList arguments = {L"-Jfirst",
                                  L"-Jfoo",
                                  L"bar",
                                  L"-Dsun.locale.formatasdefault=true",
                                  L"-J",
                                  L"-jlower",
                                  L"-Dsun.locale.formatasdefault",
                                  L"x-Jy"};
  ArgumentList kept = buildMainParameters(v, arguments, host);
  // Key 125 off: "-J" arguments are application arguments.
  EXPECT_EQ((ArgumentList{L"-Jfirst", L"-Jfoo", L"bar", L"-J", L"-jlower", L"-Dsun.locale.formatasdefault", L"x-Jy"}),
            ArgumentList(kept.begin() + 5, kept.end()));
  v.jArgumentsAreVmOptions = true;
  kept = buildMainParameters(v, arguments, host);
  // The first argument is passed whatever it begins with.
  EXPECT_EQ((ArgumentList{L"-Jfirst", L"bar", L"-jlower", L"-Dsun.locale.formatasdefault", L"x-Jy"}),
            ArgumentList(kept.begin() + 5, kept.end()));
  kept = buildMainParameters(v, {L"-Dsun.locale.formatasdefault=false"}, host);
  EXPECT_EQ(L"-Dsun.locale.formatasdefault=false", kept.back());
}

}  // namespace
}  // namespace zvt
