#include "scripted_jni.h"

#include <algorithm>
#include <cstdarg>

#include "base/text.h"

namespace zvt::test {

struct ScriptedJni::Object {
  enum Kind { Class, String, Array, Throwable };
  Kind kind;
  std::string name;   // Class: its name; Throwable: its class
  std::wstring text;  // String: its units; Throwable: what toString() gives
  std::vector<Object*> elements;
};

struct ScriptedJni::Ref {
  Object* object;
  bool live;
};

struct ScriptedJni::Method {
  std::string cls;
  std::string name;
  std::string signature;
  bool isStatic;
};

namespace {

ScriptedJni* latest = nullptr;

const char* const kStringClass = "java/lang/String";
const char* const kThrowableToString = "()Ljava/lang/String;";

// The JNI functions that may run while an exception is pending.
bool allowedWhilePending(const std::string& function) {
  static const char* const kAllowed[] = {"ExceptionOccurred", "ExceptionDescribe",  "ExceptionClear",
                                         "ExceptionCheck",    "ReleaseStringChars", "DeleteLocalRef"};
  return std::find(std::begin(kAllowed), std::end(kAllowed), function) != std::end(kAllowed);
}

}  // namespace

// The function table's entries, with access to the fake behind them (kept in
// the table's first reserved slot).
struct ScriptedJni::Access {
  static ScriptedJni& of(JNIEnv* env) { return *static_cast<ScriptedJni*>(env->functions->reserved0); }

  static void enter(ScriptedJni& jni, const std::string& function, const std::string& detail) {
    jni.calls_.push_back(detail.empty() ? function : function + " " + detail);
    if (jni.pending_ != nullptr && !allowedWhilePending(function)) {
      jni.misuse_.push_back(function + " called while " + jni.pending_->name + " is pending");
    }
  }

  static Object* make(ScriptedJni& jni, Object::Kind kind, const std::string& name, const std::wstring& text) {
    jni.objects_.push_back(std::make_unique<Object>(Object{kind, name, text, {}}));
    return jni.objects_.back().get();
  }

  static jobject local(ScriptedJni& jni, Object* object) {
    jni.refs_.push_back(std::make_unique<Ref>(Ref{object, true}));
    return reinterpret_cast<jobject>(jni.refs_.back().get());
  }

  // The object behind `ref`, checked; nullptr (and a misuse note unless
  // `nullable`) for a null, foreign, deleted or wrongly typed reference.
  static Object* use(ScriptedJni& jni, jobject ref, const std::string& what, bool nullable = false, int kind = -1) {
    if (ref == nullptr) {
      if (!nullable) jni.misuse_.push_back(what + ": null reference");
      return nullptr;
    }
    Ref* r = reinterpret_cast<Ref*>(ref);
    bool ours = std::any_of(jni.refs_.begin(), jni.refs_.end(), [r](const auto& p) { return p.get() == r; });
    if (!ours) {
      jni.misuse_.push_back(what + ": not a reference of this JVM");
      return nullptr;
    }
    if (!r->live) {
      jni.misuse_.push_back(what + ": deleted reference");
      return nullptr;
    }
    if (kind >= 0 && r->object->kind != kind) {
      jni.misuse_.push_back(what + ": reference of the wrong kind");
      return nullptr;
    }
    return r->object;
  }

  static std::string describe(const Object* object) {
    if (object == nullptr) return "null";
    switch (object->kind) {
      case Object::String:
        return "\"" + utf16ToUtf8(object->text) + "\"";
      case Object::Array:
        return "String[" + std::to_string(object->elements.size()) + "]";
      default:
        return object->name;
    }
  }

  static const Method* findMethod(ScriptedJni& jni, const std::string& cls, const std::string& name,
                                  const std::string& signature, bool isStatic) {
    if (jni.removedClasses_.count(cls)) return nullptr;
    auto it = jni.classes_.find(cls);
    if (it == jni.classes_.end()) return nullptr;
    if (name == "toString" && jni.toString_ == ToString::Missing) return nullptr;
    for (const auto& m : it->second) {
      if (m->name == name && m->signature == signature && m->isStatic == isStatic) return m.get();
    }
    return nullptr;
  }

