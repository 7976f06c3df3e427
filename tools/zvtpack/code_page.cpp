#include "code_page.h"

#include <cstdio>
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

std::string CodePage::sameNumberCharacters() const {
  int count = 0;
  int first = 0;
  int last = 0;
  for (int b = 0x80; b <= 0xFF; ++b) {
    if (upper_[b - 0x80] != b) continue;
    if (count++ == 0) first = b;
    last = b;
  }
  auto name = [](int c) {
    char text[8];
    std::snprintf(text, sizeof text, "U+%04X", c);
    return std::string(text);
  };
  if (count == 0) return "none";
  if (count == 1) return name(first);
  const std::string range = name(first) + " to " + name(last);
  return count == last - first + 1 ? range : std::to_string(count) + " of " + range;
}

namespace {

// Bytes a code page leaves undefined keep their value, as the system's
// conversion does for them.
template <int N>
std::wstring decodeIn(const std::string& bytes) {
  static const CodePage* page = CodePage::find(N);
  std::wstring out;
  for (unsigned char b : bytes) {
    char32_t c = page->decode(b);
    out.push_back(static_cast<wchar_t>(c != 0 || b == 0 ? c : b));
  }
  return out;
}

}  // namespace

ByteDecoder decoderFor(int number) {
  static const struct {
    int number;
    ByteDecoder decoder;
  } decoders[] = {{874, &decodeIn<874>},   {1250, &decodeIn<1250>}, {1251, &decodeIn<1251>}, {1252, &decodeIn<1252>},
                  {1253, &decodeIn<1253>}, {1254, &decodeIn<1254>}, {1255, &decodeIn<1255>}, {1256, &decodeIn<1256>},
                  {1257, &decodeIn<1257>}, {1258, &decodeIn<1258>}};
  static_assert(sizeof(decoders) / sizeof(decoders[0]) == sizeof(kTables) / sizeof(kTables[0]),
                "a decoder for every code page");
  for (const auto& d : decoders) {
    if (d.number == number) return d.decoder;
  }
  return nullptr;
}

}  // namespace zvt::pack
