#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <cwchar>
#include <vector>

#include "base/capacity.h"
#include "base/handle.h"
#include "base/log_sink.h"
#include "base/text.h"
#include "base/win32.h"
#include "runtime/log.h"
#include "runtime/log_format.h"
#include "runtime/paths.h"

namespace zvt {
namespace {

constexpr size_t kEnvCapacity = kBufferCapacity;

struct LogState {
  CRITICAL_SECTION lock;
  bool started = false;
  std::wstring path;
  unsigned long long startMs = 0;  // milliseconds since 1601
};

LogState* g_state = nullptr;

// The first log call happens on the main thread before any other thread
// exists, so creating the lock lazily here cannot race.
LogState& state() {
  if (!g_state) {
    g_state = new LogState();  // lives until exit: other threads may log late
    InitializeCriticalSection(&g_state->lock);
  }
  return *g_state;
}

unsigned long long nowMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  ULARGE_INTEGER t;
  t.LowPart = ft.dwLowDateTime;
  t.HighPart = ft.dwHighDateTime;
  return t.QuadPart / 10000;
}

bool envIsYes(const wchar_t* name) {
  wchar_t buf[kEnvCapacity];
  DWORD n = GetEnvironmentVariableW(name, buf, kEnvCapacity);
  return n > 0 && n < kEnvCapacity && wcscmp(buf, L"yes") == 0;
}

// One open, append, close per line: every line is on disk at once, and other
// processes may read or remove the log between lines.
bool appendToFile(const std::wstring& path, const std::string& bytes, bool truncate) {
  UniqueHandle file(CreateFileW(path.c_str(), truncate ? GENERIC_WRITE : FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                truncate ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  if (!truncate) SetFilePointer(file.get(), 0, nullptr, FILE_END);
  DWORD written = 0;
  return bytes.empty() || WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Opens a fresh numbered file and writes its first line. Runs inside the
// lock.
void openLogFile(LogState& s) {
  std::wstring dir = logDirectory(tempDirectoryW(false));
  s.path = logFilePath(dir, [](const std::wstring& path) { return fileExists(path); });

  time_t now = time(nullptr);
  const char* when = ctime(&now);  // ends with its own line break
  std::wstring first = firstLogLine(moduleFileNameW(), when ? when : "");
  std::string bytes = kUtf8ByteOrderMark + encodeLogText(first);
  if (!appendToFile(s.path, bytes, true)) {
    s.path = L"c:\\zvt_nlog";
    appendToFile(s.path, bytes, true);  // on failure later lines retry by appending
  }
  s.startMs = nowMs();
}

// Decides once whether to log. Runs inside the lock.
void setUp(LogState& s) {
  if (s.started) return;
  s.started = true;
  if (envIsYes(L"QUARN_LOG") || envIsYes(L"ZENTROVIA_LOG")) openLogFile(s);
}

std::wstring vformat(const wchar_t* format, va_list args) {
  std::vector<wchar_t> buf(1024);
  for (;;) {
    va_list copy;
    va_copy(copy, args);
    int n = vswprintf(buf.data(), buf.size(), format, copy);
    va_end(copy);
    if (n >= 0 && static_cast<size_t>(n) < buf.size()) return std::wstring(buf.data(), n);
    if (buf.size() >= (1u << 20)) {  // a log line is never this long; cut it
      buf.back() = L'\0';
      return std::wstring(buf.data());
    }
    buf.resize(buf.size() * 4);
  }
}

void writeLine(bool isError, const std::wstring& text) {
  LogState& s = state();
  EnterCriticalSection(&s.lock);
  setUp(s);
  if (!s.path.empty()) {
    // 32-bit millisecond arithmetic, as the stamp has always used.
    unsigned int elapsed = static_cast<unsigned int>(nowMs() - s.startMs);
    appendToFile(s.path, encodeLogText(stampedLogLine(elapsed, isError, text)), false);
  }
  LeaveCriticalSection(&s.lock);
}

}  // namespace

void logLine(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = vformat(format, args);
  va_end(args);
  writeLine(false, text);
}

void logError(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = vformat(format, args);
  va_end(args);
  writeLine(true, text);
}

std::wstring logPath() {
  LogState& s = state();
  EnterCriticalSection(&s.lock);
  std::wstring path = s.path;
  LeaveCriticalSection(&s.lock);
  return path;
}

void switchLogOn() {
  LogState& s = state();
  EnterCriticalSection(&s.lock);
  s.started = true;
  if (s.path.empty()) openLogFile(s);
  LeaveCriticalSection(&s.lock);
}

void installLogWriter() { setLogWriter(&writeLine); }

}  // namespace zvt
