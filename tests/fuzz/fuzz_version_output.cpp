// "java -version" output parsing over arbitrary bytes: the version must come
// from the first line's first 99 bytes, after the marker.
#include <cstddef>
#include <cstdint>
#include <string>

#include "jvm/discovery/version_output.h"

using namespace zvt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string output(reinterpret_cast<const char*>(data), size);
  const std::string line = firstOutputLine(output);
  if (line.size() > kVersionLineLimit) __builtin_trap();
  if (output.compare(0, line.size(), line) != 0) __builtin_trap();
  std::string version;
  const bool found = parseVersionOutput(output, version);
  if (found != (line.find(kVersionMarker) != std::string::npos)) __builtin_trap();
  if (found) {
    if (version.size() + 10 > line.size()) __builtin_trap();
    if (line.find(version, line.find(kVersionMarker) + 10) == std::string::npos) __builtin_trap();
    if (version.find('"') != std::string::npos) __builtin_trap();
  }
  return 0;
}
