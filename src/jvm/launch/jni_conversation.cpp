#include "jvm/launch/jni_conversation.h"

#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"

namespace zvt::jni {

namespace {

jstring newJavaString(JNIEnv* env, const std::wstring& text) {
  std::vector<jchar> units;
  units.reserve(text.size());
  for (wchar_t ch : text) units.push_back(static_cast<jchar>(static_cast<uint32_t>(ch) & 0xFFFF));
  // NewString copies `len` units from a pointer it may touch even for none.
  static const jchar kNoUnits[1] = {0};
  return env->NewString(units.empty() ? kNoUnits : units.data(), static_cast<jsize>(units.size()));
}

// A failed FindClass/GetMethodID leaves NoClassDefFoundError or
// NoSuchMethodError pending, a failed NewString an OutOfMemoryError; most JNI
// functions must not run until it is cleared.
void clearLookupFailure(JNIEnv* env) {
  if (env->ExceptionCheck()) env->ExceptionClear();
}

// The Java methods called before main belong to the runtime classes and may
// throw. Whatever they leave pending would be in force during the next JNI
// call, whose outcome JNI leaves undefined (HotSpot may fail the next
// FindClass or report the exception as main's), so it is reported and cleared
// here and the launch goes on.
void reportCallFailure(JNIEnv* env, ConversationLog& log) {
  reportPendingException(env, false, log);
}

void deleteLocal(JNIEnv* env, jobject ref) {
  if (ref != nullptr) env->DeleteLocalRef(ref);
}

}  // namespace

CreatedVm createJavaVm(CreateJavaVmFn create, VmInitRecord& record) {
  CreatedVm created;
  void* env = nullptr;
  created.result = create(&created.vm, &env, record.args());
  created.env = static_cast<JNIEnv*>(env);
  // A broken runtime library could report success without handing out the
  // JVM or its environment; going on would call through a null pointer.
  if (created.result == JNI_OK && (created.vm == nullptr || created.env == nullptr)) created.result = JNI_ERR;
  return created;
}

CreatedVm createJavaVm(CreateJavaVmFn create, const std::vector<std::string>& options) {
  VmInitRecord record(options);
  return createJavaVm(create, record);
}

bool configureSplash(JNIEnv* env, const SplashConfig& config, ConversationLog& log) {
  jclass cls = env->FindClass(kSplashClass);
  if (cls == nullptr) {
    log.error("could not find main class for splash properties");
    clearLookupFailure(env);
    return false;
  }
  jmethodID method = env->GetStaticMethodID(cls, kSplashMethod, kSplashSignature);
  if (method == nullptr) {
    log.error("could not find method for splash properties");
    clearLookupFailure(env);
    deleteLocal(env, cls);
    return false;
  }
  jstring texts[4] = {nullptr, nullptr, nullptr, nullptr};
  bool made = true;
  for (int i = 0; i < 4 && made; ++i) {
    texts[i] = env->NewStringUTF(config.groups[i].text.c_str());
    made = texts[i] != nullptr;
  }
  if (!made) {
    log.error("could not create string for splash properties");
    clearLookupFailure(env);
  } else {
    const SplashGroup* g = config.groups;
    // Variadic JNI calls: jboolean travels promoted to int.
    env->CallStaticVoidMethod(cls, method, static_cast<int>(JNI_TRUE),
                              static_cast<int>(config.flag ? JNI_TRUE : JNI_FALSE), texts[0], g[0].first, g[0].second,
                              texts[1], g[1].first, g[1].second, texts[2], g[2].first, g[2].second, texts[3],
                              g[3].first, g[3].second);
    reportCallFailure(env, log);
  }
  for (jstring text : texts) deleteLocal(env, text);
  deleteLocal(env, cls);
  return made;
}

bool callInitFromLauncher(JNIEnv* env, bool value, ConversationLog& log) {
  jclass cls = env->FindClass(kPlatformClass);
  if (cls == nullptr) {
    log.error(std::string("did not find ") + kPlatformClass);
    clearLookupFailure(env);
    return false;
  }
  jmethodID method = env->GetStaticMethodID(cls, "initFromLauncher", "(Z)V");
  if (method == nullptr) {
    log.error("did not find initMethod");
    clearLookupFailure(env);
    deleteLocal(env, cls);
    return false;
  }
  env->CallStaticVoidMethod(cls, method, static_cast<int>(value ? JNI_TRUE : JNI_FALSE));
  reportCallFailure(env, log);
  deleteLocal(env, cls);
  return true;
}

bool setModuleNameProperty(JNIEnv* env, const std::wstring& modulePath, ConversationLog& log) {
  jclass system = env->FindClass("java/lang/System");
  if (system == nullptr) {
    log.error("could not get system class");
    clearLookupFailure(env);
    return false;
  }
  jmethodID setProperty =
      env->GetStaticMethodID(system, "setProperty", "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;");
  if (setProperty == nullptr) {
    log.error("could not get method for module name init");
    clearLookupFailure(env);
    deleteLocal(env, system);
    return false;
  }
  // One string at a time: a failed NewString leaves an exception pending.
  jstring value = newJavaString(env, modulePath);
  jstring name = value == nullptr ? nullptr : newJavaString(env, L"quarn.moduleName");
  bool made = false;
  if (name == nullptr) {
    log.error("could not create string for init module name");
    clearLookupFailure(env);
  } else {
    log.line("setting quarn.moduleName to " + utf16ToUtf8(modulePath));
    jobject previous = env->CallStaticObjectMethod(system, setProperty, name, value);
    reportCallFailure(env, log);
    deleteLocal(env, previous);
    made = true;
  }
  deleteLocal(env, name);
  deleteLocal(env, value);
  deleteLocal(env, system);
  return made;
}

MainOutcome invokeMain(JNIEnv* env, const std::string& launcherClass, const std::vector<std::wstring>& params,
                       ConversationLog& log) {
  std::string name = launcherClass;
  for (char& ch : name) {
    if (ch == '.') ch = '/';
  }
  log.line("main class: " + name);
  jclass cls = env->FindClass(name.c_str());
  if (cls == nullptr) {
    log.error("could not find main class");
    return MainOutcome::ClassMissing;
  }
  jmethodID main = env->GetStaticMethodID(cls, "main", "([Ljava/lang/String;)V");
  if (main == nullptr) {
    log.error("could not find main method");
    return MainOutcome::MethodMissing;
  }
  log.line("param count: " + std::to_string(params.size()));
  jclass stringClass = env->FindClass("java/lang/String");
  jobjectArray array =
      stringClass == nullptr ? nullptr : env->NewObjectArray(static_cast<jsize>(params.size()), stringClass, nullptr);
  if (array == nullptr) return MainOutcome::ArrayFailed;
  for (size_t i = 0; i < params.size(); ++i) {
    log.line("param " + std::to_string(i) + ": " + utf16ToUtf8(params[i]));
    jstring text = newJavaString(env, params[i]);
    if (text == nullptr) return MainOutcome::StringFailed;
    env->SetObjectArrayElement(array, static_cast<jsize>(i), text);
    deleteLocal(env, text);
  }
  log.line("calling main");
  env->CallStaticVoidMethod(cls, main, array);
  log.line("main returned");
  return reportPendingException(env, true, log) ? MainOutcome::Returned : MainOutcome::ExceptionEscaped;
}

bool reportPendingException(JNIEnv* env, bool describe, ConversationLog& log) {
  jthrowable exception = env->ExceptionOccurred();
  if (exception == nullptr) return true;
  log.error("an exception occurred");
  if (describe) env->ExceptionDescribe();
  env->ExceptionClear();
  // The text comes from the object kept above: describing has already
  // cleared the pending exception.
  jclass cls = env->GetObjectClass(exception);
  jmethodID toString = cls ? env->GetMethodID(cls, "toString", "()Ljava/lang/String;") : nullptr;
  jstring text = toString ? static_cast<jstring>(env->CallObjectMethod(exception, toString)) : nullptr;
  if (text != nullptr) {
    const jchar* chars = env->GetStringChars(text, nullptr);
    if (chars != nullptr) {
      jsize length = env->GetStringLength(text);
      log.error(utf16ToUtf8(std::wstring(chars, chars + length)));
      env->ReleaseStringChars(text, chars);
    }
  }
  // toString itself may throw; nothing of it may leak into the caller.
  if (env->ExceptionCheck()) env->ExceptionClear();
  deleteLocal(env, text);
  deleteLocal(env, cls);
  deleteLocal(env, exception);
  return false;
}

}  // namespace zvt::jni
