#include "trace.h"

#include "standin_home.h"

namespace standin {

namespace {
std::wstring g_home;
}

void setTraceHome(const std::wstring& home) {
  g_home = home;
  CreateDirectoryW(standinDir(home).c_str(), nullptr);
}

const std::wstring& traceHome() { return g_home; }

void trace(const JsonLine& line) {
  if (g_home.empty()) return;
  std::string text = line.str();
  // Thread and time make interleavings readable; they are added last so that
  // "ev" stays the first field of every record.
  text.insert(text.size() - 2, ",\"tid\":" + std::to_string(GetCurrentThreadId()) +
                                   ",\"ms\":" + std::to_string(GetTickCount()));
  appendToFile(standinDir(g_home) + L"\\trace.jsonl", text);
}

int64_t performanceMicroseconds() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  // Whole seconds and the rest apart, so the product cannot overflow.
  int64_t seconds = count.QuadPart / frequency.QuadPart;
  int64_t rest = count.QuadPart % frequency.QuadPart;
  return seconds * 1000000 + rest * 1000000 / frequency.QuadPart;
}

}  // namespace standin
