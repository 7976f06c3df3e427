// Reads a TOML document into the packer's value tree. The only place that
// includes the TOML library.
#pragma once

#include <string>

#include "toml_tree.h"

namespace zvt::pack {

struct ReadError {
  Position pos;
  std::string message;
};

// Malformed TOML (including invalid UTF-8 anywhere in the text) gives false
// with the position and the reader's description of the fault.
bool readToml(const std::string& text, Node& root, ReadError& error);

}  // namespace zvt::pack
