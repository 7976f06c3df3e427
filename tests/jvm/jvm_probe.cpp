// One JVM per process: a JVM cannot be created again after it was destroyed,
// so each test case runs this probe, which does what the launcher's JVM
// launch does, with the launcher's own platform-free code, against the real
// libjvm.so: it builds the launcher's system properties, takes the JVM
// thread's stack from the last valid "-Xss", builds main's parameters from
// configuration values, and runs runJvm (the JVM thread's body) on a thread
// of that stack size. Only the thread itself and the helper library are the
// probe's own (a POSIX thread instead of CreateThread, a helper that
// registers a native method through the JVM thread's environment).
//
//   jvm_probe <libjvm.so> [probe:flags...] [vm options...] -- [program arguments...]
//
// Flags: probe:quarn (quarn flavour; zentrovia otherwise), probe:service,
// probe:splash (key 108), probe:helper=none|registers|fails|noexport,
// probe:keep-jvm (no DestroyJavaVM), probe:main=<class>, probe:module-mode,
// probe:kind=<n>, probe:err=<file>, probe:out=<file>, probe:fresh,
// probe:app-args=<text>, probe:j-options (key 125), probe:params-as-given,
// probe:rotate=<KiB>,<files kept> (the log rotation settings)
// (the program arguments are main's parameters as they stand).
//
// Output lines: "LOG: text" and "ERR: text" from the conversation,
// "property <option>" for each system property, "stack N" (the JVM thread's
// stack as the system reports it), "created", "destroyWaitedMs N",
// "unavailable N", "result N". Exit code: 0 after a launch that returned
// true, 1 after false (the launcher's fatal exit), 3 when main cannot be
// called, or whatever the application passed to System.exit.
#include <dlfcn.h>
#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "jvm/launch/jni_conversation.h"
#include "jvm/launch/main_parameters.h"
#include "jvm/launch/size_value.h"
#include "jvm/launch/system_properties.h"

namespace {

using zvt::jni::HelperLibrary;
using zvt::jni::JvmLaunchRequest;
using zvt::jni::MainOutcome;

// The executable's path as the launcher would know it: the exact Unicode
// form, and the ANSI-safe narrow form the "-D" option carries.
const wchar_t* const kModulePath = L"C:\\Program Files\\\u0394\u03b9\u03ba\u03cc Z\u00fcrich \u6587\\app.exe";
const char* const kModulePathAnsi = "C:\\PROGRA~1\\ZRICH~1\\app.exe";

std::string flagValue(const std::string& argument, const char* name) {
  std::string prefix = std::string("probe:") + name + "=";
  return argument.compare(0, prefix.size(), prefix) == 0 ? argument.substr(prefix.size()) : std::string();
}

struct ProbeSettings {
  bool zentrovia = true;
  bool service = false;
  std::string helper = "none";
  bool paramsAsGiven = false;
  zvt::MainParameterValues values;
  std::vector<std::string> vmOptions;
  zvt::ArgumentList programArguments;
  bool splash = false;
  bool destroy = true;
  int rotateKib = 0;
  int rotateKeep = 0;
};

bool parse(int argc, char** argv, ProbeSettings& s) {
  bool inArguments = false;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    if (inArguments) {
      s.programArguments.push_back(zvt::utf8ToUtf16(a));
    } else if (a == "--") {
      inArguments = true;
    } else if (a.compare(0, 6, "probe:") != 0) {
      s.vmOptions.push_back(a);
    } else if (a == "probe:quarn") {
      s.zentrovia = false;
    } else if (a == "probe:service") {
      s.service = true;
    } else if (a == "probe:splash") {
      s.splash = true;
    } else if (a == "probe:keep-jvm") {
      s.destroy = false;
    } else if (a == "probe:module-mode") {
      s.values.moduleMode = true;
    } else if (a == "probe:fresh") {
      s.values.freshLogs = true;
    } else if (a == "probe:j-options") {
      s.values.jArgumentsAreVmOptions = true;
    } else if (a == "probe:params-as-given") {
      s.paramsAsGiven = true;
    } else if (!flagValue(a, "helper").empty()) {
      s.helper = flagValue(a, "helper");
    } else if (!flagValue(a, "main").empty()) {
      s.values.mainClass = zvt::utf8ToUtf16(flagValue(a, "main"));
    } else if (!flagValue(a, "kind").empty()) {
      s.values.launcherKind = std::atoi(flagValue(a, "kind").c_str());
    } else if (!flagValue(a, "err").empty()) {
      s.values.errorLogEnabled = true;
      s.values.errorLogFile = zvt::utf8ToUtf16(flagValue(a, "err"));
    } else if (!flagValue(a, "out").empty()) {
      s.values.outputLogEnabled = true;
      s.values.outputLogFile = zvt::utf8ToUtf16(flagValue(a, "out"));
    } else if (!flagValue(a, "rotate").empty()) {
      const std::string value = flagValue(a, "rotate");
      s.rotateKib = std::atoi(value.c_str());
      s.rotateKeep = std::atoi(value.c_str() + value.find(',') + 1);
    } else if (!flagValue(a, "app-args").empty()) {
      s.values.applicationArguments = zvt::utf8ToUtf16(flagValue(a, "app-args"));
    } else {
      std::fprintf(stderr, "unknown probe flag %s\n", a.c_str());
      return false;
    }
  }
  return true;
}

