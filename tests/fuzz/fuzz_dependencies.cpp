// The dependency list over arbitrary UTF-16 text (the input's bytes taken as
// UTF-16LE units), against a plain restatement of its grammar: names between
// commas, empty ones dropped, each ended by a NUL, one more NUL at the end.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/text.h"
#include "service/dependencies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring names = zvt::fromUtf16Le(data, size);
  const std::optional<std::wstring> list = zvt::buildDependencyList(names);
  if (names.empty()) {
    if (list) __builtin_trap();
    return 0;
  }
  if (!list) __builtin_trap();
  std::wstring expected;
  std::wstring name;
  for (wchar_t ch : names + L",") {
    if (ch != L',') {
      name.push_back(ch);
      continue;
    }
    if (!name.empty()) expected += name + std::wstring(1, L'\0');
    name.clear();
  }
  expected.push_back(L'\0');
  if (*list != expected) __builtin_trap();
  return 0;
}
