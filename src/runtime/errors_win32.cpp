#include <cstdio>
#include <vector>

#include "base/handle.h"
#include "base/text.h"
#include "base/win32.h"
#include "runtime/console.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/message_format.h"
#include "runtime/message_ids.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"

namespace zvt {
namespace {

ErrorDisplay g_display = ErrorDisplay::Dialog;
MessageSource g_messages = nullptr;

std::wstring messageText(uint32_t id) {
  return g_messages ? g_messages(id) : std::wstring();
}

std::wstring longForm(const std::wstring& path) {
  std::vector<wchar_t> buf(kMessageCapacity);
  DWORD n = GetLongPathNameW(path.c_str(), buf.data(), kMessageCapacity);
  return n > 0 && n < kMessageCapacity ? std::wstring(buf.data(), n) : path;
}

// Standard error gets narrow text with a line break. Units the ANSI code
// page cannot show become "?" instead of ending the write early, as the C
// runtime's default-locale narrowing would.
void writeStandardError(const std::wstring& text) { writeConsoleText(stderr, text + L"\n"); }

// Whether this process's window station is the one a user sees. A service
// runs in a station of its own that nobody sees: a modal dialog there waits
// for a button nobody can press, and the process hangs instead of ending.
// When the station cannot be asked, dialogs stay as they were.
bool windowStationVisible() {
  HWINSTA station = GetProcessWindowStation();
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  if (station == nullptr || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), &needed)) {
    return true;
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

void setErrorDisplay(ErrorDisplay mode) { g_display = mode; }
ErrorDisplay errorDisplay() { return g_display; }

void setMessageSource(MessageSource source) {
  g_messages = source;
}

void showError(const std::wstring& text) {
  std::wstring log = logPath();
  std::wstring shown = withLogPath(text, log.empty() ? log : longForm(log));
  if (g_display == ErrorDisplay::Dialog && !windowStationVisible()) {
    logError(L"%ls", text.c_str());
    writeStandardError(shown);
    return;
  }
  if (g_display == ErrorDisplay::Dialog) {
    std::wstring caption = messageText(msg::kErrorCaption);
    MessageBoxW(nullptr, shown.c_str(), caption.c_str(), MB_ICONERROR | MB_OK);
    return;
  }
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE || GetFileType(out) != FILE_TYPE_CHAR) {
    writeStandardError(shown);
    return;
  }
  DWORD written = 0;
  if (!WriteConsoleW(out, shown.c_str(), static_cast<DWORD>(shown.size()), &written, nullptr)) {
    // A character device that is not a console (NUL, a serial port).
    writeStandardError(shown);
    return;
  }
  FlushFileBuffers(out);
}

std::wstring messageWith(uint32_t id, const std::wstring* argument) {
  std::wstring text = messageText(id);
  if (argument) text = insertArgument(text, *argument);
  return text;
}

// The argument is configuration text (a search entry, a variable name) in
// the code page: converted whole, then bounded, so no double-byte
// character is split and none shows as the characters of its bytes.
std::wstring messageWithA(uint32_t id, const std::string& argument) {
  std::wstring wide = toWide(argument);
  if (wide.size() > kMessageCapacity - 1) wide.resize(kMessageCapacity - 1);
  return messageWith(id, &wide);
}

void showMessage(uint32_t id, const std::wstring* argument) {
  showError(messageWith(id, argument));
}

void showMessageA(uint32_t id, const std::string& argument) {
  showError(messageWithA(id, argument));
}

void fatalText(const std::wstring& text) {
  showError(text);
  fatalExit(1);
}

void fatalMessage(uint32_t id, const std::string& argument) {
  showMessageA(id, argument);
  fatalExit(1);
}

void fatalMessageW(uint32_t id, const std::wstring* argument) {
  showMessage(id, argument);
  fatalExit(1);
}

void emptyDirectory(const std::wstring& path, bool recursive) {
  if (path.empty() || path[0] == L'.') return;
  logLine(L"emptying %ls", path.c_str());
  WIN32_FIND_DATAW entry;
  UniqueFindHandle find(FindFirstFileW((path + L"\\*.*").c_str(), &entry));
  if (!find) return;
  do {
    std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring full = path + L"\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      logLine(L"attempting to remove %ls (%d)", full.c_str(), recursive ? 1 : 0);
      if (recursive) emptyDirectory(full, false);
      RemoveDirectoryW(full.c_str());
    } else {
      logLine(L"attempting to delete %ls", full.c_str());
      DeleteFileW(full.c_str());
    }
  } while (FindNextFileW(find.get(), &entry));
}

void removeLauncherTempDirectory() {
  std::string& dir = processState().launcherTempDirectory;
  if (dir.empty()) return;
  // The name is narrow text in the file functions' code page.
  std::wstring wide = toWide(dir);
  emptyDirectory(wide, true);
  RemoveDirectoryW(wide.c_str());
  dir.clear();
}

void fatalExit(int code) {
  removeLauncherTempDirectory();
  fflush(stdout);
  fflush(stderr);
  // No C runtime exit handlers: other threads (the JVM's) may still run, and
  // their state must not be torn down under them.
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace zvt
