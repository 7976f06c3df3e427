#include "vm_state.h"

#include <cstdio>

#include "standin_home.h"
#include "trace.h"

namespace standin::vm {

State& state() {
  static State* s = [] {
    auto* created = new State();
    InitializeCriticalSection(&created->lock);
    return created;
  }();
  return *s;
}

void fatal(const std::string& message) {
  std::string line = "stand-in jvm: " + message + "\n";
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  if (err != nullptr && err != INVALID_HANDLE_VALUE) {
    WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  trace(JsonLine("abort").text("message", message));
  ExitProcess(kFatalExitCode);
}

Env& envOf(JNIEnv* jni) {
  if (jni == nullptr) fatal("null JNIEnv");
  Env* env = reinterpret_cast<Env*>(jni);
  // A JNIEnv is valid only on its own thread; handing one to another thread
  // is a classic bug in window procedures that cache it.
  if (env->threadId != GetCurrentThreadId()) {
    fatal("JNIEnv of thread " + std::to_string(env->threadId) + " used on thread " +
          std::to_string(GetCurrentThreadId()));
  }
  return *env;
}

JNIEnv* jniOf(Env& env) { return reinterpret_cast<JNIEnv*>(&env); }

Env* currentEnv() {
  Lock lock;
  auto it = state().envs.find(GetCurrentThreadId());
  return it == state().envs.end() ? nullptr : it->second;
}

const JNINativeInterface_* functionTable();

Env* attachCurrent(const std::string& name, bool daemon) {
  Lock lock;
  auto& envs = state().envs;
  auto it = envs.find(GetCurrentThreadId());
  if (it != envs.end()) return it->second;
  Env* env = new Env();
  env->functions = functionTable();
  env->threadId = GetCurrentThreadId();
  env->threadName = name.empty() ? "Thread-" + std::to_string(state().threadCounter++) : name;
  env->daemon = daemon;
  envs[env->threadId] = env;
  return env;
}

void detachCurrent() {
  Lock lock;
  auto it = state().envs.find(GetCurrentThreadId());
  if (it == state().envs.end()) return;
  // Local references die with the thread's attachment.
  for (Ref* ref : it->second->locals) ref->live = false;
  // The Env record itself is kept: a stale JNIEnv pointer must still be
  // recognisable (its thread id no longer matches any attached thread).
  state().envs.erase(it);
}

Object* newObject(const Class* cls) {
  Lock lock;
  state().heap.push_back(std::make_unique<Object>());
  Object* obj = state().heap.back().get();
  obj->cls = cls;
  return obj;
}

Object* newString(const std::wstring& text) {
  Object* obj = newObject(requireClass("java/lang/String"));
  obj->text = text;
  obj->hasText = true;
  return obj;
}

Object* deref(jobject handle) {
  if (handle == nullptr) return nullptr;
  Lock lock;
  Ref* ref = reinterpret_cast<Ref*>(handle);
  if (state().refs.count(ref) == 0) fatal("not a reference handed out by this JVM");
  if (!ref->live) fatal("use of a deleted reference");
  return ref->obj;
}

const Class* classOf(jclass handle) {
  Object* obj = deref(handle);
  if (obj == nullptr) fatal("null class reference");
  if (obj->classValue == nullptr) fatal("reference is not a class");
  return obj->classValue;
}

jobject newLocal(Env& env, Object* obj) {
  if (obj == nullptr) return nullptr;
  Lock lock;
  Ref* ref = new Ref{obj, RefKind::Local, true, &env};
  state().refs.insert(ref);
  env.locals.push_back(ref);
  return reinterpret_cast<jobject>(ref);
}

jobject newGlobal(Object* obj) {
  if (obj == nullptr) return nullptr;
  Lock lock;
  Ref* ref = new Ref{obj, RefKind::Global, true, nullptr};
  state().refs.insert(ref);
  return reinterpret_cast<jobject>(ref);
}

void deleteRef(jobject handle, RefKind expected, const char* function) {
  if (handle == nullptr) return;
  Lock lock;
  Ref* ref = reinterpret_cast<Ref*>(handle);
  if (state().refs.count(ref) == 0) fatal(std::string(function) + " of an unknown reference");
  if (!ref->live) fatal(std::string(function) + " of an already deleted reference");
  if (ref->kind != expected) {
    fatal(std::string(function) + " of a " +
          (ref->kind == RefKind::Local ? "local" : "global") + " reference");
  }
  ref->live = false;
  if (ref->owner != nullptr) {
    auto& locals = ref->owner->locals;
    for (size_t i = 0; i < locals.size(); ++i) {
      if (locals[i] == ref) {
        locals.erase(locals.begin() + static_cast<long>(i));
        break;
      }
    }
  }
}

const Class* requireClass(const std::string& name) {
  auto it = state().classes.find(name);
  if (it == state().classes.end()) fatal("built-in class missing: " + name);
  return it->second.get();
}

const Class* arrayClassFor(const std::string& name);

const Class* findClass(const std::string& name) {
  if (state().hiddenClasses.count(name)) return nullptr;
  if (!name.empty() && name[0] == '[') return arrayClassFor(name);
  auto it = state().classes.find(name);
  return it == state().classes.end() ? nullptr : it->second.get();
}

bool isSubclass(const Class* cls, const Class* ancestor) {
  for (const Class* c = cls; c != nullptr; c = c->super) {
    if (c == ancestor) return true;
  }
  return false;
}

static bool hidden(const Class* cls, const std::string& name) {
  const auto& hiddenMethods = state().hiddenMethods;
  return hiddenMethods.count(name) || hiddenMethods.count(cls->name + "." + name);
}

const Method* findMethod(const Class* cls, const std::string& name, const std::string& sig,
                         bool isStatic) {
  for (const Class* c = cls; c != nullptr; c = c->super) {
    for (const auto& m : c->methods) {
      if (m->name == name && m->sig == sig && m->isStatic == isStatic && !hidden(c, name)) {
        return m.get();
      }
    }
  }
  return nullptr;
}

std::string dottedName(const Class* cls) {
  std::string name = cls->name;
  for (char& c : name) {
    if (c == '/') c = '.';
  }
  return name;
}

void throwNew(Env& env, const std::string& className, const std::wstring& message) {
  Object* ex = newObject(requireClass(className));
  ex->text = message;
  ex->hasText = true;
  env.pending = ex;
  trace(JsonLine("throw").text("class", className).text("message", utf8(message)));
}

std::string property(const std::string& name, const std::string& fallback) {
  Lock lock;
  auto it = state().properties.find(name);
  return it == state().properties.end() ? fallback : it->second;
}

long propertyInt(const std::string& name, long fallback) {
  std::string text = property(name);
  if (text.empty()) return fallback;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  return *end == '\0' ? value : fallback;
}

}  // namespace standin::vm
