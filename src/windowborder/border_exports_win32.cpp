// The five functions the look and feel's Java classes bind their native
// methods to. The JVM runs inside this executable, so the executable itself
// exports them: the x86_64 build under their plain JNI names, the i686 build
// under the stdcall-decorated names the JVM looks up there (with a leading
// underscore, through border_exports.def).
#include <jni.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "base/registry_win32.h"
#include "base/win32.h"
#include "windowborder/border_proc_win32.h"
#include "windowborder/border_runtime_win32.h"

#if defined(_WIN64)
#define ZVT_BORDER_EXPORT extern "C" __declspec(dllexport)
#else
// The .def file exports the decorated aliases; dllexport would add a second,
// underscore-less name for each.
#define ZVT_BORDER_EXPORT extern "C"
#endif

#define ZVT_BORDER_NAME(name) Java_com_zentrovia_runtime_flatlaf_FlatWindowsNativeWindowBorder_##name

namespace zvt::border {

namespace {

// A Java long holds the handle; on i686 only its low 32 bits are one.
HWND windowOf(jlong handle) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(handle));
}

jlong install(JNIEnv* env, jobject receiver, jlong handle) {
  if (initialiseBorder(env, receiver) == nullptr) return 0;
  HWND hwnd = windowOf(handle);
  if (hwnd == nullptr || hasWindowState(hwnd)) return 0;
  // A handle that is no (longer a) window would leave an entry behind that
  // refuses the next window given the same handle value; another process's
  // window cannot be subclassed from here.
  DWORD owner = 0;
  if (!IsWindow(hwnd) || GetWindowThreadProcessId(hwnd, &owner) == 0 || owner != GetCurrentProcessId()) return 0;
  WNDPROC previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
  // Already in the chain (a window that is being destroyed while its
  // procedure still leads here): the border would call itself.
  if (previous == nullptr || previous == &borderWindowProc) return 0;
  JavaVM* vm = nullptr;
  if (env->GetJavaVM(&vm) != JNI_OK) return 0;
  StateRef state(new (std::nothrow) WindowBorderState());
  if (!state) return 0;
  state->vm = vm;
  state->hwnd = hwnd;
  state->previous = previous;
  state->receiver = env->NewGlobalRef(receiver);
  if (state->receiver == nullptr) return 0;
  rememberPrevious(hwnd, previous);
  if (!addWindowState(hwnd, state)) return 0;
  SetLastError(ERROR_SUCCESS);
  if (SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&borderWindowProc)) == 0 &&
      GetLastError() != ERROR_SUCCESS) {
    takeWindowState(hwnd);
    return 0;
  }
  return handle;
}

void uninstall(jlong handle) {
  HWND hwnd = windowOf(handle);
  if (hwnd == nullptr) return;
  StateRef state = takeWindowState(hwnd);
  if (!state) return;
  restorePrevious(*state);
  // Also when another subclass in front kept the border procedure in the
  // chain: it passes everything through now, so the frame is the window's
  // own again.
  if (IsWindow(hwnd)) refreshFrame(hwnd);
  // Letting go here deletes the global reference through this thread's
  // JNIEnv, unless the window thread is in the middle of a message and
  // still holds the state; then it does so when that message is done.
}

// Java text as UTF-16, NUL-terminated for the registry. A null string, or
// one with U+0000 that the registry would read as shorter, gives false.
bool javaText(JNIEnv* env, jstring text, std::wstring* out) {
  if (text == nullptr) return false;
  jsize length = env->GetStringLength(text);
  const jchar* chars = env->GetStringChars(text, nullptr);
  if (chars == nullptr) return false;
  out->assign(chars, chars + length);
  env->ReleaseStringChars(text, chars);
  return out->find(L'\0') == std::wstring::npos;
}

// One registry read of this module: a REG_DWORD or REG_BINARY value under
// HKEY_CURRENT_USER of exactly four bytes (32-bit data; binary data of
// another size is refused).
bool readUserInt(const std::wstring& key, const std::wstring& value, DWORD* out) {
  UniqueRegKey opened = registry::openKey(HKEY_CURRENT_USER, key, KEY_READ);
  if (!opened) return false;
  const registry::Value read = registry::queryValue(opened.get(), value, sizeof(DWORD));
  if (!read.ok() || (read.type != REG_DWORD && read.type != REG_BINARY) || read.bytes.size() != sizeof(DWORD)) {
    return false;
  }
  DWORD data = 0;
  std::memcpy(&data, read.bytes.data(), sizeof(data));
  *out = data;
  return true;
}

}  // namespace

}  // namespace zvt::border

using namespace zvt::border;

ZVT_BORDER_EXPORT jlong JNICALL ZVT_BORDER_NAME(00024WndProc_installImpl)(JNIEnv* env, jobject self, jlong hwnd) {
  return install(env, self, hwnd);
}

ZVT_BORDER_EXPORT void JNICALL ZVT_BORDER_NAME(00024WndProc_uninstallImpl)(JNIEnv*, jobject, jlong hwnd) {
  uninstall(hwnd);
}

ZVT_BORDER_EXPORT jboolean JNICALL ZVT_BORDER_NAME(00024WndProc_updateFrame)(JNIEnv*, jobject, jlong hwnd) {
  return refreshFrame(windowOf(hwnd)) ? JNI_TRUE : JNI_FALSE;
}

ZVT_BORDER_EXPORT jboolean JNICALL ZVT_BORDER_NAME(00024WndProc_showWindow)(JNIEnv*, jobject, jlong hwnd, jint cmd) {
  return ShowWindow(windowOf(hwnd), static_cast<int>(cmd)) ? JNI_TRUE : JNI_FALSE;
}

ZVT_BORDER_EXPORT jint JNICALL ZVT_BORDER_NAME(registryGetIntValue)(JNIEnv* env, jclass, jstring key, jstring valueName,
                                                                    jint defaultValue) {
  // Nothing may unwind into the JVM: text that cannot be copied for lack of
  // memory reads as a missing value.
  try {
    std::wstring keyText;
    std::wstring nameText;
    DWORD value = 0;
    if (javaText(env, key, &keyText) && javaText(env, valueName, &nameText) && readUserInt(keyText, nameText, &value)) {
      return static_cast<jint>(value);
    }
  } catch (const std::bad_alloc&) {
  }
  return defaultValue;
}
