#include "service/dependencies.h"

namespace zvt {

std::optional<std::wstring> buildDependencyList(const std::wstring& names) {
  if (names.empty()) return std::nullopt;
  std::wstring list;
  size_t pos = 0;
  while (pos < names.size()) {
    size_t start = names.find_first_not_of(L',', pos);
    if (start == std::wstring::npos) break;
    size_t end = names.find(L',', start);
    if (end == std::wstring::npos) end = names.size();
    list.append(names, start, end - start);
    list.push_back(L'\0');
    pos = end;
  }
  // Sized by its content: a single name filling the whole 5999-unit key
  // needs 6001 units with its two terminators, more than a buffer of twice
  // the key's capacity in bytes would hold.
  list.push_back(L'\0');
  return list;
}

}  // namespace zvt
