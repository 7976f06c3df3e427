#include <gtest/gtest.h>

#include "base/log_sink.h"
#include "config/block_format.h"
#include "config/block_reader.h"
#include "log_capture.h"
#include "support/test_image.h"

namespace zvt {
namespace {

block::Content sampleContent() {
  block::Content c;
  c.entries = {{101, "MyService"}, {146, ""}, {107, "4"}, {101, "Replaced"}};
  c.messages = {{1000, L"Error"}, {1009, L"An internal error occurred (error code: {0})"}, {1015, L"Poweruser"}};
  c.sets = {{"de", {{1000, L"Fehler"}, {1015, L"Hauptbenutzer"}}}, {"de_AT", {{1000, L"Fehler (AT)"}}}};
  return c;
}

std::vector<uint8_t> packedSample(uint32_t sections = 3) {
  std::vector<uint8_t> image = test::makeImage(sections);
  std::vector<uint8_t> blk = block::write(sampleContent());
  image.insert(image.end(), blk.begin(), blk.end());
  return image;
}

TEST(BlockFormat, WritesTheDocumentedBytes) {
  block::Content c;
  c.entries = {{101, "MyService"}};
  c.messages = {{1000, L"Error"}};
  std::vector<uint8_t> b = block::write(c);
  ASSERT_GE(b.size(), 20u);
  EXPECT_EQ((std::vector<uint8_t>{0xD5, 0x13, 0xE4, 0xE8}), std::vector<uint8_t>(b.begin(), b.begin() + 4));
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0}), std::vector<uint8_t>(b.begin() + 4, b.begin() + 8));
  // Entry: count 1, id 101, length 9, "MyService".
  std::vector<uint8_t> entry = {1, 0, 0, 0, 0x65, 0, 0, 0, 9, 0, 0, 0, 'M', 'y', 'S', 'e', 'r', 'v', 'i', 'c', 'e'};
  EXPECT_EQ(entry, std::vector<uint8_t>(b.begin() + 20, b.begin() + 20 + entry.size()));
  // Message: count 1, id 1000, byte length 10, UTF-16LE "Error".
  std::vector<uint8_t> msg = {1, 0, 0, 0, 0xE8, 3, 0, 0, 10, 0, 0, 0, 'E', 0, 'r', 0, 'r', 0, 'o', 0, 'r', 0};
  size_t at = 20 + entry.size();
  EXPECT_EQ(msg, std::vector<uint8_t>(b.begin() + at, b.begin() + at + msg.size()));
  // Trailer: big-endian magic and a zero word, counted in the body length and CRC.
  std::vector<uint8_t> trailer = {0xE8, 0xE4, 0x13, 0xD5, 0, 0, 0, 0};
  EXPECT_EQ(trailer, std::vector<uint8_t>(b.end() - 8, b.end()));
  uint64_t bodyLength = 0;
  for (int i = 7; i >= 0; --i) bodyLength = (bodyLength << 8) | b[12 + i];
  EXPECT_EQ(b.size() - 20, bodyLength);
  uint32_t crc = b[8] | (b[9] << 8) | (b[10] << 16) | (static_cast<uint32_t>(b[11]) << 24);
  EXPECT_EQ(block::crc32(b.data() + 20, b.size() - 20), crc);
}

TEST(BlockFormat, Crc32MatchesTheStandardCheckValue) {
  const char* check = "123456789";
  EXPECT_EQ(0xCBF43926u, block::crc32(reinterpret_cast<const uint8_t*>(check), 9));
}

TEST(BlockFormat, IncludedFilesAreMaskedWithSizePrefix) {
  block::Content c;
  c.files.push_back({{0x00, 0x5A, 0xFF}});
  std::vector<uint8_t> b = block::write(c);
  // counts: entries, messages, sets (3 x u32 0) then the u64 size
  size_t at = 20 + 12;
  EXPECT_EQ(3u, b[at]);
  for (int i = 1; i < 8; ++i) EXPECT_EQ(0u, b[at + i]);
  EXPECT_EQ(0x00 ^ block::kPayloadMask, b[at + 8]);
  EXPECT_EQ(0x5A ^ block::kPayloadMask, b[at + 9]);
  EXPECT_EQ(0xFF ^ block::kPayloadMask, b[at + 10]);
}

