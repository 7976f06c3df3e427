// The packer's text description of a configuration block, one item a line:
//
//   # comment
//   entry <id> <value>      value: the rest of the line after one blank,
//                           bytes in the ANSI code page; may be empty
//   message <id> <text>     text: UTF-8, stored as UTF-16
//   set <locale>            following messages form a localized set
//   end                     back to the main message table
//   file <name> <path>      include the file at <path> (relative to the
//                           description) under <name>
//
// Escapes in values and texts: \n \t \\ and \xNN (a byte in entries), \uXXXX
// (a UTF-16 unit in messages). The same form is printed by "zvtpack show",
// so a shown block can be packed again.
#pragma once

#include <string>
#include <vector>

#include "config/block_format.h"

namespace zvt::pack {

struct FileRef {
  std::string name;  // name inside the launcher temporary directory
  std::string path;  // host file to include
};

struct Description {
  block::Content content;
  std::vector<FileRef> files;
};

// On failure `error` names the line and the problem.
bool parseDescription(const std::string& text, Description& out, std::string& error);

// Prints entries, messages and sets in stored order; included files as
// "file <name> <size> bytes" comments (their contents are not shown).
std::string printContent(const block::Content& content, const std::vector<std::string>& fileNames);

}  // namespace zvt::pack
