// The launcher's side of the JNI conversation against a scripted function
// table: what reaches Java, in which order, and that every failure leaves
// nothing pending, no reference behind and no JNI rule broken.
#include "jvm/launch/jni_conversation.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "scripted_jni.h"

namespace zvt::jni {
namespace {

using test::ScriptedJni;

class RecordingLog : public ConversationLog {
 public:
  void line(const std::string& text) override { lines.push_back(text); }
  void error(const std::string& text) override { errors.push_back(text); }
  std::vector<std::string> lines;
  std::vector<std::string> errors;
};

std::wstring units(std::initializer_list<unsigned> list) {
  std::wstring out;
  for (unsigned u : list) out.push_back(static_cast<wchar_t>(u));
  return out;
}

const char* const kSplashRun = "run com/quarn/runtime/WinLauncher.initAwtSplashConfig(";
const char* const kQuarnLauncher = "com/quarn/runtime/WinLauncher";

// Every test ends with the rules of JNI kept: whatever went wrong, the
// conversation breaks none of them and leaves no exception pending.
class JniConversation : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(std::vector<std::string>{}, jni.misuse());
    EXPECT_FALSE(jni.exceptionPending());
    EXPECT_EQ(0u, jni.heldCharacters());
  }

  SplashConfig splash() const {
    SplashConfig config;
    config.flag = false;
    const char* texts[] = {"first", "0,0,0", "third", "255,255,255"};
    for (int i = 0; i < 4; ++i) {
      config.groups[i].text = texts[i];
      config.groups[i].first = 10 * (i + 1) + 1;
      config.groups[i].second = 10 * (i + 1) + 2;
    }
    return config;
  }

  ScriptedJni jni;
  RecordingLog log;
};

TEST_F(JniConversation, CreationHandsOverOptionsInOrderAsJni12IgnoringUnknownOnes) {
  CreatedVm created = createJavaVm(&ScriptedJni::createJavaVm, {"-Xmx64m", "", "-Dquarn.moduleName=C:\\a b"});
  EXPECT_EQ(JNI_OK, created.result);
  EXPECT_EQ(jni.env(), created.env);
  EXPECT_NE(nullptr, created.vm);
  ASSERT_EQ(1u, jni.creates().size());
  const ScriptedJni::CreateRecord& record = jni.creates()[0];
  EXPECT_EQ(JNI_VERSION_1_2, record.version);
  EXPECT_TRUE(record.ignoreUnrecognized);
  EXPECT_EQ((std::vector<std::string>{"-Xmx64m", "", "-Dquarn.moduleName=C:\\a b"}), record.options);

  createJavaVm(&ScriptedJni::createJavaVm, {});
  EXPECT_TRUE(jni.creates()[1].options.empty());
}

TEST_F(JniConversation, CreationWithTheLaunchersRecordHandsOverThatRecord) {
  // The launcher's record outlives the JVM; the JVM must get that very
  // record, not a copy made for the call.
  VmInitRecord record(std::vector<std::string>{"-Xrs", "-Djava.class.path=C:\\a.jar"});
  EXPECT_EQ(JNI_OK, createJavaVm(&ScriptedJni::createJavaVm, record).result);
  ASSERT_EQ(1u, jni.creates().size());
  EXPECT_EQ(record.args(), jni.creates()[0].args);
  EXPECT_EQ(record.options(), jni.creates()[0].options);
}

TEST_F(JniConversation, CreationFailuresReachTheCaller) {
  jni.createResult(JNI_ENOMEM);
  EXPECT_EQ(JNI_ENOMEM, createJavaVm(&ScriptedJni::createJavaVm, {"-Xmx1g"}).result);
  // Success without an environment cannot be used: it is a failure.
  jni.createResult(JNI_OK, false);
  EXPECT_EQ(JNI_ERR, createJavaVm(&ScriptedJni::createJavaVm, {}).result);
}