TEST(LoadBlock, ReadsEntriesMessagesAndTheMatchingSets) {
  test::LogCapture log;
  std::vector<uint8_t> image = packedSample();
  MemorySource src(image);
  LoadedConfiguration cfg;
  ASSERT_EQ(ReadFailure::None, loadBlock(src, "de_AT", cfg));
  EXPECT_EQ("Replaced", cfg.entries.at(101));  // a repeated id replaces
  ASSERT_EQ(1u, cfg.entries.count(146));        // an empty value is present
  EXPECT_EQ("", cfg.entries.at(146));
  EXPECT_EQ(L"Fehler (AT)", cfg.messages.at(1000));  // the later matching set wins
  EXPECT_EQ(L"Hauptbenutzer", cfg.messages.at(1015));  // only in "de"
  EXPECT_EQ(L"An internal error occurred (error code: {0})", cfg.messages.at(1009));
  EXPECT_EQ("de", cfg.language);
  EXPECT_EQ("AT", cfg.country);
  // The payload starts behind the sets: here the trailer.
  EXPECT_EQ(image.size() - 8, cfg.payloadOffset);
  EXPECT_TRUE(log.contains(L"number of sections: 3"));
  EXPECT_TRUE(log.contains(L"size of optional headers: 224"));
}

TEST(LoadBlock, LocaleSetsArePrefixMatches) {
  struct Case {
    const char* locale;
    const wchar_t* caption;
    const char* language;
    const char* country;
  } cases[] = {
      {"de_DE", L"Fehler", "de", "DE"},
      {"de", L"Fehler", "de", ""},
      {"en", L"Error", "en", ""},
      {"en_US", L"Error", "en", "US"},
      {"no_NO_NY", L"Error", "no", ""},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> image = packedSample();
    MemorySource src(image);
    LoadedConfiguration cfg;
    ASSERT_EQ(ReadFailure::None, loadBlock(src, c.locale, cfg)) << c.locale;
    EXPECT_EQ(c.caption, cfg.messages.at(1000)) << c.locale;
    EXPECT_EQ(c.language, cfg.language) << c.locale;
    EXPECT_EQ(c.country, cfg.country) << c.locale;
  }
}

TEST(LoadBlock, EmptySetCodeMatchesEveryLocaleAndEmptyCountsAreValid) {
  block::Content c;
  c.sets = {{"", {{1000, L"Any"}}}};
  std::vector<uint8_t> image = test::makeImage(1);
  std::vector<uint8_t> blk = block::write(c);
  image.insert(image.end(), blk.begin(), blk.end());
  MemorySource src(image);
  LoadedConfiguration cfg;
  ASSERT_EQ(ReadFailure::None, loadBlock(src, "fr_FR", cfg));
  EXPECT_TRUE(cfg.entries.empty());
  EXPECT_EQ(L"Any", cfg.messages.at(1000));
}

TEST(LoadBlock, OnlyTheLastSectionHeaderCounts) {
  for (uint32_t sections : {1u, 2u, 5u}) {
    std::vector<uint8_t> image = packedSample(sections);
    MemorySource src(image);
    LoadedConfiguration cfg;
    EXPECT_EQ(ReadFailure::None, loadBlock(src, "en", cfg)) << sections;
    EXPECT_EQ("Replaced", cfg.entries[101]);
  }
}

TEST(LoadBlock, ChangedCrcAndBodyLengthAreIgnored) {
  std::vector<uint8_t> image = packedSample();
  size_t block = image.size() - block::write(sampleContent()).size();
  for (size_t i = 4; i < 20; ++i) image[block + i] ^= 0xA5;
  MemorySource src(image);
  LoadedConfiguration cfg;
  EXPECT_EQ(ReadFailure::None, loadBlock(src, "en", cfg));
}

