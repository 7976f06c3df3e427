#include "child.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/win32.h"
#include "jvm/launch/jni_conversation.h"

namespace {

using namespace zvt::jni;

class PrintLog : public ConversationLog {
 public:
  void line(const std::string& text) override { std::printf("LOG: %s\n", text.c_str()); }
  void error(const std::string& text) override { std::printf("ERR: %s\n", text.c_str()); }
};

struct Child {
  std::string scenario;
  std::string dll;
  std::vector<std::string> options;
  std::vector<std::wstring> params;
  CreateJavaVmFn create = nullptr;
  CreatedVm vm;
  PrintLog log;
};

const char* outcomeName(MainOutcome outcome) {
  switch (outcome) {
    case MainOutcome::Returned:
      return "returned";
    case MainOutcome::ExceptionEscaped:
      return "exception";
    case MainOutcome::ClassMissing:
      return "classMissing";
    case MainOutcome::MethodMissing:
      return "methodMissing";
    case MainOutcome::ArrayFailed:
      return "arrayFailed";
    case MainOutcome::StringFailed:
      return "stringFailed";
  }
  return "?";
}

// The launcher's whole sequence: create, splash, platform class, module
// name, main, destroy.
int contract(Child& c) {
  SplashConfig splash;
  splash.flag = false;
  splash.groups[0] = {"Loading", 1, 2};
  splash.groups[1] = {"0,0,0", 3, 4};
  splash.groups[2] = {"v2", 5, 6};
  splash.groups[3] = {"255,0,0", 7, 8};
  std::printf("splash %d\n", configureSplash(c.vm.env, splash, c.log));
  std::printf("platform %d\n", callInitFromLauncher(c.vm.env, true, c.log));
  std::printf("moduleName %d\n", setModuleNameProperty(c.vm.env, L"C:\\Z\u00fcrich\\app.exe", c.log));
  const char* launcher = std::getenv("STANDIN_LAUNCHER");
  MainOutcome outcome = invokeMain(c.vm.env, launcher ? launcher : kQuarnLauncherClass, c.params, c.log);
  std::printf("main %s\n", outcomeName(outcome));
  if (outcome == MainOutcome::ClassMissing || outcome == MainOutcome::MethodMissing) return 3;
  DWORD start = GetTickCount();
  jint destroyed = c.vm.vm->DestroyJavaVM();
  std::printf("destroy %d afterMs %lu\n", static_cast<int>(destroyed), GetTickCount() - start);
  return 0;
}

void printPending(JNIEnv* env, const char* what) {
  jthrowable ex = env->ExceptionOccurred();
  env->ExceptionClear();
  if (ex == nullptr) {
    std::printf("%s none\n", what);
    return;
  }
  jclass cls = env->GetObjectClass(ex);
  jmethodID toString = env->GetMethodID(cls, "toString", "()Ljava/lang/String;");
  auto text = static_cast<jstring>(env->CallObjectMethod(ex, toString));
  const char* utf = env->GetStringUTFChars(text, nullptr);
  std::printf("%s %s\n", what, utf);
  env->ReleaseStringUTFChars(text, utf);
}

DWORD WINAPI getEnvFromOtherThread(LPVOID param) {
  auto* vm = static_cast<JavaVM*>(param);
  void* env = nullptr;
  std::printf("otherThread getEnv %d\n", static_cast<int>(vm->GetEnv(&env, JNI_VERSION_1_2)));
  std::printf("otherThread attach %d\n", static_cast<int>(vm->AttachCurrentThread(&env, nullptr)));
  std::printf("otherThread getEnvAttached %d\n", static_cast<int>(vm->GetEnv(&env, JNI_VERSION_1_2)));
  vm->DetachCurrentThread();
  std::printf("otherThread getEnvDetached %d\n", static_cast<int>(vm->GetEnv(&env, JNI_VERSION_1_2)));
  return 0;
}

// JNI semantics the launcher relies on, one printed fact each.
int semantics(Child& c) {
  JNIEnv* env = c.vm.env;
  std::printf("version 0x%lx\n", static_cast<unsigned long>(env->GetVersion()));
  std::printf("dotted %d\n", env->FindClass("java.lang.String") == nullptr);
  printPending(env, "dottedPending");
  jclass launcher = env->FindClass(kQuarnLauncherClass);
  std::printf("wrongSig %d\n", env->GetStaticMethodID(launcher, "main", "([Ljava/lang/String;)I") == nullptr);
  printPending(env, "wrongSigPending");
  std::printf("instanceAsStatic %d\n", env->GetMethodID(launcher, "main", "([Ljava/lang/String;)V") == nullptr);
  env->ExceptionClear();

  jstring utf = env->NewStringUTF("a\xc3\xa4\xe6\x96\x87");
  std::printf("utfLength %d %d\n", static_cast<int>(env->GetStringLength(utf)),
              static_cast<int>(env->GetStringUTFLength(utf)));
  const jchar* chars = env->GetStringChars(utf, nullptr);
  std::printf("chars %x %x %x\n", chars[0], chars[1], chars[2]);
  env->ReleaseStringChars(utf, chars);

  jclass system = env->FindClass("java/lang/System");
  jmethodID get = env->GetStaticMethodID(system, "getProperty", "(Ljava/lang/String;)Ljava/lang/String;");
  jvalue arg;
  arg.l = env->NewStringUTF("standin.sample");
  auto value = static_cast<jstring>(env->CallStaticObjectMethodA(system, get, &arg));
  const char* v = value ? env->GetStringUTFChars(value, nullptr) : nullptr;
  std::printf("property %s\n", v ? v : "(null)");
  if (v) env->ReleaseStringUTFChars(value, v);

  jclass stringClass = env->FindClass("java/lang/String");
  jobjectArray array = env->NewObjectArray(2, stringClass, utf);
  std::printf("arrayLength %d same %d\n", static_cast<int>(env->GetArrayLength(array)),
              env->IsSameObject(env->GetObjectArrayElement(array, 1), utf));
  env->SetObjectArrayElement(array, 2, utf);
  printPending(env, "outOfBounds");
  env->SetObjectArrayElement(array, 0, system);
  printPending(env, "wrongElement");

  jobject global = env->NewGlobalRef(utf);
  env->DeleteLocalRef(utf);
  std::printf("globalAlive %d\n", static_cast<int>(env->GetStringLength(static_cast<jstring>(global))));
  env->DeleteGlobalRef(global);

  // Object.toString resolved on Object, dispatched to Throwable's override.
  jclass object = env->FindClass("java/lang/Object");
  jmethodID toString = env->GetMethodID(object, "toString", "()Ljava/lang/String;");
  jclass npe = env->FindClass("java/lang/NullPointerException");
  env->ThrowNew(npe, "from ThrowNew");
  jthrowable ex = env->ExceptionOccurred();
  env->ExceptionClear();
  auto text = static_cast<jstring>(env->CallObjectMethod(ex, toString));
  const char* t = env->GetStringUTFChars(text, nullptr);
  std::printf("virtual %s\n", t);
  env->ReleaseStringUTFChars(text, t);

  JavaVM* vm = nullptr;
  env->GetJavaVM(&vm);
  std::printf("sameVm %d\n", vm == c.vm.vm);
  void* mainEnv = nullptr;
  jint got = vm->GetEnv(&mainEnv, JNI_VERSION_1_2);
  std::printf("mainGetEnv %d %d\n", static_cast<int>(got), mainEnv == env);
  std::printf("badVersion %d\n", static_cast<int>(vm->GetEnv(&mainEnv, 0x7)));
  HANDLE thread = CreateThread(nullptr, 0, getEnvFromOtherThread, vm, 0, nullptr);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);