  // Reads the arguments the signature lists off `args` and formats them.
  static std::vector<Object*> readArguments(ScriptedJni& jni, const Method& method, va_list args, std::string& text) {
    std::vector<Object*> objects;
    const std::string& sig = method.signature;
    size_t i = 1;
    while (i < sig.size() && sig[i] != ')') {
      if (!text.empty()) text += ",";
      char type = sig[i];
      if (type == 'L' || type == '[') {
        size_t start = i;
        while (sig[i] == '[') ++i;
        if (sig[i] == 'L') i = sig.find(';', i);
        ++i;
        std::string param = sig.substr(start, i - start);
        Object* object = use(jni, va_arg(args, jobject), method.name + " argument", true);
        if (object != nullptr && param == "Ljava/lang/String;" && object->kind != Object::String) {
          jni.misuse_.push_back(method.name + ": a " + describe(object) + " passed for a String");
        }
        objects.push_back(object);
        text += describe(object);
        continue;
      }
      ++i;
      if (type == 'J') {
        text += std::to_string(va_arg(args, jlong));
      } else if (type == 'F' || type == 'D') {
        text += std::to_string(va_arg(args, double));
      } else {
        int value = va_arg(args, int);  // promoted jboolean, jbyte, jchar, jshort, jint
        if (type == 'Z' && value != JNI_TRUE && value != JNI_FALSE) {
          jni.misuse_.push_back(method.name + ": boolean argument " + std::to_string(value));
        }
        text += type == 'Z' ? (value ? "true" : "false") : std::to_string(value);
      }
    }
    return objects;
  }

  // What the Java side does when `method` runs.
  static jobject run(ScriptedJni& jni, const Method& method, Object* target, va_list args) {
    std::string text;
    std::vector<Object*> arguments = readArguments(jni, method, args, text);
    jni.calls_.push_back("run " + method.cls + "." + method.name + "(" + text + ")");
    auto thrown = jni.throws_.find(method.cls + "." + method.name);
    if (thrown != jni.throws_.end()) {
      jni.raise("java/lang/IllegalStateException", thrown->second);
      return nullptr;
    }
    if (method.name == "main" && arguments.size() == 1 && arguments[0] != nullptr) {
      jni.mainArguments_.clear();
      for (Object* element : arguments[0]->elements) {
        jni.mainArguments_.push_back(element ? element->text : L"<null>");
      }
    }
    if (method.cls == "java/lang/System" && method.name == "setProperty" && arguments.size() == 2 &&
        arguments[0] != nullptr && arguments[1] != nullptr) {
      std::string key = utf16ToUtf8(arguments[0]->text);
      auto previous = jni.properties_.find(key);
      Object* old =
          previous == jni.properties_.end() ? nullptr : make(jni, Object::String, kStringClass, previous->second);
      jni.properties_[key] = arguments[1]->text;
      return old ? local(jni, old) : nullptr;
    }
    if (method.name == "toString" && target != nullptr && target->kind == Object::Throwable) {
      if (jni.toString_ == ToString::Throws) {
        jni.raise("java/lang/RuntimeException", L"toString failed");
        return nullptr;
      }
      if (jni.toString_ == ToString::Null) return nullptr;
      return local(jni, make(jni, Object::String, kStringClass, target->text));
    }
    return nullptr;
  }

  static const Method* method(ScriptedJni& jni, jmethodID id, const std::string& what) {
    const Method* m = reinterpret_cast<const Method*>(id);
    for (const auto& cls : jni.classes_) {
      for (const auto& candidate : cls.second) {
        if (candidate.get() == m) return m;
      }
    }
    jni.misuse_.push_back(what + ": unknown method id");
    return nullptr;
  }

  static bool returns(const Method& m, char type) {
    size_t close = m.signature.find(')');
    char actual = m.signature[close + 1];
    return type == 'L' ? (actual == 'L' || actual == '[') : actual == type;
  }

  // --- the slots ---

  static jclass JNICALL FindClass(JNIEnv* env, const char* name) {
    ScriptedJni& jni = of(env);
    enter(jni, "FindClass", name ? name : "(null)");
    std::string n = name ? name : "";
    if (jni.classes_.count(n) == 0 || jni.removedClasses_.count(n)) {
      std::string dotted = n;
      std::replace(dotted.begin(), dotted.end(), '/', '.');
      jni.raise("java/lang/NoClassDefFoundError", L"java.lang.NoClassDefFoundError: " + utf8ToUtf16(dotted));
      return nullptr;
    }
    return static_cast<jclass>(local(jni, make(jni, Object::Class, n, L"")));
  }

  static jmethodID lookup(JNIEnv* env, const char* function, jclass cls, const char* name, const char* sig,
                          bool isStatic) {
    ScriptedJni& jni = of(env);
    Object* c = use(jni, cls, function, false, Object::Class);
    enter(jni, function, (c ? c->name : "?") + "." + name + " " + sig);
    const Method* m = c ? findMethod(jni, c->name, name, sig, isStatic) : nullptr;
    if (m == nullptr) {
      jni.raise("java/lang/NoSuchMethodError", utf8ToUtf16(std::string("java.lang.NoSuchMethodError: ") + name));
      return nullptr;
    }
    return reinterpret_cast<jmethodID>(const_cast<Method*>(m));
  }