TEST(LoadBlock, WrongMagicFails) {
  std::vector<uint8_t> image = packedSample();
  image[image.size() - block::write(sampleContent()).size()] ^= 1;
  MemorySource src(image);
  LoadedConfiguration cfg;
  EXPECT_EQ(ReadFailure::Magic, loadBlock(src, "en", cfg));
  EXPECT_STREQ(L"Internal Error: magic", fatalTextFor(ReadFailure::Magic));
}

// Cuts the packed image at every byte of the block: each cut must end with
// the failure of the read that hit the end, never with a crash.
TEST(LoadBlock, EveryTruncationPointFailsWithTheReadThatHitTheEnd) {
  test::LogCapture log;
  const std::vector<uint8_t> full = packedSample();
  const size_t blockStart = full.size() - block::write(sampleContent()).size();
  // Map each byte of the block to the read operation that covers it.
  for (size_t cut = blockStart; cut < full.size() - 8; ++cut) {
    std::vector<uint8_t> image(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
    MemorySource src(image);
    LoadedConfiguration cfg;
    ReadFailure f = loadBlock(src, "de_AT", cfg);
    ASSERT_NE(ReadFailure::None, f) << "cut at " << cut;
    size_t rel = cut - blockStart;
    if (rel < 4) {
      EXPECT_EQ(ReadFailure::ReadInt, f) << "magic, cut at " << rel;
    } else if (rel < 12) {
      EXPECT_EQ(ReadFailure::ReadInt, f) << "reserved/crc, cut at " << rel;
    } else if (rel < 20) {
      EXPECT_EQ(ReadFailure::ReadLong, f) << "body length, cut at " << rel;
    } else {
      EXPECT_TRUE(f == ReadFailure::ReadInt || f == ReadFailure::ReadString || f == ReadFailure::ReadWString)
          << "cut at " << rel;
    }
  }
  // Cutting inside the trailer loses nothing the launcher reads.
  std::vector<uint8_t> image(full.begin(), full.end() - 4);
  MemorySource src(image);
  LoadedConfiguration cfg;
  EXPECT_EQ(ReadFailure::None, loadBlock(src, "en", cfg));
}

// The locale is asked for only once the messages are read: its log line
// follows the header lines, and a block damaged before its localized sets
// never asks.
TEST(LoadBlock, TheLocaleIsAskedForAfterTheMessages) {
  const std::vector<uint8_t> full = packedSample();
  const block::Content content = sampleContent();
  {
    test::LogCapture log;
    MemorySource src(full);
    LoadedConfiguration cfg;
    int asked = 0;
    size_t messagesWhenAsked = 0;
    auto locale = [&] {
      ++asked;
      messagesWhenAsked = cfg.messages.size();
      logText(L"language/country is de_AT");
      return std::string("de_AT");
    };
    ASSERT_EQ(ReadFailure::None, loadBlock(src, LocaleSource(locale), cfg));
    EXPECT_EQ(1, asked);
    EXPECT_EQ(content.messages.size(), messagesWhenAsked);
    EXPECT_EQ(L"Fehler (AT)", cfg.messages.at(1000));  // the sets of the asked locale
    EXPECT_EQ("de", cfg.language);
    EXPECT_EQ("AT", cfg.country);
    ASSERT_GE(log.lines().size(), 2u);
    EXPECT_EQ(L"language/country is de_AT", log.lines().back());
    EXPECT_EQ(0u, log.lines()[log.lines().size() - 2].find(L"rawDataSize: ")) << "after the header lines";
  }
  // Cut at every byte up to the end of the messages: never asked. Cut inside
  // the localized sets: asked once, then the read fails.
  const size_t blockStart = full.size() - block::write(content).size();
  block::Content withoutSets = content;
  withoutSets.sets.clear();
  // The sets begin where a block without them has its set count.
  const size_t setsStart = blockStart + block::write(withoutSets).size() - 8 - 4;
  test::LogCapture log;
  for (size_t cut = blockStart; cut < full.size() - 8; ++cut) {
    std::vector<uint8_t> image(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
    MemorySource src(image);
    LoadedConfiguration cfg;
    int asked = 0;
    ReadFailure f = loadBlock(src, LocaleSource([&] { return ++asked, std::string("de"); }), cfg);
    ASSERT_NE(ReadFailure::None, f) << cut;
    EXPECT_EQ(cut < setsStart ? 0 : 1, asked) << "cut at " << cut - blockStart;
  }
  // A wrong magic never asks either.
  std::vector<uint8_t> broken = full;
  broken[blockStart] ^= 1;
  MemorySource src(broken);
  LoadedConfiguration cfg;
  int asked = 0;
  EXPECT_EQ(ReadFailure::Magic, loadBlock(src, LocaleSource([&] { return ++asked, std::string("en"); }), cfg));
  EXPECT_EQ(0, asked);
}

TEST(LoadBlock, TruncationInsideAStringValueIsAReadStringFailure) {
  block::Content c;
  c.entries = {{101, "MyService"}};
  c.messages = {{1000, L"Error"}};
  std::vector<uint8_t> image = test::makeImage(1);
  size_t start = image.size();
  std::vector<uint8_t> blk = block::write(c);
  image.insert(image.end(), blk.begin(), blk.end());
  const size_t valueAt = start + 20 + 4 + 8;  // count, id, length
  std::vector<uint8_t> cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(valueAt + 3));
  MemorySource s1(cut);
  LoadedConfiguration cfg;
  EXPECT_EQ(ReadFailure::ReadString, loadBlock(s1, "en", cfg));
  const size_t textAt = valueAt + 9 + 4 + 8;
  std::vector<uint8_t> cut2(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(textAt + 5));
  MemorySource s2(cut2);
  LoadedConfiguration cfg2;
  EXPECT_EQ(ReadFailure::ReadWString, loadBlock(s2, "en", cfg2));
}

TEST(LoadBlock, HugeLengthsFailWithoutAllocating) {
  for (uint32_t length : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000u}) {
    // Entry value length.
    block::Content c;
    c.entries = {{101, "x"}};
    std::vector<uint8_t> image = test::makeImage(1);
    size_t start = image.size();
    std::vector<uint8_t> blk = block::write(c);
    image.insert(image.end(), blk.begin(), blk.end());
    test::putU32(image, start + 20 + 8, length);
    MemorySource s1(image);
    LoadedConfiguration cfg;
    EXPECT_EQ(ReadFailure::ReadString, loadBlock(s1, "en", cfg)) << length;

    // Message text length.
    block::Content m;
    m.messages = {{1000, L"E"}};
    std::vector<uint8_t> image2 = test::makeImage(1);
    start = image2.size();
    blk = block::write(m);
    image2.insert(image2.end(), blk.begin(), blk.end());
    test::putU32(image2, start + 20 + 4 + 8, length);
    MemorySource s2(image2);
    LoadedConfiguration cfg2;
    EXPECT_EQ(ReadFailure::ReadWString, loadBlock(s2, "en", cfg2)) << length;
  }
}

