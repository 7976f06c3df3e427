// Tests of the stand-in runtime itself: its executables and libraries as
// files laid out by the layout helper, and its jvm.dll through the
// conversation the launcher will hold with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/handle.h"
#include "base/win32.h"
#include "child.h"
#include "standin_home.h"
#include "standin_layout.h"
#include "support/win_process.h"

namespace {

using standin::RuntimeLayout;
using zvt::test::RunOptions;
using zvt::test::RunResult;

RunResult run(const std::wstring& program, const std::vector<std::wstring>& args,
              const RunOptions& options = RunOptions()) {
  return zvt::test::runProcess(zvt::test::commandLine(program, args), options);
}

std::wstring selfPath() {
  wchar_t buffer[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
  return std::wstring(buffer, n);
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int countOf(const std::vector<std::string>& lines, const std::string& part) {
  int n = 0;
  for (const std::string& line : lines) n += contains(line, part);
  return n;
}


class Standin : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::wstring(temp) + L"zvt-standin-" + standin::widen(info->name()) + L"-" +
           std::to_wstring(GetCurrentProcessId());
    zvt::test::removeTree(dir_);
    home_ = dir_ + L"\\rt";
  }
  void TearDown() override { zvt::test::removeTree(dir_); }

  void layOut(const RuntimeLayout& layout) {
    layout_ = layout;
    std::wstring error;
    ASSERT_TRUE(standin::layOutRuntime(home_, layout, &error)) << standin::utf8(error);
  }

  std::wstring jvmDll(const std::wstring& vm = L"client") const {
    return standin::runtimeBinDir(home_, layout_) + L"\\" + vm + L"\\jvm.dll";
  }

  RunResult child(const std::string& scenario, std::vector<std::string> options,
                  const std::vector<std::string>& params = {}, const RunOptions& runOptions = RunOptions()) {
    std::vector<std::wstring> args = {L"--child", standin::widen(scenario), jvmDll()};
    for (const std::string& o : options) args.push_back(standin::widen(o));
    args.push_back(L"--");
    for (const std::string& p : params) args.push_back(standin::widen(p));
    RunResult r = run(selfPath(), args, runOptions);
    EXPECT_FALSE(r.timedOut) << r.out << r.err;
    return r;
  }

  std::vector<std::string> trace() const { return standin::traceLines(home_); }

  std::wstring dir_, home_;
  RuntimeLayout layout_;
};

const std::vector<std::string> kParams = {"false", "app.Main", "C:\\logs\\err.log", "", "true", "MySvc", "a b", "c"};

// --- java.exe, javaw.exe ---------------------------------------------------

TEST_F(Standin, JavaExePrintsTheScriptedVersionExitCodeAndCountsProbes) {
  RuntimeLayout layout;
  layout.versionText = "java version \"1.8.0_201\"\nJava(TM) SE Runtime Environment\n";
  layout.exitCode = 3;
  layOut(layout);
  std::wstring bin = standin::runtimeBinDir(home_, layout);
  RunResult r = run(bin + L"\\java.exe", {L"-version"});
  EXPECT_EQ(r.exitCode, 3u);
  EXPECT_EQ(r.err, "java version \"1.8.0_201\"\nJava(TM) SE Runtime Environment\n");
  EXPECT_EQ(r.out, "");
  r = run(bin + L"\\javaw.exe", {L"-version"});
  EXPECT_EQ(r.exitCode, 3u);
  EXPECT_TRUE(contains(r.err, "1.8.0_201"));
  r = run(bin + L"\\java.exe", {L"-jar", L"x.jar"});
  EXPECT_EQ(r.exitCode, 2u);
  EXPECT_EQ(standin::probeCount(home_), 3);
}

TEST_F(Standin, JavaExeRecordsTheOptionsVariablesAndHandlesItWasGiven) {
  layOut(RuntimeLayout());
  SetEnvironmentVariableW(L"_JAVA_OPTIONS", L"-Xmx1m \"quoted\"");
  SetEnvironmentVariableW(L"JAVA_TOOL_OPTIONS", L"");
  SetEnvironmentVariableW(L"JDK_JAVA_OPTIONS", nullptr);
  RunResult r = run(standin::runtimeBinDir(home_, layout_) + L"\\java.exe", {L"-version"});
  SetEnvironmentVariableW(L"_JAVA_OPTIONS", nullptr);
  SetEnvironmentVariableW(L"JAVA_TOOL_OPTIONS", nullptr);
  EXPECT_EQ(r.exitCode, 0u);
  std::vector<std::string> t = trace();
  ASSERT_EQ(countOf(t, "{\"ev\":\"probe\""), 1) << (t.empty() ? "" : t[0]);
  EXPECT_TRUE(contains(t[0], "\"_JAVA_OPTIONS\":\"-Xmx1m \\\"quoted\\\"\"")) << t[0];
  EXPECT_TRUE(contains(t[0], "\"JAVA_TOOL_OPTIONS\":\"\"")) << t[0];
  EXPECT_TRUE(contains(t[0], "\"JDK_JAVA_OPTIONS\":null")) << t[0];
  EXPECT_TRUE(contains(t[0], " -version\"")) << t[0];
  // The test runner gives it all three pipes.
  EXPECT_TRUE(contains(t[0], "\"stdin\":true,\"stdout\":true,\"stderr\":true")) << t[0];
}

TEST_F(Standin, JavaExeWaitsTheScriptedDelay) {
  RuntimeLayout layout;
  layout.delayMs = 1500;
  layOut(layout);
  DWORD start = GetTickCount();
  RunResult r = run(standin::runtimeBinDir(home_, layout) + L"\\java.exe", {L"-version"});
  EXPECT_GE(GetTickCount() - start, 1400u);
  EXPECT_EQ(r.exitCode, 0u);
}

// --- layouts ---------------------------------------------------------------

TEST_F(Standin, LayoutsHaveTheShapeOfRealRuntimes) {
  RuntimeLayout layout;
  layout.jdk = true;
  layout.vmTypes = {L"server", L"j9vm"};
  layout.javaw = false;
  layout.jli = false;
  layout.ucrtbase = true;
  layout.packedJars = {L"jre\\lib\\rt.jar"};
  layOut(layout);
  using standin::fileExists;
  EXPECT_TRUE(fileExists(home_ + L"\\lib\\tools.jar"));
  EXPECT_TRUE(fileExists(home_ + L"\\bin\\java.exe"));
  EXPECT_FALSE(fileExists(home_ + L"\\bin\\server\\jvm.dll"));
  EXPECT_TRUE(fileExists(home_ + L"\\jre\\bin\\server\\jvm.dll"));
  EXPECT_TRUE(fileExists(home_ + L"\\jre\\bin\\j9vm\\jvm.dll"));
  EXPECT_FALSE(fileExists(home_ + L"\\jre\\bin\\client\\jvm.dll"));
  EXPECT_FALSE(fileExists(home_ + L"\\jre\\bin\\javaw.exe"));
  EXPECT_FALSE(fileExists(home_ + L"\\jre\\bin\\jli.dll"));
  EXPECT_TRUE(fileExists(home_ + L"\\jre\\bin\\ucrtbase.dll"));
  EXPECT_TRUE(fileExists(home_ + L"\\jre\\lib\\rt.jar.pack"));
  EXPECT_FALSE(fileExists(home_ + L"\\jre\\lib\\rt.jar"));
  // The private runtime's java.exe reports into the JDK's one script.
  RunResult r = run(home_ + L"\\jre\\bin\\java.exe", {L"-version"});
  EXPECT_TRUE(contains(r.err, "11.0.2"));
  EXPECT_EQ(standin::probeCount(home_), 1);
}

TEST_F(Standin, JvmDllHasTheRequestedWidth) {
  RuntimeLayout layout;
  layout.wrongWidth = true;
  layOut(layout);
  // A 64-bit DLL does not load into this 32-bit process.
  RunResult r = child("contract", {});
  EXPECT_EQ(r.exitCode, 4u);
  EXPECT_TRUE(contains(r.out, "load failed 193")) << r.out;
}

// --- unpack200.exe, jli.dll, ucrtbase.dll ------------------------------------

TEST_F(Standin, Unpack200WritesTheJarOrFailsOnCorruptInput) {
  RuntimeLayout layout;
  layout.packedJars = {L"lib\\rt.jar", L"lib\\ext\\foo.jar"};
  layOut(layout);
  std::wstring unpack = standin::runtimeBinDir(home_, layout) + L"\\unpack200.exe";
  RunResult r = run(unpack, {L"-r", home_ + L"\\lib\\rt.jar.pack", home_ + L"\\lib\\rt.jar"});
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(standin::readFileBytes(home_ + L"\\lib\\rt.jar"), "PK stand-in lib\\rt.jar");
  EXPECT_FALSE(standin::fileExists(home_ + L"\\lib\\rt.jar.pack"));
  // Without -r the packed file stays.
  r = run(unpack, {home_ + L"\\lib\\ext\\foo.jar.pack", home_ + L"\\lib\\ext\\foo.jar"});
  EXPECT_TRUE(standin::fileExists(home_ + L"\\lib\\ext\\foo.jar.pack"));
  EXPECT_TRUE(standin::fileExists(home_ + L"\\lib\\ext\\foo.jar"));

  layout.corruptPacks = true;
  layout.packedJars = {L"lib\\bad.jar"};
  layOut(layout);
  r = run(unpack, {L"-r", home_ + L"\\lib\\bad.jar.pack", home_ + L"\\lib\\bad.jar"});
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_FALSE(standin::fileExists(home_ + L"\\lib\\bad.jar"));
  std::string log = standin::readFileBytes(home_ + L"\\standin\\unpack.log");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3);
}

