#include "base/arguments.h"

namespace zvt {

const wchar_t* const kRestartMarker = L"__zvt_restart";

void splitArguments(const std::wstring& text, ArgumentList& list) {
  const size_t npos = std::wstring::npos;
  size_t p = 0;
  const size_t end = text.size();
  while (p < end) {
    size_t dq = text.find(L'"', p);
    size_t sq = text.find(L'\'', p);
    size_t sp = text.find(L' ', p);
    if (sp == p) {
      ++p;  // each blank singly: runs of blanks yield no empty arguments
      continue;
    }
    size_t firstQuote = dq < sq ? dq : sq;  // npos when neither exists
    if (sp != npos && sp < firstQuote) {
      list.push_back(text.substr(p, sp - p));
      p = sp + 1;
      continue;
    }
    if (firstQuote == npos) {
      list.push_back(text.substr(p));
      return;
    }
    const size_t s = firstQuote;
    const size_t close = text.find(text[s], s + 1);
    const size_t stop = close == npos ? end : close;
    list.push_back(text.substr(p, s - p) + text.substr(s + 1, stop - s - 1));
    if (close == npos) return;
    p = close + 1;
    if (p < end && text[p] == L' ') ++p;
  }
}

std::wstring quotedProgram(const std::wstring& path) {
  return L"\"" + path + L"\"";
}

std::string quotedProgram(const std::string& path) {
  return "\"" + path + "\"";
}

}  // namespace zvt
