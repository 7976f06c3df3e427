// The stand-in of the runtime's native helper library (".zentrovia\zvtinst.dll"
// under the installation directory). The launcher calls registerNatives on the
// JVM thread with that thread's JNIEnv, the library's own module handle and
// its error-log function. This one uses all three: it reads the property
// "standin.helper" through JNI (a JNIEnv of another thread would make the
// stand-in JVM abort), compares the module handle with its own, writes one
// line through the error-log function, records a "registerNatives" trace
// record in the trace of the runtime that is loaded, and answers:
//   standin.helper=ok (default): 1;  standin.helper=fail: 0.
#include <jni.h>

#include <string>

#include "standin_home.h"
#include "trace.h"

namespace {

// The launcher's error-log function: a wide printf format and its arguments.
using ErrorLog = void (*)(const wchar_t* format, ...);

std::string helperMode(JNIEnv* env) {
  std::string mode = "ok";
  jclass system = env->FindClass("java/lang/System");
  jmethodID getProperty =
      system ? env->GetStaticMethodID(system, "getProperty", "(Ljava/lang/String;)Ljava/lang/String;") : nullptr;
  jstring name = getProperty ? env->NewStringUTF("standin.helper") : nullptr;
  auto value = name ? static_cast<jstring>(env->CallStaticObjectMethod(system, getProperty, name)) : nullptr;
  if (value != nullptr) {
    const char* chars = env->GetStringUTFChars(value, nullptr);
    mode = chars;
    env->ReleaseStringUTFChars(value, chars);
    env->DeleteLocalRef(value);
  }
  if (env->ExceptionCheck()) env->ExceptionClear();
  if (name) env->DeleteLocalRef(name);
  if (system) env->DeleteLocalRef(system);
  return mode;
}

HMODULE ownModule() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ownModule), &self);
  return self;
}

// The trace of the runtime whose jvm.dll is loaded in this process.
void traceToLoadedRuntime(const standin::JsonLine& line) {
  HMODULE jvm = GetModuleHandleW(L"jvm.dll");
  if (jvm == nullptr) return;
  wchar_t path[32768];
  DWORD n = GetModuleFileNameW(jvm, path, 32768);
  if (n == 0 || n >= 32768) return;
  standin::setTraceHome(standin::homeFor(path, 2));
  standin::trace(line);
}

}  // namespace

extern "C" __declspec(dllexport) unsigned char registerNatives(JNIEnv* env, HMODULE module, ErrorLog errorLog) {
  std::string mode = helperMode(env);
  bool own = module != nullptr && module == ownModule();
  std::wstring wideMode = standin::widen(mode);
  if (errorLog != nullptr) {
    errorLog(L"stand-in zvtinst: registerNatives mode %ls, module %ls, %d", wideMode.c_str(), own ? L"own" : L"foreign",
             42);
  }
  traceToLoadedRuntime(
      standin::JsonLine("registerNatives")
          .text("mode", mode)
          .flag("ownModule", own)
          .flag("errorLog", errorLog != nullptr)
          .text("path", standin::utf8(standin::modulePathOf(reinterpret_cast<const void*>(&registerNatives)))));
  return mode == "fail" ? 0 : 1;
}
