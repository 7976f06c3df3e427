// A minimal Windows service for the end-to-end tests of the service commands.
// It appends the arguments its service main receives to a record file
// ("start|<name>|<param>..." per start, UTF-8), runs until asked to stop, and
// then takes a moment to stop while advancing its check point, so that the
// commands' wait for the stopped state has something to wait for.
//
// Command line (as registered with the service):
//   probe_service.exe <record file> [stall]
// With "stall" a stop request leaves the service stop-pending for four
// seconds without advancing its check point past a one-second wait hint.
#include <string>

#include "base/win32.h"
// After <windows.h>, which it needs.
#include <shellapi.h>

namespace {

std::wstring g_recordPath;
bool g_stall = false;
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_stopEvent = nullptr;

void report(DWORD state, DWORD checkPoint, DWORD waitHint) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  status.dwCheckPoint = checkPoint;
  status.dwWaitHint = waitHint;
  SetServiceStatus(g_statusHandle, &status);
}

DWORD WINAPI controlHandler(DWORD control, DWORD, LPVOID, LPVOID) {
  if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
    report(SERVICE_STOP_PENDING, 1, 3000);
    SetEvent(g_stopEvent);
  }
  return NO_ERROR;
}

void record(DWORD argc, LPWSTR* argv) {
  std::wstring line = L"start";
  for (DWORD i = 0; i < argc; ++i) line += L"|" + std::wstring(argv[i]);
  line += L"\n";
  int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &bytes[0], n, nullptr, nullptr);
  HANDLE file = CreateFileW(g_recordPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

void WINAPI serviceMain(DWORD argc, LPWSTR* argv) {
  g_statusHandle = RegisterServiceCtrlHandlerExW(argv[0], controlHandler, nullptr);
  if (!g_statusHandle) return;
  g_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  record(argc, argv);  // before RUNNING: a test that sees it running finds the record
  report(SERVICE_RUNNING, 0, 0);
  WaitForSingleObject(g_stopEvent, INFINITE);
  if (g_stall) {
    report(SERVICE_STOP_PENDING, 1, 1000);
    Sleep(4000);
  } else {
    for (DWORD checkPoint = 2; checkPoint <= 4; ++checkPoint) {
      Sleep(300);
      report(SERVICE_STOP_PENDING, checkPoint, 3000);
    }
  }
  report(SERVICE_STOPPED, 0, 0);
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) return 2;
  g_recordPath = argv[1];
  g_stall = argc > 2 && std::wstring(argv[2]) == L"stall";
  LocalFree(argv);
  wchar_t name[] = L"";  // an own-process service may leave the name empty
  SERVICE_TABLE_ENTRYW table[] = {{name, &serviceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