// Names are Unix paths here: expansion takes ${NAME} from the environment,
// a relative name is made absolute against the working directory.
class PosixMainHost : public zvt::MainParameterHost {
 public:
  void expand(std::wstring& text) override {
    for (size_t at = text.find(L"${"); at != std::wstring::npos; at = text.find(L"${", at + 1)) {
      size_t end = text.find(L'}', at);
      if (end == std::wstring::npos) break;
      const char* value = std::getenv(zvt::utf16ToUtf8(text.substr(at + 2, end - at - 2)).c_str());
      if (value != nullptr) text.replace(at, end + 1 - at, zvt::utf8ToUtf16(value));
    }
  }
  std::wstring fullPath(const std::wstring& path) override {
    if (!path.empty() && path[0] == L'/') return path;
    char cwd[4096];
    return zvt::utf8ToUtf16(getcwd(cwd, sizeof cwd) ? cwd : "") + L"/" + path;
  }
};

// Registers zvt.testapp.HelperNatives.fromHelper() when the test class is
// there, the way the runtime's helper library gives the platform class its
// natives.
jstring JNICALL fromHelper(JNIEnv* env, jclass) {
  return env->NewStringUTF("registered by the helper");
}

class ProbeHelper : public HelperLibrary {
 public:
  explicit ProbeHelper(const std::string& mode) : mode_(mode) {}
  bool hasRegisterNatives() const override { return mode_ != "noexport"; }
  bool registerNatives(JNIEnv* env) override {
    std::printf("registerNatives\n");
    if (mode_ == "fails") return false;
    jclass cls = env->FindClass("zvt/testapp/HelperNatives");
    if (cls == nullptr) {
      env->ExceptionClear();
      return false;
    }
    JNINativeMethod method = {const_cast<char*>("fromHelper"), const_cast<char*>("()Ljava/lang/String;"),
                              reinterpret_cast<void*>(&fromHelper)};
    bool registered = env->RegisterNatives(cls, &method, 1) == 0;
    env->DeleteLocalRef(cls);
    return registered;
  }

 private:
  std::string mode_;
};

