// Stand-ins for the launcher's window-border exports, exported from this test
// program under the same decorated names, so that the stand-in JVM's
// standin.callBorderExports path can be tested before the real ones exist.
// They use the JNI functions the real ones need: GetObjectClass and
// GetMethodID for the callbacks, instance calls, GetJavaVM, global
// references and GetStringUTFChars.
#include <jni.h>

#include <cstdio>
#include <set>

#include "base/win32.h"

namespace {
std::set<jlong> g_installed;
jobject g_receiver = nullptr;
}

#define ZVT_BORDER(name) Java_com_zentrovia_runtime_flatlaf_FlatWindowsNativeWindowBorder_##name

extern "C" {

JNIEXPORT jlong JNICALL ZVT_BORDER(00024WndProc_installImpl)(JNIEnv* env, jobject self, jlong hwnd) {
  if (hwnd == 0 || g_installed.count(hwnd)) return 0;
  JavaVM* vm = nullptr;
  jclass cls = env->GetObjectClass(self);
  jmethodID hit = env->GetMethodID(cls, "onNcHitTest", "(IIZ)I");
  jmethodID full = env->GetMethodID(cls, "isFullscreen", "()Z");
  jmethodID fire = env->GetMethodID(cls, "fireStateChangedLaterOnce", "()V");
  if (env->GetJavaVM(&vm) != JNI_OK || hit == nullptr || full == nullptr || fire == nullptr) return 0;
  std::printf("fake onNcHitTest %d\n", static_cast<int>(env->CallIntMethod(self, hit, 5, 6, JNI_TRUE)));
  std::printf("fake isFullscreen %d\n", env->CallBooleanMethod(self, full));
  env->CallVoidMethod(self, fire);
  env->DeleteLocalRef(cls);
  g_receiver = env->NewGlobalRef(self);
  g_installed.insert(hwnd);
  return hwnd;
}

JNIEXPORT void JNICALL ZVT_BORDER(00024WndProc_uninstallImpl)(JNIEnv* env, jobject, jlong hwnd) {
  if (g_installed.erase(hwnd) == 0) return;
  env->DeleteGlobalRef(g_receiver);
  std::printf("fake uninstall\n");
}

JNIEXPORT jboolean JNICALL ZVT_BORDER(00024WndProc_updateFrame)(JNIEnv*, jobject, jlong hwnd) {
  return SetWindowPos(reinterpret_cast<HWND>(static_cast<intptr_t>(hwnd)), nullptr, 0, 0, 0, 0, 0x37) ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT jboolean JNICALL ZVT_BORDER(00024WndProc_showWindow)(JNIEnv*, jobject, jlong, jint cmd) {
  std::printf("fake showWindow %d\n", static_cast<int>(cmd));
  return JNI_TRUE;
}

JNIEXPORT jint JNICALL ZVT_BORDER(registryGetIntValue)(JNIEnv* env, jclass, jstring key, jstring value, jint def) {
  const char* k = env->GetStringUTFChars(key, nullptr);
  const char* v = env->GetStringUTFChars(value, nullptr);
  std::printf("fake registry %s %s %d\n", k, v, static_cast<int>(def));
  env->ReleaseStringUTFChars(key, k);
  env->ReleaseStringUTFChars(value, v);
  return 42;
}

}  // extern "C"