TEST_F(JniConversation, SplashGetsItsArgumentsInOrderAndReleasesTheStrings) {
  EXPECT_TRUE(configureSplash(jni.env(), splash(), log));
  EXPECT_TRUE(jni.called(std::string(kSplashRun) +
                         "true,false,\"first\",11,12,\"0,0,0\",21,22,\"third\",31,32,\"255,255,255\",41,42)"));
  EXPECT_EQ(0u, jni.liveLocalRefs());
  EXPECT_TRUE(log.errors.empty());

  SplashConfig flagged = splash();
  flagged.flag = true;
  EXPECT_TRUE(configureSplash(jni.env(), flagged, log));
  EXPECT_EQ(1u, jni.countOf(std::string(kSplashRun) + "true,true,"));
}

TEST_F(JniConversation, SplashLookupFailuresAreLoggedAndCleared) {
  jni.removeMethod(kQuarnLauncher, "initAwtSplashConfig");
  EXPECT_FALSE(configureSplash(jni.env(), splash(), log));
  EXPECT_EQ(std::vector<std::string>{"could not find method for splash properties"}, log.errors);
  EXPECT_EQ(0u, jni.liveLocalRefs());

  jni.removeClass(kQuarnLauncher);
  EXPECT_FALSE(configureSplash(jni.env(), splash(), log));
  EXPECT_EQ("could not find main class for splash properties", log.errors.back());
  EXPECT_EQ(0u, jni.countOf(kSplashRun));
  EXPECT_EQ(0u, jni.countOf("NewStringUTF"));
}

TEST_F(JniConversation, SplashStringThatCannotBeCreatedSkipsTheCall) {
  for (int failing : {1, 3, 4}) {
    ScriptedJni world;
    RecordingLog errors;
    world.failStringCreation(failing);
    EXPECT_FALSE(configureSplash(world.env(), splash(), errors)) << failing;
    EXPECT_EQ(std::vector<std::string>{"could not create string for splash properties"}, errors.errors);
    // No string after the failed one, no call, nothing left over.
    EXPECT_EQ(static_cast<size_t>(failing), world.countOf("NewStringUTF")) << failing;
    EXPECT_EQ(0u, world.countOf(kSplashRun)) << failing;
    EXPECT_EQ(0u, world.liveLocalRefs()) << failing;
    EXPECT_EQ(std::vector<std::string>{}, world.misuse()) << failing;
    EXPECT_FALSE(world.exceptionPending()) << failing;
  }
}

TEST_F(JniConversation, ExceptionsThrownBeforeMainAreReportedAndCleared) {
  jni.throwFrom("com/quarn/runtime/WinLauncher.initAwtSplashConfig", L"java.lang.IllegalStateException: no AWT");
  EXPECT_TRUE(configureSplash(jni.env(), splash(), log));
  EXPECT_EQ((std::vector<std::string>{"an exception occurred", "java.lang.IllegalStateException: no AWT"}), log.errors);

  jni.throwFrom("com/zentrovia/runtime/installer/platform/win32/Common.initFromLauncher", L"init failed");
  EXPECT_TRUE(callInitFromLauncher(jni.env(), true, log));
  EXPECT_EQ("init failed", log.errors.back());

  jni.throwFrom("java/lang/System.setProperty", L"java.lang.SecurityException: denied");
  EXPECT_TRUE(setModuleNameProperty(jni.env(), L"C:\\app\\my.exe", log));
  EXPECT_EQ("java.lang.SecurityException: denied", log.errors.back());
  // Reported to the log only: the JVM prints nothing for these.
  EXPECT_TRUE(jni.described().empty());
  EXPECT_EQ(0u, jni.liveLocalRefs());
}

