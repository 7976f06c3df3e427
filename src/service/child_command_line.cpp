#include "service/child_command_line.h"

namespace zvt {
namespace {

constexpr wchar_t kBlank = L' ';
constexpr wchar_t kDoubleQuote = L'"';
constexpr wchar_t kSingleQuote = L'\'';

bool holds(const std::wstring& text, wchar_t c) {
  return text.find(c) != std::wstring::npos;
}

// The program path is also read by CreateProcess, which knows only double
// quotes; a file name cannot hold one, so that form always fits.
bool appendProgramPath(std::wstring& out, const std::wstring& path) {
  if (holds(path, kDoubleQuote) || holds(path, L'\0')) return false;
  out += quotedProgram(path);
  return true;
}

}  // namespace

bool appendArgument(std::wstring& out, const std::wstring& element) {
  if (holds(element, L'\0')) return false;
  const bool dq = holds(element, kDoubleQuote);
  const bool sq = holds(element, kSingleQuote);
  if (dq && sq) return false;
  // A quote opens a group wherever it stands, so an element with a quote is
  // enclosed in the other kind even without a blank; an empty element needs
  // a pair of quotes, or it would vanish between two blanks.
  if (!dq && !sq && !holds(element, kBlank) && !element.empty()) {
    out += element;
    return true;
  }
  const wchar_t quote = dq ? kSingleQuote : kDoubleQuote;
  out += quote;
  out += element;
  out += quote;
  return true;
}

ChildCommandLine buildChildCommandLine(const ArgumentList& ownArguments, const std::wstring& serviceName,
                                       const ArgumentList& startParameters, size_t capacity) {
  ChildCommandLine line;
  std::wstring& text = line.text;
  auto refuse = [&line](size_t element) {
    line.status = ChildLineStatus::Unquotable;
    line.element = element;
    line.text.clear();
    return line;
  };
  size_t element = 0;
  if (!appendProgramPath(text, ownArguments.empty() ? std::wstring() : ownArguments.front())) return refuse(element);
  ++element;
  text += kBlank;
  if (!appendArgument(text, serviceName)) return refuse(element);
  for (size_t i = 1; i < ownArguments.size(); ++i) {
    ++element;
    text += kBlank;
    if (!appendArgument(text, ownArguments[i])) return refuse(element);
  }
  for (const std::wstring& parameter : startParameters) {
    ++element;
    text += kBlank;
    if (!appendArgument(text, parameter)) return refuse(element);
  }
  text += kBlank;
  text += kRestartMarker;
  if (text.size() + 1 > capacity) {
    line.status = ChildLineStatus::TooLong;
    return line;  // the text stays, for its length in the log
  }
  return line;
}

}  // namespace zvt
