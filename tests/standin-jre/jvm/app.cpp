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
  HANDLE thread = CreateThread(nullptr, 0, nonDaemonBody,
                               reinterpret_cast<LPVOID>(static_cast<uintptr_t>(ms)), 0, nullptr);
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

}  // namespace

jvalue launcherMain(Env& env, Object*, const std::vector<jvalue>&) {
  if (property("standin.callBorderExports") == "true") exerciseBorderExports(env);
  long nonDaemonMs = propertyInt("standin.nonDaemonMs", 0);
  if (nonDaemonMs > 0) startNonDaemonThread(nonDaemonMs);
  long sleepMs = propertyInt("standin.sleepMs", 0);
  if (sleepMs > 0) Sleep(static_cast<DWORD>(sleepMs));

  std::string app = property("standin.app", "record");
  if (app == "waitStdin") {
    waitForStopLine();
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
