#include "base/log_sink.h"

namespace zvt {
namespace {
LogWriter g_writer = nullptr;
}

void setLogWriter(LogWriter writer) { g_writer = writer; }

void logText(const std::wstring& text) {
  if (g_writer) g_writer(false, text);
}

void logErrorText(const std::wstring& text) {
  if (g_writer) g_writer(true, text);
}

}  // namespace zvt