  static jmethodID JNICALL GetStaticMethodID(JNIEnv* env, jclass cls, const char* name, const char* sig) {
    return lookup(env, "GetStaticMethodID", cls, name, sig, true);
  }

  static jmethodID JNICALL GetMethodID(JNIEnv* env, jclass cls, const char* name, const char* sig) {
    return lookup(env, "GetMethodID", cls, name, sig, false);
  }

  static jobject callStatic(JNIEnv* env, const char* function, char type, jclass cls, jmethodID id, va_list args) {
    ScriptedJni& jni = of(env);
    enter(jni, function, "");
    Object* c = use(jni, cls, function, false, Object::Class);
    const Method* m = method(jni, id, function);
    if (c == nullptr || m == nullptr) return nullptr;
    if (!m->isStatic || m->cls != c->name || !returns(*m, type)) {
      jni.misuse_.push_back(std::string(function) + ": " + m->cls + "." + m->name + " through " + c->name);
      return nullptr;
    }
    return run(jni, *m, nullptr, args);
  }

  static void JNICALL CallStaticVoidMethodV(JNIEnv* env, jclass cls, jmethodID id, va_list args) {
    callStatic(env, "CallStaticVoidMethodV", 'V', cls, id, args);
  }

  static jobject JNICALL CallStaticObjectMethodV(JNIEnv* env, jclass cls, jmethodID id, va_list args) {
    return callStatic(env, "CallStaticObjectMethodV", 'L', cls, id, args);
  }

  static jobject JNICALL CallObjectMethodV(JNIEnv* env, jobject obj, jmethodID id, va_list args) {
    ScriptedJni& jni = of(env);
    enter(jni, "CallObjectMethodV", "");
    Object* target = use(jni, obj, "CallObjectMethodV");
    const Method* m = method(jni, id, "CallObjectMethodV");
    if (target == nullptr || m == nullptr) return nullptr;
    if (m->isStatic || m->cls != target->name || !returns(*m, 'L')) {
      jni.misuse_.push_back("CallObjectMethodV: " + m->cls + "." + m->name + " on " + target->name);
      return nullptr;
    }
    return run(jni, *m, target, args);
  }

  static jstring madeString(ScriptedJni& jni, const std::wstring& text) {
    if (++jni.stringsMade_ == jni.failStringAt_) {
      jni.raise("java/lang/OutOfMemoryError", L"java.lang.OutOfMemoryError");
      return nullptr;
    }
    return static_cast<jstring>(local(jni, make(jni, Object::String, kStringClass, text)));
  }

  static jstring JNICALL NewString(JNIEnv* env, const jchar* units, jsize length) {
    ScriptedJni& jni = of(env);
    std::wstring text;
    if (units == nullptr || length < 0) {
      jni.misuse_.push_back("NewString: null characters or negative length");
    } else {
      for (jsize i = 0; i < length; ++i) text.push_back(static_cast<wchar_t>(units[i]));
    }
    enter(jni, "NewString", "\"" + utf16ToUtf8(text) + "\"");
    return madeString(jni, text);
  }

  static jstring JNICALL NewStringUTF(JNIEnv* env, const char* bytes) {
    ScriptedJni& jni = of(env);
    if (bytes == nullptr) jni.misuse_.push_back("NewStringUTF: null text");
    std::string text = bytes ? bytes : "";
    enter(jni, "NewStringUTF", "\"" + text + "\"");
    return madeString(jni, utf8ToUtf16(text));
  }

  static jsize JNICALL GetStringLength(JNIEnv* env, jstring str) {
    ScriptedJni& jni = of(env);
    enter(jni, "GetStringLength", "");
    Object* s = use(jni, str, "GetStringLength", false, Object::String);
    return s ? static_cast<jsize>(s->text.size()) : 0;
  }

  static const jchar* JNICALL GetStringChars(JNIEnv* env, jstring str, jboolean* isCopy) {
    ScriptedJni& jni = of(env);
    enter(jni, "GetStringChars", "");
    Object* s = use(jni, str, "GetStringChars", false, Object::String);
    if (s == nullptr) return nullptr;
    if (jni.failChars_) {
      jni.raise("java/lang/OutOfMemoryError", L"java.lang.OutOfMemoryError");
      return nullptr;
    }
    // Exactly the string's length, no terminator: ASan reports a reader
    // that goes past it.
    auto units = std::make_unique<std::vector<jchar>>();
    for (wchar_t w : s->text) units->push_back(static_cast<jchar>(w));
    if (units->empty()) units->reserve(1);
    if (isCopy) *isCopy = JNI_TRUE;
    jni.handedChars_.push_back(std::move(units));
    return jni.handedChars_.back()->data();
  }

