// The included-file names: the list of key 2003 split at ";" and the check
// that keeps every extracted file inside the launcher temporary directory.
// Whatever the check accepts must be a relative name of at most one
// directory level with no way up and no drive or stream colon.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/payload.h"

namespace {

bool separator(char c) {
  return c == '\\' || c == '/';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const long long count = in.ConsumeIntegralInRange<long long>(-2, 40);
  const std::string list = in.ConsumeRemainingBytesAsString();
  const std::vector<std::string> names = zvt::includedFileNames(list, count);
  if (static_cast<long long>(names.size()) > (count < 0 ? 0 : count)) __builtin_trap();
  for (const std::string& name : names) {
    if (name.empty() || name.find(';') != std::string::npos) __builtin_trap();
    const std::string level = zvt::directoryLevelOf(name);
    if (zvt::refusedNameReason(name) != nullptr) continue;
    if (separator(name[0]) || name.find("..") != std::string::npos || name.find(':') != std::string::npos) {
      __builtin_trap();
    }
    size_t separators = 0;
    for (char c : name) separators += separator(c) ? 1 : 0;
    if (separators > 1) __builtin_trap();
    if (separators == 1 && (level.empty() || name.compare(0, level.size(), level) != 0)) __builtin_trap();
    if (separators == 0 && !level.empty()) __builtin_trap();
  }
  return 0;
}
