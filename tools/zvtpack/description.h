// The earlier description format of the packer, read only to convert a
// description into a configuration file ("zvtpack convert"). One item a line:
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
// (a UTF-16 unit in messages). They turned "C:\new\temp" into a line feed and
// a tab without a word; the reader reports every escape it interprets.
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
  std::vector<int> entryLines;  // the line of each entry of content.entries
};

// An escape the reader interpreted, with its line and 1-based column.
struct DescriptionNote {
  int line;
  size_t column;
  std::string text;
};

// On failure `error` names the line and the problem. With `notes`, every
// escape that changed a value is reported there.
bool parseDescription(const std::string& text, Description& out, std::string& error);
bool parseDescription(const std::string& text, Description& out, std::string& error,
                      std::vector<DescriptionNote>* notes);

}  // namespace zvt::pack