  static void JNICALL ReleaseStringChars(JNIEnv* env, jstring str, const jchar* chars) {
    ScriptedJni& jni = of(env);
    enter(jni, "ReleaseStringChars", "");
    use(jni, str, "ReleaseStringChars", false, Object::String);
    auto it = std::find_if(jni.handedChars_.begin(), jni.handedChars_.end(),
                           [chars](const auto& units) { return units->data() == chars; });
    if (it == jni.handedChars_.end()) {
      jni.misuse_.push_back("ReleaseStringChars: characters that were not handed out");
      return;
    }
    jni.handedChars_.erase(it);
  }

  static jobjectArray JNICALL NewObjectArray(JNIEnv* env, jsize length, jclass cls, jobject init) {
    ScriptedJni& jni = of(env);
    enter(jni, "NewObjectArray", std::to_string(length));
    Object* c = use(jni, cls, "NewObjectArray", false, Object::Class);
    Object* first = use(jni, init, "NewObjectArray", true);
    if (c == nullptr || length < 0) return nullptr;
    if (jni.failArray_) {
      jni.raise("java/lang/OutOfMemoryError", L"java.lang.OutOfMemoryError");
      return nullptr;
    }
    Object* array = make(jni, Object::Array, "[L" + c->name + ";", L"");
    array->elements.assign(static_cast<size_t>(length), first);
    return static_cast<jobjectArray>(local(jni, array));
  }

  static void JNICALL SetObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index, jobject value) {
    ScriptedJni& jni = of(env);
    enter(jni, "SetObjectArrayElement", std::to_string(index));
    Object* a = use(jni, array, "SetObjectArrayElement", false, Object::Array);
    Object* v = use(jni, value, "SetObjectArrayElement", true);
    if (a == nullptr) return;
    if (index < 0 || static_cast<size_t>(index) >= a->elements.size()) {
      jni.misuse_.push_back("SetObjectArrayElement: index " + std::to_string(index) + " out of bounds");
      jni.raise("java/lang/ArrayIndexOutOfBoundsException", L"java.lang.ArrayIndexOutOfBoundsException");
      return;
    }
    a->elements[static_cast<size_t>(index)] = v;
  }

  static void JNICALL DeleteLocalRef(JNIEnv* env, jobject ref) {
    ScriptedJni& jni = of(env);
    enter(jni, "DeleteLocalRef", "");
    if (ref == nullptr) return;
    if (use(jni, ref, "DeleteLocalRef") != nullptr) reinterpret_cast<Ref*>(ref)->live = false;
  }

  static jboolean JNICALL ExceptionCheck(JNIEnv* env) {
    ScriptedJni& jni = of(env);
    enter(jni, "ExceptionCheck", "");
    return jni.pending_ ? JNI_TRUE : JNI_FALSE;
  }

  static jthrowable JNICALL ExceptionOccurred(JNIEnv* env) {
    ScriptedJni& jni = of(env);
    enter(jni, "ExceptionOccurred", "");
    return jni.pending_ ? static_cast<jthrowable>(local(jni, jni.pending_)) : nullptr;
  }

  // Like the JVM's: prints the exception and clears it.
  static void JNICALL ExceptionDescribe(JNIEnv* env) {
    ScriptedJni& jni = of(env);
    enter(jni, "ExceptionDescribe", "");
    if (jni.pending_) jni.described_.push_back(jni.pending_->text);
    jni.pending_ = nullptr;
  }

  static void JNICALL ExceptionClear(JNIEnv* env) {
    ScriptedJni& jni = of(env);
    enter(jni, "ExceptionClear", "");
    jni.pending_ = nullptr;
  }

  static jclass JNICALL GetObjectClass(JNIEnv* env, jobject obj) {
    ScriptedJni& jni = of(env);
    enter(jni, "GetObjectClass", "");
    Object* o = use(jni, obj, "GetObjectClass");
    return o ? static_cast<jclass>(local(jni, make(jni, Object::Class, o->name, L""))) : nullptr;
  }
};

