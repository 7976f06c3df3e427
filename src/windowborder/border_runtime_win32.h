// Process-wide state of the native window border: the one-time set-up (the
// Java callbacks and the system functions that newer Windows versions have),
// the window map behind its critical section, and the state of one window.
#pragma once

#include <jni.h>

#include "base/handle.h"
#include "base/win32.h"
// After windows.h, which WIN32_LEAN_AND_MEAN keeps from including it.
#include <shellapi.h>

namespace zvt::border {

// One window with the border installed. The map holds one reference and
// every message of the window being handled right now holds another, so a
// state that uninstallImpl removes on a Java thread stays alive until the
// window thread is done with it. The last reference deletes the global
// reference to the receiver.
struct WindowBorderState {
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;       // the window thread's, once GetEnv gave it; only that thread uses it
  jobject receiver = nullptr;  // global reference to the WndProc object
  HWND hwnd = nullptr;
  WNDPROC previous = nullptr;  // the window procedure in place before install
  volatile LONG references = 1;

  WindowBorderState() = default;
  ~WindowBorderState();
  WindowBorderState(const WindowBorderState&) = delete;
  WindowBorderState& operator=(const WindowBorderState&) = delete;
};

// A counted reference to a WindowBorderState (interlocked, as the window
// thread and Java threads hold them at once).
class StateRef {
 public:
  StateRef() = default;
  // Takes over the reference a new state starts with.
  explicit StateRef(WindowBorderState* adopted) : state_(adopted) {}
  StateRef(const StateRef& other);
  StateRef(StateRef&& other) noexcept : state_(other.state_) { other.state_ = nullptr; }
  StateRef& operator=(StateRef other) noexcept {
    WindowBorderState* mine = state_;
    state_ = other.state_;
    other.state_ = mine;
    return *this;
  }
  ~StateRef();

  WindowBorderState* get() const { return state_; }
  WindowBorderState* operator->() const { return state_; }
  WindowBorderState& operator*() const { return *state_; }
  explicit operator bool() const { return state_ != nullptr; }

 private:
  WindowBorderState* state_ = nullptr;
};

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using ShAppBarMessageFn = UINT_PTR(WINAPI*)(DWORD, PAPPBARDATA);

// What a successful set-up found. Never freed: windows may outlive any
// caller that could free it.
struct BorderRuntime {
  jmethodID onNcHitTest = nullptr;                // (IIZ)I
  jmethodID isFullscreen = nullptr;               // ()Z
  jmethodID fireStateChangedLaterOnce = nullptr;  // ()V
  GetDpiForWindowFn getDpiForWindow = nullptr;
  GetSystemMetricsForDpiFn getSystemMetricsForDpi = nullptr;
  ShAppBarMessageFn shAppBarMessage = nullptr;
  // Window property holding the previous procedure (0 when no atom could
  // be had: then only the window class's procedure is known).
  ATOM previousProperty = 0;
};

// Runs the set-up once per process, on the first call, with that call's
// JNIEnv and WndProc receiver; concurrent first calls wait for it. Every
// call returns its outcome: the runtime, or null when something was missing.
const BorderRuntime* initialiseBorder(JNIEnv* env, jobject receiver);
// The outcome of the set-up, null before it or when it failed.
const BorderRuntime* borderRuntime();

// The window map, each operation under the map's critical section.
StateRef findWindowState(HWND hwnd);
bool hasWindowState(HWND hwnd);
// Adds `state` unless the window has one already (the check and the insert
// under one hold of the lock, so two threads cannot both install).
bool addWindowState(HWND hwnd, StateRef state);
StateRef takeWindowState(HWND hwnd);

// The JNIEnv of the calling thread (the window's thread inside its window
// procedure), cached in the state once GetEnv gives one; retried while it
// fails.
JNIEnv* windowEnv(WindowBorderState& state);

}  // namespace zvt::border