TEST_F(JniConversation, PlatformClassGetsTheFlagAndItsFailuresAreLogged) {
  EXPECT_TRUE(callInitFromLauncher(jni.env(), true, log));
  EXPECT_TRUE(callInitFromLauncher(jni.env(), false, log));
  EXPECT_TRUE(jni.called("run com/zentrovia/runtime/installer/platform/win32/Common.initFromLauncher(true)"));
  EXPECT_TRUE(jni.called("run com/zentrovia/runtime/installer/platform/win32/Common.initFromLauncher(false)"));
  EXPECT_EQ(0u, jni.liveLocalRefs());

  jni.removeMethod("com/zentrovia/runtime/installer/platform/win32/Common", "initFromLauncher");
  EXPECT_FALSE(callInitFromLauncher(jni.env(), true, log));
  EXPECT_EQ("did not find initMethod", log.errors.back());
  jni.removeClass("com/zentrovia/runtime/installer/platform/win32/Common");
  EXPECT_FALSE(callInitFromLauncher(jni.env(), true, log));
  EXPECT_EQ("did not find com/zentrovia/runtime/installer/platform/win32/Common", log.errors.back());
  EXPECT_EQ(0u, jni.liveLocalRefs());
}

TEST_F(JniConversation, ModuleNameIsTheExactUtf16Path) {
  // A supplementary character and an unpaired surrogate reach Java unit for
  // unit; only the log line, which is UTF-8, replaces the unpaired one.
  const std::wstring path = L"C:\\Z\u00fcrich\\" + units({0xD83D, 0xDE00, 0xDC00}) + L"\\app.exe";
  EXPECT_TRUE(setModuleNameProperty(jni.env(), path, log));
  ASSERT_EQ(1u, jni.properties().count("quarn.moduleName"));
  EXPECT_EQ(path, jni.properties().at("quarn.moduleName"));
  EXPECT_EQ(
      std::vector<std::string>{"setting quarn.moduleName to C:\\Z\xC3\xBCrich\\\xF0\x9F\x98\x80\xEF\xBF\xBD\\app.exe"},
      log.lines);

  // Set again: the previous value the call returns is released too.
  EXPECT_TRUE(setModuleNameProperty(jni.env(), L"", log));
  EXPECT_EQ(L"", jni.properties().at("quarn.moduleName"));
  EXPECT_EQ(0u, jni.liveLocalRefs());
}

TEST_F(JniConversation, ModuleNameFailuresAreLoggedAndLeaveNothingBehind) {
  struct Case {
    const char* name;
    void (*script)(ScriptedJni&);
    const char* error;
  } cases[] = {
      {"no System", [](ScriptedJni& j) { j.removeClass("java/lang/System"); }, "could not get system class"},
      {"no setProperty", [](ScriptedJni& j) { j.removeMethod("java/lang/System", "setProperty"); },
       "could not get method for module name init"},
      {"value string", [](ScriptedJni& j) { j.failStringCreation(1); }, "could not create string for init module name"},
      {"name string", [](ScriptedJni& j) { j.failStringCreation(2); }, "could not create string for init module name"},
  };
  for (const Case& c : cases) {
    ScriptedJni world;
    RecordingLog errors;
    c.script(world);
    EXPECT_FALSE(setModuleNameProperty(world.env(), L"C:\\app.exe", errors)) << c.name;
    EXPECT_EQ(std::vector<std::string>{c.error}, errors.errors) << c.name;
    EXPECT_TRUE(world.properties().empty()) << c.name;
    EXPECT_EQ(0u, world.liveLocalRefs()) << c.name;
    EXPECT_EQ(std::vector<std::string>{}, world.misuse()) << c.name;
    EXPECT_FALSE(world.exceptionPending()) << c.name;
  }
}

