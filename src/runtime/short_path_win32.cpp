#include <string>
#include <vector>

#include "base/handle.h"
#include "base/win32.h"
#include "runtime/log.h"
#include "runtime/path_calls_win32.h"

namespace zvt {

std::string shortPathFromCommandInterpreter(const std::wstring& path) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  UniqueHandle readEnd, writeEnd;
  if (!CreatePipe(readEnd.receive(), writeEnd.receive(), &inherit, 0)) {
    logLine(L"CreatePipe error (%d)", static_cast<int>(GetLastError()));
    return std::string();
  }
  if (!SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0)) {
    logLine(L"SetHandleInformation error (%d)", static_cast<int>(GetLastError()));
    return std::string();
  }
  std::wstring command = windowsDirectoryW() + L"\\system32\\cmd.exe /C for %I in (\"" + path + L"\") do @echo %~sI";
  logLine(L"executing %ls", command.c_str());
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nullptr;
  si.hStdOutput = writeEnd.get();
  si.hStdError = writeEnd.get();
  PROCESS_INFORMATION pi{};
  std::vector<wchar_t> cmd(command.begin(), command.end());
  cmd.push_back(L'\0');
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
    logLine(L"could not execute cmd.exe");
    return std::string();
  }
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  writeEnd.reset();  // so the read ends when cmd.exe does
  std::string text;
  char buf[512];
  DWORD n;
  while (text.size() < kPathCapacity && ReadFile(readEnd.get(), buf, sizeof(buf), &n, nullptr) && n > 0) {
    text.append(buf, n);
  }
  if (text.size() > kPathCapacity) text.resize(kPathCapacity);
  logLine(L"finished reading from cmd.exe %d \"%hs\"", static_cast<int>(text.size()), text.c_str());
  DWORD code = 1;
  GetExitCodeProcess(process.get(), &code);
  logLine(L"Exit Code %d", static_cast<int>(code));
  if (code == STILL_ACTIVE) {
    logLine(L"Terminating process");
    TerminateProcess(process.get(), 1);
  }
  if (code != 0 || text.size() <= 5) return std::string();
  size_t end = text.find_first_of("\r\n");
  if (end == std::string::npos) return std::string();
  text.resize(end);
  logLine(L"Using %hs", text.c_str());
  return text;
}

}  // namespace zvt