class ProbeHost : public zvt::jni::JvmThreadHost {
 public:
  explicit ProbeHost(std::string helper) : helper_(std::move(helper)) {}
  void line(const std::string& text) override {
    std::printf("LOG: %s\n", text.c_str());
    if (text == "dest JVM") destroyStart_ = std::chrono::steady_clock::now();
    if (text == "launch done" && destroyStart_) {
      auto ms =
          std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - *destroyStart_);
      std::printf("destroyWaitedMs %lld\n", static_cast<long long>(ms.count()));
    }
  }
  void error(const std::string& text) override { std::printf("ERR: %s\n", text.c_str()); }
  void jvmCreated(JavaVM*, JNIEnv*) override { std::printf("created\n"); }
  std::unique_ptr<HelperLibrary> loadHelperLibrary() override {
    std::printf("helper %s\n", helper_.c_str());
    if (helper_ == "none") return nullptr;
    return std::make_unique<ProbeHelper>(helper_);
  }
  void mainUnavailable(MainOutcome outcome) override {
    std::printf("unavailable %d\n", static_cast<int>(outcome));
    std::fflush(stdout);
    // The launcher's fatal exit ends the process from the JVM thread too.
    std::_Exit(3);
  }

 private:
  std::string helper_;
  std::optional<std::chrono::steady_clock::time_point> destroyStart_;
};

struct ThreadWork {
  JvmLaunchRequest* request;
  ProbeHost* host;
  bool result = false;
};

void* jvmThread(void* param) {
  auto* work = static_cast<ThreadWork*>(param);
  pthread_attr_t attr;
  size_t stack = 0;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    pthread_attr_getstacksize(&attr, &stack);
    pthread_attr_destroy(&attr);
  }
  std::printf("stack %zu\n", stack);
  work->result = zvt::jni::runJvm(*work->request, *work->host);
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  ProbeSettings settings;
  if (argc < 2 || !parse(argc, argv, settings)) {
    std::fprintf(stderr, "usage: jvm_probe <libjvm.so> [probe:flags] [options] -- [program arguments]\n");
    return 64;
  }
  void* lib = dlopen(argv[1], RTLD_NOW | RTLD_GLOBAL);
  if (lib == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
    return 65;
  }
  auto create = reinterpret_cast<zvt::jni::CreateJavaVmFn>(dlsym(lib, "JNI_CreateJavaVM"));
  if (create == nullptr) return 66;

  zvt::SystemPropertyValues values;
  values.semaphoreName = "Local\\probe0";
  values.zentroviaFlavour = settings.zentrovia;
  values.serviceMode = settings.service;
  values.modulePathAnsi = kModulePathAnsi;
  values.launcherTempDirectory = "/tmp/probe";
  if (const char* path = std::getenv("PATH")) values.path = path;
  values.manpathDefined = std::getenv("MANPATH") != nullptr;
  values.consoleOutputCodePage = 65001;
  zvt::setLogRotation(values, settings.rotateKib, settings.rotateKeep);
  std::vector<std::string> options = zvt::buildSystemProperties(values);
  for (const std::string& option : options) std::printf("property %s\n", option.c_str());
  options.insert(options.end(), settings.vmOptions.begin(), settings.vmOptions.end());

  // The record lives as long as the JVM, as the launcher's does.
  zvt::VmInitRecord record(options);

  PosixMainHost mainHost;
  JvmLaunchRequest request;
  request.create = create;
  request.initRecord = &record;
  request.zentroviaFlavour = settings.zentrovia;
  request.configureSplash = settings.splash;
  request.splash.flag = true;
  request.splash.groups[0] = {"Loading", 10, 20};
  request.splash.groups[1] = {"255,255,255", 30, 40};
  request.splash.groups[2] = {"v1.0", 50, 60};
  request.splash.groups[3] = {"0,0,0", 70, 80};
  request.modulePath = kModulePath;
  request.mainParameters = settings.paramsAsGiven
                               ? settings.programArguments
                               : zvt::buildMainParameters(settings.values, settings.programArguments, mainHost);
  request.destroyAfterMain = settings.destroy;

  ProbeHost host(settings.helper);
  ThreadWork work{&request, &host};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  uint32_t stack = zvt::jvmThreadStackSize(options);
  if (stack > 0) pthread_attr_setstacksize(&attr, stack);
  pthread_t thread;
  if (pthread_create(&thread, &attr, jvmThread, &work) != 0) {
    // As the launcher does when it cannot start the thread.
    jvmThread(&work);
  } else {
    pthread_join(thread, nullptr);
  }
  pthread_attr_destroy(&attr);
  std::printf("result %d\n", work.result ? 1 : 0);
  return work.result ? 0 : 1;
}
