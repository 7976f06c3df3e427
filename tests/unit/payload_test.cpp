// Included file names, their checks, and the masked copy.
#include "config/payload.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "config/block_format.h"
#include "log_capture.h"

namespace zvt {
namespace {

using Names = std::vector<std::string>;

TEST(IncludedFileNames, CountAndEmptyNamesEndTheList) {
  EXPECT_EQ((Names{"a.jar", "lib\\b.jar"}), includedFileNames("a.jar;lib\\b.jar", 2));
  EXPECT_EQ((Names{"a.jar"}), includedFileNames("a.jar;lib\\b.jar;c.jar", 1));
  EXPECT_EQ((Names{"a.jar"}), includedFileNames("a.jar;;c.jar", 3));
  EXPECT_EQ((Names{"a.jar", "b"}), includedFileNames("a.jar;b;", 5));
  EXPECT_EQ(Names{}, includedFileNames(";a.jar", 2));
  EXPECT_EQ(Names{}, includedFileNames("a.jar", 0));
  EXPECT_EQ(Names{}, includedFileNames("a.jar", -3));
  EXPECT_EQ(Names{}, includedFileNames("", 2));
}

TEST(IncludedFileNames, RefusedNames) {
  const char* accepted[] = {"a.jar",       "lib\\b.jar", "lib/b.jar", "a.b.jar",    "x",
                            "console.jar", "com10.jar",  "lpt.jar",   "my app.jar", "lib\\native x.dll"};
  for (const char* n : accepted) EXPECT_EQ(nullptr, refusedNameReason(n)) << n;
  struct Case {
    const char* name;
    const char* reason;
  } refused[] = {
      {"\\evil.dll", "absolute name"},
      {"/evil.dll", "absolute name"},
      {"\\\\server\\share\\x", "absolute name"},
      {"C:\\Windows\\x.dll", "drive or stream colon"},
      {"C:x.dll", "drive or stream colon"},
      {"a.jar:stream", "drive or stream colon"},
      {"..\\up.dll", "parent directory reference"},
      {"lib\\..\\..\\up", "parent directory reference"},
      {"..", "parent directory reference"},
      {"lib\\sub\\c.jar", "more than one directory level"},
      {"lib/sub\\c.jar", "more than one directory level"},
      {"", "empty name"},
      {"nul", "reserved device name"},
      {"CON.jar", "reserved device name"},
      {"lib\\aux.dll", "reserved device name"},
      {"com1\\x.jar", "reserved device name"},
      {"Lpt9.txt", "reserved device name"},
      // Windows drops blanks and dots at the end of a part: the file would
      // be created under another name than the list gives.
      {"a.jar ", "blank or dot at the end of a name part, or blank at its start"},
      {" a.jar", "blank or dot at the end of a name part, or blank at its start"},
      {"lib.\\a.jar", "blank or dot at the end of a name part, or blank at its start"},
      {"lib\\a.", "blank or dot at the end of a name part, or blank at its start"},
      {"lib\\", "empty name part"},
      {"a?.jar", "character not allowed in file names"},
      {"a<b", "character not allowed in file names"},
      {"tab\there", "character not allowed in file names"},
  };
  for (const Case& c : refused) {
    const char* reason = refusedNameReason(c.name);
    ASSERT_NE(nullptr, reason) << c.name;
    EXPECT_STREQ(c.reason, reason) << c.name;
  }
  EXPECT_EQ("lib", directoryLevelOf("lib\\b.jar"));
  EXPECT_EQ("lib", directoryLevelOf("lib/b.jar"));
  EXPECT_EQ("", directoryLevelOf("a.jar"));
}

// Code page 1251 puts "No" (U+2116) where 1252 has the superscript one.
std::wstring decode1251Sample(const std::string& bytes) {
  std::wstring out;
  for (unsigned char c : bytes) out.push_back(c == 0xB9 ? wchar_t(0x2116) : wchar_t(c));
  return out;
}

TEST(IncludedFileNames, SuperscriptPortNumbersAreDevicesToo) {
  // Windows takes the superscripts one, two and three as the digits of
  // COM<n> and LPT<n>: these bytes in code page 1252.
  for (const char* name : {"COM\xB9", "com\xB2.jar", "Lpt\xB3.dll", "lib\\LPT\xB9.txt", "COM\xB3\\x.jar",
                           "lpt\xB2 .jar"}) {
    const char* reason = refusedNameReason(name);
    ASSERT_NE(nullptr, reason) << name;
    EXPECT_STREQ("reserved device name", reason) << name;
  }
  // Not a port number: other superscripts and marks, two of them, none.
  for (const char* name : {"COM\xB4.jar", "COM\xB9\xB9.jar", "LPT\xBA", "com\xB9x", "COM"}) {
    EXPECT_EQ(nullptr, refusedNameReason(name)) << name;
  }
  // The bytes count as the file functions read them: in UTF-8 the
  // superscript takes two bytes; in code page 1251 0xB9 is no digit.
  EXPECT_STREQ("reserved device name", refusedNameReason("COM\xC2\xB9.jar", &utf8ToUtf16));
  EXPECT_EQ(nullptr, refusedNameReason("COM\xC2\xB9.jar"));  // five characters in code page 1252
  EXPECT_EQ(nullptr, refusedNameReason("COM\xB9.jar", &decode1251Sample));
  EXPECT_STREQ("reserved device name", refusedNameReason("lib\\COM\xB2.jar", &decode1251Sample));
}

// The shape of code page 932: a lead byte (0x81-0x9F, 0xE0-0xFC) and the
// byte after it make one character, whatever that byte looks like alone.
std::wstring decode932Sample(const std::string& bytes) {
  std::wstring out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (lead && i + 1 < bytes.size()) {
      out.push_back(static_cast<wchar_t>(0x4E00 + ((c << 8) | static_cast<unsigned char>(bytes[++i])) % 0x5000));
    } else {
      out.push_back(static_cast<wchar_t>(c));
    }
  }
  return out;
}

TEST(IncludedFileNames, DoubleByteNamesAreCheckedAsCharacters) {
  // "\x95\x5C" is one character whose trail byte is a backslash, "\x83\x7C"
  // one whose trail byte is a bar: neither separates nor is forbidden.
  for (const char* name :
       {"\x95\x5C.jar", "lib\\\x95\x5C.jar", "\x95\x5C\\a.jar", "\x83\x7C.dll", "\x95\x5C\x83\x5C"}) {
    EXPECT_EQ(nullptr, refusedNameReason(name, &decode932Sample)) << name;
  }
  EXPECT_EQ(decode932Sample("\x95\x5C"), directoryLevelOf(decode932Sample("\x95\x5C\\a.jar")));
  EXPECT_EQ(std::wstring(), directoryLevelOf(decode932Sample("\x95\x5C.jar")));
  // Real separators and forbidden characters still count.
  EXPECT_STREQ("more than one directory level", refusedNameReason("\x95\x5C\\b\\c.jar", &decode932Sample));
  EXPECT_STREQ("absolute name", refusedNameReason("\\\x95\x5C.jar", &decode932Sample));
  EXPECT_STREQ("character not allowed in file names", refusedNameReason("\x95\x5C|.jar", &decode932Sample));
  // Read byte by byte the same names would be refused or split.
  EXPECT_NE(nullptr, refusedNameReason("lib\\\x95\x5C.jar"));
  EXPECT_NE(nullptr, refusedNameReason("\x83\x7C.dll"));
}

// A sink that takes at most `limit` bytes per write and can fail after a
// number of writes.
class MemorySink : public ByteSink {
 public:
  bool write(const void* data, uint32_t size, uint32_t& written) override {
    if (failAfter >= 0 && calls++ >= failAfter) return false;
    written = std::min(size, limit);
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + written);
    return true;
  }
  uint32_t lastError() const override { return 112; }
  std::vector<uint8_t> bytes;
  uint32_t limit = UINT32_MAX;
  int failAfter = -1;
  int calls = 0;
};

