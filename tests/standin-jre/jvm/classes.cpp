// The classes this JVM knows, each with exactly the members the launcher and
// its tests use, under their exact descriptors.
#include <string>

#include "app.h"
#include "signature.h"
#include "standin_home.h"
#include "vm_state.h"

namespace standin::vm {

namespace {

jvalue none() { return jvalue{}; }

jvalue objectResult(Env& env, Object* obj) {
  jvalue v{};
  v.l = newLocal(env, obj);
  return v;
}

jvalue objectToString(Env& env, Object* self, const std::vector<jvalue>&) {
  return objectResult(env, newString(widen(dottedName(self->cls) + "@1b6d3586")));
}

jvalue throwableToString(Env& env, Object* self, const std::vector<jvalue>&) {
  std::wstring text = widen(dottedName(self->cls));
  if (self->hasText) text += L": " + self->text;
  return objectResult(env, newString(text));
}

jvalue throwableGetMessage(Env& env, Object* self, const std::vector<jvalue>&) {
  return objectResult(env, self->hasText ? newString(self->text) : nullptr);
}

jvalue stringLength(Env&, Object* self, const std::vector<jvalue>&) {
  jvalue v{};
  v.i = static_cast<jint>(self->text.size());
  return v;
}

Object* stringArg(const std::vector<jvalue>& args, size_t i) { return deref(args[i].l); }

jvalue systemSetProperty(Env& env, Object*, const std::vector<jvalue>& args) {
  Object* key = stringArg(args, 0);
  Object* value = stringArg(args, 1);
  if (key == nullptr || value == nullptr) {
    throwNew(env, "java/lang/NullPointerException", L"");
    return none();
  }
  std::string name = utf8(key->text);
  Object* previous = nullptr;
  {
    Lock lock;
    auto& props = state().properties;
    auto it = props.find(name);
    if (it != props.end()) previous = newString(widen(it->second));
    props[name] = utf8(value->text);
  }
  return objectResult(env, previous);
}

jvalue systemGetProperty(Env& env, Object*, const std::vector<jvalue>& args) {
  Object* key = stringArg(args, 0);
  if (key == nullptr) {
    throwNew(env, "java/lang/NullPointerException", L"");
    return none();
  }
  std::string name = utf8(key->text);
  Lock lock;
  auto it = state().properties.find(name);
  return objectResult(env, it == state().properties.end() ? nullptr : newString(widen(it->second)));
}

// Calls the application's interface only records (the call record itself is
// written by the call machinery), so these return nothing.
jvalue recordOnly(Env&, Object*, const std::vector<jvalue>&) { return none(); }

// standin.borderThrow=<callback>: that window-border callback throws, as a
// look and feel with a bug would.
bool borderCallbackThrows(Env& env, const char* name) {
  if (property("standin.borderThrow") != name) return false;
  throwNew(env, "java/lang/RuntimeException", L"stand-in callback failure");
  return true;
}

jvalue hitTestAnswer(Env& env, Object*, const std::vector<jvalue>&) {
  jvalue v{};
  if (borderCallbackThrows(env, "onNcHitTest")) return v;
  v.i = static_cast<jint>(propertyInt("standin.ncHitTest", 1));
  return v;
}

jvalue fullscreenAnswer(Env& env, Object*, const std::vector<jvalue>&) {
  jvalue v{};
  if (borderCallbackThrows(env, "isFullscreen")) return v;
  v.z = property("standin.fullscreen") == "true" ? JNI_TRUE : JNI_FALSE;
  return v;
}

jvalue stateChangedAnswer(Env& env, Object*, const std::vector<jvalue>&) {
  borderCallbackThrows(env, "fireStateChangedLaterOnce");
  return none();
}

Class* addClass(const std::string& name, const std::string& super) {
  auto cls = std::make_unique<Class>();
  cls->name = name;
  if (!super.empty()) cls->super = requireClass(super);
  Class* raw = cls.get();
  state().classes[name] = std::move(cls);
  return raw;
}

void addMethod(Class* cls, const char* name, const char* sig, bool isStatic, MethodImpl impl) {
  auto m = std::make_unique<Method>();
  m->owner = cls;
  m->name = name;
  m->sig = sig;
  m->isStatic = isStatic;
  m->impl = impl;
  if (!parseSignature(sig, &m->params, &m->ret)) fatal(std::string("bad built-in descriptor ") + sig);
  cls->methods.push_back(std::move(m));
}

void giveMirror(Class* cls) {
  Object* mirror = newObject(state().classes.count("java/lang/Class")
                                 ? state().classes["java/lang/Class"].get()
                                 : nullptr);
  mirror->classValue = cls;
  cls->mirror = mirror;
}

constexpr const char* kSplashSig =
    "(ZZLjava/lang/String;IILjava/lang/String;IILjava/lang/String;IILjava/lang/String;II)V";

}  // namespace

void buildClasses() {
  Class* object = addClass("java/lang/Object", "");
  addMethod(object, "toString", "()Ljava/lang/String;", false, objectToString);
  addClass("java/lang/Class", "java/lang/Object");
  Class* string = addClass("java/lang/String", "java/lang/Object");
  addMethod(string, "length", "()I", false, stringLength);
  Class* system = addClass("java/lang/System", "java/lang/Object");
  addMethod(system, "setProperty", "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;",
            true, systemSetProperty);
  addMethod(system, "getProperty", "(Ljava/lang/String;)Ljava/lang/String;", true,
            systemGetProperty);

  Class* throwable = addClass("java/lang/Throwable", "java/lang/Object");
  addMethod(throwable, "toString", "()Ljava/lang/String;", false, throwableToString);
  addMethod(throwable, "getMessage", "()Ljava/lang/String;", false, throwableGetMessage);
  addClass("java/lang/Exception", "java/lang/Throwable");
  addClass("java/lang/RuntimeException", "java/lang/Exception");
  addClass("java/lang/NullPointerException", "java/lang/RuntimeException");
  addClass("java/lang/ArrayIndexOutOfBoundsException", "java/lang/RuntimeException");
  addClass("java/lang/ArrayStoreException", "java/lang/RuntimeException");
  addClass("java/lang/NegativeArraySizeException", "java/lang/RuntimeException");
  addClass("java/lang/Error", "java/lang/Throwable");
  addClass("java/lang/NoClassDefFoundError", "java/lang/Error");
  addClass("java/lang/NoSuchMethodError", "java/lang/Error");

  for (const char* name : {"com/zentrovia/runtime/launcher/WinLauncher", "com/quarn/runtime/WinLauncher"}) {
    Class* launcher = addClass(name, "java/lang/Object");
    addMethod(launcher, "main", "([Ljava/lang/String;)V", true, launcherMain);
  }
  addMethod(state().classes["com/quarn/runtime/WinLauncher"].get(), "initAwtSplashConfig",
            kSplashSig, true, recordOnly);
  Class* platform =
      addClass("com/zentrovia/runtime/installer/platform/win32/Common", "java/lang/Object");
  addMethod(platform, "initFromLauncher", "(Z)V", true, recordOnly);

  addClass("com/zentrovia/runtime/flatlaf/FlatWindowsNativeWindowBorder", "java/lang/Object");
  Class* wndProc = addClass("com/zentrovia/runtime/flatlaf/FlatWindowsNativeWindowBorder$WndProc",
                            "java/lang/Object");
  addMethod(wndProc, "onNcHitTest", "(IIZ)I", false, hitTestAnswer);
  addMethod(wndProc, "isFullscreen", "()Z", false, fullscreenAnswer);
  addMethod(wndProc, "fireStateChangedLaterOnce", "()V", false, stateChangedAnswer);

  for (auto& entry : state().classes) giveMirror(entry.second.get());
}

// Array classes exist for every known element type, made on first use.
const Class* arrayClassFor(const std::string& name) {
  Lock lock;
  auto it = state().classes.find(name);
  if (it != state().classes.end()) return it->second.get();
  std::string inner = name.substr(1);
  const Class* element = nullptr;
  if (inner.size() > 2 && inner[0] == 'L' && inner.back() == ';') {
    element = findClass(inner.substr(1, inner.size() - 2));
  } else if (!inner.empty() && inner[0] == '[') {
    element = arrayClassFor(inner);
  }
  if (element == nullptr) return nullptr;
  Class* cls = addClass(name, "java/lang/Object");
  cls->element = element;
  giveMirror(cls);
  return cls;
}

}  // namespace standin::vm
