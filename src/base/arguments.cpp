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

bool switchWord(const std::wstring& argument, std::wstring& word) {
  if (argument.empty() || (argument[0] != L'/' && argument[0] != L'-')) return false;
  size_t skip = (argument.size() > 1 && argument[1] == L'-') ? 2 : 1;
  word = argument.substr(skip);
  return true;
}

Command commandFor(const std::wstring& word) {
  static const struct {
    const wchar_t* word;
    Command command;
  } kTable[] = {
      {L"?", Command::Help},
      {L"help", Command::Help},
      {L"install", Command::Install},
      {L"install-and-start", Command::InstallAndStart},
      {L"install-auto", Command::InstallAuto},
      {L"install-demand", Command::InstallDemand},
      {L"uninstall", Command::Uninstall},
      {L"stop", Command::Stop},
      {L"start", Command::Start},
      {L"restart", Command::Restart},
      {L"status", Command::Status},
      {L"run", Command::Run},
      {L"run-redirect", Command::RunRedirect},
  };
  for (const auto& row : kTable) {
    if (word == row.word) return row.command;
  }
  return Command::None;
}

}  // namespace zvt