ScriptedJni::ScriptedJni() : table_{}, invokeTable_{} {
  table_.reserved0 = this;
  table_.FindClass = &Access::FindClass;
  table_.GetStaticMethodID = &Access::GetStaticMethodID;
  table_.GetMethodID = &Access::GetMethodID;
  table_.CallStaticVoidMethodV = &Access::CallStaticVoidMethodV;
  table_.CallStaticObjectMethodV = &Access::CallStaticObjectMethodV;
  table_.CallObjectMethodV = &Access::CallObjectMethodV;
  table_.NewString = &Access::NewString;
  table_.NewStringUTF = &Access::NewStringUTF;
  table_.GetStringLength = &Access::GetStringLength;
  table_.GetStringChars = &Access::GetStringChars;
  table_.ReleaseStringChars = &Access::ReleaseStringChars;
  table_.NewObjectArray = &Access::NewObjectArray;
  table_.SetObjectArrayElement = &Access::SetObjectArrayElement;
  table_.DeleteLocalRef = &Access::DeleteLocalRef;
  table_.ExceptionCheck = &Access::ExceptionCheck;
  table_.ExceptionOccurred = &Access::ExceptionOccurred;
  table_.ExceptionDescribe = &Access::ExceptionDescribe;
  table_.ExceptionClear = &Access::ExceptionClear;
  table_.GetObjectClass = &Access::GetObjectClass;
  env_.functions = &table_;
  invokeTable_.reserved0 = this;
  vm_.functions = &invokeTable_;

  const char* const kMain = "([Ljava/lang/String;)V";
  addMethod("com/quarn/runtime/WinLauncher", "main", kMain, true);
  addMethod("com/quarn/runtime/WinLauncher", "initAwtSplashConfig",
            "(ZZLjava/lang/String;IILjava/lang/String;IILjava/lang/String;IILjava/lang/String;II)V", true);
  addMethod("com/zentrovia/runtime/launcher/WinLauncher", "main", kMain, true);
  addMethod("com/zentrovia/runtime/installer/platform/win32/Common", "initFromLauncher", "(Z)V", true);
  addMethod("java/lang/System", "setProperty", "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;", true);
  addClass(kStringClass);
  latest = this;
}

ScriptedJni::~ScriptedJni() {
  if (latest == this) latest = nullptr;
}

void ScriptedJni::addClass(const std::string& name) {
  classes_[name];
  removedClasses_.erase(name);
}

void ScriptedJni::addMethod(const std::string& cls, const std::string& name, const std::string& signature,
                            bool isStatic) {
  addClass(cls);
  classes_[cls].push_back(std::make_unique<Method>(Method{cls, name, signature, isStatic}));
}

void ScriptedJni::removeClass(const std::string& name) {
  removedClasses_.insert(name);
}

void ScriptedJni::removeMethod(const std::string& cls, const std::string& name) {
  // Method ids handed out stay valid objects; the lookup no longer finds it.
  for (auto& m : classes_[cls]) {
    if (m->name == name) m->name = "(removed) " + name;
  }
}

void ScriptedJni::throwFrom(const std::string& method, const std::wstring& text) {
  throws_[method] = text;
}

void ScriptedJni::raise(const std::string& cls, const std::wstring& text) {
  addMethod(cls, "toString", kThrowableToString, false);
  pending_ = Access::make(*this, Object::Throwable, cls, text);
}

bool ScriptedJni::called(const std::string& line) const {
  return std::find(calls_.begin(), calls_.end(), line) != calls_.end();
}

size_t ScriptedJni::countOf(const std::string& prefix) const {
  return static_cast<size_t>(std::count_if(calls_.begin(), calls_.end(), [&](const std::string& line) {
    return line.compare(0, prefix.size(), prefix) == 0;
  }));
}

size_t ScriptedJni::liveLocalRefs() const {
  return static_cast<size_t>(std::count_if(refs_.begin(), refs_.end(), [](const auto& r) { return r->live; }));
}

jint JNICALL ScriptedJni::createJavaVm(JavaVM** vm, void** env, void* args) {
  ScriptedJni& jni = *latest;
  const JavaVMInitArgs* init = static_cast<const JavaVMInitArgs*>(args);
  CreateRecord record;
  record.version = init->version;
  record.ignoreUnrecognized = init->ignoreUnrecognized == JNI_TRUE;
  record.args = args;
  for (jint i = 0; i < init->nOptions; ++i) record.options.push_back(init->options[i].optionString);
  jni.creates_.push_back(record);
  if (jni.createResult_ == JNI_OK) {
    *vm = &jni.vm_;
    *env = jni.handOutEnv_ ? &jni.env_ : nullptr;
  }
  return jni.createResult_;
}

}  // namespace zvt::test
