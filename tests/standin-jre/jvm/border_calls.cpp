// standin.callBorderExports: the application side of the native window
// border. The look and feel binds its native methods to the launcher's own
// exports (the JVM lives in the launcher's process), so they are looked up by
// their decorated stdcall names in the host executable, then driven through
// one window's life: install, a second install, a hit test, frame update,
// show, a registry read, uninstall twice.
#include <string>

#include "app.h"
#include "standin_home.h"
#include "trace.h"

namespace standin::vm {

namespace {

using InstallFn = jlong(JNICALL*)(JNIEnv*, jobject, jlong);
using UninstallFn = void(JNICALL*)(JNIEnv*, jobject, jlong);
using UpdateFrameFn = jboolean(JNICALL*)(JNIEnv*, jobject, jlong);
using ShowWindowFn = jboolean(JNICALL*)(JNIEnv*, jobject, jlong, jint);
using RegistryFn = jint(JNICALL*)(JNIEnv*, jclass, jstring, jstring, jint);

#define ZVT_BORDER_PREFIX "Java_com_zentrovia_runtime_flatlaf_FlatWindowsNativeWindowBorder_"

// i686 stdcall exports carry a leading underscore and the argument bytes
// (JNIEnv* 4 + receiver 4 + jlong 8 [+ jint 4]); x64 has no decoration.
#if defined(_WIN64)
#define ZVT_EXPORT(name, bytes) ZVT_BORDER_PREFIX name
#else
#define ZVT_EXPORT(name, bytes) "_" ZVT_BORDER_PREFIX name "@" #bytes
#endif

struct BorderExports {
  InstallFn install = nullptr;
  UninstallFn uninstall = nullptr;
  UpdateFrameFn updateFrame = nullptr;
  ShowWindowFn showWindow = nullptr;
  RegistryFn registryGetIntValue = nullptr;
};

template <typename Fn>
bool lookUp(HMODULE exe, const char* name, Fn* out) {
  *out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(exe, name)));
  trace(JsonLine("borderExport").text("name", name).flag("found", *out != nullptr));
  return *out != nullptr;
}

bool lookUpAll(BorderExports* e) {
  HMODULE exe = GetModuleHandleW(nullptr);
  bool ok = lookUp(exe, ZVT_EXPORT("00024WndProc_installImpl", 16), &e->install);
  ok = lookUp(exe, ZVT_EXPORT("00024WndProc_uninstallImpl", 16), &e->uninstall) && ok;
  ok = lookUp(exe, ZVT_EXPORT("00024WndProc_updateFrame", 16), &e->updateFrame) && ok;
  ok = lookUp(exe, ZVT_EXPORT("00024WndProc_showWindow", 20), &e->showWindow) && ok;
  ok = lookUp(exe, ZVT_EXPORT("registryGetIntValue", 20), &e->registryGetIntValue) && ok;
  return ok;
}

HWND createTestWindow() {
  static const wchar_t* kClass = L"ZvtStandinBorderWindow";
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);  // fails harmlessly when already registered
  return CreateWindowExW(0, kClass, L"stand-in border", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                         nullptr, nullptr, wc.hInstance, nullptr);
}

jstring javaString(Env& env, const std::string& text) {
  return static_cast<jstring>(newLocal(env, newString(widen(text))));
}

}  // namespace

void exerciseBorderExports(Env& env) {
  BorderExports e;
  if (!lookUpAll(&e)) {
    trace(JsonLine("borderDone").flag("complete", false));
    return;
  }
  HWND hwnd = createTestWindow();
  if (hwnd == nullptr) fatal("cannot create the border test window");
  JNIEnv* jni = jniOf(env);
  jobject receiver = newLocal(env, newObject(requireClass(
      "com/zentrovia/runtime/flatlaf/FlatWindowsNativeWindowBorder$WndProc")));
  jlong handle = static_cast<jlong>(reinterpret_cast<intptr_t>(hwnd));

  jlong first = e.install(jni, receiver, handle);
  jlong second = e.install(jni, receiver, handle);
  trace(JsonLine("borderInstall").number("hwnd", handle).number("first", first).number("second", second));

  RECT r{};
  GetWindowRect(hwnd, &r);
  LRESULT hit = SendMessageW(hwnd, WM_NCHITTEST, 0,
                             MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  trace(JsonLine("borderHitTest").number("result", hit));

  jboolean framed = e.updateFrame(jni, receiver, handle);
  jboolean shown = e.showWindow(jni, receiver, handle, SW_SHOWNA);
  trace(JsonLine("borderFrame").flag("updateFrame", framed).flag("showWindow", shown));

  jclass outer = static_cast<jclass>(newLocal(
      env, requireClass("com/zentrovia/runtime/flatlaf/FlatWindowsNativeWindowBorder")->mirror));
  jint value = e.registryGetIntValue(
      jni, outer, javaString(env, property("standin.borderRegKey", "Software\\ZvtStandin")),
      javaString(env, property("standin.borderRegValue", "Missing")), -7);
  trace(JsonLine("borderRegistry").number("value", value));

  e.uninstall(jni, receiver, handle);
  e.uninstall(jni, receiver, handle);
  DestroyWindow(hwnd);
  trace(JsonLine("borderDone").flag("complete", true));
}

}  // namespace standin::vm