TEST_F(Standin, Unpack200LeavesHalfAJarOnTruncatedInput) {
  RuntimeLayout layout;
  layout.truncatedPacks = true;
  layout.packedJars = {L"lib\\rt.jar"};
  layOut(layout);
  std::wstring unpack = standin::runtimeBinDir(home_, layout) + L"\\unpack200.exe";
  RunResult r = run(unpack, {L"-r", home_ + L"\\lib\\rt.jar.pack", home_ + L"\\lib\\rt.jar"});
  EXPECT_EQ(r.exitCode, 1u);
  std::string pack = standin::readFileBytes(home_ + L"\\lib\\rt.jar.pack");
  EXPECT_EQ(standin::readFileBytes(home_ + L"\\lib\\rt.jar"), pack.substr(0, pack.size() / 2));
  EXPECT_FALSE(pack.empty());
}

struct JliList {
  char** elements;
  size_t size;
  size_t capacity;
};

TEST_F(Standin, JliExpandsArgumentFilesOneArgumentPerLine) {
  layOut(RuntimeLayout());
  std::wstring argFile = dir_ + L"\\args.txt";
  ASSERT_TRUE(standin::appendToFile(argFile, "-Xmx64m\r\n\r\n-Da=b c\n--add-opens=x\n"));
  zvt::UniqueModule jliModule(LoadLibraryW((standin::runtimeBinDir(home_, layout_) + L"\\jli.dll").c_str()));
  ASSERT_TRUE(jliModule);
  HMODULE jli = jliModule.get();
  using Init = void(WINAPI*)(unsigned char, unsigned char);
  using Preprocess = JliList*(WINAPI*)(const char*, unsigned char);
  using Free = void(WINAPI*)(void*);
  auto init = reinterpret_cast<Init>(reinterpret_cast<void*>(GetProcAddress(jli, "JLI_InitArgProcessing")));
  auto preprocess = reinterpret_cast<Preprocess>(reinterpret_cast<void*>(GetProcAddress(jli, "JLI_PreprocessArg")));
  auto memFree = reinterpret_cast<Free>(reinterpret_cast<void*>(GetProcAddress(jli, "JLI_MemFree")));
  ASSERT_TRUE(init && preprocess && memFree);
  init(1, 0);
  EXPECT_EQ(preprocess("-Xss1m", 1), nullptr);
  JliList* list = preprocess(("@" + standin::utf8(argFile)).c_str(), 1);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size, 3u);
  EXPECT_STREQ(list->elements[0], "-Xmx64m");
  EXPECT_STREQ(list->elements[1], "-Da=b c");
  EXPECT_STREQ(list->elements[2], "--add-opens=x");
  for (size_t i = 0; i < list->size; ++i) memFree(list->elements[i]);
  memFree(list->elements);
  memFree(list);
  JliList* escaped = preprocess("@@literal", 1);
  ASSERT_NE(escaped, nullptr);
  EXPECT_STREQ(escaped->elements[0], "@literal");
  EXPECT_EQ(countOf(trace(), "\"ev\":\"jliExpand\""), 1);
}

