#include "jvm/discovery/version_output.h"

namespace zvt {

const char kVersionMarker[] = " version \"";

std::string firstOutputLine(const std::string& output) {
  std::string line;
  for (size_t i = 0; i < output.size() && line.size() < kVersionLineLimit; ++i) {
    const char c = output[i];
    if (c == '\0') break;
    line.push_back(c);
    if (c == '\n') break;
  }
  return line;
}

bool parseVersionOutput(const std::string& output, std::string& version) {
  const std::string line = firstOutputLine(output);
  const size_t marker = line.find(kVersionMarker);
  if (marker == std::string::npos) return false;
  const size_t begin = marker + sizeof(kVersionMarker) - 1;
  const size_t quote = line.find('"', begin);
  if (quote != std::string::npos) {
    version = line.substr(begin, quote - begin);
  } else {
    const size_t rest = line.size() - begin;
    version = line.substr(begin, rest >= 2 ? rest - 2 : 0);
  }
  return true;
}

}  // namespace zvt