TEST(LoadBlock, HugeCountsEndAtTheFirstMissingRecord) {
  block::Content c;
  std::vector<uint8_t> image = test::makeImage(1);
  size_t start = image.size();
  std::vector<uint8_t> blk = block::write(c);
  image.insert(image.end(), blk.begin(), blk.end());
  test::putU32(image, start + 20, 0xFFFFFFFFu);  // entry count
  MemorySource src(image);
  LoadedConfiguration cfg;
  EXPECT_NE(ReadFailure::None, loadBlock(src, "en", cfg));
}

TEST(LoadBlock, BrokenHeadersFailCleanly) {
  std::vector<uint8_t> tiny = {'M', 'Z'};
  MemorySource s1(tiny);
  LoadedConfiguration cfg;
  EXPECT_EQ(ReadFailure::ReadInt, loadBlock(s1, "en", cfg));

  std::vector<uint8_t> image = test::makeImage(1);
  test::putU32(image, 60, 0xFFFFFFF0u);  // PE offset far beyond the file
  MemorySource s2(image);
  EXPECT_EQ(ReadFailure::ReadShort, loadBlock(s2, "en", cfg));

  std::vector<uint8_t> image3 = test::makeImage(1);
  test::putU32(image3, 0x80 + 24 + 0xE0 + 16, 0xFFFFFFFFu);  // raw size: block offset past the end
  MemorySource s3(image3);
  EXPECT_EQ(ReadFailure::ReadInt, loadBlock(s3, "en", cfg));
}

