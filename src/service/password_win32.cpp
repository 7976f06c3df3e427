#include "service/password_win32.h"

#include "base/win32.h"
#include "runtime/console.h"
#include "service/install_options.h"

namespace zvt {

void wipe(std::wstring& text) {
  if (!text.empty()) SecureZeroMemory(&text[0], text.size() * sizeof(wchar_t));
  text.clear();
}

namespace {

void wipe(std::string& text) {
  if (!text.empty()) SecureZeroMemory(&text[0], text.size());
  text.clear();
}

constexpr size_t kPasswordLimit = 1024;

// From a console: typed without echo, up to Enter.
bool readConsolePassword(HANDLE input, DWORD mode, const std::wstring& account, std::wstring& password) {
  writeConsoleText(stderr, L"Password for " + account + L": ");
  SetConsoleMode(input, (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
  bool ended = false;
  wchar_t ch = 0;
  DWORD read = 0;
  while (password.size() < kPasswordLimit && ReadConsoleW(input, &ch, 1, &read, nullptr) && read == 1) {
    if (ch == L'\r' || ch == L'\n') {
      ended = true;
      break;
    }
    password.push_back(ch);
  }
  // The line end left behind by line input.
  if (ch == L'\r') ReadConsoleW(input, &ch, 1, &read, nullptr);
  ch = 0;
  SetConsoleMode(input, mode);
  writeConsoleText(stderr, L"\n");
  return ended;
}

// From a pipe or a file: one line, read byte by byte so that nothing after
// it is taken. UTF-8 when the bytes are valid UTF-8, else the ANSI code page.
bool readPipedPassword(HANDLE input, std::wstring& password) {
  std::string bytes;
  char ch = 0;
  DWORD read = 0;
  while (bytes.size() < kPasswordLimit && ReadFile(input, &ch, 1, &read, nullptr) && read == 1) {
    bytes.push_back(ch);
    if (ch == '\n') break;
  }
  ch = 0;
  std::string line;
  const bool ok = passwordLine(bytes, line);
  wipe(bytes);
  if (!ok) return false;
  if (!line.empty()) {
    const UINT codePage = isValidUtf8(line) ? CP_UTF8 : CP_ACP;
    int n = MultiByteToWideChar(codePage, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
    if (n > 0) {
      password.assign(static_cast<size_t>(n), L'\0');
      MultiByteToWideChar(codePage, 0, line.data(), static_cast<int>(line.size()), &password[0], n);
    }
  }
  wipe(line);
  return true;
}
}  // namespace

// The password of a named account: never from the configuration or the
// command line, never into the log or the output.
bool readPassword(const std::wstring& account, std::wstring& password) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  if (GetConsoleMode(input, &mode)) return readConsolePassword(input, mode, account, password);
  return readPipedPassword(input, password);
}

}  // namespace zvt
