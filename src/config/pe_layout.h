// What the packer needs to know about a PE image: where the configuration
// block begins and whether a certificate table is present.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zvt {

struct PeLayout {
  uint64_t blockOffset = 0;  // end of the last section's raw data
  bool hasCertificateTable = false;
};

// Checks the headers as far as the packer relies on them; on failure the
// error names what is wrong.
bool readPeLayout(const std::vector<uint8_t>& image, PeLayout& layout, std::string& error);

}  // namespace zvt