TEST_F(JniConversation, MainGetsEveryParameterInOrder) {
  const std::vector<std::wstring> params = {L"true", L"/com.example.Main", L"", L"Z\u00fcrich \u6587",
                                            units({0xD83D, 0xDE00})};
  EXPECT_EQ(MainOutcome::Returned, invokeMain(jni.env(), "com.quarn.runtime.WinLauncher", params, log));
  EXPECT_TRUE(jni.called("FindClass com/quarn/runtime/WinLauncher"));
  EXPECT_EQ(params, jni.mainArguments());
  EXPECT_EQ((std::vector<std::string>{"main class: com/quarn/runtime/WinLauncher", "param count: 5", "param 0: true",
                                      "param 1: /com.example.Main", "param 2: ", "param 3: Z\xC3\xBCrich \xE6\x96\x87",
                                      "param 4: \xF0\x9F\x98\x80", "calling main", "main returned"}),
            log.lines);
  EXPECT_TRUE(log.errors.empty());
  EXPECT_TRUE(jni.described().empty());
}

TEST_F(JniConversation, MainWithoutParametersGetsAnEmptyArray) {
  EXPECT_EQ(MainOutcome::Returned, invokeMain(jni.env(), "com/zentrovia/runtime/launcher/WinLauncher", {}, log));
  EXPECT_TRUE(jni.called("NewObjectArray 0"));
  EXPECT_TRUE(jni.called("run com/zentrovia/runtime/launcher/WinLauncher.main(String[0])"));
}

TEST_F(JniConversation, MissingLauncherClassOrMainEndsTheLaunch) {
  {
    ScriptedJni world;
    RecordingLog errors;
    world.removeClass(kQuarnLauncher);
    EXPECT_EQ(MainOutcome::ClassMissing, invokeMain(world.env(), kQuarnLauncher, {L"a"}, errors));
    EXPECT_EQ(std::vector<std::string>{"could not find main class"}, errors.errors);
  }
  {
    ScriptedJni world;
    RecordingLog errors;
    world.removeMethod(kQuarnLauncher, "main");
    EXPECT_EQ(MainOutcome::MethodMissing, invokeMain(world.env(), kQuarnLauncher, {L"a"}, errors));
    EXPECT_EQ(std::vector<std::string>{"could not find main method"}, errors.errors);
    EXPECT_EQ(0u, world.countOf("NewObjectArray"));
  }
}

TEST_F(JniConversation, ParameterArrayFailuresStopBeforeMain) {
  struct Case {
    const char* name;
    void (*script)(ScriptedJni&);
    MainOutcome outcome;
  } cases[] = {
      {"array", [](ScriptedJni& j) { j.failArrayCreation(); }, MainOutcome::ArrayFailed},
      {"String class", [](ScriptedJni& j) { j.removeClass("java/lang/String"); }, MainOutcome::ArrayFailed},
      {"first string", [](ScriptedJni& j) { j.failStringCreation(1); }, MainOutcome::StringFailed},
      {"last string", [](ScriptedJni& j) { j.failStringCreation(3); }, MainOutcome::StringFailed},
  };
  for (const Case& c : cases) {
    ScriptedJni world;
    RecordingLog errors;
    c.script(world);
    EXPECT_EQ(c.outcome, invokeMain(world.env(), kQuarnLauncher, {L"a", L"b", L"c"}, errors)) << c.name;
    EXPECT_EQ(0u, world.countOf("run ")) << c.name;
    // The launcher ends the process next; the pending exception may stay,
    // but no JNI call may have been made while it was pending.
    EXPECT_EQ(std::vector<std::string>{}, world.misuse()) << c.name;
  }
}

TEST_F(JniConversation, ExceptionEscapingMainIsDescribedAndReported) {
  jni.throwFrom("com/quarn/runtime/WinLauncher.main", L"java.lang.IllegalStateException: bad \u00e4");
  EXPECT_EQ(MainOutcome::ExceptionEscaped, invokeMain(jni.env(), kQuarnLauncher, {L"x"}, log));
  EXPECT_EQ(std::vector<std::wstring>{L"java.lang.IllegalStateException: bad \u00e4"}, jni.described());
  EXPECT_EQ((std::vector<std::string>{"an exception occurred", "java.lang.IllegalStateException: bad \xC3\xA4"}),
            log.errors);
  EXPECT_EQ("main returned", log.lines.back());
}

