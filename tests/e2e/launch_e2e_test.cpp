// The Java application run end to end: the packed launcher in a sandbox with
// a stand-in runtime in <sandbox>\jre (found through the search sequence
// "B.\jre"), run as "/run", "/run-redirect" and as the service child. The
// stand-in's trace shows what the JVM was created with and what reached
// the launcher class; the launcher's log and exit code show the rest.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "json_line.h"
#include "launcher_fixture.h"
#include "standin_layout.h"
#include "support/registry_guard.h"

namespace zvt::e2e {
namespace {

// The launcher class's main of each flavour as the trace shows its call.
const char* const kZentroviaMain =
    "\"class\":\"com/zentrovia/runtime/launcher/WinLauncher\",\"method\":\"main\",\"sig\":\"([Ljava/lang/String;)V\","
    "\"args\":[";
const char* const kQuarnMain =
    "\"class\":\"com/quarn/runtime/WinLauncher\",\"method\":\"main\",\"sig\":\"([Ljava/lang/String;)V\",\"args\":[";
const char* const kInitFromLauncher = "\"method\":\"initFromLauncher\",\"sig\":\"(Z)V\",\"args\":[";

std::string json(const std::wstring& text) {
  return standin::jsonString(utf16ToUtf8(text));
}
std::string json(const std::string& utf8) {
  return standin::jsonString(utf8);
}

std::string jsonArray(const std::vector<std::wstring>& texts) {
  std::string out = "[";
  for (size_t i = 0; i < texts.size(); ++i) out += (i ? "," : "") + json(texts[i]);
  return out + "]";
}

block::Content baseContent(const std::string& vmOptions = "") {
  block::Content c;
  c.entries = {{101, "ZvtLaunchService"},
               {107, "4"},  // errors on the console
               {122, "com.example.Main"},
               {124, "--app 'x y'"},
               {128, "B.\\jre;"}};
  if (!vmOptions.empty()) c.entries.push_back({123, vmOptions});
  c.messages = {{1009, L"An internal error occurred (error code: {0})"},
                {1010, L"Couldn't load main class {0}."},
                {1011, L"Couldn't find main method."},
                {1016, L"No JVM could be found on your system ({0}-bit)."}};
  return c;
}

void setEntry(block::Content& c, uint32_t id, const std::string& value) {
  for (auto& entry : c.entries) {
    if (entry.id == id) {
      entry.value = value;
      return;
    }
  }
  c.entries.push_back({id, value});
}

struct Launch {
  test::RunResult result;
  std::string log;
  std::vector<std::string> trace;

  // The index of the first trace line holding every part, or -1.
  int find(std::initializer_list<std::string> parts, int from = 0) const {
    for (int i = from; i < static_cast<int>(trace.size()); ++i) {
      bool all = true;
      for (const std::string& part : parts) all = all && contains(trace[i], part);
      if (all) return i;
    }
    return -1;
  }
  int count(const std::string& part) const {
    int n = 0;
    for (const std::string& line : trace) n += contains(line, part);
    return n;
  }
  std::string createLine() const {
    int at = find({"{\"ev\":\"create\""});
    return at < 0 ? std::string("<no create record>") : trace[at];
  }
  // The thread that wrote the first record of kind `event` ("tid"), or -1.
  long long threadOf(const std::string& event) const {
    int at = find({"{\"ev\":\"" + event + "\""});
    if (at < 0) return -1;
    const size_t p = trace[at].find("\"tid\":");
    return p == std::string::npos ? -1 : std::stoll(trace[at].substr(p + 6));
  }
  std::string traceText() const {
    std::string all;
    for (const std::string& line : trace) all += line + "\n";
    return all;
  }
};

// A sandbox holding the packed launcher, a stand-in runtime in jre\ and the
// stand-in helper library in .zentrovia\.
class LaunchSandbox {
 public:
  explicit LaunchSandbox(const std::wstring& tag, bool withRuntime = true) : box(tag) {
    if (withRuntime) box.layOutRuntime(L"jre");
    std::wstring error;
    EXPECT_TRUE(standin::layOutHelperLibrary(box.dir(), &error)) << utf16ToUtf8(error);
  }

  std::wstring runtimeHome() const { return box.file(L"jre"); }