// A source whose seek number `failAt` (1-based) fails, like a file pointer
// that cannot move; reads still work wherever the position was left.
class FailingSeekSource final : public ByteSource {
 public:
  FailingSeekSource(const std::vector<uint8_t>& bytes, int failAt) : inner_(bytes), failAt_(failAt) {}
  bool seek(uint64_t offset) override { return ++seeks_ == failAt_ ? false : inner_.seek(offset); }
  bool read(void* dst, uint32_t size, uint32_t& got) override { return inner_.read(dst, size, got); }
  uint64_t position() const override { return inner_.position(); }
  uint64_t size() const override { return inner_.size(); }
  int seeks() const { return seeks_; }

 private:
  MemorySource inner_;
  int failAt_;
  int seeks_ = 0;
};

TEST(LoadBlock, AFailedSeekIsAFailureOfTheReadItWasFor) {
  std::vector<uint8_t> image = packedSample();
  {
    FailingSeekSource all(image, 0);  // no seek fails: six seeks find the block
    LoadedConfiguration cfg;
    ASSERT_EQ(ReadFailure::None, loadBlock(all, "en", cfg));
    ASSERT_EQ(6, all.seeks());
  }
  // The seeks lead to: the PE offset (int), the section count (short), the
  // optional header size (short), the raw data size and offset (ints) and
  // the block's magic (int).
  const ReadFailure expected[] = {ReadFailure::ReadInt, ReadFailure::ReadShort, ReadFailure::ReadShort,
                                  ReadFailure::ReadInt, ReadFailure::ReadInt, ReadFailure::ReadInt};
  for (int failAt = 1; failAt <= 6; ++failAt) {
    test::LogCapture log;
    FailingSeekSource source(image, failAt);
    LoadedConfiguration cfg;
    ReadFailure failure = loadBlock(source, "en", cfg);
    EXPECT_EQ(expected[failAt - 1], failure) << "seek " << failAt;
    EXPECT_NE(std::wstring(), fatalTextFor(failure)) << "seek " << failAt;
    EXPECT_TRUE(cfg.entries.empty()) << "seek " << failAt;  // nothing read from a wrong place
    EXPECT_EQ(failAt, source.seeks()) << "no seek after the failed one";
  }
  // The reader keeps the failure: later reads fail too.
  FailingSeekSource source(image, 1);
  BlockReader reader(source);
  uint64_t offset = 0;
  EXPECT_FALSE(locateBlock(reader, offset));
  EXPECT_EQ(ReadFailure::ReadInt, reader.failure());
  EXPECT_STREQ(L"Internal Error: readInt", fatalTextFor(reader.failure()));
  uint32_t word;
  EXPECT_FALSE(reader.readInt(word));
}

TEST(BlockReader, StopsAfterTheFirstFailure) {
  std::vector<uint8_t> bytes = {1, 0, 0, 0, 2, 0};
  MemorySource src(bytes);
  BlockReader r(src);
  uint32_t v;
  ASSERT_TRUE(r.readInt(v));
  EXPECT_EQ(1u, v);
  EXPECT_FALSE(r.readInt(v));
  EXPECT_EQ(ReadFailure::ReadInt, r.failure());
  uint16_t s;
  EXPECT_FALSE(r.readShort(s));
  EXPECT_EQ(ReadFailure::ReadInt, r.failure());
}

}  // namespace
}  // namespace zvt
