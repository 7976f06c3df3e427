// The service child's command line against the child's own splitter: every
// list of elements either comes back from splitArguments exactly as it went
// in (program path, service name, own arguments, start parameters, marker),
// or is refused for an element the grammar truly cannot carry, or for a
// length that truly exceeds the capacity.
//
// Input: byte 0 the number of the host's own arguments (mod 4), byte 1 the
// capacity (64 + 4 * value, so refusals for length happen too), then the
// elements: each byte is one unit from a small alphabet of the characters
// the grammar cares about, 0xFE ends an element, 0xFF takes the next two
// bytes as one arbitrary UTF-16 unit (NUL, surrogates and all).
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/arguments.h"
#include "service/child_command_line.h"

namespace {

bool cannotCarry(const std::wstring& e, bool programPath) {
  if (e.find(L'\0') != std::wstring::npos) return true;
  bool dq = e.find(L'"') != std::wstring::npos;
  bool sq = e.find(L'\'') != std::wstring::npos;
  return programPath ? dq : (dq && sq);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t ownCount = data[0] % 4;
  const size_t capacity = 64 + 4 * static_cast<size_t>(data[1]);
  static const wchar_t kAlphabet[] = {L'a', L'b', L' ', L'"', L'\'', L'\t', L'\\', L'_', L'/', L'-', L'\x3a9', L'z'};
  const size_t alphabetSize = sizeof(kAlphabet) / sizeof(kAlphabet[0]);

  std::vector<std::wstring> elements(1);
  for (size_t i = 2; i < size; ++i) {
    uint8_t b = data[i];
    if (b == 0xFE) {
      elements.emplace_back();
    } else if (b == 0xFF && i + 2 < size) {
      elements.back() += static_cast<wchar_t>(data[i + 1] | data[i + 2] << 8);
      i += 2;
    } else {
      elements.back() += kAlphabet[b % alphabetSize];
    }
  }
  // program path, service name, own arguments, start parameters
  while (elements.size() < 2 + ownCount) elements.emplace_back(L"x");
  zvt::ArgumentList own = {elements[0]};
  own.insert(own.end(), elements.begin() + 2, elements.begin() + 2 + static_cast<long>(ownCount));
  zvt::ArgumentList parameters(elements.begin() + 2 + static_cast<long>(ownCount), elements.end());
  const std::wstring& name = elements[1];

  zvt::ChildCommandLine line = zvt::buildChildCommandLine(own, name, parameters, capacity);
  // The child's list, in order, as the host means it.
  zvt::ArgumentList expected = {own[0], name};
  expected.insert(expected.end(), own.begin() + 1, own.end());
  expected.insert(expected.end(), parameters.begin(), parameters.end());
  expected.push_back(zvt::kRestartMarker);

  switch (line.status) {
    case zvt::ChildLineStatus::Ok: {
      if (line.text.size() + 1 > capacity) __builtin_trap();
      zvt::ArgumentList list;
      zvt::splitArguments(line.text, list);
      if (list != expected) __builtin_trap();
      break;
    }
    case zvt::ChildLineStatus::Unquotable:
      // The first element that cannot be carried, and none before it.
      if (line.element >= expected.size() - 1) __builtin_trap();
      if (!cannotCarry(expected[line.element], line.element == 0)) __builtin_trap();
      for (size_t i = 0; i < line.element; ++i) {
        if (cannotCarry(expected[i], i == 0)) __builtin_trap();
      }
      break;
    case zvt::ChildLineStatus::TooLong: {
      if (line.text.size() + 1 <= capacity) __builtin_trap();
      // Everything could be carried; only the length is in the way.
      for (size_t i = 0; i + 1 < expected.size(); ++i) {
        if (cannotCarry(expected[i], i == 0)) __builtin_trap();
      }
      zvt::ArgumentList list;
      zvt::splitArguments(line.text, list);
      if (list != expected) __builtin_trap();
      break;
    }
  }
  return 0;
}
