#include "code_page.h"

#include <vector>

namespace zvt::pack {
namespace {

struct CodePageTable {
  int number;
  const uint16_t* upper;
};

#include "code_page_tables.inc"

}  // namespace

const CodePage* CodePage::find(int number) {
  static const std::vector<CodePage> pages = [] {
    std::vector<CodePage> all;
    for (const CodePageTable& t : kTables) all.emplace_back(t.number, t.upper);
    return all;
  }();
  for (const CodePage& p : pages) {
    if (p.number() == number) return &p;
  }
  return nullptr;
}

std::string CodePage::supportedList() {
  std::string out;
  for (const CodePageTable& t : kTables) out += (out.empty() ? "" : ", ") + std::to_string(t.number);
  return out;
}

int CodePage::encode(char32_t c) const {
  if (c < 0x80) return static_cast<int>(c);
  for (int i = 0; i < 128; ++i) {
    if (upper_[i] != 0 && upper_[i] == c) return 0x80 + i;
  }
  return -1;
}

char32_t CodePage::decode(uint8_t b) const {
  return b < 0x80 ? b : upper_[b - 0x80];
}

}  // namespace zvt::pack
