// Runs the single-instance check the way the launch sequence runs it: the
// log writer installed, the configuration values in place, a launcher
// temporary directory that a fatal end removes; then, like the Java
// application of a first instance, it shows a top-level window and keeps
// pumping its messages (another process restores and activates it) until its
// standard input ends.
//
//   zvt_instance_probe [--tmp=DIR] [--run-dir=DIR] [--window=normal|minimized] [ID=VALUE ...]
//
// --tmp sets TMP and TEMP and switches the log on, so each process logs into
// its own directory; ID=VALUE are configuration entries (158, 10005, 10008).
// Prints "ready <semaphore name>" once the check has passed and the window
// is shown. Exit code 0 after the end of its input, 3 when the input never
// ends (a hang must fail, not block).
#include <string>

#include "base/text.h"
#include "base/win32.h"
#include "config/accessors.h"
#include "instance/single_instance.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"

namespace {

constexpr DWORD kLifetimeMs = 120000;

bool startsWith(const std::wstring& text, const wchar_t* prefix, std::wstring& rest) {
  std::wstring p = prefix;
  if (text.compare(0, p.size(), p) != 0) return false;
  rest = text.substr(p.size());
  return true;
}

void writeOut(const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

HWND showWindow(const std::wstring& mode) {
  WNDCLASSW cls{};
  cls.lpfnWndProc = DefWindowProcW;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"ZvtInstanceProbe";
  RegisterClassW(&cls);
  HWND window = CreateWindowExW(0, cls.lpszClassName, L"instance probe", WS_OVERLAPPEDWINDOW, 100, 100, 320, 200,
                                nullptr, nullptr, cls.hInstance, nullptr);
  ShowWindow(window, mode == L"minimized" ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  UpdateWindow(window);
  return window;
}

DWORD WINAPI readUntilEnd(void* event) {
  char buffer[256];
  DWORD got = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
  }
  SetEvent(static_cast<HANDLE>(event));
  return 0;
}

// Pumps messages until standard input ends; false on the time limit.
bool serveUntilInputEnds() {
  HANDLE ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(CreateThread(nullptr, 0, &readUntilEnd, ended, 0, nullptr));
  const ULONGLONG deadline = GetTickCount64() + kLifetimeMs;
  for (;;) {
    ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    DWORD r = MsgWaitForMultipleObjects(1, &ended, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring window;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i], value;
    if (startsWith(arg, L"--tmp=", value)) {
      SetEnvironmentVariableW(L"TMP", value.c_str());
      SetEnvironmentVariableW(L"TEMP", value.c_str());
      SetEnvironmentVariableW(L"QUARN_LOG", L"yes");
    } else if (startsWith(arg, L"--run-dir=", value)) {
      CreateDirectoryW(value.c_str(), nullptr);
      zvt::processState().launcherTempDirectory = zvt::toNarrow(value);
    } else if (startsWith(arg, L"--window=", value)) {
      window = value;
    } else if (arg.find(L'=') != std::wstring::npos) {
      size_t eq = arg.find(L'=');
      uint32_t id = static_cast<uint32_t>(std::stoul(arg.substr(0, eq)));
      zvt::config::current().entries[id] = zvt::utf16ToUtf8(arg.substr(eq + 1));
    }
  }
  zvt::installLogWriter();
  zvt::logLine(L"instance probe %d", static_cast<int>(GetCurrentProcessId()));

  zvt::checkSingleInstance();

  if (!window.empty()) showWindow(window);
  writeOut("ready " + zvt::processState().instanceSemaphoreName + "\n");
  return serveUntilInputEnds() ? 0 : 3;
}
