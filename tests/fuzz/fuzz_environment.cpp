// The configured environment list over arbitrary UTF-16 text (the input's
// bytes taken as UTF-16LE units): every entry kept is a line of the input
// that the shared check accepts, split at its first "=", and the entries
// come in the order of their lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "runtime/environment.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring stored = zvt::fromUtf16Le(data, size);
  std::vector<std::wstring> accepted;
  std::wstring line;
  for (wchar_t ch : stored + L"\n") {
    if (ch != L'\n') {
      line.push_back(ch);
      continue;
    }
    if (!line.empty() && zvt::environmentEntryProblem(line) == nullptr) accepted.push_back(line);
    line.clear();
  }
  const std::vector<zvt::EnvironmentEntry> entries = zvt::environmentEntries(stored);
  if (entries.size() != accepted.size()) __builtin_trap();
  for (size_t i = 0; i < entries.size(); ++i) {
    const zvt::EnvironmentEntry& e = entries[i];
    if (e.name.empty() || e.name.find(L'=') != std::wstring::npos) __builtin_trap();
    if (e.name.front() == L' ' || e.name.back() == L' ') __builtin_trap();
    if (e.name + L"=" + e.value != accepted[i]) __builtin_trap();
  }
  return 0;
}
