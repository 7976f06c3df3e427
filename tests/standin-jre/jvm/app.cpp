#include "app.h"

#include <string>

#include "standin_home.h"
#include "trace.h"

namespace standin::vm {

namespace {

DWORD WINAPI nonDaemonBody(LPVOID param) {
  DWORD ms = static_cast<DWORD>(reinterpret_cast<uintptr_t>(param));
  Sleep(ms);
  trace(JsonLine("nonDaemonEnd").number("afterMs", ms));
  return 0;
}

void startNonDaemonThread(long ms) {
  HANDLE thread =
      CreateThread(nullptr, 0, nonDaemonBody, reinterpret_cast<LPVOID>(static_cast<uintptr_t>(ms)), 0, nullptr);
  if (thread == nullptr) fatal("cannot start the simulated non-daemon thread");
  Lock lock;
  // DestroyJavaVM waits for and closes these handles.
  state().nonDaemonThreads.push_back(thread);
  trace(JsonLine("nonDaemonStart").number("ms", ms));
}

// Reads standard input a byte at a time up to a line feed. Returns false at
// the end of input (or a broken pipe) with nothing read.
bool readLine(HANDLE in, std::string* line) {
  line->clear();
  char c = 0;
  DWORD got = 0;
  bool any = false;
  while (ReadFile(in, &c, 1, &got, nullptr) && got == 1) {
    any = true;
    if (c == '\n') break;
    if (c != '\r') *line += c;
  }
  return any;
}

// The service child's stop protocol as the runtime classes implement it: the
// line "0" or the end of standard input ends the application.
void waitForStopLine() {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  std::string line;
  while (in != nullptr && in != INVALID_HANDLE_VALUE && readLine(in, &line)) {
    trace(JsonLine("stdinLine").text("line", line));
    if (line == "0") {
      trace(JsonLine("stdinStop").text("reason", "line0"));
      return;
    }
  }
  trace(JsonLine("stdinStop").text("reason", "eof"));
}

// An application that does not stop: it reads its input (recording each
// line) and, at its end, goes on for ever, as one hung in a shutdown hook.
void ignoreStopLine() {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  std::string line;
  while (in != nullptr && in != INVALID_HANDLE_VALUE && readLine(in, &line)) {
    trace(JsonLine("stdinLine").text("line", line));
  }
  trace(JsonLine("stdinIgnored"));
  Sleep(INFINITE);
}

// A process the application starts and leaves running: this runtime's
// java.exe, sleeping ten minutes, with none of the application's handles.
void startGrandchild() {
  std::wstring command = L"\"" + traceHome() + L"\\bin\\java.exe\" -standinSleep 600000";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
    fatal("cannot start the grandchild process");
  }
  trace(JsonLine("grandchild").number("pid", static_cast<int64_t>(pi.dwProcessId)));
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct WindowRequest {
  bool minimized;
  HANDLE shown;  // set once the window is on the screen
};

// A top-level window as a user interface's toolkit thread keeps one: its
// own thread with a message loop, alive until the process ends, so other
// processes can restore it and bring it to the front.
DWORD WINAPI windowThread(LPVOID param) {
  WindowRequest request = *static_cast<WindowRequest*>(param);
  WNDCLASSW wc{};
  wc.lpfnWndProc = windowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"StandinApplicationWindow";
  RegisterClassW(&wc);
  std::wstring title = widen(property("standin.windowTitle", "stand-in application"));
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 100, 100, 320, 200, nullptr,
                              nullptr, wc.hInstance, nullptr);
  if (hwnd == nullptr) fatal("cannot create the stand-in application window");
  ShowWindow(hwnd, request.minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
  trace(JsonLine("window")
            .number("hwnd", static_cast<int64_t>(reinterpret_cast<uintptr_t>(hwnd)))
            .flag("minimized", IsIconic(hwnd) != FALSE));
  SetEvent(request.shown);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

void openWindow(const std::string& how) {
  if (how != "normal" && how != "minimized") fatal("unknown standin.window value: " + how);
  WindowRequest request{how == "minimized", CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  HANDLE thread = CreateThread(nullptr, 0, windowThread, &request, 0, nullptr);
  if (thread == nullptr || request.shown == nullptr) fatal("cannot start the stand-in window thread");
  // Main goes on once the window is shown, as after a toolkit's first
  // frame; the thread is a daemon, left running.
  if (WaitForSingleObject(request.shown, 10000) != WAIT_OBJECT_0) fatal("the stand-in window did not appear");
  CloseHandle(thread);
  CloseHandle(request.shown);
}

}  // namespace

jvalue launcherMain(Env& env, Object*, const std::vector<jvalue>&) {
  if (property("standin.callBorderExports") == "true") exerciseBorderExports(env);
  std::string window = property("standin.window");
  if (!window.empty()) openWindow(window);
  long nonDaemonMs = propertyInt("standin.nonDaemonMs", 0);
  if (nonDaemonMs > 0) startNonDaemonThread(nonDaemonMs);
  if (property("standin.grandchild") == "true") startGrandchild();
  long sleepMs = propertyInt("standin.sleepMs", 0);
  if (sleepMs > 0) Sleep(static_cast<DWORD>(sleepMs));

  std::string app = property("standin.app", "record");
  if (app == "waitStdin") {
    waitForStopLine();
  } else if (app == "ignoreStop") {
    ignoreStopLine();
  } else if (app == "throw") {
    throwNew(env, "java/lang/RuntimeException",
             widen(property("standin.throwMessage", "stand-in application failure")));
  } else if (app == "exit") {
    long code = propertyInt("standin.exitCode", 0);
    trace(JsonLine("exit").number("code", code));
    ExitProcess(static_cast<UINT>(code));
  } else if (app != "record") {
    fatal("unknown standin.app value: " + app);
  }
  trace(JsonLine("mainEnd").text("app", app));
  return jvalue{};
}

}  // namespace standin::vm