TEST_F(Standin, UcrtbaseRecordsItsLoad) {
  RuntimeLayout layout;
  layout.ucrtbase = true;
  layOut(layout);
  std::wstring bin = standin::runtimeBinDir(home_, layout);
  // Wine answers any load of "ucrtbase.dll" with its own built-in library,
  // so the stand-in's behaviour is checked under another name; on Windows
  // the launcher's preload reaches it under its own.
  ASSERT_TRUE(CopyFileW((bin + L"\\ucrtbase.dll").c_str(), (bin + L"\\ucrtprobe.dll").c_str(), FALSE));
  zvt::UniqueModule module(LoadLibraryW((bin + L"\\ucrtprobe.dll").c_str()));
  ASSERT_TRUE(module);
  std::vector<std::string> t = trace();
  EXPECT_EQ(countOf(t, "\"ev\":\"ucrtbase\""), 1);
  EXPECT_EQ(countOf(t, "ucrtprobe.dll\""), 1);
}

// --- jvm.dll: the launcher's conversation -----------------------------------

TEST_F(Standin, TheWholeContractSequenceIsTraced) {
  layOut(RuntimeLayout());
  RunResult r = child("contract", {"-Xss2m", "-Dstandin.sample=1", "-Djava.class.path=C:\\app\\zvtruntime.jar",
                                   "-XXnonsense", "--whatever"},
                      kParams);
  ASSERT_EQ(r.exitCode, 0u) << r.out << r.err;
  EXPECT_TRUE(contains(r.out, "create 0\nsplash 1\nplatform 1\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "LOG: setting quarn.moduleName to C:\\Z\xc3\xbcrich\\app.exe\nmoduleName 1\n"));
  EXPECT_TRUE(contains(r.out, "main returned\ndestroy 0"));
  std::vector<std::string> t = trace();
  ASSERT_GE(t.size(), 5u);
  EXPECT_TRUE(contains(t[0], "\"ev\":\"load\""));
  EXPECT_TRUE(contains(t[1], "\"ev\":\"create\",\"version\":\"0x10002\",\"ignoreUnrecognized\":true,"
                             "\"options\":[\"-Xss2m\",\"-Dstandin.sample=1\",\"-Djava.class.path=C:\\\\app\\\\zvtruntime.jar\","
                             "\"-XXnonsense\",\"--whatever\"]")) << t[1];
  EXPECT_EQ(countOf(t, "\"ignored\":[\"--whatever\"]"), 1);
  EXPECT_EQ(countOf(t, "\"method\":\"initAwtSplashConfig\",\"sig\":\"(ZZLjava/lang/String;IILjava/lang/String;IILjava/lang/"
                       "String;IILjava/lang/String;II)V\",\"args\":[true,false,\"Loading\",1,2,\"0,0,0\",3,4,\"v2\",5,6,"
                       "\"255,0,0\",7,8]"), 1);
  EXPECT_EQ(countOf(t, "\"method\":\"initFromLauncher\",\"sig\":\"(Z)V\",\"args\":[true]"), 1);
  EXPECT_EQ(countOf(t, "\"method\":\"setProperty\",\"sig\":\"(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;\","
                       "\"args\":[\"quarn.moduleName\",\"C:\\\\Z\xc3\xbcrich\\\\app.exe\"]"), 1);
  EXPECT_EQ(countOf(t, "\"class\":\"com/quarn/runtime/WinLauncher\",\"method\":\"main\",\"sig\":\"([Ljava/lang/String;)V\","
                       "\"args\":[[\"false\",\"app.Main\",\"C:\\\\logs\\\\err.log\",\"\",\"true\",\"MySvc\",\"a b\",\"c\"]]"), 1);
  // The conversation gave back every string buffer it took.
  EXPECT_EQ(countOf(t, "\"unreleasedStrings\":0"), 1);
  EXPECT_TRUE(contains(t.back(), "\"ev\":\"destroy\"")) << t.back();
}

TEST_F(Standin, BothLauncherClassesAndTheJdkLayoutWork) {
  RuntimeLayout layout;
  layout.jdk = true;
  layOut(layout);
  SetEnvironmentVariableW(L"STANDIN_LAUNCHER", L"com.zentrovia.runtime.launcher.WinLauncher");
  RunResult r = child("contract", {}, kParams);
  SetEnvironmentVariableW(L"STANDIN_LAUNCHER", nullptr);
  ASSERT_EQ(r.exitCode, 0u) << r.out << r.err;
  EXPECT_EQ(countOf(trace(), "\"class\":\"com/zentrovia/runtime/launcher/WinLauncher\",\"method\":\"main\""), 1);
  EXPECT_TRUE(standin::fileExists(home_ + L"\\standin\\trace.jsonl"));
}

TEST_F(Standin, FailedCreationAndHiddenClassesAndMethods) {
  layOut(RuntimeLayout());
  RunResult r = child("contract", {"-Dstandin.failCreate=-4"});
  EXPECT_EQ(r.exitCode, 2u);
  EXPECT_TRUE(contains(r.out, "create -4"));
  EXPECT_EQ(countOf(trace(), "\"ev\":\"createFailed\",\"code\":-4"), 1);

  layOut(RuntimeLayout());
  DeleteFileW((home_ + L"\\standin\\trace.jsonl").c_str());
  r = child("contract", {"-Dstandin.hideMethod=initAwtSplashConfig,java/lang/System.setProperty",
                         "-Dstandin.hideClass=com/zentrovia/runtime/installer/platform/win32/Common,com/quarn/runtime/WinLauncher"},
            kParams);
  EXPECT_EQ(r.exitCode, 3u);
  // The splash class is the hidden launcher class, so its lookup fails first.
  EXPECT_TRUE(contains(r.out, "ERR: could not find main class for splash properties\nsplash 0\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "ERR: did not find com/zentrovia/runtime/installer/platform/win32/Common\nplatform 0\n"));
  EXPECT_TRUE(contains(r.out, "ERR: could not get method for module name init\nmoduleName 0\n"));
  EXPECT_TRUE(contains(r.out, "ERR: could not find main class\nmain classMissing"));
  EXPECT_EQ(countOf(trace(), "\"ev\":\"findClass\",\"name\":\"com/quarn/runtime/WinLauncher\",\"found\":false"), 2);

  DeleteFileW((home_ + L"\\standin\\trace.jsonl").c_str());
  r = child("contract", {"-Dstandin.hideMethod=initAwtSplashConfig,main"}, kParams);
  EXPECT_EQ(r.exitCode, 3u);
  EXPECT_TRUE(contains(r.out, "ERR: could not find method for splash properties\nsplash 0\n"));
  EXPECT_TRUE(contains(r.out, "main methodMissing"));
}

TEST_F(Standin, ApplicationBehaviours) {
  layOut(RuntimeLayout());
  RunResult r = child("contract", {"-Dstandin.app=throw", "-Dstandin.throwMessage=disk full"}, kParams);
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(contains(r.out, "ERR: an exception occurred\nERR: java.lang.RuntimeException: disk full\nmain exception"))
      << r.out;
  EXPECT_TRUE(contains(r.err, "Exception in thread \"main\" java.lang.RuntimeException: disk full"));

  r = child("contract", {"-Dstandin.app=exit", "-Dstandin.exitCode=7"}, kParams);
  EXPECT_EQ(r.exitCode, 7u);
  EXPECT_FALSE(contains(r.out, "main returned"));

  DWORD start = GetTickCount();
  r = child("contract", {"-Dstandin.sleepMs=700"}, kParams);
  EXPECT_GE(GetTickCount() - start, 650u);

  DeleteFileW((home_ + L"\\standin\\trace.jsonl").c_str());
  r = child("contract", {"-Dstandin.nonDaemonMs=1200"}, kParams);
  ASSERT_EQ(r.exitCode, 0u);
  unsigned long waited = 0;
  const char* at = std::strstr(r.out.c_str(), "destroy 0 afterMs ");
  ASSERT_NE(at, nullptr);
  std::sscanf(at, "destroy 0 afterMs %lu", &waited);
  EXPECT_GE(waited, 900u);
  std::vector<std::string> t = trace();
  int end = -1, destroy = -1;
  for (int i = 0; i < static_cast<int>(t.size()); ++i) {
    if (contains(t[i], "\"ev\":\"nonDaemonEnd\"")) end = i;
    if (contains(t[i], "\"ev\":\"destroy\"")) destroy = i;
  }
  EXPECT_TRUE(end >= 0 && end < destroy);
}

TEST_F(Standin, WaitStdinEndsOnTheLineZeroOrTheEndOfInput) {
  layOut(RuntimeLayout());
  RunOptions lineZero;
  lineZero.input = "hello\r\n0\n";
  lineZero.closeInput = false;
  lineZero.timeoutMs = 20000;
  RunResult r = child("contract", {"-Dstandin.app=waitStdin"}, kParams, lineZero);
  EXPECT_EQ(r.exitCode, 0u);
  RunOptions eof;
  r = child("contract", {"-Dstandin.app=waitStdin"}, kParams, eof);
  EXPECT_EQ(r.exitCode, 0u);
  std::vector<std::string> t = trace();
  EXPECT_EQ(countOf(t, "\"ev\":\"stdinLine\",\"line\":\"hello\""), 1);
  EXPECT_EQ(countOf(t, "\"ev\":\"stdinStop\",\"reason\":\"line0\""), 1);
  EXPECT_EQ(countOf(t, "\"ev\":\"stdinStop\",\"reason\":\"eof\""), 1);
  RunOptions otherLine = lineZero;
  otherLine.input = "1\n";
  otherLine.timeoutMs = 3000;
  r = run(selfPath(), {L"--child", L"contract", jvmDll(), L"-Dstandin.app=waitStdin"}, otherLine);
  EXPECT_TRUE(r.timedOut);
}

TEST_F(Standin, JniSemantics) {
  layOut(RuntimeLayout());
  RunResult r = child("semantics", {"-Dstandin.sample=forty two"});
  ASSERT_EQ(r.exitCode, 0u) << r.out << r.err;
  const char* expected[] = {
      "version 0xa0000\n",
      "dotted 1\ndottedPending java.lang.NoClassDefFoundError: java.lang.String\n",
      "wrongSig 1\nwrongSigPending java.lang.NoSuchMethodError: main\n",
      "instanceAsStatic 1\n",
      "utfLength 3 6\n",
      "chars 61 e4 6587\n",
      "property forty two\n",
      "arrayLength 2 same 1\n",
      "outOfBounds java.lang.ArrayIndexOutOfBoundsException: Index 2 out of bounds for length 2\n",
      "wrongElement java.lang.ArrayStoreException: java.lang.Class\n",
      "globalAlive 3\n",
      "virtual java.lang.NullPointerException: from ThrowNew\n",
      "sameVm 1\n",
      "mainGetEnv 0 1\nbadVersion -3\n",
      "otherThread getEnv -2\notherThread attach 0\notherThread getEnvAttached 0\notherThread getEnvDetached -2\n",
      "createAgain -5\ndestroy 0\ncreateAfterDestroy -1\n",
  };
  for (const char* line : expected) EXPECT_TRUE(contains(r.out, line)) << line << "\nin:\n" << r.out;

  r = child("strictOptions", {});
  EXPECT_TRUE(contains(r.out, "strict -1\noldVersion -3\n")) << r.out;
  EXPECT_TRUE(contains(r.err, "Unrecognized option: --no-such-option"));
}

TEST_F(Standin, MisuseStopsTheProcessNamingTheFault) {
  layOut(RuntimeLayout());
  const std::pair<const char*, const char*> cases[] = {
      {"unimplemented", "unimplemented JNI function GetFieldID called"},
      {"pendingCall", "FindClass called with a pending java/lang/NoClassDefFoundError"},
      {"deletedRef", "use of a deleted reference"},
      {"familyMismatch", "CallStaticIntMethodV used for main([Ljava/lang/String;)V whose return type"},
      {"doubleRelease", "ReleaseStringUTFChars of a buffer this JVM did not hand out"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    RunResult r = child(c.first, {});
    EXPECT_EQ(r.exitCode, 134u);
    EXPECT_TRUE(contains(r.err, c.second)) << r.err;
    EXPECT_FALSE(contains(r.out, "misuse survived"));
  }
}

TEST_F(Standin, BorderExportsOfTheHostExecutableAreDriven) {
  layOut(RuntimeLayout());
  RunResult r = child("contract", {"-Dstandin.callBorderExports=true", "-Dstandin.ncHitTest=13",
                                   "-Dstandin.fullscreen=true", "-Dstandin.borderRegKey=Software\\Zvt",
                                   "-Dstandin.borderRegValue=Dark"},
                      kParams);
  ASSERT_EQ(r.exitCode, 0u) << r.out << r.err;
  EXPECT_TRUE(contains(r.out, "fake onNcHitTest 13\nfake isFullscreen 1\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "fake showWindow 8\n"));
  EXPECT_TRUE(contains(r.out, "fake registry Software\\Zvt Dark -7\n"));
  std::vector<std::string> t = trace();
  EXPECT_EQ(countOf(t, "\"ev\":\"borderExport\""), 5);
  EXPECT_EQ(countOf(t, "\"found\":false"), 0);
  EXPECT_EQ(countOf(t, "\"second\":0"), 1);
  EXPECT_EQ(countOf(t, "\"ev\":\"borderRegistry\",\"value\":42"), 1);
  EXPECT_EQ(countOf(t, "\"ev\":\"borderDone\",\"complete\":true"), 1);
  EXPECT_EQ(countOf(t, "\"liveGlobalRefs\":0"), 1);
  // The fake deletes its global reference once, on the first uninstall.
  EXPECT_EQ(countOf({r.out}, "fake uninstall"), 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--child") == 0) return runChild(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
