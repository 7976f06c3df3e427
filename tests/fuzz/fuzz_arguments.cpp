// The command-line grammar over arbitrary UTF-16 text (the input's bytes
// taken as UTF-16LE units), and the entry's reading of the arguments it
// yields (program path, restart marker, switch, service name).
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/arguments.h"
#include "base/text.h"
#include "launcher/command_line.h"

namespace {

// Text without quotes has the plain grammar: words between blanks.
zvt::ArgumentList words(const std::wstring& text) {
  zvt::ArgumentList out;
  std::wstring word;
  for (wchar_t ch : text) {
    if (ch == L' ') {
      if (!word.empty()) out.push_back(word);
      word.clear();
    } else {
      word.push_back(ch);
    }
  }
  if (!word.empty()) out.push_back(word);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = zvt::fromUtf16Le(data, size);
  zvt::ArgumentList list;
  zvt::splitArguments(text, list);
  // Quotes and blanks are dropped, nothing is added: together the
  // arguments are never longer than the text.
  size_t total = 0;
  for (const std::wstring& argument : list) total += argument.size();
  if (total > text.size()) __builtin_trap();
  if (text.find_first_of(L"\"'") == std::wstring::npos && list != words(text)) __builtin_trap();
  // A text without an unclosed quote gets one by a quote at its end, and
  // one with an unclosed quote keeps it there whatever follows.
  const size_t unclosed = zvt::unclosedQuote(text);
  if (unclosed == std::wstring::npos) {
    if (zvt::unclosedQuote(text + L"'") != text.size()) __builtin_trap();
  } else if (unclosed >= text.size() || (text[unclosed] != L'"' && text[unclosed] != L'\'') ||
             zvt::unclosedQuote(text + L" x y") != unclosed) {
    __builtin_trap();
  }
  // Splitting appends: a second text goes behind the first one's arguments.
  zvt::ArgumentList twice = list;
  zvt::splitArguments(text, twice);
  if (twice.size() != 2 * list.size()) __builtin_trap();
  // The entry takes at most the program path, the marker and the switch off
  // the list; a service name is the argument behind the switch and fits.
  constexpr size_t kCapacity = 8;  // small, so that both sides are reached
  const zvt::EntryCommandLine line = zvt::parseEntryCommandLine(text, kCapacity);
  const size_t removed = (list.empty() ? 0 : 1) + (line.serviceChild ? 1 : 0) + (line.hasSwitch ? 1 : 0);
  if (line.arguments.size() + removed != list.size()) __builtin_trap();
  if (line.hasServiceName && (line.serviceNameTooLong || line.serviceName.size() >= kCapacity ||
                              line.arguments.empty() || line.arguments.front() != line.serviceName)) {
    __builtin_trap();
  }
  return 0;
}
