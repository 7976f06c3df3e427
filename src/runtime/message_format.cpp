#include "runtime/message_format.h"

namespace zvt {
namespace {

std::wstring bounded(std::wstring text) {
  if (text.size() > kMessageCapacity - 1) text.resize(kMessageCapacity - 1);
  return text;
}

}  // namespace

std::wstring insertArgument(const std::wstring& text, const std::wstring& argument) {
  size_t at = text.find(L"{0}");
  if (at == std::wstring::npos) return bounded(text);
  return bounded(text.substr(0, at) + argument + text.substr(at + 3));
}

std::wstring withLogPath(const std::wstring& text, const std::wstring& logPath) {
  if (logPath.empty()) return bounded(text);
  return bounded(text + L"\n\nLog: " + logPath);
}

}  // namespace zvt