  Launch run(const block::Content& content, const std::wstring& arguments, test::RunOptions options = {}) {
    DeleteFileW((runtimeHome() + L"\\standin\\trace.jsonl").c_str());
    DeleteFileW(box.file(L"tmp\\zvt_nlog_1.log").c_str());
    exe = box.pack(content);
    options.setEnv[L"QUARN_LOG"] = L"yes";
    if (options.timeoutMs == 60000) options.timeoutMs = 30000;
    Launch launch;
    launch.result = box.run(exe, arguments, options);
    EXPECT_FALSE(launch.result.timedOut) << launch.result.err;
    launch.log = box.log();
    launch.trace = standin::traceLines(runtimeHome());
    return launch;
  }

  LauncherSandbox box;
  std::wstring exe;
};

TEST(Launch, RunHandsMainTheLauncherParametersThenTheArgumentsAndDestroysTheJvm) {
  LaunchSandbox s(L"launchrun");
  Launch l = s.run(baseContent(), L"/run a \"b c\"");
  EXPECT_EQ(0u, l.result.exitCode) << l.result.err << l.log;
  // Five launcher parameters, the program path, key 124's words, then the
  // further program arguments.
  std::string expected =
      jsonArray({L"false", L"com.example.Main", L"", L"", L"false", s.exe, L"--app", L"x y", L"a", L"b c"});
  int main = l.find({kZentroviaMain + expected + "]"});
  EXPECT_GE(main, 0) << l.traceText();
  int mainEnd = l.find({"{\"ev\":\"mainEnd\""}, main);
  int destroy = l.find({"{\"ev\":\"destroy\""}, main);
  EXPECT_TRUE(main < mainEnd && mainEnd < destroy) << l.traceText();
  // Nothing of the conversation was left behind when the JVM went.
  EXPECT_TRUE(contains(l.trace.back(), "\"liveLocalRefs\":0,") && contains(l.trace.back(), "\"unreleasedStrings\":0"))
      << l.trace.back();
  EXPECT_TRUE(contains(l.log, "] param count: 10\r\n")) << l.log;
  EXPECT_TRUE(contains(l.log, "] dest JVM\r\n"));
  EXPECT_TRUE(contains(l.log, "] launch done\r\n"));
  // The JVM runs on a thread of its own, not on the launcher's main thread,
  // which loaded the JVM library during the search.
  EXPECT_EQ(1, l.count("{\"ev\":\"create\""));
  const long long loadThread = l.threadOf("load");
  const long long createThread = l.threadOf("create");
  ASSERT_GT(loadThread, 0) << l.traceText();
  ASSERT_GT(createThread, 0) << l.traceText();
  EXPECT_NE(loadThread, createThread) << l.traceText();
  // A normal run reports nothing as an error (a missing system function of
  // the launcher, a helper library that does not load, ...): error lines go
  // to the log, which is there. The stand-in helper library's own line comes
  // through the error-log function it is given.
  ASSERT_TRUE(contains(l.log, "] launch done\r\n")) << l.log;
  std::string errors;
  for (size_t at = l.log.find("ERROR: "); at != std::string::npos; at = l.log.find("ERROR: ", at + 1)) {
    const std::string line = l.log.substr(at, l.log.find('\n', at) - at);
    if (!contains(line, "ERROR: stand-in zvtinst: ")) errors += line + "\n";
  }
  EXPECT_EQ("", errors);
}

TEST(Launch, TheLaunchersSystemPropertiesComeFirstAndTheModuleNameIsTheUnicodePath) {
  // A directory name the ANSI code page cannot hold: the "-D" option
  // carries the ANSI-safe short form, setProperty the exact path.
  LaunchSandbox s(L"launch\u0394\u03b9\u03ba\u03cc");
  block::Content c = baseContent();
  c.entries.push_back({2002, "1"});
  c.entries.push_back({2003, "a.jar"});
  c.files = {block::IncludedFile{std::vector<uint8_t>{'P', 'K'}}};
  // The temporary directory (and the log in it) must be one the code page
  // can name, or the launcher would choose another.
  test::Sandbox tmp(L"launchtmp");
  test::RunOptions o;
  o.setEnv[L"TMP"] = o.setEnv[L"TEMP"] = tmp.path();
  o.unsetEnv.push_back(L"MANPATH");
  Launch l = s.run(c, L"/run", o);
  test::readFileBytes(tmp.file(L"zvt_nlog_1.log"), l.log);
  ASSERT_EQ(0u, l.result.exitCode) << l.result.err << l.log;
  std::string create = l.createLine();
  std::wstring exeShort(32768, L'\0');
  exeShort.resize(GetShortPathNameW(s.exe.c_str(), &exeShort[0], 32768));
  std::string ansi = utf16ToUtf8(exeShort);
  // In order, before any configured option.
  size_t moduleName = create.find(json("-Dquarn.moduleName=" + ansi));
  size_t command = create.find(json("-Dsun.java.command=" + ansi));
  size_t tempDir = create.find("\"-Dquarn.tempDir=");
  size_t position = create.find("\"-Dquarn.unextractedPosition=");
  size_t libraryPath = create.find("\"-Djava.library.path=");
  size_t codePage = create.find("\"-Dquarn.consoleCodepage=cp");
  size_t isZentrovia = create.find("\"-Dquarn.isZentrovia=true\"");
  size_t semaphore = create.find("\"-Dquarn.semaphoreName=");
  ASSERT_NE(std::string::npos, moduleName) << create;
  EXPECT_TRUE(semaphore < isZentrovia && isZentrovia < moduleName && moduleName < command && command < tempDir &&
              tempDir < position && position < libraryPath && libraryPath < codePage)
      << create;
  EXPECT_EQ(std::string::npos, create.find("quarn.isService")) << create;
  EXPECT_EQ(std::string::npos, create.find("\"-Dquarn.unextractedPosition=0\"")) << create;
  // The launcher temporary directory with the extracted file.
  EXPECT_TRUE(contains(l.log, "Temp dir3: " + utf16ToUtf8(tmp.path()))) << l.log;
  EXPECT_EQ(std::string::npos, create.find("\"-Dquarn.tempDir=\"")) << create;
  EXPECT_GE(l.find({"\"method\":\"setProperty\"", "\"args\":[\"quarn.moduleName\"," + json(s.exe) + "]"}), 0)
      << l.traceText();
  EXPECT_TRUE(contains(l.log, "] setting quarn.moduleName to " + utf16ToUtf8(s.exe) + "\r\n")) << l.log;

  // With MANPATH defined, no console code page.
  o.unsetEnv.clear();
  o.setEnv[L"MANPATH"] = L"";
  l = s.run(c, L"/run", o);
  EXPECT_EQ(0u, l.result.exitCode);
  EXPECT_EQ(std::string::npos, l.createLine().find("consoleCodepage")) << l.createLine();
}

TEST(Launch, ALibraryPathThatDoesNotFitLeavesThePropertyEmpty) {
  LaunchSandbox s(L"launchpath");
  test::RunOptions o;
  o.setEnv[L"PATH"] = L"C:\\windows\\system32;C:\\windows;C:\\" + std::wstring(12000, L'p');
  Launch l = s.run(baseContent(), L"/run", o);
  EXPECT_EQ(0u, l.result.exitCode) << l.result.err << l.log;
  EXPECT_TRUE(contains(l.createLine(), "\"-Djava.library.path=\",")) << l.createLine();
}

TEST(Launch, TheJvmThreadReservesTheStackOfTheLastValidXss) {
  LaunchSandbox s(L"launchxss");
  Launch l = s.run(baseContent("-Xss1m -Xss2m -Xss1x"), L"/run");
  ASSERT_EQ(0u, l.result.exitCode) << l.result.err << l.log;
  EXPECT_TRUE(contains(l.createLine(), "\"stackReserve\":2097152")) << l.createLine();
  EXPECT_TRUE(contains(l.log, "] used stack size 2097152\r\n")) << l.log;
  // The option itself stays in the list.
  EXPECT_TRUE(contains(l.createLine(), "\"-Xss2m\"")) << l.createLine();

  l = s.run(baseContent("-Xss512"), L"/run");
  EXPECT_EQ(0u, l.result.exitCode);
  EXPECT_TRUE(contains(l.log, "] used stack size 65536\r\n")) << l.log;
}

TEST(Launch, ExitCodesOfTheForegroundRun) {
  LaunchSandbox s(L"launchexit");
  struct Case {
    const char* name;
    std::string options;
    DWORD exitCode;
    const char* logged;
  } cases[] = {
      {"normal end", "", 0, "] launch done\r\n"},
      {"exception from main", "-Dstandin.app=throw -Dstandin.throwMessage=disk-full", 1,
       "ERROR: could not call main\r\n"},
      {"JVM not created", "-Dstandin.failCreate=-1", 1, "ERROR: could not initialize JVM\r\n"},
      {"System.exit", "-Dstandin.app=exit -Dstandin.exitCode=42", 42, "] calling main\r\n"},
  };
  for (const Case& c : cases) {
    Launch l = s.run(baseContent(c.options), L"/run");
    EXPECT_EQ(c.exitCode, l.result.exitCode) << c.name << ": " << l.result.err;
    EXPECT_TRUE(contains(l.log, c.logged)) << c.name << ": " << l.log;
  }
  Launch thrown = s.run(baseContent("-Dstandin.app=throw -Dstandin.throwMessage=disk-full"), L"/run");
  EXPECT_TRUE(contains(thrown.log, "ERROR: an exception occurred\r\n")) << thrown.log;
  EXPECT_TRUE(contains(thrown.log, "ERROR: java.lang.RuntimeException: disk-full\r\n")) << thrown.log;
  // The stack trace went to standard error; the JVM was not destroyed.
  EXPECT_TRUE(contains(thrown.result.err, "java.lang.RuntimeException: disk-full")) << thrown.result.err;
  EXPECT_EQ(0, thrown.count("{\"ev\":\"destroy\""));

  LaunchSandbox none(L"launchnojvm", false);
  Launch l = none.run(baseContent(), L"/run");
  EXPECT_EQ(1u, l.result.exitCode);
  EXPECT_TRUE(contains(l.result.err, std::string("No JVM could be found on your system (") + kOwnBits + "-bit).")) << l.result.err;
}

TEST(Launch, AMissingLauncherClassOrMainIsReportedWithItsMessage) {
  LaunchSandbox s(L"launchmissing");
  Launch l = s.run(baseContent("-Dstandin.hideClass=com/zentrovia/runtime/launcher/WinLauncher"), L"/run");
  EXPECT_EQ(1u, l.result.exitCode);
  EXPECT_TRUE(contains(l.result.err, "Couldn't load main class com.zentrovia.runtime.launcher.WinLauncher."))
      << l.result.err;
  EXPECT_TRUE(contains(l.log, "ERROR: could not find main class\r\n")) << l.log;

  l = s.run(baseContent("-Dstandin.hideMethod=main"), L"/run");
  EXPECT_EQ(1u, l.result.exitCode);
  EXPECT_TRUE(contains(l.result.err, "Couldn't find main method.")) << l.result.err;
  EXPECT_TRUE(contains(l.log, "ERROR: could not find main method\r\n")) << l.log;
  EXPECT_EQ(0, l.count("{\"ev\":\"destroy\""));
}

// The configured environment reaches the JVM's process: a value expanded,
// one built on an earlier entry, an inherited variable removed, and a Java
// options variable that the application sets itself although outside ones
// are ignored. The log setting writes the log without either variable.
TEST(Launch, TheConfiguredEnvironmentReachesTheJvmAndTheLogSettingLogs) {
  LaunchSandbox s(L"launchenv");
  block::Content c = baseContent("-Dstandin.env=ZVT_SET,ZVT_CHAIN,ZVT_GONE,JAVA_TOOL_OPTIONS");
  c.entries.push_back({10012, "1"});
  c.entries.push_back({30321,
                       "ZVT_SET=${launcher:sys.launcherDirectory}app\nZVT_CHAIN=${ZVT_SET};x\nZVT_GONE=\n"
                       "JAVA_TOOL_OPTIONS=-Dfrom.config=1"});
  test::RunOptions o;
  o.setEnv[L"ZVT_GONE"] = L"inherited";
  o.setEnv[L"JAVA_TOOL_OPTIONS"] = L"-Dfrom.outside=1";
  Launch l = s.run(c, L"/run", o);
  ASSERT_EQ(0u, l.result.exitCode) << l.result.err << l.log;
  const std::wstring app = s.box.dir() + L"\\app";
  const int env = l.find({"{\"ev\":\"env\""});
  ASSERT_GE(env, 0) << l.traceText();
  EXPECT_TRUE(contains(l.trace[env], "\"ZVT_SET\":" + json(app) + ",")) << l.trace[env];
  EXPECT_TRUE(contains(l.trace[env], "\"ZVT_CHAIN\":" + json(app + L";x") + ",")) << l.trace[env];
  EXPECT_TRUE(contains(l.trace[env], "\"ZVT_GONE\":null,")) << l.trace[env];
  EXPECT_TRUE(contains(l.trace[env], "\"JAVA_TOOL_OPTIONS\":\"-Dfrom.config=1\",")) << l.trace[env];
  EXPECT_TRUE(contains(l.log, "] environment: removed ZVT_GONE\r\n")) << l.log;

  c.entries.push_back({30322, "1"});
  s.exe = s.box.pack(c);
  DeleteFileW(s.box.file(L"tmp\\zvt_nlog_1.log").c_str());
  test::RunOptions quiet;
  quiet.unsetEnv = {L"QUARN_LOG", L"ZENTROVIA_LOG"};
  test::RunResult r = s.box.run(s.exe, L"/run", quiet);
  EXPECT_EQ(0u, r.exitCode) << r.err;
  const std::string log = s.box.log();
  EXPECT_EQ(0u, log.find("\xEF\xBB\xBF"
                         "Started executable "))
      << log;
  EXPECT_TRUE(contains(log, "] command line ")) << log;
  EXPECT_TRUE(contains(log, "] launch done\r\n")) << log;
}

TEST(Launch, RunSwitchesRedirectionOffAndRunRedirectDoesNot) {
  LaunchSandbox s(L"launchredir");
  Launch run = s.run(baseContent(), L"/run");
  EXPECT_EQ(0u, run.result.exitCode);
  // What is absent below is absent from a real record and a real log.
  ASSERT_GE(run.find({"{\"ev\":\"create\""}), 0) << run.traceText();
  ASSERT_TRUE(contains(run.log, "] launch done\r\n")) << run.log;
  EXPECT_TRUE(contains(run.createLine(), "\"-Dzentrovia.noRedir=true\"")) << run.createLine();
  Launch redirect = s.run(baseContent(), L"/run-redirect x");
  EXPECT_EQ(0u, redirect.result.exitCode);
  ASSERT_GE(redirect.find({"{\"ev\":\"create\""}), 0) << redirect.traceText();
  ASSERT_TRUE(contains(redirect.log, "] launch done\r\n")) << redirect.log;
  EXPECT_FALSE(contains(redirect.createLine(), "noRedir")) << redirect.createLine();
  EXPECT_FALSE(contains(redirect.createLine(), "-Xrs")) << redirect.createLine();
  EXPECT_GE(redirect.find({kZentroviaMain, json(s.exe) + "," + json("--app") + "," + json("x y") + "," + json("x")}), 0)
      << redirect.traceText();
  // Neither foreground run registers the console handler.
  EXPECT_FALSE(contains(run.log + redirect.log, "registering ConsoleCtrlHandler"));
}

TEST(Launch, TheZentroviaFlavourRegistersTheHelperLibrarysNatives) {
  LaunchSandbox s(L"launchhelper");
  Launch l = s.run(baseContent(), L"/run");
  ASSERT_EQ(0u, l.result.exitCode) << l.result.err << l.log;
  int initTrue = l.find({kInitFromLauncher + std::string("true]")});
  int registered = l.find({"{\"ev\":\"registerNatives\",\"mode\":\"ok\",\"ownModule\":true,\"errorLog\":true"});
  int main = l.find({kZentroviaMain});
  EXPECT_TRUE(0 <= initTrue && initTrue < registered && registered < main) << l.traceText();
  EXPECT_EQ(0, l.count(kInitFromLauncher + std::string("false]")));
  // The error-log function it was given writes to the launcher's log.
  EXPECT_TRUE(contains(l.log, "ERROR: stand-in zvtinst: registerNatives mode ok, module own, 42\r\n")) << l.log;
  EXPECT_TRUE(contains(l.log, "] load helper dll\r\n"));

  l = s.run(baseContent("-Dstandin.helper=fail"), L"/run");
  EXPECT_EQ(0u, l.result.exitCode);
  int failed = l.find({"{\"ev\":\"registerNatives\",\"mode\":\"fail\""});
  int initFalse = l.find({kInitFromLauncher + std::string("false]")});
  EXPECT_TRUE(0 <= failed && failed < initFalse && initFalse < l.find({kZentroviaMain})) << l.traceText();
  EXPECT_TRUE(contains(l.log, "] registering helper dll failed\r\n")) << l.log;
}

TEST(Launch, TheHelperLibraryIsLookedForUnderTheInstallationDirectory) {
  LaunchSandbox s(L"launchinstdir");
  std::wstring error;
  ASSERT_TRUE(standin::layOutHelperLibrary(s.box.file(L"app dir"), &error)) << utf16ToUtf8(error);
  block::Content c = baseContent();
  setEntry(c, 10003, "app dir");
  Launch l = s.run(c, L"/run");
  EXPECT_EQ(0u, l.result.exitCode) << l.result.err;
  EXPECT_GE(l.find({"{\"ev\":\"registerNatives\"", json(utf16ToUtf8(s.box.file(L"app dir\\.zentrovia\\zvtinst.dll")))}),
            0)
      << l.traceText();
  EXPECT_EQ(1, l.count("{\"ev\":\"registerNatives\""));
}

TEST(Launch, AHelperLibraryThatIsThereButDoesNotLoadIsAnErrorLine) {
  LaunchSandbox s(L"launchbadhelper");
  const std::wstring helper = s.box.file(L".zentrovia\\zvtinst.dll");
  ASSERT_TRUE(test::writeFileBytes(helper, "not a library"));
  Launch l = s.run(baseContent(), L"/run");
  // The application still runs, without the natives, and the log says why.
  EXPECT_EQ(0u, l.result.exitCode) << l.result.err;
  EXPECT_TRUE(contains(l.log, "ERROR: could not load helper dll " + utf16ToUtf8(helper) + " (error ")) << l.log;
  EXPECT_EQ(0, l.count("registerNatives"));
}

TEST(Launch, TheSplashConfigurationReachesTheLauncherClassAsWritten) {
  LaunchSandbox s(L"launchsplash");
  block::Content c = baseContent();
  // Configuration text is in the ANSI code page ("\xe4" is a-umlaut in 1252);
  // the Java string must hold what that byte means there.
  for (const block::Entry& e : std::vector<block::Entry>{{108, "1"},
                                                         {163, "1"},
                                                         {10111,
                                                          "L\xe4"
                                                          "dt"},
                                                         {10109, "10"},
                                                         {10110, "20"},
                                                         {10114, "0,0,0"},
                                                         {10113, "30"},
                                                         {10115, "40"},
                                                         {10118, "v1.0"},
                                                         {10116, "50"},
                                                         {10117, "60"},
                                                         {10121, "255,255,255"},
                                                         {10120, "70"},
                                                         {10122, "80"}}) {
    setEntry(c, e.id, e.value);
  }
  Launch l = s.run(c, L"/run");
  ASSERT_EQ(0u, l.result.exitCode) << l.result.err;
  wchar_t meant[8] = {};
  ASSERT_GT(MultiByteToWideChar(CP_ACP, 0,
                                "L\xe4"
                                "dt",
                                -1, meant, 8),
            0);
  EXPECT_GE(l.find({"\"method\":\"initAwtSplashConfig\"",
                    "\"args\":[true,true," + json(std::wstring(meant)) +
                        ",10,20,\"0,0,0\",30,40,\"v1.0\",50,60,\"255,255,255\",70,80]"}),
            0)
      << l.traceText();
  // Without key 108 there is no splash call.
  l = s.run(baseContent(), L"/run");
  EXPECT_EQ(0, l.count("initAwtSplashConfig"));
}

TEST(Launch, TheQuarnFlavourHasNoHelperLibraryAndNoZentroviaProperty) {
  LaunchSandbox s(L"launchquarn");
  block::Content c = baseContent();
  setEntry(c, 2001, "e");
  Launch l = s.run(c, L"/run a");
  ASSERT_EQ(0u, l.result.exitCode) << l.result.err << l.log;
  ASSERT_GE(l.find({"{\"ev\":\"create\""}), 0) << l.traceText();
  ASSERT_TRUE(contains(l.log, "] launch done\r\n")) << l.log;
  EXPECT_GE(l.find({kQuarnMain}), 0) << l.traceText();
  EXPECT_EQ(0, l.count("registerNatives"));
  EXPECT_EQ(0, l.count("initFromLauncher"));
  EXPECT_FALSE(contains(l.createLine(), "isZentrovia")) << l.createLine();
  EXPECT_FALSE(contains(l.log, "load helper dll"));
}

// Every configured text that reaches Java (main class, application
// arguments, log file names) and the installation directory of the helper
// library are read through the code page, not byte by byte.
TEST(CodePage, ConfiguredTextsReachJavaAsWritten) {
  const std::wstring text = codePageText();
  ASSERT_FALSE(text.empty()) << "runs from e2e_codepage (1251) or e2e_vm_options_cp932 (932), not code page "
                             << GetACP();
  const std::string bytes = inCodePage(text);
  ASSERT_FALSE(bytes.empty());
  LaunchSandbox s(L"launchcp");
  std::wstring error;
  ASSERT_TRUE(standin::layOutHelperLibrary(s.box.file(text), &error)) << utf16ToUtf8(error);
  block::Content c = baseContent();
  setEntry(c, 122, "com.example." + bytes);
  setEntry(c, 124, "--name " + bytes + " '" + bytes + " x'");
  setEntry(c, 102, "1");
  setEntry(c, 103, bytes + ".err.log");
  setEntry(c, 104, "1");
  setEntry(c, 105, bytes + ".out.log");
  setEntry(c, 10003, bytes);
  Launch l = s.run(c, L"/run");
  ASSERT_EQ(0u, l.result.exitCode) << l.result.err << l.log;
  const std::string expected =
      jsonArray({L"false", L"com.example." + text, s.box.file(text + L".err.log"), s.box.file(text + L".out.log"),
                 L"false", s.exe, L"--name", text, text + L" x"});
  EXPECT_GE(l.find({kZentroviaMain + expected + "]"}), 0) << expected << "\n" << l.traceText();
  // The helper library under the installation directory was loaded and ran.
  EXPECT_GE(l.find({"{\"ev\":\"registerNatives\",\"mode\":\"ok\"",
                    json(utf16ToUtf8(s.box.file(text + L"\\.zentrovia\\zvtinst.dll")))}),
            0)
      << l.traceText();
  EXPECT_FALSE(contains(l.log, "ERROR: could not load helper dll")) << l.log;
}

// A message that names configuration text (here the search entry of a
// runtime whose library does not load) shows it as written: standard error
// carries it in the code page it came in.
TEST(CodePage, AMessageNamesTheConfiguredEntryAsWritten) {
  const std::wstring text = codePageText();
  ASSERT_FALSE(text.empty()) << "no test text for code page " << GetACP();
  const std::string bytes = inCodePage(text);
  LaunchSandbox s(L"launchcpmsg", false);
  standin::RuntimeLayout layout;
  layout.vmTypes = {};  // the executable passes, the library is missing
  s.box.layOutRuntime(text, layout);
  block::Content c = baseContent();
  setEntry(c, 128, "B" + bytes + ";");
  c.messages.push_back({1019, L"MSG1019 damaged at {0}"});
  Launch l = s.run(c, L"/run");
  EXPECT_EQ(1u, l.result.exitCode) << l.result.err;
  EXPECT_TRUE(contains(l.result.err, inCodePage(L"MSG1019 damaged at " + text))) << l.result.err << l.log;
}

// The service child as the service host runs it: the restart marker last,
// its standard streams on pipes, the shutdown line written once the
// application runs, then the end of input.
TEST(Launch, ServiceChildStopsOnTheShutdownLineAndEndsWithZero) {
  for (bool sendLine : {true, false}) {
    SCOPED_TRACE(sendLine ? "line 0" : "end of input");
    LaunchSandbox s(L"launchchild");
    s.exe = s.box.pack(baseContent("-Dstandin.app=waitStdin"));
    test::RunOptions o;
    o.setEnv[L"QUARN_LOG"] = L"yes";
    o.closeInput = false;
    o.timeoutMs = 20000;
    std::unique_ptr<test::RunningProcess> child = s.box.start(s.exe, L"ZvtLaunchService p1 __zvt_restart", o);
    ASSERT_TRUE(child->started());
    // Running: main was called and waits on standard input.
    bool running = false;
    for (int i = 0; i < 300 && !running; ++i) {
      for (const std::string& line : standin::traceLines(s.runtimeHome())) {
        running = running || contains(line, kZentroviaMain);
      }
      if (!running) Sleep(100);
    }
    ASSERT_TRUE(running) << s.box.log();
    if (sendLine) {
      EXPECT_TRUE(child->writeInput("0\n"));
    }
    child->closeInput();
    test::RunResult result = child->finish();
    ASSERT_FALSE(result.timedOut) << "the child did not stop";
    EXPECT_EQ(0u, result.exitCode) << result.err;
    Launch l;
    l.log = s.box.log();
    l.trace = standin::traceLines(s.runtimeHome());
    EXPECT_TRUE(contains(l.log, "] registering ConsoleCtrlHandler\r\n")) << l.log;
    EXPECT_GE(l.find({"{\"ev\":\"stdinStop\",\"reason\":" + std::string(sendLine ? "\"line0\"" : "\"eof\"")}), 0)
        << l.traceText();
    std::string create = l.createLine();
    EXPECT_TRUE(contains(create, "\"-Dquarn.isService=true\"") && contains(create, "\"-Xrs\"")) << create;
    EXPECT_FALSE(contains(create, "noRedir"));
    // The service name first, then the configured and the further arguments.
    EXPECT_GE(l.find({kZentroviaMain +
                      jsonArray({L"false", L"com.example.Main", L"", L"", L"false", L"ZvtLaunchService", L"--app",
                                 L"x y", L"p1"}) +
                      "]"}),
              0)
        << l.traceText();
    // main returned, the JVM was destroyed, the process ended by itself.
    EXPECT_GE(l.find({"{\"ev\":\"destroy\""}), 0) << l.traceText();
    EXPECT_TRUE(contains(l.log, "] launch done\r\n")) << l.log;
  }
}

// A second start in single-instance mode ends with 0 before any JVM search,
// after restoring the first instance's minimised window; the first one runs
// on. The pids record is a fixed per-user key: this suite holds the lock of
// fixed registry keys and puts the key back.
TEST(LaunchSingleInstance, ASecondStartBringsTheFirstToTheFrontAndEndsWithZero) {
  test::RegistryGuard pids(HKEY_CURRENT_USER, L"SOFTWARE\\corvalent-works\\quarn\\pids",
                           test::RegistryGuard::kSavedKey);
  LaunchSandbox s(L"launchsingle");
  block::Content c = baseContent("-Dstandin.app=waitStdin -Dstandin.window=minimized");
  c.entries.push_back({10005, "1"});
  c.entries.push_back({10008, "1"});
  s.exe = s.box.pack(c);
  test::RunOptions o;
  o.setEnv[L"QUARN_LOG"] = L"yes";
  o.closeInput = false;
  o.timeoutMs = 30000;
  std::unique_ptr<test::RunningProcess> first = s.box.start(s.exe, L"/run", o);
  ASSERT_TRUE(first->started());
  HWND window = nullptr;
  for (int i = 0; i < 300 && !window; ++i) {
    const std::string record = "{\"ev\":\"window\",\"hwnd\":";
    for (const std::string& line : standin::traceLines(s.runtimeHome())) {
      if (line.rfind(record, 0) == 0) {
        window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoull(line.substr(record.size()))));
      }
    }
    if (!window) Sleep(100);
  }
  ASSERT_NE(nullptr, window) << s.box.log();
  EXPECT_TRUE(IsIconic(window));

  test::RunOptions second;
  second.setEnv[L"QUARN_LOG"] = L"yes";
  test::RunResult r = s.box.run(s.exe, L"/run", second);
  EXPECT_EQ(0u, r.exitCode) << r.err;
  std::string secondLog = s.box.log(2);
  ASSERT_TRUE(contains(secondLog, "] other pid " + std::to_string(first->id()) + "\r\n")) << secondLog;
  EXPECT_FALSE(contains(secondLog, "Searching for a JVM")) << secondLog;
  EXPECT_FALSE(IsIconic(window)) << "the first instance's window was not restored";
  std::vector<std::string> trace = standin::traceLines(s.runtimeHome());
  int creates = 0;
  for (const std::string& line : trace) creates += line.rfind("{\"ev\":\"create\"", 0) == 0;
  EXPECT_EQ(1, creates);

  // The first instance is still there and ends normally.
  first->closeInput();
  test::RunResult end = first->finish();
  EXPECT_FALSE(end.timedOut);
  EXPECT_EQ(0u, end.exitCode) << end.err;
}

}  // namespace
}  // namespace zvt::e2e