  JavaVM* again = nullptr;
  void* againEnv = nullptr;
  JavaVMInitArgs args{};
  args.version = JNI_VERSION_1_2;
  std::printf("createAgain %d\n", static_cast<int>(c.create(&again, &againEnv, &args)));
  std::printf("destroy %d\n", static_cast<int>(vm->DestroyJavaVM()));
  std::printf("createAfterDestroy %d\n", static_cast<int>(c.create(&again, &againEnv, &args)));
  return 0;
}

// Misuse that a real JVM answers with undefined behaviour: the stand-in
// must stop loudly instead.
int misuse(Child& c) {
  JNIEnv* env = c.vm.env;
  if (c.scenario == "unimplemented") {
    env->GetFieldID(env->FindClass("java/lang/String"), "value", "[B");
  } else if (c.scenario == "pendingCall") {
    env->FindClass("no/Such");
    env->FindClass("java/lang/String");
  } else if (c.scenario == "deletedRef") {
    jstring s = env->NewStringUTF("x");
    env->DeleteLocalRef(s);
    env->GetStringLength(s);
  } else if (c.scenario == "familyMismatch") {
    jclass cls = env->FindClass(kQuarnLauncherClass);
    jmethodID main = env->GetStaticMethodID(cls, "main", "([Ljava/lang/String;)V");
    env->CallStaticIntMethod(cls, main, nullptr);
  } else if (c.scenario == "doubleRelease") {
    jstring s = env->NewStringUTF("x");
    const char* utf = env->GetStringUTFChars(s, nullptr);
    env->ReleaseStringUTFChars(s, utf);
    env->ReleaseStringUTFChars(s, utf);
  } else {
    std::printf("unknown scenario %s\n", c.scenario.c_str());
    return 64;
  }
  std::printf("misuse survived\n");
  return 0;
}