TEST_F(JniConversation, NoPendingExceptionReportsNothing) {
  EXPECT_TRUE(reportPendingException(jni.env(), true, log));
  EXPECT_EQ(std::vector<std::string>{"ExceptionOccurred"}, jni.calls());
  EXPECT_TRUE(log.errors.empty());
}

TEST_F(JniConversation, PendingExceptionTextIsLoggedAndTheExceptionCleared) {
  jni.raise("java/lang/IllegalStateException", L"java.lang.IllegalStateException: " + units({0x6587, 0xD800}));
  EXPECT_FALSE(reportPendingException(jni.env(), false, log));
  EXPECT_EQ(
      (std::vector<std::string>{"an exception occurred", "java.lang.IllegalStateException: \xE6\x96\x87\xEF\xBF\xBD"}),
      log.errors);
  EXPECT_TRUE(jni.described().empty());
  EXPECT_EQ(0u, jni.liveLocalRefs());

  jni.raise("java/lang/IllegalStateException", L"again");
  EXPECT_FALSE(reportPendingException(jni.env(), true, log));
  EXPECT_EQ(std::vector<std::wstring>{L"again"}, jni.described());
  EXPECT_EQ("again", log.errors.back());
}

TEST_F(JniConversation, ExceptionTextThatCannotBeHadIsLeftOut) {
  struct Case {
    const char* name;
    void (*script)(ScriptedJni&);
  } cases[] = {
      {"toString throws", [](ScriptedJni& j) { j.exceptionToString(ScriptedJni::ToString::Throws); }},
      {"toString gives null", [](ScriptedJni& j) { j.exceptionToString(ScriptedJni::ToString::Null); }},
      {"no toString", [](ScriptedJni& j) { j.exceptionToString(ScriptedJni::ToString::Missing); }},
      {"no characters", [](ScriptedJni& j) { j.failStringChars(); }},
  };
  for (const Case& c : cases) {
    ScriptedJni world;
    RecordingLog errors;
    c.script(world);
    world.raise("java/lang/IllegalStateException", L"text");
    EXPECT_FALSE(reportPendingException(world.env(), true, errors)) << c.name;
    EXPECT_EQ(std::vector<std::string>{"an exception occurred"}, errors.errors) << c.name;
    EXPECT_FALSE(world.exceptionPending()) << c.name;
    EXPECT_EQ(0u, world.liveLocalRefs()) << c.name;
    EXPECT_EQ(0u, world.heldCharacters()) << c.name;
    EXPECT_EQ(std::vector<std::string>{}, world.misuse()) << c.name;
  }
}

// The fake's rule checks are what the tests above rely on: they must see a
// call made with an exception pending, a reference used after deletion and
// characters released twice.
TEST(ScriptedJni, NotesBreachesOfTheJniRules) {
  ScriptedJni jni;
  JNIEnv* env = jni.env();
  jni.raise("java/lang/IllegalStateException", L"pending");
  env->FindClass("java/lang/String");
  ASSERT_EQ(1u, jni.misuse().size());
  EXPECT_EQ("FindClass called while java/lang/IllegalStateException is pending", jni.misuse()[0]);
  env->ExceptionClear();

  jclass cls = env->FindClass("java/lang/String");
  ASSERT_NE(nullptr, cls);
  env->DeleteLocalRef(cls);
  env->NewObjectArray(1, cls, nullptr);
  EXPECT_EQ("NewObjectArray: deleted reference", jni.misuse().back());

  jstring text = env->NewStringUTF("abc");
  const jchar* chars = env->GetStringChars(text, nullptr);
  env->ReleaseStringChars(text, chars);
  env->ReleaseStringChars(text, chars);
  EXPECT_EQ("ReleaseStringChars: characters that were not handed out", jni.misuse().back());
  EXPECT_EQ(3u, jni.misuse().size());
}

}  // namespace
}  // namespace zvt::jni
