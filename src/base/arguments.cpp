#include "base/arguments.h"

namespace zvt {

const wchar_t* const kRestartMarker = L"__zvt_restart";

namespace {

// Reads `text` the way the launcher does, appending the arguments to `list`
// when one is given. Returns the position of a quote that no quote of its
// kind closes (it swallows the rest of the text), or npos.
size_t walkArguments(const std::wstring& text, ArgumentList* list) {
  const size_t npos = std::wstring::npos;
  size_t p = 0;
  const size_t end = text.size();
  // The next of each character at or after p, looked up again only once p
  // has passed it: a long text with many blanks is read in linear time.
  size_t dq = text.find(L'"');
  size_t sq = text.find(L'\'');
  size_t sp = text.find(L' ');
  while (p < end) {
    if (dq != npos && dq < p) dq = text.find(L'"', p);
    if (sq != npos && sq < p) sq = text.find(L'\'', p);
    if (sp != npos && sp < p) sp = text.find(L' ', p);
    if (sp == p) {
      ++p;  // each blank singly: runs of blanks yield no empty arguments
      continue;
    }
    size_t firstQuote = dq < sq ? dq : sq;  // npos when neither exists
    if (sp != npos && sp < firstQuote) {
      if (list) list->push_back(text.substr(p, sp - p));
      p = sp + 1;
      continue;
    }
    if (firstQuote == npos) {
      if (list) list->push_back(text.substr(p));
      return npos;
    }
    const size_t s = firstQuote;
    const size_t close = text.find(text[s], s + 1);
    const size_t stop = close == npos ? end : close;
    if (list) list->push_back(text.substr(p, s - p) + text.substr(s + 1, stop - s - 1));
    if (close == npos) return s;
    p = close + 1;
    if (p < end && text[p] == L' ') ++p;
  }
  return npos;
}

}  // namespace

void splitArguments(const std::wstring& text, ArgumentList& list) {
  walkArguments(text, &list);
}

size_t unclosedQuote(const std::wstring& text) {
  return walkArguments(text, nullptr);
}

std::wstring quotedProgram(const std::wstring& path) {
  return L"\"" + path + L"\"";
}

std::string quotedProgram(const std::string& path) {
  return "\"" + path + "\"";
}

}  // namespace zvt
