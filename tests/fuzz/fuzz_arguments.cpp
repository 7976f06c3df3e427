// The command-line grammar over arbitrary UTF-16 text (the input's bytes
// taken as UTF-16LE units), and the switch lookup on what it yields.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/arguments.h"
#include "base/text.h"

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
  for (const std::wstring& argument : list) {
    total += argument.size();
    std::wstring word;
    if (zvt::switchWord(argument, word)) zvt::commandFor(word);
  }
  if (total > text.size()) __builtin_trap();
  if (text.find_first_of(L"\"'") == std::wstring::npos && list != words(text)) __builtin_trap();
  // Splitting appends: a second text goes behind the first one's arguments.
  zvt::ArgumentList twice = list;
  zvt::splitArguments(text, twice);
  if (twice.size() != 2 * list.size()) __builtin_trap();
  return 0;
}
