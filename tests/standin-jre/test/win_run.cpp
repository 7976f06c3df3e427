#include "win_run.h"

#include "base/handle.h"

namespace standin::test {

namespace {

using zvt::UniqueHandle;

std::wstring quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes double only in front of a quote (ours or the closing one).
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

struct Drain {
  HANDLE pipe;
  std::string* sink;
};

DWORD WINAPI drainPipe(LPVOID param) {
  auto* d = static_cast<Drain*>(param);
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(d->pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) d->sink->append(buffer, got);
  return 0;
}

bool makePipe(UniqueHandle* read, UniqueHandle* write, bool childReads) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  if (!CreatePipe(read->receive(), write->receive(), &sa, 0)) return false;
  // Only the child's end may be inherited, or the parent never sees EOF.
  return SetHandleInformation(childReads ? write->get() : read->get(), HANDLE_FLAG_INHERIT, 0);
}

}  // namespace

RunResult run(const std::wstring& program, const std::vector<std::wstring>& args, const RunOptions& options) {
  RunResult result;
  UniqueHandle inRead, inWrite, outRead, outWrite, errRead, errWrite;
  if (!makePipe(&inRead, &inWrite, true) || !makePipe(&outRead, &outWrite, false) ||
      !makePipe(&errRead, &errWrite, false)) {
    result.exitCode = 0xDEAD;
    return result;
  }
  std::wstring commandLine = quote(program);
  for (const std::wstring& arg : args) commandLine += L" " + quote(arg);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = inRead.get();
  si.hStdOutput = outWrite.get();
  si.hStdError = errWrite.get();
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &si, &pi)) {
    result.exitCode = 0xDEAD;
    return result;
  }
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  inRead.reset();
  outWrite.reset();
  errWrite.reset();
  Drain outDrain{outRead.get(), &result.out}, errDrain{errRead.get(), &result.err};
  UniqueHandle outThread(CreateThread(nullptr, 0, drainPipe, &outDrain, 0, nullptr));
  UniqueHandle errThread(CreateThread(nullptr, 0, drainPipe, &errDrain, 0, nullptr));
  DWORD written = 0;
  if (!options.input.empty()) {
    WriteFile(inWrite.get(), options.input.data(), static_cast<DWORD>(options.input.size()), &written, nullptr);
  }
  if (options.closeInput) inWrite.reset();
  if (WaitForSingleObject(process.get(), options.timeoutMs) == WAIT_TIMEOUT) {
    result.timedOut = true;
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), INFINITE);
  }
  inWrite.reset();
  // Grandchildren may hold the pipes; the drains get a bounded wait.
  for (HANDLE drain : {outThread.get(), errThread.get()}) {
    // The drains point into this frame; none may outlive it.
    if (WaitForSingleObject(drain, 10000) == WAIT_TIMEOUT) TerminateThread(drain, 1);
  }
  GetExitCodeProcess(process.get(), &result.exitCode);
  return result;
}

}  // namespace standin::test
