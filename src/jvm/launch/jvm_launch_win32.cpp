#include "jvm/launch/jvm_launch_win32.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/handle.h"
#include "base/text.h"
#include "base/win32.h"
#include "config/accessors.h"
#include "config/keys.h"
#include "config/payload.h"
#include "jvm/launch/jni_conversation.h"
#include "jvm/launch/main_parameters.h"
#include "jvm/launch/size_value.h"
#include "jvm/launch/system_properties.h"
#include "jvm/launch/vm_options_win32.h"
#include "runtime/errors.h"
#include "runtime/expansion_win32.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"

namespace zvt {
namespace {

// Configuration texts are read into buffers of this size here.
constexpr size_t kSplashTextCapacity = kShortBufferCapacity;
constexpr size_t kApplicationArgumentsCapacity = kShortBufferCapacity;
constexpr size_t kInstallationDirectoryCapacity = 4000;

std::optional<std::string> pathVariable() {
  DWORD size = GetEnvironmentVariableA("PATH", nullptr, 0);
  if (size == 0) return std::nullopt;
  std::vector<char> buffer(size);
  DWORD n = GetEnvironmentVariableA("PATH", buffer.data(), size);
  if (n >= size) return std::nullopt;  // changed under us; not expected on the main thread
  return std::string(buffer.data(), n);
}

bool variableDefined(const wchar_t* name) {
  // A defined but empty variable still needs room for its terminator.
  return GetEnvironmentVariableW(name, nullptr, 0) > 0;
}

SystemPropertyValues systemPropertyValues() {
  const ProcessState& state = processState();
  SystemPropertyValues values;
  values.semaphoreName = state.instanceSemaphoreName;
  values.zentroviaFlavour = state.runtimeFlavour != 'e';
  values.serviceMode = state.serviceMode;
  values.modulePathAnsi = modulePathA();
  values.launcherTempDirectory = state.launcherTempDirectory;
  values.unextractedPosition = unextractedPosition();
  values.path = pathVariable();
  values.manpathDefined = variableDefined(L"MANPATH");
  values.consoleOutputCodePage = GetConsoleOutputCP();
  setLogRotation(values, config::getConfigInt(key::kLogRotateSizeKib),
                 config::getConfigIntOr(key::kLogRotateKeep, static_cast<int>(kDefaultLogRotateKeep)));
  return values;
}

// The splash texts are configuration text in the code page; NewStringUTF
// wants (modified) UTF-8, which raw code-page bytes beyond ASCII are not and
// which a JVM may read past or misread. Converted, they arrive as written.
jni::SplashGroup splashGroup(uint32_t textKey, uint32_t firstKey, uint32_t secondKey) {
  jni::SplashGroup group;
  group.text = utf16ToUtf8(toWide(config::getConfigString(textKey, kSplashTextCapacity)));
  group.first = config::getConfigInt(firstKey);
  group.second = config::getConfigInt(secondKey);
  return group;
}

jni::SplashConfig splashConfig() {
  jni::SplashConfig splash;
  splash.flag = config::getConfigInt(key::kSplashFlag2) != 0;
  splash.groups[0] = splashGroup(key::kSplashLine1Text, key::kSplashLine1TextValue1, key::kSplashLine1TextValue2);
  splash.groups[1] = splashGroup(key::kSplashLine1Colour, key::kSplashLine1ColourValue1, key::kSplashLine1ColourValue2);
  splash.groups[2] = splashGroup(key::kSplashLine2Text, key::kSplashLine2TextValue1, key::kSplashLine2TextValue2);
  splash.groups[3] = splashGroup(key::kSplashLine2Colour, key::kSplashLine2ColourValue1, key::kSplashLine2ColourValue2);
  return splash;
}

class LauncherMainHost : public MainParameterHost {
 public:
  void expand(std::wstring& text) override { expandVariables(text, false); }
  // Case kept: the Java side creates the log file under this very name.
  std::wstring fullPath(const std::wstring& path) override { return fullPathW(path, true, false); }
};

ArgumentList mainParameters(const ArgumentList& arguments) {
  MainParameterValues values;
  values.launcherKind = config::getConfigInt(key::kLauncherKind);
  values.mainClass = config::getConfigStringW(key::kMainClass);
  values.moduleMode = config::getConfigInt(key::kModuleMode) != 0;
  values.errorLogEnabled = config::getConfigInt(key::kErrorLogEnabled) != 0;
  values.errorLogFile = config::getConfigStringW(key::kErrorLogFile);
  values.outputLogEnabled = config::getConfigInt(key::kOutputLogEnabled) != 0;
  values.outputLogFile = config::getConfigStringW(key::kOutputLogFile);
  values.freshLogs = config::getConfigInt(key::kLauncherFlag106) != 0;
  values.applicationArguments = config::getConfigStringW(key::kApplicationArguments, kApplicationArgumentsCapacity);
  values.jArgumentsAreVmOptions = config::getConfigInt(key::kJArgumentsAsVmOptions) != 0;
  LauncherMainHost host;
  return buildMainParameters(values, arguments, host);
}

// <installation directory>\.zentrovia\zvtinst.dll, the directory taken
// against the launcher directory.
std::wstring helperLibraryPath() {
  std::wstring directory =
      makeAbsoluteW(config::getConfigStringW(key::kInstallationDirectory, kInstallationDirectoryCapacity));
  if (directory.empty() || directory.back() != L'\\') directory += L'\\';
  return directory + L".zentrovia\\zvtinst.dll";
}

// registerNatives(env, own module, error-log function): a plain C function
// that answers a byte, zero for failure. The error-log function takes a
// wide printf format and its arguments, as logError does.
using ErrorLogFunction = void (*)(const wchar_t* format, ...);
using RegisterNativesFunction = unsigned char (*)(JNIEnv* env, HMODULE module, ErrorLogFunction errorLog);

class LoadedHelperLibrary : public jni::HelperLibrary {
 public:
  LoadedHelperLibrary(HMODULE module, RegisterNativesFunction registerNatives)
      : module_(module), registerNatives_(registerNatives) {}
  // The library is never freed: the natives it registers live in it.
  bool hasRegisterNatives() const override { return registerNatives_ != nullptr; }
  bool registerNatives(JNIEnv* env) override { return registerNatives_(env, module_, &logError) != 0; }

