// Test side of the native window border: the five exports looked up by name
// in this executable (as the JVM looks them up in the launcher), the
// stand-in JVM of this process with a WndProc receiver, real top-level
// windows whose own procedure records what reaches it, and window threads.
#pragma once

#include <jni.h>

#include <functional>
#include <string>
#include <vector>

#include "base/critical_section.h"
#include "base/win32.h"

namespace zvt::test::border {

struct Exports {
  jlong(JNICALL* install)(JNIEnv*, jobject, jlong) = nullptr;
  void(JNICALL* uninstall)(JNIEnv*, jobject, jlong) = nullptr;
  jboolean(JNICALL* updateFrame)(JNIEnv*, jobject, jlong) = nullptr;
  jboolean(JNICALL* showWindow)(JNIEnv*, jobject, jlong, jint) = nullptr;
  jint(JNICALL* registryGetIntValue)(JNIEnv*, jclass, jstring, jstring, jint) = nullptr;
  std::string missing;  // names not found, blank-separated
};
// By the names a 32-bit JVM (decorated) or a 64-bit one (plain) looks up.
const Exports& exports();

// The stand-in JVM of this process, created on first use with the options
// in ZVT_BORDER_VM_OPTIONS (separated by '|') in a runtime home of its own.
// Its env belongs to the thread that created it (the test's main thread).
class Jvm {
 public:
  static Jvm& get();
  static bool created();
  // DestroyJavaVM and the home's removal; afterwards only trace() works.
  void destroy();

  JavaVM* vm() const { return vm_; }
  JNIEnv* env() const { return env_; }
  const std::string& error() const { return error_; }
  // A new WndProc object (a local reference of `env`, default the main one).
  jobject newReceiver(JNIEnv* env = nullptr);
  jclass borderClass();  // FlatWindowsNativeWindowBorder, for the static export
  jstring string(const std::wstring& text);
  void setProperty(const std::string& name, const std::string& value);
  std::vector<std::string> trace() const;

 private:
  Jvm();
  std::wstring dir_;
  std::wstring home_;
  HMODULE library_ = nullptr;
  JavaVM* vm_ = nullptr;
  JNIEnv* env_ = nullptr;
  std::string error_;
  std::vector<std::string> savedTrace_;
};

// Trace records of one kind of callback, with their argument lists.
struct CallRecord {
  std::string method;
  std::string args;  // the JSON array, e.g. [50,1,true]
};
std::vector<CallRecord> callbackCalls(const std::vector<std::string>& trace, size_t from, const std::string& method);

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// A top-level window of a class whose procedure records every message that
// reaches it: the procedure the border passes messages on to. Its client
// area is painted `fill`. It belongs to the thread that creates it.
class TestWindow {
 public:
  TestWindow(DWORD style, const RECT& at, const wchar_t* title = L"border test", COLORREF fill = RGB(0, 128, 128));
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  jlong handle() const;
  int count(UINT message) const;
  std::vector<Seen> seen(UINT message) const;
  void forget();  // clears the record
  // Called on the window's thread for every message before it is recorded;
  // a non-zero result answers the message instead of DefWindowProc.
  std::function<LRESULT(UINT, WPARAM, LPARAM)> hook;
  // Paints a dark band across the top of the client area, as a look and
  // feel draws its own title bar.
  int titleBand = 0;
  void destroy();  // DestroyWindow (on its thread), recorded as usual

  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void paint();
  HWND hwnd_ = nullptr;
  COLORREF fill_;
  mutable CriticalSection lock_;
  std::vector<Seen> seen_;
};

// Geometry as the border tests compare it: client rectangle relative to the
// window rectangle's top-left corner.
struct Insets {
  LONG left, top, right, bottom;  // distances of the client edges from the window edges
};
Insets clientInsets(HWND hwnd);
std::string show(const Insets& insets);

// Handles pending messages of this thread, for `ms` milliseconds at least.
void pump(DWORD ms = 0);

// A thread that owns windows and runs a message loop; tasks run on it.
class WindowThread {
 public:
  // `attach`: the thread attaches itself to the JVM first (as a toolkit's
  // window thread is), else it has no JNIEnv.
  explicit WindowThread(bool attach);
  ~WindowThread();  // ends the loop, detaches, joins
  WindowThread(const WindowThread&) = delete;
  WindowThread& operator=(const WindowThread&) = delete;
  // Runs `task` on the thread and waits for it (its messages keep flowing).
  void run(const std::function<void()>& task);
  // Posts `task` to the thread without waiting.
  void post(const std::function<void()>& task);
  JNIEnv* env() const { return env_; }

 private:
  static DWORD WINAPI main(LPVOID self);
  bool attach_;
  JNIEnv* env_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  HANDLE ready_ = nullptr;
};

// HWND <-> the Java long the exports take.
inline jlong javaHandle(HWND hwnd) {
  return static_cast<jlong>(reinterpret_cast<intptr_t>(hwnd));
}

bool runningOnWine();

// The frame thickness the border uses: padded border plus sizing frame at
// the window's DPI.
int frameThicknessOf(HWND hwnd);

}  // namespace zvt::test::border
