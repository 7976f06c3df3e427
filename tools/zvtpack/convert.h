// "zvtpack convert": a description in the earlier format turned into a
// configuration file, with a warning for every value the old reader would
// have changed (escapes, UTF-8 stored as raw bytes, keys the packer now
// writes itself).
#pragma once

#include <string>
#include <vector>

namespace zvt::pack {

struct ConvertInput {
  std::string text;             // the description
  std::string descriptionPath;  // for messages and relative file paths
  std::string outputDirectory;  // where the configuration file goes
  int codePage = 1252;
};

struct ConvertResult {
  bool ok = false;
  std::string toml;
  std::vector<std::string> warnings;  // "path:line:column: warning: ..."
  std::string error;
};

ConvertResult convertDescription(const ConvertInput& input);

}  // namespace zvt::pack
