// The JNI function table. Every slot the launcher and the window border use
// is implemented with JNI's documented semantics; every other slot
// ends the process with a message naming it.
#include <array>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "calls.h"
#include "standin_home.h"
#include "trace.h"
#include "utf.h"
#include "vm_state.h"

namespace standin::vm {

namespace {

const char* const kSlotNames[] = {
#include "jni_slot_names.inc"
};
constexpr size_t kSlotCount = sizeof(JNINativeInterface_) / sizeof(void*);
static_assert(sizeof(kSlotNames) / sizeof(kSlotNames[0]) == kSlotCount,
              "slot name list does not match jni.h");

template <size_t I>
void JNICALL unimplemented() {
  // Arguments are never read and the process ends here, so the stdcall
  // argument size of the real slot does not matter.
  fatal(std::string("unimplemented JNI function ") + kSlotNames[I] + " called");
}

template <size_t... I>
constexpr std::array<void (JNICALL*)(), sizeof...(I)> makeStubs(std::index_sequence<I...>) {
  return {&unimplemented<I>...};
}

// Most JNI functions must not be called while an exception is pending; a
// launcher that forgets ExceptionClear after a failed lookup is caught here.
Env& enter(JNIEnv* jni, const char* function) {
  Env& env = envOf(jni);
  if (state().destroyed) fatal(std::string(function) + " after DestroyJavaVM");
  if (env.pending != nullptr) {
    fatal(std::string(function) + " called with a pending " + env.pending->cls->name);
  }
  return env;
}

// The functions JNI allows with an exception pending.
Env& enterAnyway(JNIEnv* jni, const char* function) {
  Env& env = envOf(jni);
  if (state().destroyed) fatal(std::string(function) + " after DestroyJavaVM");
  return env;
}

std::wstring describeText(Object* ex) {
  std::wstring text = widen(dottedName(ex->cls));
  if (ex->hasText) text += L": " + ex->text;
  return text;
}

jint JNICALL GetVersion(JNIEnv* jni) {
  enter(jni, "GetVersion");
  return JNI_VERSION_10;
}

jclass JNICALL FindClass(JNIEnv* jni, const char* name) {
  Env& env = enter(jni, "FindClass");
  if (name == nullptr) fatal("FindClass with a null name");
  const Class* cls = findClass(name);
  trace(JsonLine("findClass").text("name", name).flag("found", cls != nullptr));
  if (cls == nullptr) {
    // As the JVM reports it: the name in the message keeps its slashes.
    throwNew(env, "java/lang/NoClassDefFoundError", widen(name));
    return nullptr;
  }
  return static_cast<jclass>(newLocal(env, cls->mirror));
}

jclass JNICALL GetSuperclass(JNIEnv* jni, jclass sub) {
  Env& env = enter(jni, "GetSuperclass");
  const Class* cls = classOf(sub);
  return cls->super ? static_cast<jclass>(newLocal(env, cls->super->mirror)) : nullptr;
}

jint JNICALL Throw(JNIEnv* jni, jthrowable obj) {
  Env& env = enterAnyway(jni, "Throw");
  Object* ex = deref(obj);
  if (ex == nullptr || !isSubclass(ex->cls, requireClass("java/lang/Throwable"))) {
    fatal("Throw of an object that is not a Throwable");
  }
  env.pending = ex;
  return JNI_OK;
}

jint JNICALL ThrowNew(JNIEnv* jni, jclass clazz, const char* msg) {
  Env& env = enterAnyway(jni, "ThrowNew");
  const Class* cls = classOf(clazz);
  if (!isSubclass(cls, requireClass("java/lang/Throwable"))) fatal("ThrowNew of a non-Throwable");
  Object* ex = newObject(cls);
  ex->hasText = msg != nullptr;
  if (msg) ex->text = fromModifiedUtf8(msg);
  env.pending = ex;
  return JNI_OK;
}

jthrowable JNICALL ExceptionOccurred(JNIEnv* jni) {
  Env& env = enterAnyway(jni, "ExceptionOccurred");
  return static_cast<jthrowable>(newLocal(env, env.pending));
}

void JNICALL ExceptionDescribe(JNIEnv* jni) {
  Env& env = enterAnyway(jni, "ExceptionDescribe");
  if (env.pending == nullptr) return;
  std::string text = "Exception in thread \"" + env.threadName + "\" " +
                     utf8(describeText(env.pending)) + "\n\tat stand-in frame\n";
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  if (err != nullptr && err != INVALID_HANDLE_VALUE) {
    WriteFile(err, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
  trace(JsonLine("describe").text("exception", utf8(describeText(env.pending))));
  // Describing clears the exception, as the JVM does.
  env.pending = nullptr;
}

void JNICALL ExceptionClear(JNIEnv* jni) {
  Env& env = enterAnyway(jni, "ExceptionClear");
  if (env.pending) trace(JsonLine("clear").text("class", env.pending->cls->name));
  env.pending = nullptr;
}

jboolean JNICALL ExceptionCheck(JNIEnv* jni) {
  return enterAnyway(jni, "ExceptionCheck").pending ? JNI_TRUE : JNI_FALSE;
}

void JNICALL FatalError(JNIEnv*, const char* msg) {
  fatal(std::string("FatalError: ") + (msg ? msg : ""));
}

jint JNICALL PushLocalFrame(JNIEnv* jni, jint capacity) {
  Env& env = enterAnyway(jni, "PushLocalFrame");
  if (capacity < 0) fatal("PushLocalFrame with a negative capacity");
  Lock lock;
  env.frames.push_back(env.locals.size());
  return JNI_OK;
}

jobject JNICALL PopLocalFrame(JNIEnv* jni, jobject result) {
  Env& env = enterAnyway(jni, "PopLocalFrame");
  Object* kept = deref(result);
  {
    Lock lock;
    if (env.frames.empty()) fatal("PopLocalFrame without PushLocalFrame");
    size_t mark = env.frames.back();
    env.frames.pop_back();
    for (size_t i = mark; i < env.locals.size(); ++i) env.locals[i]->live = false;
    env.locals.resize(mark);
  }
  return newLocal(env, kept);
}

jobject JNICALL NewGlobalRef(JNIEnv* jni, jobject obj) {
  enter(jni, "NewGlobalRef");
  return newGlobal(deref(obj));
}

void JNICALL DeleteGlobalRef(JNIEnv* jni, jobject ref) {
  enterAnyway(jni, "DeleteGlobalRef");
  deleteRef(ref, RefKind::Global, "DeleteGlobalRef");
}

void JNICALL DeleteLocalRef(JNIEnv* jni, jobject ref) {
  enterAnyway(jni, "DeleteLocalRef");
  deleteRef(ref, RefKind::Local, "DeleteLocalRef");
}

jboolean JNICALL IsSameObject(JNIEnv* jni, jobject a, jobject b) {
  enter(jni, "IsSameObject");
  return deref(a) == deref(b) ? JNI_TRUE : JNI_FALSE;
}

jobject JNICALL NewLocalRef(JNIEnv* jni, jobject ref) {
  Env& env = enter(jni, "NewLocalRef");
  return newLocal(env, deref(ref));
}

jint JNICALL EnsureLocalCapacity(JNIEnv* jni, jint capacity) {
  enter(jni, "EnsureLocalCapacity");
  return capacity < 0 ? JNI_ERR : JNI_OK;
}

jclass JNICALL GetObjectClass(JNIEnv* jni, jobject obj) {
  Env& env = enter(jni, "GetObjectClass");
  Object* o = deref(obj);
  if (o == nullptr) fatal("GetObjectClass of null");
  return static_cast<jclass>(newLocal(env, o->cls->mirror));
}

// No constructors are modelled: tests make receivers of the application's
// classes (a window border's WndProc) this way.
jobject JNICALL AllocObject(JNIEnv* jni, jclass clazz) {
  Env& env = enter(jni, "AllocObject");
  const Class* cls = classOf(clazz);
  if (cls->element != nullptr || cls->name == "java/lang/String" || cls->name == "java/lang/Class") {
    fatal("AllocObject of " + cls->name);
  }
  trace(JsonLine("alloc").text("class", cls->name));
  return newLocal(env, newObject(cls));
}

jboolean JNICALL IsInstanceOf(JNIEnv* jni, jobject obj, jclass clazz) {
  enter(jni, "IsInstanceOf");
  Object* o = deref(obj);
  return o == nullptr || isSubclass(o->cls, classOf(clazz)) ? JNI_TRUE : JNI_FALSE;
}

jmethodID lookUpMethod(JNIEnv* jni, jclass clazz, const char* name, const char* sig, bool isStatic,
                       const char* function) {
  Env& env = enter(jni, function);
  if (name == nullptr || sig == nullptr) fatal(std::string(function) + " with a null name or descriptor");
  const Class* cls = classOf(clazz);
  const Method* m = findMethod(cls, name, sig, isStatic);
  trace(JsonLine("getMethod")
            .text("class", cls->name)
            .text("name", name)
            .text("sig", sig)
            .flag("static", isStatic)
            .flag("found", m != nullptr));
  if (m == nullptr) {
    throwNew(env, "java/lang/NoSuchMethodError", widen(name));
    return nullptr;
  }
  return reinterpret_cast<jmethodID>(const_cast<Method*>(m));
}

jmethodID JNICALL GetMethodID(JNIEnv* jni, jclass clazz, const char* name, const char* sig) {
  return lookUpMethod(jni, clazz, name, sig, false, "GetMethodID");
}

jmethodID JNICALL GetStaticMethodID(JNIEnv* jni, jclass clazz, const char* name, const char* sig) {
  return lookUpMethod(jni, clazz, name, sig, true, "GetStaticMethodID");
}

// Call<Type>Method, ...V, ...A and their static twins, for every type.
#define ZVT_CALLS(Type, jtype, field, letter)                                                 \
  jtype JNICALL Call##Type##MethodA(JNIEnv* jni, jobject obj, jmethodID id, const jvalue* a) { \
    Env& env = enter(jni, "Call" #Type "MethodA");                                            \
    const Method* m = methodOf(id);                                                           \
    return callInstance(env, obj, m, argsFromArray(m, a), letter, "Call" #Type "MethodA").field; \
  }                                                                                           \
  jtype JNICALL Call##Type##MethodV(JNIEnv* jni, jobject obj, jmethodID id, va_list ap) {     \
    Env& env = enter(jni, "Call" #Type "MethodV");                                            \
    const Method* m = methodOf(id);                                                           \
    return callInstance(env, obj, m, argsFromVa(m, ap), letter, "Call" #Type "MethodV").field; \
  }                                                                                           \
  jtype JNICALL Call##Type##Method(JNIEnv* jni, jobject obj, jmethodID id, ...) {             \
    Env& env = enter(jni, "Call" #Type "Method");                                             \
    const Method* m = methodOf(id);                                                           \
    va_list ap;                                                                               \
    va_start(ap, id);                                                                         \
    std::vector<jvalue> args = argsFromVa(m, ap);                                             \
    va_end(ap);                                                                               \
    return callInstance(env, obj, m, args, letter, "Call" #Type "Method").field;              \
  }                                                                                           \
  jtype JNICALL CallStatic##Type##MethodA(JNIEnv* jni, jclass cls, jmethodID id, const jvalue* a) { \
    Env& env = enter(jni, "CallStatic" #Type "MethodA");                                      \
    const Method* m = methodOf(id);                                                           \
    return callStatic(env, cls, m, argsFromArray(m, a), letter, "CallStatic" #Type "MethodA").field; \
  }                                                                                           \
  jtype JNICALL CallStatic##Type##MethodV(JNIEnv* jni, jclass cls, jmethodID id, va_list ap) { \
    Env& env = enter(jni, "CallStatic" #Type "MethodV");                                      \
    const Method* m = methodOf(id);                                                           \
    return callStatic(env, cls, m, argsFromVa(m, ap), letter, "CallStatic" #Type "MethodV").field; \
  }                                                                                           \
  jtype JNICALL CallStatic##Type##Method(JNIEnv* jni, jclass cls, jmethodID id, ...) {        \
    Env& env = enter(jni, "CallStatic" #Type "Method");                                       \
    const Method* m = methodOf(id);                                                           \
    va_list ap;                                                                               \
    va_start(ap, id);                                                                         \
    std::vector<jvalue> args = argsFromVa(m, ap);                                             \
    va_end(ap);                                                                               \
    return callStatic(env, cls, m, args, letter, "CallStatic" #Type "Method").field;          \
  }

ZVT_CALLS(Object, jobject, l, 'L')
ZVT_CALLS(Boolean, jboolean, z, 'Z')
ZVT_CALLS(Byte, jbyte, b, 'B')
ZVT_CALLS(Char, jchar, c, 'C')
ZVT_CALLS(Short, jshort, s, 'S')
ZVT_CALLS(Int, jint, i, 'I')
ZVT_CALLS(Long, jlong, j, 'J')
ZVT_CALLS(Float, jfloat, f, 'F')
ZVT_CALLS(Double, jdouble, d, 'D')

// The void family: same shape, no result.
void JNICALL CallVoidMethodA(JNIEnv* jni, jobject obj, jmethodID id, const jvalue* a) {
  Env& env = enter(jni, "CallVoidMethodA");
  const Method* m = methodOf(id);
  callInstance(env, obj, m, argsFromArray(m, a), 'V', "CallVoidMethodA");
}
void JNICALL CallVoidMethodV(JNIEnv* jni, jobject obj, jmethodID id, va_list ap) {
  Env& env = enter(jni, "CallVoidMethodV");
  const Method* m = methodOf(id);
  callInstance(env, obj, m, argsFromVa(m, ap), 'V', "CallVoidMethodV");
}
void JNICALL CallVoidMethod(JNIEnv* jni, jobject obj, jmethodID id, ...) {
  Env& env = enter(jni, "CallVoidMethod");
  const Method* m = methodOf(id);
  va_list ap;
  va_start(ap, id);
  std::vector<jvalue> args = argsFromVa(m, ap);
  va_end(ap);
  callInstance(env, obj, m, args, 'V', "CallVoidMethod");
}
void JNICALL CallStaticVoidMethodA(JNIEnv* jni, jclass cls, jmethodID id, const jvalue* a) {
  Env& env = enter(jni, "CallStaticVoidMethodA");
  const Method* m = methodOf(id);
  callStatic(env, cls, m, argsFromArray(m, a), 'V', "CallStaticVoidMethodA");
}
void JNICALL CallStaticVoidMethodV(JNIEnv* jni, jclass cls, jmethodID id, va_list ap) {
  Env& env = enter(jni, "CallStaticVoidMethodV");
  const Method* m = methodOf(id);
  callStatic(env, cls, m, argsFromVa(m, ap), 'V', "CallStaticVoidMethodV");
}
void JNICALL CallStaticVoidMethod(JNIEnv* jni, jclass cls, jmethodID id, ...) {
  Env& env = enter(jni, "CallStaticVoidMethod");
  const Method* m = methodOf(id);
  va_list ap;
  va_start(ap, id);
  std::vector<jvalue> args = argsFromVa(m, ap);
  va_end(ap);
  callStatic(env, cls, m, args, 'V', "CallStaticVoidMethod");
}

Object* stringOf(jstring str, const char* function) {
  Object* o = deref(str);
  if (o == nullptr) fatal(std::string(function) + " of null");
  if (o->cls->name != "java/lang/String") fatal(std::string(function) + " of a non-String");
  return o;
}

void* handOut(const void* bytes, size_t size) {
  void* copy = std::malloc(size);
  std::memcpy(copy, bytes, size);
  Lock lock;
  state().stringBuffers.insert(copy);
  return copy;
}

void takeBack(const void* buffer, const char* function) {
  Lock lock;
  if (state().stringBuffers.erase(buffer) == 0) {
    fatal(std::string(function) + " of a buffer this JVM did not hand out (or released twice)");
  }
  std::free(const_cast<void*>(buffer));
}

jstring JNICALL NewString(JNIEnv* jni, const jchar* chars, jsize len) {
  Env& env = enter(jni, "NewString");
  if (len < 0 || (chars == nullptr && len > 0)) fatal("NewString with a bad buffer");
  std::wstring text(reinterpret_cast<const wchar_t*>(chars), static_cast<size_t>(len));
  return static_cast<jstring>(newLocal(env, newString(text)));
}

jsize JNICALL GetStringLength(JNIEnv* jni, jstring str) {
  enter(jni, "GetStringLength");
  return static_cast<jsize>(stringOf(str, "GetStringLength")->text.size());
}

const jchar* JNICALL GetStringChars(JNIEnv* jni, jstring str, jboolean* isCopy) {
  enter(jni, "GetStringChars");
  const std::wstring& text = stringOf(str, "GetStringChars")->text;
  if (isCopy) *isCopy = JNI_TRUE;
  // One extra NUL unit, as the JVM's own copies have; callers must not
  // rely on it, but reading up to it must not run off the buffer.
  return static_cast<const jchar*>(handOut(text.c_str(), (text.size() + 1) * sizeof(jchar)));
}

void JNICALL ReleaseStringChars(JNIEnv* jni, jstring str, const jchar* chars) {
  enterAnyway(jni, "ReleaseStringChars");
  stringOf(str, "ReleaseStringChars");
  takeBack(chars, "ReleaseStringChars");
}

jstring JNICALL NewStringUTF(JNIEnv* jni, const char* bytes) {
  Env& env = enter(jni, "NewStringUTF");
  if (bytes == nullptr) return nullptr;
  return static_cast<jstring>(newLocal(env, newString(fromModifiedUtf8(bytes))));
}

jsize JNICALL GetStringUTFLength(JNIEnv* jni, jstring str) {
  enter(jni, "GetStringUTFLength");
  return static_cast<jsize>(toModifiedUtf8(stringOf(str, "GetStringUTFLength")->text).size());
}

const char* JNICALL GetStringUTFChars(JNIEnv* jni, jstring str, jboolean* isCopy) {
  enter(jni, "GetStringUTFChars");
  std::string bytes = toModifiedUtf8(stringOf(str, "GetStringUTFChars")->text);
  if (isCopy) *isCopy = JNI_TRUE;
  return static_cast<const char*>(handOut(bytes.c_str(), bytes.size() + 1));
}

void JNICALL ReleaseStringUTFChars(JNIEnv* jni, jstring str, const char* chars) {
  enterAnyway(jni, "ReleaseStringUTFChars");
  stringOf(str, "ReleaseStringUTFChars");
  takeBack(chars, "ReleaseStringUTFChars");
}

Object* arrayOf(jarray array, const char* function) {
  Object* o = deref(array);
  if (o == nullptr) fatal(std::string(function) + " of null");
  if (o->cls->element == nullptr) fatal(std::string(function) + " of a non-array");
  return o;
}

jsize JNICALL GetArrayLength(JNIEnv* jni, jarray array) {
  enter(jni, "GetArrayLength");
  return static_cast<jsize>(arrayOf(array, "GetArrayLength")->elements.size());
}

jobjectArray JNICALL NewObjectArray(JNIEnv* jni, jsize len, jclass elementClass, jobject init) {
  Env& env = enter(jni, "NewObjectArray");
  const Class* element = classOf(elementClass);
  if (len < 0) {
    throwNew(env, "java/lang/NegativeArraySizeException", widen(std::to_string(len)));
    return nullptr;
  }
  const Class* arrayClass = findClass("[L" + element->name + ";");
  if (arrayClass == nullptr) fatal("no array class for " + element->name);
  Object* array = newObject(arrayClass);
  array->elements.assign(static_cast<size_t>(len), deref(init));
  return static_cast<jobjectArray>(newLocal(env, array));
}

bool inBounds(Env& env, Object* array, jsize index) {
  if (index >= 0 && static_cast<size_t>(index) < array->elements.size()) return true;
  throwNew(env, "java/lang/ArrayIndexOutOfBoundsException",
           widen("Index " + std::to_string(index) + " out of bounds for length " +
                 std::to_string(array->elements.size())));
  return false;
}

jobject JNICALL GetObjectArrayElement(JNIEnv* jni, jobjectArray array, jsize index) {
  Env& env = enter(jni, "GetObjectArrayElement");
  Object* a = arrayOf(array, "GetObjectArrayElement");
  return inBounds(env, a, index) ? newLocal(env, a->elements[static_cast<size_t>(index)]) : nullptr;
}

void JNICALL SetObjectArrayElement(JNIEnv* jni, jobjectArray array, jsize index, jobject value) {
  Env& env = enter(jni, "SetObjectArrayElement");
  Object* a = arrayOf(array, "SetObjectArrayElement");
  Object* v = deref(value);
  if (!inBounds(env, a, index)) return;
  if (v != nullptr && !isSubclass(v->cls, a->cls->element)) {
    throwNew(env, "java/lang/ArrayStoreException", widen(dottedName(v->cls)));
    return;
  }
  a->elements[static_cast<size_t>(index)] = v;
}

jint JNICALL GetJavaVM(JNIEnv* jni, JavaVM** vm) {
  enter(jni, "GetJavaVM");
  if (vm == nullptr) fatal("GetJavaVM with a null result pointer");
  *vm = &state().javaVm;
  return JNI_OK;
}

jobjectRefType JNICALL GetObjectRefType(JNIEnv* jni, jobject obj) {
  enter(jni, "GetObjectRefType");
  if (obj == nullptr) return JNIInvalidRefType;
  Lock lock;
  Ref* ref = reinterpret_cast<Ref*>(obj);
  if (state().refs.count(ref) == 0 || !ref->live) return JNIInvalidRefType;
  return ref->kind == RefKind::Local ? JNILocalRefType : JNIGlobalRefType;
}

JNINativeInterface_ buildTable() {
  JNINativeInterface_ table{};
  static const auto stubs = makeStubs(std::make_index_sequence<kSlotCount>());
  void** slots = reinterpret_cast<void**>(&table);
  for (size_t i = 4; i < kSlotCount; ++i) slots[i] = reinterpret_cast<void*>(stubs[i]);
#define ZVT_SET(name) table.name = name
#define ZVT_SET_CALLS(Type)                                                        \
  ZVT_SET(Call##Type##Method); ZVT_SET(Call##Type##MethodV); ZVT_SET(Call##Type##MethodA); \
  ZVT_SET(CallStatic##Type##Method); ZVT_SET(CallStatic##Type##MethodV);           \
  ZVT_SET(CallStatic##Type##MethodA)
  ZVT_SET(GetVersion);
  ZVT_SET(FindClass);
  ZVT_SET(GetSuperclass);
  ZVT_SET(Throw);
  ZVT_SET(ThrowNew);
  ZVT_SET(ExceptionOccurred);
  ZVT_SET(ExceptionDescribe);
  ZVT_SET(ExceptionClear);
  ZVT_SET(ExceptionCheck);
  ZVT_SET(FatalError);
  ZVT_SET(PushLocalFrame);
  ZVT_SET(PopLocalFrame);
  ZVT_SET(NewGlobalRef);
  ZVT_SET(DeleteGlobalRef);
  ZVT_SET(DeleteLocalRef);
  ZVT_SET(IsSameObject);
  ZVT_SET(NewLocalRef);
  ZVT_SET(EnsureLocalCapacity);
  ZVT_SET(AllocObject);
  ZVT_SET(GetObjectClass);
  ZVT_SET(IsInstanceOf);
  ZVT_SET(GetMethodID);
  ZVT_SET(GetStaticMethodID);
  ZVT_SET_CALLS(Object);
  ZVT_SET_CALLS(Boolean);
  ZVT_SET_CALLS(Byte);
  ZVT_SET_CALLS(Char);
  ZVT_SET_CALLS(Short);
  ZVT_SET_CALLS(Int);
  ZVT_SET_CALLS(Long);
  ZVT_SET_CALLS(Float);
  ZVT_SET_CALLS(Double);
  ZVT_SET_CALLS(Void);
  ZVT_SET(NewString);
  ZVT_SET(GetStringLength);
  ZVT_SET(GetStringChars);
  ZVT_SET(ReleaseStringChars);
  ZVT_SET(NewStringUTF);
  ZVT_SET(GetStringUTFLength);
  ZVT_SET(GetStringUTFChars);
  ZVT_SET(ReleaseStringUTFChars);
  ZVT_SET(GetArrayLength);
  ZVT_SET(NewObjectArray);
  ZVT_SET(GetObjectArrayElement);
  ZVT_SET(SetObjectArrayElement);
  ZVT_SET(GetJavaVM);
  ZVT_SET(GetObjectRefType);
#undef ZVT_SET_CALLS
#undef ZVT_SET
  return table;
}

}  // namespace

const JNINativeInterface_* functionTable() {
  static const JNINativeInterface_ table = buildTable();
  return &table;
}

}  // namespace standin::vm
