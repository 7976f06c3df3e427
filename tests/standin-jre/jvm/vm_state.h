// The stand-in JVM's object model and process-wide state. Objects are never
// collected (a test process is short-lived); references are handles to Ref
// records that stay allocated after deletion, so a use after DeleteLocalRef or
// DeleteGlobalRef is detected instead of reading freed memory.
#pragma once

#include <jni.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/win32.h"

namespace standin::vm {

struct Class;
struct Env;

struct Object {
  const Class* cls = nullptr;
  std::wstring text;                      // java/lang/String: its UTF-16 units; Throwable: message
  bool hasText = false;                   // a Throwable may have a null message
  std::vector<Object*> elements;          // object arrays
  const Class* classValue = nullptr;      // java/lang/Class: the class it stands for
};

using MethodImpl = jvalue (*)(Env& env, Object* self, const std::vector<jvalue>& args);

struct Method {
  const Class* owner = nullptr;
  std::string name;
  std::string sig;
  bool isStatic = false;
  MethodImpl impl = nullptr;
  std::vector<char> params;  // one type letter per parameter ('L' and '[' for references)
  char ret = 'V';
};

struct Class {
  std::string name;  // slash form, as FindClass takes it
  const Class* super = nullptr;
  const Class* element = nullptr;  // array classes
  std::vector<std::unique_ptr<Method>> methods;
  Object* mirror = nullptr;
};

enum class RefKind { Local, Global };

struct Ref {
  Object* obj = nullptr;
  RefKind kind = RefKind::Local;
  bool live = true;
  Env* owner = nullptr;  // the env a local reference belongs to
};

// A thread's JNIEnv. `functions` must stay the first member: a JNIEnv* is a
// pointer to a pointer to the function table.
struct Env {
  const JNINativeInterface_* functions = nullptr;
  DWORD threadId = 0;
  std::string threadName;
  bool daemon = false;
  Object* pending = nullptr;
  std::vector<Ref*> locals;
  std::vector<size_t> frames;  // PushLocalFrame marks
};

struct State {
  JavaVM_ javaVm{};
  CRITICAL_SECTION lock;
  bool created = false;
  bool destroyed = false;
  std::map<std::string, std::string> properties;
  std::map<std::string, std::unique_ptr<Class>> classes;
  std::vector<std::unique_ptr<Object>> heap;
  std::set<Ref*> refs;
  std::map<DWORD, Env*> envs;
  std::vector<HANDLE> nonDaemonThreads;
  std::set<const void*> stringBuffers;  // handed out by Get*Chars, not yet released
  std::set<std::string> hiddenClasses;
  std::set<std::string> hiddenMethods;  // "name" or "class.name"
  int threadCounter = 0;
};

State& state();

// Serialises access to State from the JVM thread, attached window threads
// and the simulated application threads.
class Lock {
 public:
  Lock() { EnterCriticalSection(&state().lock); }
  ~Lock() { LeaveCriticalSection(&state().lock); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
};

// Ends the process with a message on stderr and in the trace: a launcher bug
// or an unsupported use must be loud, never answered with garbage.
[[noreturn]] void fatal(const std::string& message);
constexpr UINT kFatalExitCode = 134;

Env& envOf(JNIEnv* jni);
JNIEnv* jniOf(Env& env);
Env* currentEnv();  // null when the calling thread is not attached
Env* attachCurrent(const std::string& name, bool daemon);
void detachCurrent();

Object* newObject(const Class* cls);
Object* newString(const std::wstring& text);
Object* deref(jobject ref);
const Class* classOf(jclass ref);  // fatal unless ref is a class reference
jobject newLocal(Env& env, Object* obj);
jobject newGlobal(Object* obj);
void deleteRef(jobject ref, RefKind expected, const char* function);

const Class* findClass(const std::string& name);  // honours standin.hideClass
const Class* requireClass(const std::string& name);  // built-in, fatal if missing
bool isSubclass(const Class* cls, const Class* ancestor);
const Method* findMethod(const Class* cls, const std::string& name, const std::string& sig,
                         bool isStatic);
// Java-style dotted class name, as Throwable.toString prints it.
std::string dottedName(const Class* cls);

void throwNew(Env& env, const std::string& className, const std::wstring& message);
void buildClasses();
std::string property(const std::string& name, const std::string& fallback = "");
long propertyInt(const std::string& name, long fallback);

}  // namespace standin::vm
