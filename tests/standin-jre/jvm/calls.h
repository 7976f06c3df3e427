// Method invocation with JNI semantics: arguments gathered by descriptor from
// "..." / va_list / jvalue[], virtual dispatch for instance calls, the
// descriptor's return type checked against the Call<Type>Method family.
#pragma once

#include <cstdarg>
#include <string>
#include <vector>

#include "vm_state.h"

namespace standin::vm {

const Method* methodOf(jmethodID id);
std::vector<jvalue> argsFromVa(const Method* m, va_list ap);
std::vector<jvalue> argsFromArray(const Method* m, const jvalue* args);

// `family` is the return letter the caller's Call function stands for
// ('L' covers arrays too). Records the call in the trace, then runs it.
jvalue callStatic(Env& env, jclass cls, const Method* m, const std::vector<jvalue>& args,
                  char family, const char* function);
jvalue callInstance(Env& env, jobject obj, const Method* m, const std::vector<jvalue>& args,
                    char family, const char* function);

// JSON form of an object for the trace: strings as text, arrays as arrays.
std::string objectJson(Object* obj);

}  // namespace standin::vm