 private:
  HMODULE module_;
  RegisterNativesFunction registerNatives_;
};

// The class as Java names it ("com.example.Main"), for the user's message.
std::wstring javaClassName(const char* jniName) {
  std::wstring name = widenBytes(jniName);
  for (wchar_t& c : name) {
    if (c == L'/') c = L'.';
  }
  return name;
}

class LauncherJvmThreadHost : public jni::JvmThreadHost {
 public:
  explicit LauncherJvmThreadHost(bool zentroviaFlavour) : zentroviaFlavour_(zentroviaFlavour) {}

  void line(const std::string& text) override { logLine(L"%ls", utf8ToUtf16(text).c_str()); }
  void error(const std::string& text) override { logError(L"%ls", utf8ToUtf16(text).c_str()); }

  // Nothing in the launcher uses the JVM outside the conversation.
  void jvmCreated(JavaVM*, JNIEnv*) override {}

  std::unique_ptr<jni::HelperLibrary> loadHelperLibrary() override {
    std::wstring path = helperLibraryPath();
    HMODULE module = LoadLibraryW(path.c_str());
    logLine(L"helper dll %p %ls", static_cast<void*>(module), path.c_str());
    if (module == nullptr) {
      // Its absence is a normal set-up; a library that is there and still
      // does not load leaves the application without its natives.
      const DWORD error = GetLastError();
      if (fileExists(path))
        logError(L"could not load helper dll %ls (error %d)", path.c_str(), static_cast<int>(error));
      return nullptr;
    }
    auto registerNatives =
        reinterpret_cast<RegisterNativesFunction>(reinterpret_cast<void*>(GetProcAddress(module, "registerNatives")));
    return std::make_unique<LoadedHelperLibrary>(module, registerNatives);
  }

  [[noreturn]] void mainUnavailable(jni::MainOutcome outcome) override {
    switch (outcome) {
      case jni::MainOutcome::ClassMissing: {
        // The launcher class is what failed to load: the runtime jar is not
        // on the class path. Its name tells the user which jar to look for.
        const std::wstring name = javaClassName(jni::launcherClassName(zentroviaFlavour_));
        fatalMessageW(msg::kMainClassNotLoaded, &name);
      }
      case jni::MainOutcome::MethodMissing:
        fatalMessageW(msg::kMainMethodNotFound);
      case jni::MainOutcome::ArrayFailed:
        fatalMessage(msg::kInternalError, "JavaVMLauncher paramArray");
      default:
        fatalMessage(msg::kInternalError, "JavaVMLauncher jstr");
    }
  }

 private:
  bool zentroviaFlavour_;
};

DWORD WINAPI jvmThread(LPVOID param) {
  const jni::JvmLaunchRequest& request = *static_cast<jni::JvmLaunchRequest*>(param);
  LauncherJvmThreadHost host(request.zentroviaFlavour);
  return jni::runJvm(request, host) ? 1 : 0;
}

}  // namespace

LaunchPlan planLaunch(const ArgumentList& arguments) {
  LaunchPlan plan;
  plan.options = launcherVmOptions(buildSystemProperties(systemPropertyValues()), arguments);
  plan.mainParameters = mainParameters(arguments);
  return plan;
}

bool launchProgram(const ArgumentList& arguments, bool destroyAfterMain) {
  logLine(L"launching program");
  LaunchPlan plan = planLaunch(arguments);
  // The record lives as long as the JVM, which may outlive this call (an
  // exception from main leaves it running until the process ends).
  VmInitRecord* record = new VmInitRecord(std::move(plan.options));

  const ProcessState& state = processState();
  jni::JvmLaunchRequest request;
  request.create = reinterpret_cast<jni::CreateJavaVmFn>(state.jvm.createJavaVM);
  request.initRecord = record;
  request.zentroviaFlavour = state.runtimeFlavour != 'e';
  request.configureSplash = config::getConfigInt(key::kSplashConfig) != 0;
  if (request.configureSplash) request.splash = splashConfig();
  request.modulePath = modulePathW();
  request.mainParameters = std::move(plan.mainParameters);
  request.destroyAfterMain = destroyAfterMain;

  uint32_t stack = jvmThreadStackSize(record->options());
  logLine(L"used stack size %d", static_cast<int>(stack));
  UniqueHandle thread(CreateThread(nullptr, stack, jvmThread, &request, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  if (!thread) return jvmThread(&request) != 0;
  WaitForSingleObject(thread.get(), INFINITE);
  DWORD exitCode = 0;
  GetExitCodeThread(thread.get(), &exitCode);
  return exitCode != 0;
}

}  // namespace zvt