std::vector<uint8_t> masked(size_t size) {
  std::vector<uint8_t> data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>((i * 7) ^ block::kPayloadMask);
  return data;
}

TEST(CopyMasked, UnmasksAcrossChunksAndPartialWrites) {
  std::vector<uint8_t> data = masked(14000);  // three chunks of up to 6000
  MemorySource source(data);
  MemorySink sink;
  sink.limit = 1000;
  EXPECT_EQ(kCopyOk, copyMasked(source, sink, 13999, true));
  ASSERT_EQ(13999u, sink.bytes.size());
  for (size_t i = 0; i < sink.bytes.size(); ++i) ASSERT_EQ(static_cast<uint8_t>(i * 7), sink.bytes[i]) << i;
  EXPECT_EQ(13999u, source.position());  // the next file's size follows

  MemorySource again(data);
  MemorySink plain;
  EXPECT_EQ(kCopyOk, copyMasked(again, plain, 10, false));
  EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + 10), plain.bytes);
}

TEST(CopyMasked, ReadAndWriteFailures) {
  std::vector<uint8_t> data = masked(7000);
  test::LogCapture log;
  MemorySource shortSource(data);
  MemorySink sink;
  EXPECT_EQ(kCopyReadFailed, copyMasked(shortSource, sink, 9000, true));
  EXPECT_TRUE(log.contains(L"ERROR: ReadFile failed 0 0 7000"));
  EXPECT_EQ(7000u, sink.bytes.size());

  MemorySource source(data);
  MemorySink failing;
  failing.limit = 2500;
  failing.failAfter = 2;  // the third write fails: 1000 bytes of the chunk left
  EXPECT_EQ(kCopyWriteFailed, copyMasked(source, failing, 7000, true));
  EXPECT_TRUE(log.contains(L"ERROR: WriteFile failed 1000 112"));
}

}  // namespace
}  // namespace zvt
