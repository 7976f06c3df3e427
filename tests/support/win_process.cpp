#include "support/win_process.h"

#include <cwchar>

#include "base/handle.h"
#include "base/text.h"

namespace zvt::test {
namespace {

// The current environment with the requested changes, sorted as Windows
// expects, as a UTF-16 block.
std::wstring environmentBlock(const RunOptions& options) {
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
  std::wstring out;
  for (const auto& kv : vars) {
    out += kv.second.first + L"=" + kv.second.second;
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

RunningProcess::RunningProcess(const std::wstring& commandLine, const RunOptions& options) : options_(options) {
  ChildOptions child;
  child.commandLine = commandLine;
  child.environment = environmentBlock(options);
  child.workingDirectory = options.workingDirectory;
  child.input = child.output = child.error = StreamSetup::pipe();
  child.terminateOnDestroy = true;
  if (!child_.start(child)) {
    result_.exitCode = 0xFFFFFFFF;
    result_.err = "CreateProcess failed: " + std::to_string(child_.startError());
    return;
  }
  if (!options.input.empty()) child_.writeInput(options.input);
  if (options.closeInput) child_.closeInput();
}

RunResult RunningProcess::finish() {
  if (!child_.started()) return result_;
  const ULONGLONG deadline = GetTickCount64() + options_.timeoutMs;
  while (!child_.wait(100)) {
    answerDialog(child_.id(), result_);
    if (GetTickCount64() > deadline) {
      result_.timedOut = true;
      child_.terminate(0xDEAD);
      break;
    }
  }
  return collect();
}

RunResult RunningProcess::stop() {
  if (!child_.started()) return result_;
  child_.terminate(0xDEAD);
  return collect();
}

RunResult RunningProcess::collect() {
  child_.closeInput();
  // Grandchildren may hold the pipes open; do not wait for them forever.
  child_.waitForOutput(10000);
  result_.out = child_.output();
  result_.err = child_.errorOutput();
  result_.exitCode = child_.exitCode().value_or(STILL_ACTIVE);
  return result_;
}

RunResult runProcess(const std::wstring& commandLine, const RunOptions& options) {
  return RunningProcess(commandLine, options).finish();
}

std::wstring quoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
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

std::wstring commandLine(const std::wstring& program, const std::vector<std::wstring>& arguments) {
  std::wstring line = quote(program);
  for (const std::wstring& argument : arguments) line += L" " + quoteArgument(argument);
  return line;
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
