#include "pack.h"

#include <gtest/gtest.h>

#include "config/block_reader.h"
#include "description.h"
#include "support/test_image.h"

namespace zvt {
namespace {

const char* kDescription =
    "# sample\n"
    "entry 101 MyService\n"
    "entry 146\n"
    "entry 150 caf\\xE9\\\\x\n"
    "message 1000 Error\n"
    "message 1009 line one\\nline two \\u20AC \xE2\x82\xAC\n"
    "set de\n"
    "message 1000 Fehler\n"
    "end\n"
    "set de_AT\n"
    "message 1000 Fehler AT\n"
    "end\n";

TEST(Description, ParsesAllItems) {
  pack::Description d;
  std::string error;
  ASSERT_TRUE(pack::parseDescription(kDescription, d, error)) << error;
  ASSERT_EQ(3u, d.content.entries.size());
  EXPECT_EQ("MyService", d.content.entries[0].value);
  EXPECT_EQ("", d.content.entries[1].value);
  EXPECT_EQ("caf\xE9\\x", d.content.entries[2].value);
  ASSERT_EQ(2u, d.content.messages.size());
  std::wstring expected = L"line one\nline two ";
  expected += static_cast<wchar_t>(0x20AC);
  expected += L' ';
  expected += static_cast<wchar_t>(0x20AC);
  EXPECT_EQ(expected, d.content.messages[1].text);
  ASSERT_EQ(2u, d.content.sets.size());
  EXPECT_EQ("de_AT", d.content.sets[1].locale);
  EXPECT_EQ(L"Fehler AT", d.content.sets[1].messages[0].text);
}

TEST(Description, RejectsBadLinesWithTheirNumber) {
  const char* bad[] = {"entry x 1\n", "entry\n", "message 99999999999 a\n", "bogus 1\n", "entry 1 \\q\n",
                       "entry 1 \\x4\n", "set de\nentry 1 a\n", "file onlyname\n",
                       // printed back unescaped, "de\r" would read as "de"
                       "set de\r\r\n", "set d\te\n"};
  for (const char* text : bad) {
    pack::Description d;
    std::string error;
    EXPECT_FALSE(pack::parseDescription(text, d, error)) << text;
    EXPECT_EQ(0u, error.find("line ")) << error;
  }
}

TEST(Pack, PackShowAndRepackRoundTrip) {
  pack::Description d;
  std::string error;
  ASSERT_TRUE(pack::parseDescription(kDescription, d, error));
  std::vector<uint8_t> image = test::makeImage(2);
  std::vector<uint8_t> packed;
  ASSERT_TRUE(pack::packImage(image, d.content, packed, error)) << error;
  EXPECT_TRUE(std::equal(image.begin(), image.end(), packed.begin()));

  block::Content back;
  std::vector<std::string> names;
  ASSERT_TRUE(pack::readPackedBlock(packed, back, names, error)) << error;
  std::string shown = pack::printContent(back, names);
  EXPECT_EQ(pack::printContent(d.content, {}), shown);

  // The printed form packs to the same block again.
  pack::Description again;
  ASSERT_TRUE(pack::parseDescription(shown, again, error)) << error;
  std::vector<uint8_t> repacked;
  ASSERT_TRUE(pack::packImage(packed, again.content, repacked, error)) << error;
  EXPECT_EQ(packed, repacked);  // the old block was replaced, not stacked

  // Packing a different, smaller block over it shrinks the file.
  block::Content small;
  small.entries = {{101, "X"}};
  std::vector<uint8_t> smaller;
  ASSERT_TRUE(pack::packImage(packed, small, smaller, error));
  EXPECT_EQ(image.size() + block::write(small).size(), smaller.size());
}

TEST(Pack, IncludedFilesRoundTrip) {
  block::Content c;
  c.files = {{{1, 2, 3}}, {{}}};
  pack::setIncludedFileEntries(c, {"a.jar", "lib\\b.jar"});
  std::vector<uint8_t> packed;
  std::string error;
  ASSERT_TRUE(pack::packImage(test::makeImage(1), c, packed, error));
  block::Content back;
  std::vector<std::string> names;
  ASSERT_TRUE(pack::readPackedBlock(packed, back, names, error)) << error;
  EXPECT_EQ((std::vector<std::string>{"a.jar", "lib\\b.jar"}), names);
  ASSERT_EQ(2u, back.files.size());
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), back.files[0].content);
  MemorySource src(packed);
  LoadedConfiguration cfg;
  ASSERT_EQ(ReadFailure::None, loadBlock(src, "en", cfg));
  EXPECT_EQ("2", cfg.entries[2002]);
  EXPECT_EQ("a.jar;lib\\b.jar", cfg.entries[2003]);
}

TEST(Pack, RefusesSignedAndBrokenImages) {
  std::vector<uint8_t> image = test::makeImage(1);
  // Certificate table: data directory 4 of a PE32 optional header.
  test::putU32(image, 0x80 + 24 + 96 + 4 * 8 + 4, 0x100);
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_FALSE(pack::packImage(image, block::Content(), out, error));
  EXPECT_NE(std::string::npos, error.find("certificate table")) << error;

  std::vector<uint8_t> notPe(100, 0);
  EXPECT_FALSE(pack::packImage(notPe, block::Content(), out, error));
  EXPECT_NE(std::string::npos, error.find("MZ")) << error;

  block::Content back;
  std::vector<std::string> names;
  EXPECT_FALSE(pack::readPackedBlock(test::makeImage(1), back, names, error));
  EXPECT_NE(std::string::npos, error.find("no configuration block")) << error;
}

}  // namespace
}  // namespace zvt
