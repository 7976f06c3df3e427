// A configuration block printed as a configuration file, by name, such that
// packing the printed file gives the same block again. What cannot be named
// exactly (a flag stored as "x4", bytes the code page leaves undefined, an
// unknown key) is printed raw under [keys], never changed.
#pragma once

#include <string>
#include <vector>

#include "code_page.h"
#include "config/block_format.h"

namespace zvt::pack {

struct ShowOptions {
  int codePage = kDefaultCodePage;
  // Where the included files were written out ("show --files"); their
  // sources point there. Empty: they are listed as comments only.
  std::string filesDirectory;
  // Or the source of each included file, in order (for "convert").
  std::vector<std::string> fileSources;
  // Print no "shipped-texts = false" when shipped messages are missing: the
  // printed file then packs them ("convert" of a description that predates
  // them).
  bool addShippedTexts = false;
};

struct ShowResult {
  std::string text;
  // What packing the printed file would not reproduce (repeated or unsorted
  // ids, files not written out, ...), for standard error.
  std::vector<std::string> notes;
};

ShowResult showBlock(const block::Content& content, const std::vector<std::string>& fileNames,
                     const ShowOptions& options);

}  // namespace zvt::pack
