// Variable expansion with fuzzed values and text. The narrow and the wide
// engine must agree on text whose bytes are widened one to one, and the
// growth guard must hold: no expansion makes a text longer than the limit
// unless it already was.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/text.h"
#include "runtime/expansion.h"

namespace {

// Tokens the engine knows, so that short inputs reach them: a byte below
// the table's size picks one, any other byte stands for itself.
const char* const kTokens[] = {
    "%QUARN_EXEDIR%",
    "${ZENTROVIA_TEMPDIR}",
    "${launcher:sys.jvmHome}",
    "${launcher:sys.tempDir}",
    "%QUARN_PATHLIST_SEPARATOR%",
    "${A}",
    "${a}",
    "${",
    "}",
    "%",
};
constexpr size_t kTokenCount = sizeof(kTokens) / sizeof(kTokens[0]);

std::string text(FuzzedDataProvider& in, size_t maxBytes) {
  std::string raw = in.ConsumeRandomLengthString(maxBytes);
  std::string out;
  for (unsigned char c : raw) {
    if (c < kTokenCount) {
      out += kTokens[c];
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  zvt::ExpansionValuesA narrow;
  narrow.launcherDirectory = text(in, 64);
  narrow.launcherTempDirectory = text(in, 64);
  narrow.jvmHome = text(in, 64);
  narrow.systemTempDirectory = text(in, 64);
  const int variables = in.ConsumeIntegralInRange(0, 4);
  for (int i = 0; i < variables; ++i) narrow.environment.push_back(text(in, 64));
  std::string value = text(in, 4096);

  zvt::ExpansionValuesW wide;
  wide.launcherDirectory = zvt::widenBytes(narrow.launcherDirectory);
  wide.launcherTempDirectory = zvt::widenBytes(narrow.launcherTempDirectory);
  wide.jvmHome = zvt::widenBytes(narrow.jvmHome);
  wide.systemTempDirectory = zvt::widenBytes(narrow.systemTempDirectory);
  for (const std::string& entry : narrow.environment) wide.environment.push_back(zvt::widenBytes(entry));
  std::wstring wideValue = zvt::widenBytes(value);

  const size_t limit = std::max(value.size(), zvt::kMaxExpandedLength);
  zvt::expandWith(value, narrow);
  zvt::expandWith(wideValue, wide);
  if (value.size() > limit) __builtin_trap();
  if (wideValue != zvt::widenBytes(value)) __builtin_trap();
  return 0;
}
