// Packing a block behind the last section of a template, and reading it back.
#include "pack.h"

#include <gtest/gtest.h>

#include "config/block_reader.h"
#include "description.h"
#include "support/test_image.h"

namespace zvt {
namespace {

block::Content sample() {
  block::Content c;
  c.entries = {{101, "MyService"}, {146, ""}, {150, "caf\xE9"}};
  c.messages = {{1000, L"Error"}, {1009, L"line one\nline two"}};
  c.sets = {{"de", {{1000, L"Fehler"}}}, {"de_AT", {{1000, L"Fehler AT"}}}};
  return c;
}

TEST(Pack, ReplacesAnEarlierBlockAndReadsBack) {
  std::vector<uint8_t> image = test::makeImage(2);
  std::vector<uint8_t> packed;
  std::string error;
  ASSERT_TRUE(pack::packImage(image, sample(), packed, error)) << error;
  EXPECT_TRUE(std::equal(image.begin(), image.end(), packed.begin()));
  EXPECT_EQ(image.size() + block::write(sample()).size(), packed.size());

  block::Content back;
  std::vector<std::string> names;
  ASSERT_TRUE(pack::readPackedBlock(packed, back, names, error)) << error;
  EXPECT_EQ(block::write(sample()), block::write(back));

  // Packing a packed launcher again replaces its block instead of stacking.
  block::Content small;
  small.entries = {{101, "X"}};
  std::vector<uint8_t> repacked;
  ASSERT_TRUE(pack::packImage(packed, small, repacked, error));
  EXPECT_EQ(image.size() + block::write(small).size(), repacked.size());
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

// The block goes behind the last section header's raw data. A template
// whose last section has none (SizeOfRawData and PointerToRawData 0) would
// put it at offset 0, and one whose sections are out of order over another
// section: both are refused instead of writing an image without its code.
TEST(Pack, RefusesATemplateWhoseBlockPositionIsNotBehindAllSections) {
  const size_t table = 0x80 + 24 + 0xE0;
  std::vector<uint8_t> noRawData = test::makeImage(3);
  test::putU32(noRawData, table + 2 * 40 + 16, 0);
  test::putU32(noRawData, table + 2 * 40 + 20, 0);
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_FALSE(pack::packImage(noRawData, block::Content(), out, error));
  EXPECT_NE(std::string::npos, error.find("no raw data")) << error;
  EXPECT_TRUE(out.empty());

  std::vector<uint8_t> swapped = test::makeImage(3);
  // Section 1 gets the file's last raw data, section 3 the first.
  for (size_t field : {16u, 20u}) {
    uint32_t a = swapped[table + field] | swapped[table + field + 1] << 8;
    uint32_t c = swapped[table + 80 + field] | swapped[table + 80 + field + 1] << 8;
    test::putU32(swapped, table + field, c);
    test::putU32(swapped, table + 80 + field, a);
  }
  EXPECT_FALSE(pack::packImage(swapped, block::Content(), out, error));
  EXPECT_NE(std::string::npos, error.find("section 1's raw data lies behind")) << error;

  // A last section of size 0 right behind the others is fine.
  std::vector<uint8_t> emptyLast = test::makeImage(3);
  const uint32_t end = static_cast<uint32_t>(emptyLast.size());
  test::putU32(emptyLast, table + 2 * 40 + 16, 0);
  test::putU32(emptyLast, table + 2 * 40 + 20, end);
  EXPECT_TRUE(pack::packImage(emptyLast, block::Content(), out, error)) << error;
}

// The earlier description format, read only by "convert": lines it cannot
// represent faithfully are refused with their number. A locale name with a
// control character ("de\r") would otherwise be shown back as "de".
TEST(Description, RejectsBadLinesWithTheirNumber) {
  const char* bad[] = {"entry x 1\n", "entry\n", "message 99999999999 a\n", "bogus 1\n", "entry 1 \\q\n",
                       "entry 1 \\x4\n", "set de\nentry 1 a\n", "file onlyname\n", "set de\r\r\n", "set d\te\n"};
  for (const char* text : bad) {
    pack::Description d;
    std::string error;
    EXPECT_FALSE(pack::parseDescription(text, d, error)) << text;
    EXPECT_EQ(0u, error.find("line ")) << error;
  }
}

}  // namespace
}  // namespace zvt
