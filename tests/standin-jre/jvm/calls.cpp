#include "calls.h"

#include <cstdio>

#include "json_line.h"
#include "standin_home.h"
#include "trace.h"

namespace standin::vm {

const Method* methodOf(jmethodID id) {
  if (id == nullptr) fatal("null jmethodID");
  return reinterpret_cast<const Method*>(id);
}

std::vector<jvalue> argsFromVa(const Method* m, va_list ap) {
  std::vector<jvalue> args;
  for (char type : m->params) {
    jvalue v{};
    // Variadic arguments arrive promoted: small integers as int, float as
    // double; JNI's V functions undo exactly that.
    switch (type) {
      case 'Z': v.z = static_cast<jboolean>(va_arg(ap, int)); break;
      case 'B': v.b = static_cast<jbyte>(va_arg(ap, int)); break;
      case 'C': v.c = static_cast<jchar>(va_arg(ap, int)); break;
      case 'S': v.s = static_cast<jshort>(va_arg(ap, int)); break;
      case 'I': v.i = va_arg(ap, jint); break;
      case 'J': v.j = va_arg(ap, jlong); break;
      case 'F': v.f = static_cast<jfloat>(va_arg(ap, double)); break;
      case 'D': v.d = va_arg(ap, double); break;
      default: v.l = va_arg(ap, jobject); break;
    }
    args.push_back(v);
  }
  return args;
}

std::vector<jvalue> argsFromArray(const Method* m, const jvalue* values) {
  if (values == nullptr && !m->params.empty()) fatal("null jvalue array for " + m->name);
  return std::vector<jvalue>(values, values + m->params.size());
}

std::string objectJson(Object* obj) {
  if (obj == nullptr) return "null";
  if (obj->cls->name == "java/lang/String") return jsonString(utf8(obj->text));
  if (obj->cls->element != nullptr) {
    std::string out = "[";
    for (size_t i = 0; i < obj->elements.size(); ++i) {
      out += (i ? "," : "") + objectJson(obj->elements[i]);
    }
    return out + "]";
  }
  return jsonString("<" + dottedName(obj->cls) + ">");
}

namespace {

std::string argJson(char type, const jvalue& v) {
  switch (type) {
    case 'Z': return v.z ? "true" : "false";
    case 'B': return std::to_string(v.b);
    case 'C': return std::to_string(v.c);
    case 'S': return std::to_string(v.s);
    case 'I': return std::to_string(v.i);
    case 'J': return std::to_string(v.j);
    case 'F': return std::to_string(v.f);
    case 'D': return std::to_string(v.d);
    default: return objectJson(deref(v.l));
  }
}

void checkFamily(const Method* m, char family, const char* function) {
  char ret = m->ret == '[' ? 'L' : m->ret;
  if (ret != family) {
    fatal(std::string(function) + " used for " + m->name + m->sig +
          " whose return type is of another kind");
  }
}

jvalue run(Env& env, const Method* m, Object* self, const std::vector<jvalue>& args) {
  std::string list = "[";
  for (size_t i = 0; i < args.size(); ++i) list += (i ? "," : "") + argJson(m->params[i], args[i]);
  JsonLine line("call");
  line.text("class", m->owner->name).text("method", m->name).text("sig", m->sig);
  if (self != nullptr) line.text("receiver", self->cls->name);
  trace(line.raw("args", list + "]"));
  return m->impl(env, self, args);
}

}  // namespace

jvalue callStatic(Env& env, jclass cls, const Method* m, const std::vector<jvalue>& args,
                  char family, const char* function) {
  if (!m->isStatic) fatal(std::string(function) + " with the instance method " + m->name);
  const Class* target = classOf(cls);
  if (!isSubclass(target, m->owner)) {
    fatal(std::string(function) + ": " + m->name + " does not belong to " + target->name);
  }
  checkFamily(m, family, function);
  return run(env, m, nullptr, args);
}

jvalue callInstance(Env& env, jobject obj, const Method* m, const std::vector<jvalue>& args,
                    char family, const char* function) {
  if (m->isStatic) fatal(std::string(function) + " with the static method " + m->name);
  Object* self = deref(obj);
  if (self == nullptr) fatal(std::string(function) + " on a null object");
  if (!isSubclass(self->cls, m->owner)) {
    fatal(std::string(function) + ": object of " + self->cls->name + " has no method " + m->name);
  }
  checkFamily(m, family, function);
  // Virtual dispatch: the most derived override of the same name and
  // descriptor runs, as Throwable.toString does for Object.toString.
  const Method* target = findMethod(self->cls, m->name, m->sig, false);
  return run(env, target != nullptr ? target : m, self, args);
}

}  // namespace standin::vm
