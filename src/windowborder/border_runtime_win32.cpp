#include "windowborder/border_runtime_win32.h"

#include <new>

#include "base/critical_section.h"
#include "base/system_function_win32.h"
#include "runtime/log.h"
#include "windowborder/window_map.h"

namespace zvt::border {

namespace {

struct LockedWindowMap {
  CriticalSection lock;
  WindowMap<StateRef> map;
};

struct SetupRequest {
  JNIEnv* env;
  jobject receiver;
};

INIT_ONCE g_setupOnce = INIT_ONCE_STATIC_INIT;
const BorderRuntime* g_runtime = nullptr;  // written once inside the one-time set-up
LockedWindowMap* g_windows = nullptr;      // created with it, never destroyed

WindowMap<StateRef>::Handle keyOf(HWND hwnd) {
  return reinterpret_cast<WindowMap<StateRef>::Handle>(hwnd);
}

// A failed GetMethodID leaves NoSuchMethodError pending; the next JNI call
// would be made over it, and installImpl must answer 0, not throw.
jmethodID callback(JNIEnv* env, jclass cls, const char* name, const char* signature) {
  jmethodID id = env->GetMethodID(cls, name, signature);
  if (id == nullptr) {
    env->ExceptionClear();
    logError(L"window border: callback %hs %hs not found", name, signature);
  }
  return id;
}

BOOL CALLBACK setUp(PINIT_ONCE, PVOID parameter, PVOID*) {
  auto* request = static_cast<SetupRequest*>(parameter);
  BorderRuntime* rt = new (std::nothrow) BorderRuntime();
  if (rt == nullptr) return TRUE;
  // Newer systems only: without them the border is not offered. shell32
  // stays loaded for SHAppBarMessage (the lookup keeps what it loads).
  rt->getDpiForWindow = systemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  rt->getSystemMetricsForDpi = systemFunction<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
  rt->shAppBarMessage = systemFunction<ShAppBarMessageFn>(L"shell32.dll", "SHAppBarMessage");
  JNIEnv* env = request->env;
  jclass cls = env->GetObjectClass(request->receiver);
  if (cls != nullptr) {
    rt->onNcHitTest = callback(env, cls, "onNcHitTest", "(IIZ)I");
    rt->isFullscreen = callback(env, cls, "isFullscreen", "()Z");
    rt->fireStateChangedLaterOnce = callback(env, cls, "fireStateChangedLaterOnce", "()V");
    env->DeleteLocalRef(cls);
  }
  bool complete = rt->getDpiForWindow && rt->getSystemMetricsForDpi && rt->shAppBarMessage && rt->onNcHitTest &&
                  rt->isFullscreen && rt->fireStateChangedLaterOnce;
  if (!complete) {
    logError(L"window border: not available (GetDpiForWindow %hs, GetSystemMetricsForDpi %hs, SHAppBarMessage %hs)",
             rt->getDpiForWindow ? "found" : "missing", rt->getSystemMetricsForDpi ? "found" : "missing",
             rt->shAppBarMessage ? "found" : "missing");
    delete rt;
    return TRUE;
  }
  rt->previousProperty = GlobalAddAtomW(L"ZvtWindowBorderPreviousProcedure");
  g_windows = new (std::nothrow) LockedWindowMap();
  if (g_windows == nullptr) {
    delete rt;
    return TRUE;
  }
  g_runtime = rt;
  return TRUE;
}

}  // namespace

WindowBorderState::~WindowBorderState() {
  if (receiver == nullptr) return;
  // Whichever thread lets go last: uninstallImpl's Java thread, or the
  // window thread at the end of WM_DESTROY or of a message that was being
  // handled when uninstallImpl ran.
  void* current = nullptr;
  if (vm != nullptr && vm->GetEnv(&current, JNI_VERSION_1_2) == JNI_OK) {
    static_cast<JNIEnv*>(current)->DeleteGlobalRef(receiver);
  } else {
    logLine(L"window border: no JNIEnv on this thread, the global reference of window %p is kept", hwnd);
  }
}

StateRef::StateRef(const StateRef& other) : state_(other.state_) {
  if (state_ != nullptr) InterlockedIncrement(&state_->references);
}

StateRef::~StateRef() {
  if (state_ != nullptr && InterlockedDecrement(&state_->references) == 0) delete state_;
}

const BorderRuntime* initialiseBorder(JNIEnv* env, jobject receiver) {
  SetupRequest request{env, receiver};
  InitOnceExecuteOnce(&g_setupOnce, setUp, &request, nullptr);
  return g_runtime;
}

const BorderRuntime* borderRuntime() {
  BOOL pending = FALSE;
  // Asking without running: null until a set-up has completed.
  if (!InitOnceBeginInitialize(&g_setupOnce, INIT_ONCE_CHECK_ONLY, &pending, nullptr)) return nullptr;
  return g_runtime;
}

namespace {

// The map once the set-up has published it (the check orders this read
// after the set-up's writes, whichever thread asks).
LockedWindowMap* windows() {
  return borderRuntime() != nullptr ? g_windows : nullptr;
}

}  // namespace

StateRef findWindowState(HWND hwnd) {
  LockedWindowMap* w = windows();
  if (w == nullptr) return StateRef();
  CriticalSectionScope hold(w->lock);
  return w->map.find(keyOf(hwnd));
}

bool hasWindowState(HWND hwnd) {
  LockedWindowMap* w = windows();
  if (w == nullptr) return false;
  CriticalSectionScope hold(w->lock);
  return w->map.contains(keyOf(hwnd));
}

bool addWindowState(HWND hwnd, StateRef state) {
  LockedWindowMap* w = windows();
  if (w == nullptr) return false;
  CriticalSectionScope hold(w->lock);
  if (w->map.contains(keyOf(hwnd))) return false;
  return w->map.insert(keyOf(hwnd), std::move(state));
}

StateRef takeWindowState(HWND hwnd) {
  LockedWindowMap* w = windows();
  if (w == nullptr) return StateRef();
  CriticalSectionScope hold(w->lock);
  return w->map.take(keyOf(hwnd));
}

JNIEnv* windowEnv(WindowBorderState& state) {
  if (state.env == nullptr) {
    void* env = nullptr;
    if (state.vm->GetEnv(&env, JNI_VERSION_1_2) == JNI_OK) state.env = static_cast<JNIEnv*>(env);
  }
  return state.env;
}

}  // namespace zvt::border
