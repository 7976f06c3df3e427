// The launcher's conversation with a JVM, written against jni.h alone so the
// same code runs against the runtime's jvm.dll on Windows and against
// libjvm.so in the host tests: creation, the splash configuration, the
// platform class, the module-name property, main and pending exceptions.
// Texts the JVM sees are UTF-16 code units held in std::wstring (only the low
// 16 bits of each element are used, so a 32-bit host wchar_t works too).
#pragma once

#include <jni.h>

#include <string>
#include <vector>

#include "jvm/launch/vm_init_record.h"

namespace zvt::jni {

// Where the conversation reports: `line` for the diagnostic log, `error`
// for the error log. Texts are UTF-8.
class ConversationLog {
 public:
  virtual ~ConversationLog() = default;
  virtual void line(const std::string& text) = 0;
  virtual void error(const std::string& text) = 0;
};

using CreateJavaVmFn = jint(JNICALL*)(JavaVM** vm, void** env, void* args);

struct CreatedVm {
  jint result = JNI_ERR;
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
};

// Creates the JVM with `record` (JNI 1.2, options in list order,
// unrecognised options ignored), which the launcher keeps for the JVM's
// life: a JVM may hold on to its option strings. A zero result that hands
// out no JVM or no environment counts as JNI_ERR.
CreatedVm createJavaVm(CreateJavaVmFn create, VmInitRecord& record);
// The same with a record that lives for the call only, for JVMs that are
// done with their options once created.
CreatedVm createJavaVm(CreateJavaVmFn create, const std::vector<std::string>& options);

// One text and two numbers; the splash call takes four such groups.
struct SplashGroup {
  std::string text;  // modified UTF-8 (plain ASCII in practice)
  jint first = 0;
  jint second = 0;
};
struct SplashConfig {
  bool flag = false;  // the second boolean; the first is always true
  SplashGroup groups[4];
};

constexpr const char* kSplashClass = "com/quarn/runtime/WinLauncher";
constexpr const char* kSplashMethod = "initAwtSplashConfig";
constexpr const char* kSplashSignature =
    "(ZZLjava/lang/String;IILjava/lang/String;IILjava/lang/String;IILjava/lang/String;II)V";
constexpr const char* kPlatformClass = "com/zentrovia/runtime/installer/platform/win32/Common";
constexpr const char* kZentroviaLauncherClass = "com/zentrovia/runtime/launcher/WinLauncher";
constexpr const char* kQuarnLauncherClass = "com/quarn/runtime/WinLauncher";

// Each returns whether its Java call was made; a failed lookup or string
// creation is logged and its pending exception cleared, and an exception the
// Java method throws is reported like reportPendingException(describe =
// false), so the launch goes on with nothing pending.
bool configureSplash(JNIEnv* env, const SplashConfig& config, ConversationLog& log);
bool callInitFromLauncher(JNIEnv* env, bool value, ConversationLog& log);
bool setModuleNameProperty(JNIEnv* env, const std::wstring& modulePath, ConversationLog& log);

enum class MainOutcome {
  Returned,          // main returned normally
  ExceptionEscaped,  // reported through reportPendingException
  ClassMissing,      // the caller ends the process (message 1010)
  MethodMissing,     // the caller ends the process (message 1011)
  ArrayFailed,       // "paramArray" internal error
  StringFailed,      // "jstr" internal error
};

// `launcherClass` may use dots or slashes.
MainOutcome invokeMain(JNIEnv* env, const std::string& launcherClass, const std::vector<std::wstring>& params,
                       ConversationLog& log);

// True when no exception is pending. Otherwise logs it, lets the JVM print
// it when `describe` is set, clears it and logs its toString() text.
bool reportPendingException(JNIEnv* env, bool describe, ConversationLog& log);

}  // namespace zvt::jni
