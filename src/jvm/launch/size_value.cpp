#include "jvm/launch/size_value.h"

#include <limits>

namespace zvt {

int64_t parseSizeValue(const std::string& text) {
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  // No number at the start (this also refuses a sign or a leading blank,
  // which would leave two characters behind the digits) or more than a
  // one-letter unit behind it.
  if (digits == 0 || text.size() - digits > 1) return -1;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  int64_t value = 0;
  for (size_t i = 0; i < digits; ++i) {
    int digit = text[i] - '0';
    // A number beyond 64 bits is no size; taking it wrapped would hand the
    // thread some unrelated stack size.
    if (value > (kMax - digit) / 10) return -1;
    value = value * 10 + digit;
  }
  if (digits == text.size()) return value;
  int shift = 0;
  switch (text[digits]) {
    case 'k':
    case 'K':
      shift = 10;
      break;
    case 'm':
    case 'M':
      shift = 20;
      break;
    case 'g':
    case 'G':
      shift = 30;
      break;
    case 't':
    case 'T':
      shift = 40;
      break;
    default:
      return -1;
  }
  if (value > (kMax >> shift)) return -1;
  return value << shift;
}

uint32_t jvmThreadStackSize(const std::vector<std::string>& options) {
  static const std::string kPrefix = "-Xss";
  uint32_t size = 0;
  for (const std::string& option : options) {
    if (option.compare(0, kPrefix.size(), kPrefix) != 0) continue;
    int64_t parsed = parseSizeValue(option.substr(kPrefix.size()));
    if (parsed > 0) size = static_cast<uint32_t>(static_cast<uint64_t>(parsed) & 0xFFFFFFFFu);
  }
  if (size > 0 && size < kMinimumThreadStack) size = kMinimumThreadStack;
  return size;
}

}  // namespace zvt
