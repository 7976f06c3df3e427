// Writing values of the packer's tree as TOML text, for "show", "init" and
// "convert".
#pragma once

#include <string>

#include "toml_tree.h"

namespace zvt::pack {

// A key as written: bare when it can be, else quoted.
std::string tomlKey(const std::string& key);
// A string value: a literal string ('C:\app') when the text has a backslash
// and a literal string can hold it exactly, else a basic string with escapes.
std::string tomlString(const std::string& utf8);
// A value on one line: strings, integers, booleans, inline arrays and tables.
// Arrays of tables break after each element.
std::string tomlValue(const Node& value);

}  // namespace zvt::pack
