// Size values over arbitrary text, against an independent reading with
// 128-bit arithmetic: a size is one or more digits and at most one unit
// letter whose value fits 63 bits; anything else is -1. The JVM thread's
// stack over lines of options is the low 32 bits of the last positive
// "-Xss" size, raised to 65536, or 0.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jvm/launch/size_value.h"

namespace {

int64_t reference(const std::string& text) {
  size_t digits = 0;
  __int128 value = 0;
  bool overflow = false;
  for (; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits) {
    value = value * 10 + (text[digits] - '0');
    if (value > INT64_MAX) {
      overflow = true;
      value = INT64_MAX;  // stays saturated; the result is -1 anyway
    }
  }
  if (digits == 0 || text.size() > digits + 1) return -1;
  if (text.size() == digits + 1) {
    const std::string units = "kKmMgGtT";
    size_t unit = units.find(text[digits]);
    if (unit == std::string::npos) return -1;
    value <<= 10 * (unit / 2 + 1);
  }
  return overflow || value > INT64_MAX ? -1 : static_cast<int64_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (zvt::parseSizeValue(text) != reference(text)) __builtin_trap();

  std::vector<std::string> options;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    options.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  uint32_t expected = 0;
  for (const std::string& option : options) {
    if (option.compare(0, 4, "-Xss") != 0) continue;
    int64_t parsed = reference(option.substr(4));
    if (parsed > 0) expected = static_cast<uint32_t>(parsed);
  }
  if (expected > 0 && expected < zvt::kMinimumThreadStack) expected = zvt::kMinimumThreadStack;
  if (zvt::jvmThreadStackSize(options) != expected) __builtin_trap();
  return 0;
}
