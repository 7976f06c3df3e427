#include "runtime/log_format.h"

#include "base/text.h"

namespace zvt {

const char kUtf8ByteOrderMark[4] = "\xEF\xBB\xBF";

std::wstring logDirectory(const std::wstring& tempDirectory) {
  std::wstring dir = tempDirectory;
  if (dir.empty()) return L"c:\\";
  if (dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
  return dir;
}

std::wstring logFilePath(const std::wstring& directory, const std::function<bool(const std::wstring&)>& exists) {
  std::wstring path;
  for (int i = 1; i <= kMaxLogNumber; ++i) {
    path = directory + L"zvt_nlog_" + decimal(i) + L".log";
    if (!exists(path)) break;
  }
  return path;
}

std::wstring firstLogLine(const std::wstring& module, const std::string& when) {
  return L"Started executable " + module + L" at " + widenBytes(when.empty() ? std::string("\n") : when) + L"\n";
}

std::wstring stampedLogLine(unsigned int elapsedMs, bool isError, const std::wstring& text) {
  std::wstring line = L"[" + decimal(elapsedMs / 1000) + L":" + decimal(elapsedMs % 1000) + L"] ";
  if (isError) line += L"ERROR: ";
  line += text;
  line += L"\n";
  return line;
}

std::string encodeLogText(const std::wstring& text) {
  std::wstring crlf;
  crlf.reserve(text.size() + 8);
  for (wchar_t c : text) {
    if (c == L'\n') crlf.push_back(L'\r');
    crlf.push_back(c);
  }
  return utf16ToUtf8(crlf);
}

}  // namespace zvt
