// A damaged configuration block, through the real executable: the loader
// shows the read operation's fatal text (a dialog: the display mode is not
// known before the block is read) and ends with exit code 1.
#include <gtest/gtest.h>

#include "base/text.h"
#include "launcher_fixture.h"

namespace zvt::e2e {
namespace {

block::Content content() {
  block::Content c;
  c.entries = {{101, "ZvtBlockService"}, {107, "4"}};
  c.messages = {{1000, L"Error"}, {1015, L"Poweruser"}};
  c.sets = {{"de", {{1000, L"Fehler"}}}};
  return c;
}

struct Cut {
  size_t keep;  // bytes of the block kept
  const char* text;
};

TEST(DamagedBlock, TruncationEndsWithTheFatalTextAndExitCode1) {
  const size_t blockSize = block::write(content()).size();
  const Cut cuts[] = {
      {0, "Internal Error: readInt"},            // nothing behind the sections
      {2, "Internal Error: readInt"},            // inside the magic
      {15, "Internal Error: readLong"},          // inside the body length
      {20 + 4 + 4 + 4 + 3, "Internal Error: readString"},  // inside the first value
      {blockSize - 20, "Internal Error: readWString"},  // inside the localized set's text
      {blockSize - 32, "Internal Error: readInt"},  // inside the localized message's id
  };
  for (const Cut& cut : cuts) {
    LauncherSandbox box(L"trunc");
    std::wstring exe = box.pack(content());
    std::string bytes;
    ASSERT_TRUE(test::readFileBytes(exe, bytes));
    bytes.resize(bytes.size() - blockSize + cut.keep);
    ASSERT_TRUE(test::writeFileBytes(exe, bytes));
    test::RunResult r = box.run(exe, L"/?");
    EXPECT_FALSE(r.timedOut) << cut.keep;
    EXPECT_EQ(1u, r.exitCode) << cut.keep;
    ASSERT_EQ(1u, r.dialogs.size()) << "cut at " << cut.keep << " stderr: " << r.err;
    EXPECT_EQ(utf8ToUtf16(cut.text), r.dialogs[0].text) << cut.keep;
    EXPECT_TRUE(r.out.empty()) << "no usage line after a fatal load error";
  }
}

TEST(DamagedBlock, WrongMagicAndHugeLength) {
  LauncherSandbox box(L"magic");
  std::wstring exe = box.pack(content());
  const size_t blockSize = block::write(content()).size();
  std::string bytes;
  ASSERT_TRUE(test::readFileBytes(exe, bytes));
  std::string broken = bytes;
  broken[bytes.size() - blockSize] ^= 0x01;
  ASSERT_TRUE(test::writeFileBytes(exe, broken));
  test::RunOptions logOn;
  logOn.setEnv[L"QUARN_LOG"] = L"yes";
  test::RunResult r = box.run(exe, L"/?", logOn);
  EXPECT_EQ(1u, r.exitCode);
  ASSERT_EQ(1u, r.dialogs.size());
  // With the log on, the text names the log after the fatal text.
  EXPECT_EQ(0u, r.dialogs[0].text.find(L"Internal Error: magic\n\nLog: ")) << r.dialogs[0].text;
  // The block was not read: no locale was looked up for it.
  std::string log = box.log();
  EXPECT_TRUE(contains(log, "rawDataSize: ")) << log;
  EXPECT_FALSE(contains(log, "language/country is")) << log;

  // A value length of 0xFFFFFFFF: no huge allocation, the readString error.
  broken = bytes;
  size_t lengthAt = bytes.size() - blockSize + 20 + 4 + 4;
  for (int i = 0; i < 4; ++i) broken[lengthAt + i] = static_cast<char>(0xFF);
  ASSERT_TRUE(test::writeFileBytes(exe, broken));
  r = box.run(exe, L"/?");
  EXPECT_EQ(1u, r.exitCode);
  ASSERT_EQ(1u, r.dialogs.size());
  EXPECT_EQ(L"Internal Error: readString", r.dialogs[0].text);
}

TEST(DamagedBlock, ThePlainTemplateHasNoBlock) {
  LauncherSandbox box(L"template");
  std::wstring exe = box.file(L"plain.exe");
  ASSERT_TRUE(test::writeFileBytes(exe, readTemplate()));
  test::RunResult r = box.run(exe, L"/?");
  EXPECT_EQ(1u, r.exitCode);
  ASSERT_EQ(1u, r.dialogs.size());
  EXPECT_EQ(L"Internal Error: readInt", r.dialogs[0].text);
}

}  // namespace
}  // namespace zvt::e2e
