// JNI_CreateJavaVM and the invocation interface (JavaVM functions).
// jni.h declares the creation functions dllimport unless told that this is
// the implementation.
#define _JNI_IMPLEMENTATION_
#include <cstdio>
#include <string>
#include <vector>

#include "standin_home.h"
#include "trace.h"
#include "vm_state.h"

namespace standin::vm {

const JNINativeInterface_* functionTable();

namespace {

bool supportedVersion(jint version) {
  switch (version) {
    case JNI_VERSION_1_1:
    case JNI_VERSION_1_2:
    case JNI_VERSION_1_4:
    case JNI_VERSION_1_6:
    case JNI_VERSION_1_8:
    case JNI_VERSION_9:
    case JNI_VERSION_10:
      return true;
    default:
      return false;
  }
}

// Options this JVM understands; anything else is "unrecognized" and fails
// creation unless the caller set ignoreUnrecognized.
bool recognised(const std::string& option) {
  static const char* const kPrefixes[] = {"-D",
                                          "-X",
                                          "-verbose",
                                          "-ea",
                                          "-da",
                                          "-esa",
                                          "-dsa",
                                          "-enableassertions",
                                          "-disableassertions",
                                          "-javaagent:",
                                          "-agentlib:",
                                          "-agentpath:",
                                          "--add-",
                                          "--module-path",
                                          "--upgrade-module-path",
                                          "--patch-module",
                                          "--limit-modules",
                                          "--enable-native-access",
                                          "--illegal-access"};
  for (const char* prefix : kPrefixes) {
    if (option.rfind(prefix, 0) == 0) return true;
  }
  return option == "vfprintf" || option == "exit" || option == "abort";
}

std::set<std::string> splitList(const std::string& text) {
  std::set<std::string> items;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    std::string item = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!item.empty()) items.insert(item);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return items;
}

void setProperties(const std::vector<std::string>& options) {
  for (const std::string& option : options) {
    if (option.rfind("-D", 0) != 0) continue;
    size_t eq = option.find('=');
    std::string name = option.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
    state().properties[name] = eq == std::string::npos ? "" : option.substr(eq + 1);
  }
  state().hiddenClasses = splitList(property("standin.hideClass"));
  state().hiddenMethods = splitList(property("standin.hideMethod"));
}

// The stack reservation of the calling thread: from the start of the region
// the stack was reserved in up to its top. (Wine reserves at least 1 MiB for
// every thread, whatever was asked for.)
int64_t stackReservation() {
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(&info, &info, sizeof info);  // an address on this very stack
  // mingw's NtCurrentTeb reads the segment register through a zero-sized
  // array, which GCC's bounds check takes for an overrun.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
  auto* tib = reinterpret_cast<NT_TIB*>(NtCurrentTeb());
#pragma GCC diagnostic pop
  return static_cast<int64_t>(reinterpret_cast<uintptr_t>(tib->StackBase) -
                              reinterpret_cast<uintptr_t>(info.AllocationBase));
}

std::string hex(jint value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
  return text;
}

jint JNICALL DestroyJavaVM(JavaVM*) {
  Env* env = attachCurrent("DestroyJavaVM", false);
  (void)env;
  DWORD start = GetTickCount();
  std::vector<HANDLE> threads;
  {
    Lock lock;
    threads.swap(state().nonDaemonThreads);
  }
  // The VM ends only when no non-daemon thread is left.
  for (HANDLE thread : threads) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  size_t locals = 0, globals = 0;
  {
    Lock lock;
    for (Ref* ref : state().refs) {
      if (!ref->live) continue;
      (ref->kind == RefKind::Local ? locals : globals)++;
    }
    state().destroyed = true;
  }
  trace(JsonLine("destroy")
            .number("waitedMs", GetTickCount() - start)
            .number("liveLocalRefs", static_cast<int64_t>(locals))
            .number("liveGlobalRefs", static_cast<int64_t>(globals))
            .number("unreleasedStrings", static_cast<int64_t>(state().stringBuffers.size())));
  return JNI_OK;
}

jint attach(void** penv, void* args, bool daemon) {
  if (penv == nullptr) fatal("AttachCurrentThread with a null result pointer");
  if (state().destroyed) return JNI_ERR;
  std::string name;
  if (args != nullptr) {
    auto* attachArgs = static_cast<JavaVMAttachArgs*>(args);
    if (!supportedVersion(attachArgs->version)) return JNI_EVERSION;
    if (attachArgs->name) name = attachArgs->name;
  }
  bool fresh = currentEnv() == nullptr;
  Env* env = attachCurrent(name, daemon);
  if (fresh) trace(JsonLine("attach").text("thread", env->threadName).flag("daemon", daemon));
  *penv = env;
  return JNI_OK;
}

jint JNICALL AttachCurrentThread(JavaVM*, void** penv, void* args) {
  return attach(penv, args, false);
}

jint JNICALL AttachCurrentThreadAsDaemon(JavaVM*, void** penv, void* args) {
  return attach(penv, args, true);
}

jint JNICALL DetachCurrentThread(JavaVM*) {
  if (currentEnv() == nullptr) return JNI_OK;
  trace(JsonLine("detach"));
  detachCurrent();
  return JNI_OK;
}

jint JNICALL GetEnv(JavaVM*, void** penv, jint version) {
  if (penv == nullptr) fatal("GetEnv with a null result pointer");
  *penv = nullptr;
  jint result = JNI_OK;
  Env* env = currentEnv();
  if (!supportedVersion(version)) {
    result = JNI_EVERSION;
  } else if (env == nullptr || state().destroyed) {
    result = JNI_EDETACHED;
  } else {
    *penv = env;
  }
  trace(JsonLine("getEnv").text("version", hex(version)).number("result", result));
  return result;
}

const JNIInvokeInterface_* invokeTable() {
  static const JNIInvokeInterface_ table = [] {
    JNIInvokeInterface_ t{};
    t.DestroyJavaVM = DestroyJavaVM;
    t.AttachCurrentThread = AttachCurrentThread;
    t.DetachCurrentThread = DetachCurrentThread;
    t.GetEnv = GetEnv;
    t.AttachCurrentThreadAsDaemon = AttachCurrentThreadAsDaemon;
    return t;
  }();
  return &table;
}

jint create(JavaVM** pvm, void** penv, void* vargs, int64_t entryUs) {
  if (pvm == nullptr || penv == nullptr || vargs == nullptr) {
    fatal("JNI_CreateJavaVM with a null argument");
  }
  setTraceHome(homeFor(modulePathOf(reinterpret_cast<const void*>(&create)), 2));
  auto* args = static_cast<JavaVMInitArgs*>(vargs);
  std::vector<std::string> options, unrecognised;
  for (jint i = 0; i < args->nOptions; ++i) {
    const char* text = args->options[i].optionString;
    if (text == nullptr) fatal("JNI_CreateJavaVM with a null option string");
    options.push_back(text);
    if (!recognised(text)) unrecognised.push_back(text);
  }
  trace(JsonLine("create")
            .text("version", hex(args->version))
            .flag("ignoreUnrecognized", args->ignoreUnrecognized != JNI_FALSE)
            .texts("options", options)
            .number("stackReserve", stackReservation())
            .number("entryUs", entryUs)
            .number("priorityClass", static_cast<int64_t>(GetPriorityClass(GetCurrentProcess()))));
  if (args->version == JNI_VERSION_1_1 || !supportedVersion(args->version)) return JNI_EVERSION;
  if (state().destroyed) return JNI_ERR;  // a JVM cannot be created twice in one process
  if (state().created) return JNI_EEXIST;
  if (!unrecognised.empty() && !args->ignoreUnrecognized) {
    std::fprintf(stderr, "Unrecognized option: %s\n", unrecognised.front().c_str());
    return JNI_ERR;
  }
  setProperties(options);
  // The variables a test asks about, as the JVM's process sees them.
  std::set<std::string> variables = splitList(property("standin.env"));
  if (!variables.empty()) {
    JsonLine env("env");
    for (const std::string& name : variables) env.raw(name.c_str(), variableJson(widen(name)));
    trace(env);
  }
  std::string failure = property("standin.failCreate");
  if (!failure.empty()) {
    jint code = static_cast<jint>(propertyInt("standin.failCreate", JNI_ERR));
    trace(JsonLine("createFailed").number("code", code));
    return code;
  }
  buildClasses();
  state().javaVm.functions = invokeTable();
  state().created = true;
  Env* env = attachCurrent("main", false);
  *pvm = &state().javaVm;
  *penv = env;
  trace(JsonLine("created").texts("ignored", unrecognised));
  return JNI_OK;
}

}  // namespace

}  // namespace standin::vm

extern "C" {

jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
  // Taken first: benchmarks compare it with the time their process started.
  int64_t entryUs = standin::performanceMicroseconds();
  standin::vm::Lock lock;
  return standin::vm::create(pvm, penv, args, entryUs);
}

jint JNICALL JNI_GetCreatedJavaVMs(JavaVM** vms, jsize size, jsize* count) {
  auto& s = standin::vm::state();
  bool live = s.created && !s.destroyed;
  if (count) *count = live ? 1 : 0;
  if (live && vms && size > 0) vms[0] = &s.javaVm;
  return JNI_OK;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    std::wstring self = standin::modulePathOf(reinterpret_cast<const void*>(&DllMain));
    standin::setTraceHome(standin::homeFor(self, 2));
    standin::trace(standin::JsonLine("load").text("path", standin::utf8(self)));
  }
  return TRUE;
}
