// One JVM per process: a JVM cannot be created again after it was destroyed,
// so each test case runs this probe, which holds the launcher's side of the
// conversation with the real libjvm.so and prints what happened.
//
//   jvm_probe <libjvm.so> <launcher class> [vm options...] -- [main params...]
//
// Output lines: "LOG: text" and "ERR: text" from the conversation,
// "create N", "splash N", "platform N", "moduleName N", "main OUTCOME",
// "destroy N afterMs M". Exit code 0 unless creation failed (2) or the
// launcher class or main is missing (3), as the launcher's fatal exit would.
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "jvm/launch/jni_conversation.h"

namespace {

class PrintLog : public zvt::jni::ConversationLog {
 public:
  void line(const std::string& text) override { std::printf("LOG: %s\n", text.c_str()); }
  void error(const std::string& text) override { std::printf("ERR: %s\n", text.c_str()); }
};

const char* outcomeName(zvt::jni::MainOutcome outcome) {
  switch (outcome) {
    case zvt::jni::MainOutcome::Returned:
      return "returned";
    case zvt::jni::MainOutcome::ExceptionEscaped:
      return "exception";
    case zvt::jni::MainOutcome::ClassMissing:
      return "classMissing";
    case zvt::jni::MainOutcome::MethodMissing:
      return "methodMissing";
    case zvt::jni::MainOutcome::ArrayFailed:
      return "arrayFailed";
    case zvt::jni::MainOutcome::StringFailed:
      return "stringFailed";
  }
  return "?";
}

zvt::jni::SplashConfig splashValues() {
  zvt::jni::SplashConfig config;
  config.flag = true;
  config.groups[0] = {"Loading", 10, 20};
  config.groups[1] = {"255,255,255", 30, 40};
  config.groups[2] = {"v1.0", 50, 60};
  config.groups[3] = {"0,0,0", 70, 80};
  return config;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 3) {
    std::fprintf(stderr, "usage: jvm_probe <libjvm.so> <launcher class> [options] -- [params]\n");
    return 64;
  }
  std::vector<std::string> options;
  std::vector<std::wstring> params;
  bool inParams = false;
  for (int i = 3; i < argc; ++i) {
    if (!inParams && std::strcmp(argv[i], "--") == 0) {
      inParams = true;
    } else if (inParams) {
      params.push_back(zvt::utf8ToUtf16(argv[i]));
    } else {
      options.push_back(argv[i]);
    }
  }
  void* lib = dlopen(argv[1], RTLD_NOW | RTLD_GLOBAL);
  if (lib == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
    return 65;
  }
  auto create = reinterpret_cast<zvt::jni::CreateJavaVmFn>(dlsym(lib, "JNI_CreateJavaVM"));
  if (create == nullptr) return 66;

  PrintLog log;
  zvt::jni::CreatedVm vm = zvt::jni::createJavaVm(create, options);
  std::printf("create %d\n", static_cast<int>(vm.result));
  if (vm.result != JNI_OK) return 2;
  std::printf("splash %d\n", zvt::jni::configureSplash(vm.env, splashValues(), log));
  std::printf("platform %d\n", zvt::jni::callInitFromLauncher(vm.env, true, log));
  std::printf("moduleName %d\n",
              zvt::jni::setModuleNameProperty(vm.env, L"C:\\Program Files\\Z\u00fcrich \u6587\\app.exe", log));
  zvt::jni::MainOutcome outcome = zvt::jni::invokeMain(vm.env, argv[2], params, log);
  std::printf("main %s\n", outcomeName(outcome));
  if (outcome == zvt::jni::MainOutcome::ClassMissing || outcome == zvt::jni::MainOutcome::MethodMissing) {
    return 3;
  }
  auto start = std::chrono::steady_clock::now();
  jint destroyed = vm.vm->DestroyJavaVM();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  std::printf("destroy %d afterMs %lld\n", static_cast<int>(destroyed), static_cast<long long>(ms.count()));
  return 0;
}
