#include "support/win_process.h"

#include <cwchar>

#include "base/handle.h"
#include "base/text.h"

namespace zvt::test {
namespace {

struct PipeReader {
  HANDLE pipe;
  std::string* sink;
};

DWORD WINAPI drain(void* param) {
  auto* reader = static_cast<PipeReader*>(param);
  char buf[4096];
  DWORD n;
  while (ReadFile(reader->pipe, buf, sizeof(buf), &n, nullptr) && n > 0) reader->sink->append(buf, n);
  return 0;
}

// The current environment with the requested changes, sorted as Windows
// expects, as a UTF-16 block.
std::vector<wchar_t> environmentBlock(const RunOptions& options) {
  std::map<std::wstring, std::pair<std::wstring, std::wstring>> vars;  // upper name -> (name, value)
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
    std::wstring entry = p;
    size_t eq = entry.find(L'=', 1);  // "=C:" style entries start with '='
    if (eq == std::wstring::npos) continue;
    std::wstring name = entry.substr(0, eq);
    std::wstring upper = name;
    CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    vars[upper] = {name, entry.substr(eq + 1)};
  }
  FreeEnvironmentStringsW(block);
  auto upperOf = [](std::wstring s) {
    CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
    return s;
  };
  for (const auto& name : options.unsetEnv) vars.erase(upperOf(name));
  for (const auto& kv : options.setEnv) vars[upperOf(kv.first)] = {kv.first, kv.second};
  std::vector<wchar_t> out;
  for (const auto& kv : vars) {
    std::wstring entry = kv.second.first + L"=" + kv.second.second;
    out.insert(out.end(), entry.begin(), entry.end());
    out.push_back(L'\0');
  }
  out.push_back(L'\0');
  return out;
}

struct DialogSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK findDialog(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (pid == search->pid && wcscmp(cls, L"#32770") == 0 && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

std::wstring windowText(HWND hwnd) {
  wchar_t buf[8192] = {};
  GetWindowTextW(hwnd, buf, 8192);
  return buf;
}

// A message box keeps its text in a static control with id 0xFFFF.
bool answerDialog(DWORD pid, RunResult& result) {
  DialogSearch search{pid, nullptr};
  EnumWindows(&findDialog, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return false;
  DialogSeen seen;
  seen.caption = windowText(search.found);
  HWND text = GetDlgItem(search.found, 0xFFFF);
  if (text) seen.text = windowText(text);
  result.dialogs.push_back(seen);
  PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return true;
}

}  // namespace

RunResult runProcess(const std::wstring& commandLine, const RunOptions& options) {
  RunResult result;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  UniqueHandle outRead, outWrite, errRead, errWrite, inRead, inWrite;
  CreatePipe(outRead.receive(), outWrite.receive(), &inherit, 0);
  CreatePipe(errRead.receive(), errWrite.receive(), &inherit, 0);
  CreatePipe(inRead.receive(), inWrite.receive(), &inherit, 0);
  SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead.get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(inWrite.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = inRead.get();
  si.hStdOutput = outWrite.get();
  si.hStdError = errWrite.get();
  PROCESS_INFORMATION pi{};
  std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back(L'\0');
  std::vector<wchar_t> env = environmentBlock(options);
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW,
                      env.data(), options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str(), &si,
                      &pi)) {
    result.exitCode = 0xFFFFFFFF;
    result.err = "CreateProcess failed: " + std::to_string(GetLastError());
    return result;
  }
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  outWrite.reset();
  errWrite.reset();
  inRead.reset();
  if (!options.input.empty()) {
    DWORD n;
    WriteFile(inWrite.get(), options.input.data(), static_cast<DWORD>(options.input.size()), &n, nullptr);
  }
  inWrite.reset();

  PipeReader outReader{outRead.get(), &result.out}, errReader{errRead.get(), &result.err};
  UniqueHandle outThread(CreateThread(nullptr, 0, &drain, &outReader, 0, nullptr));
  UniqueHandle errThread(CreateThread(nullptr, 0, &drain, &errReader, 0, nullptr));

  const ULONGLONG deadline = GetTickCount64() + options.timeoutMs;
  for (;;) {
    if (WaitForSingleObject(process.get(), 100) == WAIT_OBJECT_0) break;
    answerDialog(pi.dwProcessId, result);
    if (GetTickCount64() > deadline) {
      result.timedOut = true;
      TerminateProcess(process.get(), 0xDEAD);
      WaitForSingleObject(process.get(), 5000);
      break;
    }
  }
  // Grandchildren may hold the pipes open; do not wait for them forever.
  HANDLE readers[] = {outThread.get(), errThread.get()};
  if (WaitForMultipleObjects(2, readers, TRUE, 10000) != WAIT_OBJECT_0) {
    CancelSynchronousIo(outThread.get());
    CancelSynchronousIo(errThread.get());
    outRead.reset();
    errRead.reset();
    WaitForMultipleObjects(2, readers, TRUE, 5000);
  }
  GetExitCodeProcess(process.get(), &result.exitCode);
  return result;
}

Sandbox::Sandbox(const std::wstring& tag) {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  static LONG counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = std::wstring(temp) + L"zvt_" + tag + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(InterlockedIncrement(&counter));
    if (CreateDirectoryW(path_.c_str(), nullptr)) return;
  }
  path_.clear();
}

Sandbox::~Sandbox() {
  if (!path_.empty()) removeTree(path_);
}

void removeTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  UniqueFindHandle find(FindFirstFileW((path + L"\\*").c_str(), &entry));
  if (find) {
    do {
      std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = path + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeTree(full);
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find.get(), &entry));
  }
  find.reset();
  RemoveDirectoryW(path.c_str());
}

bool writeFileBytes(const std::wstring& path, const std::string& bytes) {
  UniqueHandle f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return false;
  DWORD n = 0;
  return WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
}

bool readFileBytes(const std::wstring& path, std::string& bytes) {
  UniqueHandle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return false;
  bytes.clear();
  char buf[65536];
  DWORD n;
  while (ReadFile(f.get(), buf, sizeof(buf), &n, nullptr) && n > 0) bytes.append(buf, n);
  return true;
}

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring windowsPath(const std::string& path) {
  std::wstring w = utf8ToUtf16(path);
  if (!w.empty() && w[0] == L'/') w = L"Z:" + w;
  for (auto& c : w)
    if (c == L'/') c = L'\\';
  return w;
}

std::wstring quote(const std::wstring& s) { return L"\"" + s + L"\""; }

}  // namespace zvt::test