int strictOptions(Child& c) {
  JavaVMOption option{const_cast<char*>("-Xunknown-but-x"), nullptr};
  JavaVMOption unknown{const_cast<char*>("--no-such-option"), nullptr};
  JavaVMOption both[] = {option, unknown};
  JavaVMInitArgs args{};
  args.version = JNI_VERSION_1_2;
  args.nOptions = 2;
  args.options = both;
  args.ignoreUnrecognized = JNI_FALSE;
  JavaVM* vm = nullptr;
  void* env = nullptr;
  std::printf("strict %d\n", static_cast<int>(c.create(&vm, &env, &args)));
  args.version = 0x00010001;
  std::printf("oldVersion %d\n", static_cast<int>(c.create(&vm, &env, &args)));
  return 0;
}

}  // namespace

int runChild(int argc, char** argv) {
  // Binary mode: the parent compares bytes, and text mode would turn every
  // line feed into CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 4) return 64;
  Child c;
  c.scenario = argv[2];
  c.dll = argv[3];
  bool inParams = false;
  for (int i = 4; i < argc; ++i) {
    if (!inParams && std::strcmp(argv[i], "--") == 0) {
      inParams = true;
    } else if (inParams) {
      c.params.push_back(zvt::utf8ToUtf16(argv[i]));
    } else {
      c.options.push_back(argv[i]);
    }
  }
  // As the launcher loads it: by full path, then the export by plain name.
  HMODULE jvm = LoadLibraryA(c.dll.c_str());
  if (jvm == nullptr) {
    std::printf("load failed %lu\n", GetLastError());
    return 4;
  }
  c.create = reinterpret_cast<CreateJavaVmFn>(reinterpret_cast<void*>(GetProcAddress(jvm, "JNI_CreateJavaVM")));
  if (c.create == nullptr) return 5;
  if (c.scenario == "strictOptions") return strictOptions(c);
  c.vm = createJavaVm(c.create, c.options);
  std::printf("create %d\n", static_cast<int>(c.vm.result));
  if (c.vm.result != JNI_OK) return 2;
  if (c.scenario == "contract") return contract(c);
  if (c.scenario == "semantics") return semantics(c);
  return misuse(c);
}
