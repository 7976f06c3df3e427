// Included files end to end: the packed launcher's /run extracts them into a
// fresh directory before anything else, and a fatal end removes it again.
#include <gtest/gtest.h>

#include "base/text.h"
#include "launcher_fixture.h"
#include "pack.h"

namespace zvt::e2e {
namespace {

block::IncludedFile fileOf(const std::string& text) {
  return block::IncludedFile{std::vector<uint8_t>(text.begin(), text.end())};
}

block::Content baseContent() {
  block::Content c;
  c.entries = {{101, "ZvtPayloadService"}, {107, "4"}, {128, "B.\\jre"}};  // console errors
  c.messages = {{1009, L"An internal error occurred (error code: {0})"}};
  return c;
}

// The value logged after `prefix` up to the end of its line.
std::string loggedValue(const std::string& log, const std::string& prefix) {
  size_t at = log.find(prefix);
  if (at == std::string::npos) return std::string();
  at += prefix.size();
  size_t end = log.find_first_of("\r\n", at);
  return log.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

std::string readText(const std::wstring& path) {
  std::string bytes;
  return test::readFileBytes(path, bytes) ? bytes : std::string("<missing>");
}

struct Extraction {
  test::RunResult result;
  std::string log;
  std::wstring dir;  // the launcher temporary directory the log names
};

// A runtime for the launch sequence to find (key 128 of baseContent), so it
// goes on past the JVM search instead of ending, and removing the
// directory, there.
Extraction runWithLog(LauncherSandbox& box, const block::Content& c) {
  if (!test::fileExists(box.file(L"jre"))) box.layOutRuntime(L"jre");
  std::wstring exe = box.pack(c);
  test::RunOptions o;
  o.setEnv[L"QUARN_LOG"] = L"yes";
  Extraction e;
  e.result = box.run(exe, L"/run", o);
  e.log = box.log();
  e.dir = utf8ToUtf16(loggedValue(e.log, "Temp dir3: "));
  return e;
}

TEST(Payload, FilesAndTheirDirectoryLevelAreExtracted) {
  LauncherSandbox box(L"payload");
  block::Content c = baseContent();
  // As zvtpack does for "file" lines: names and count in 2003/2002.
  pack::setIncludedFileEntries(c, {"a.jar", "lib\\b.jar", "empty.jar"});
  c.files = {fileOf("first file"), fileOf(std::string(20000, 'b') + "end"), fileOf("")};
  Extraction e = runWithLog(box, c);
  ASSERT_FALSE(e.result.timedOut);
  ASSERT_FALSE(e.dir.empty()) << e.log;
  EXPECT_TRUE(contains(e.log, "Included files: 3")) << e.log;
  EXPECT_EQ("first file", readText(e.dir + L"\\a.jar"));
  EXPECT_EQ(std::string(20000, 'b') + "end", readText(e.dir + L"\\lib\\b.jar"));
  EXPECT_FALSE(test::fileExists(e.dir + L"\\empty.jar")) << "a size-0 file creates nothing";
  EXPECT_TRUE(contains(e.log, "extracting files done")) << e.log;
  // The directory stays after a normal end: the application may use it
  // until then, and only a fatal end removes it.
  EXPECT_EQ(0u, e.result.exitCode) << e.result.err;
  EXPECT_TRUE(contains(e.log, "] launch done\r\n")) << e.log;
}

// Names in the code page (under 932 with trail bytes 0x5C): checked and
// split into their directory level as characters, so a double-byte name is
// neither refused as a deeper path nor cut at its trail byte. Runs from the
// CTest entries e2e_codepage (1251) and e2e_vm_options_cp932 (932).
TEST(CodePage, IncludedNamesAreCheckedAsCharacters) {
  const std::wstring text = codePageText();
  ASSERT_FALSE(text.empty()) << "no test text for code page " << GetACP();
  const std::string bytes = inCodePage(text);
  LauncherSandbox box(L"paycp");
  block::Content c = baseContent();
  pack::setIncludedFileEntries(c, {bytes + ".jar", bytes + "\\c.jar"});
  c.files = {fileOf("one"), fileOf("two")};
  Extraction e = runWithLog(box, c);
  ASSERT_FALSE(e.result.timedOut);
  EXPECT_EQ(0u, e.result.exitCode) << e.result.err << e.log;
  ASSERT_FALSE(e.dir.empty()) << e.log;
  EXPECT_EQ("one", readText(e.dir + L"\\" + text + L".jar"));
  EXPECT_EQ("two", readText(e.dir + L"\\" + text + L"\\c.jar"));
  EXPECT_FALSE(contains(e.log, "refusing included file name")) << e.log;
}

TEST(Payload, OnlyAsManyFilesAsCounted) {
  LauncherSandbox box(L"paycount");
  block::Content c = baseContent();
  c.entries.push_back({2002, "1"});
  c.entries.push_back({2003, "a.jar;b.jar"});
  c.files = {fileOf("one"), fileOf("two")};
  Extraction e = runWithLog(box, c);
  ASSERT_FALSE(e.dir.empty()) << e.log;
  EXPECT_EQ("one", readText(e.dir + L"\\a.jar"));
  EXPECT_FALSE(test::fileExists(e.dir + L"\\b.jar"));
}

TEST(Payload, NoFilesNoDirectory) {
  LauncherSandbox box(L"paynone");
  Extraction e = runWithLog(box, baseContent());
  EXPECT_TRUE(contains(e.log, "Included files: 0")) << e.log;
  EXPECT_TRUE(e.dir.empty());
  EXPECT_FALSE(contains(e.log, "_dir"));
}

TEST(Payload, RefusedNameEndsCleanlyAndRemovesTheDirectory) {
  const char* names[] = {"..\\evil.jar", "C:\\evil.jar", "a.jar:stream", "lib\\deep\\c.jar", "\\evil.jar"};
  for (const char* name : names) {
    LauncherSandbox box(L"payrefuse");
    block::Content c = baseContent();
    pack::setIncludedFileEntries(c, {"ok.jar", name});
    c.files = {fileOf("fine"), fileOf("evil")};
    Extraction e = runWithLog(box, c);
    EXPECT_FALSE(e.result.timedOut) << name;
    EXPECT_EQ(1u, e.result.exitCode) << name;
    EXPECT_TRUE(contains(e.result.err, "An internal error occurred (error code: 11)")) << name << ": " << e.result.err;
    EXPECT_TRUE(contains(e.log, std::string("refusing included file name \"") + name + "\"")) << e.log;
    ASSERT_FALSE(e.dir.empty()) << e.log;
    EXPECT_FALSE(test::fileExists(e.dir)) << "the fatal end removes the directory";
    EXPECT_FALSE(test::fileExists(box.file(L"evil.jar")));
  }
}

TEST(Payload, DamagedContentEndsWithError16AndRemovesTheDirectory) {
  LauncherSandbox box(L"paydamaged");
  block::Content c = baseContent();
  // Two names counted but one file stored: the second size is read from the
  // block's trailer and its content runs past the end of the file.
  c.entries.push_back({2002, "2"});
  c.entries.push_back({2003, "a.jar;lib\\b.jar"});
  c.files = {fileOf("first")};
  Extraction e = runWithLog(box, c);
  EXPECT_EQ(1u, e.result.exitCode);
  EXPECT_TRUE(contains(e.result.err, "(error code: 16)")) << e.result.err;
  EXPECT_TRUE(contains(e.log, "ERROR: ReadFile failed")) << e.log;
  EXPECT_TRUE(contains(e.log, "ERROR: Failed to extract")) << e.log;
  ASSERT_FALSE(e.dir.empty()) << e.log;
  EXPECT_FALSE(test::fileExists(e.dir + L"\\a.jar"));
  EXPECT_FALSE(test::fileExists(e.dir));
}

}  // namespace
}  // namespace zvt::e2e
