// The launcher's conversation with a JVM, written against jni.h alone so the
// same code runs against the runtime's jvm.dll on Windows and against
// libjvm.so in the host tests: creation, the splash configuration, the
// platform class, the module-name property, main and pending exceptions.
// Texts the JVM sees are UTF-16 code units held in std::wstring (only the low
// 16 bits of each element are used, so a 32-bit host wchar_t works too).
#pragma once

#include <jni.h>

#include <memory>
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

// The runtime helper library of the zentrovia flavour, once loaded. It stays
// loaded for the life of the process: the natives it registers live in it.
class HelperLibrary {
 public:
  virtual ~HelperLibrary() = default;
  // Whether it exports registerNatives.
  virtual bool hasRegisterNatives() const = 0;
  // Calls registerNatives with the JVM thread's environment, the library's
  // own module and the launcher's error-log function; false when it reports
  // failure.
  virtual bool registerNatives(JNIEnv* env) = 0;
};

// What the JVM thread needs from the launcher around it.
class JvmThreadHost : public ConversationLog {
 public:
  // The JVM and the JVM thread's environment, once created.
  virtual void jvmCreated(JavaVM* vm, JNIEnv* env) = 0;
  // Loads the helper library (logging what it loaded); null when it does
  // not load.
  virtual std::unique_ptr<HelperLibrary> loadHelperLibrary() = 0;
  // Main cannot be called (ClassMissing, MethodMissing, ArrayFailed or
  // StringFailed). The launcher ends the process here; if this returns,
  // the thread's body returns false.
  virtual void mainUnavailable(MainOutcome outcome) = 0;
};

// Everything the JVM thread is handed.
struct JvmLaunchRequest {
  CreateJavaVmFn create = nullptr;
  VmInitRecord* initRecord = nullptr;  // outlives the JVM
  bool zentroviaFlavour = true;
  bool configureSplash = false;  // key 108
  SplashConfig splash;
  std::wstring modulePath;  // the executable's exact Unicode path
  std::vector<std::wstring> mainParameters;
  bool destroyAfterMain = true;
};

// The launcher class whose main starts the application.
const char* launcherClassName(bool zentroviaFlavour);

// The JVM thread's body: creates the JVM, configures the splash screen,
// registers the helper library's natives (zentrovia flavour), publishes the
// module name, calls main and, when asked, destroys the JVM once main has
// returned. True when main returned without an exception; a JVM that could
// not be created or an exception that escaped main give false and leave the
// JVM as it is.
bool runJvm(const JvmLaunchRequest& request, JvmThreadHost& host);

}  // namespace zvt::jni
