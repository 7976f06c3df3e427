// Packing a configuration block behind the last section of a launcher image,
// and reading it back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/block_format.h"

namespace zvt::pack {

// Names of the included files travel in entries 2003 (";"-separated) and
// 2002 (count); adds or replaces them when `fileNames` is not empty.
void setIncludedFileEntries(block::Content& content, const std::vector<std::string>& fileNames);

// A copy of `image` cut at the end of its last section (dropping any earlier
// block) with the block of `content` behind it. Refuses a signed image: the
// block must sit before the certificate table, so sign after packing.
bool packImage(const std::vector<uint8_t>& image, const block::Content& content, std::vector<uint8_t>& out,
               std::string& error);

// Reads the block of a packed image in stored order. Included files are read
// by the count and names of entries 2002/2003.
bool readPackedBlock(const std::vector<uint8_t>& image, block::Content& content, std::vector<std::string>& fileNames,
                     std::string& error);

}  // namespace zvt::pack
