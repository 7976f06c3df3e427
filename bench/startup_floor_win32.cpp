// The floor of the start-up benchmark: the least a native program must do
// to run a Java application in-process. It loads the jvm.dll named by its
// only argument, creates the JVM with no options and calls the launcher
// class's main with an empty array; nothing else (no configuration, no
// search, no logging, no imports beyond kernel32).
#include <jni.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 64;
  HMODULE jvm = LoadLibraryW(argv[1]);
  if (jvm == nullptr) return 65;
  using CreateFn = jint(JNICALL*)(JavaVM**, void**, void*);
  auto create = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(jvm, "JNI_CreateJavaVM")));
  if (create == nullptr) return 66;
  JavaVMInitArgs args{};
  args.version = JNI_VERSION_1_2;
  args.ignoreUnrecognized = JNI_TRUE;
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  if (create(&vm, reinterpret_cast<void**>(&env), &args) != JNI_OK) return 67;
  jclass launcher = env->FindClass("com/quarn/runtime/WinLauncher");
  jmethodID main = launcher ? env->GetStaticMethodID(launcher, "main", "([Ljava/lang/String;)V") : nullptr;
  jclass string = env->FindClass("java/lang/String");
  if (main == nullptr || string == nullptr) return 68;
  env->CallStaticVoidMethod(launcher, main, env->NewObjectArray(0, string, nullptr));
  return env->ExceptionCheck() ? 69 : 0;
}
