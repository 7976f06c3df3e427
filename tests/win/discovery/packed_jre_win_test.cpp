// Unpacking packed runtime jars with the runtime's own unpack200.exe, in a
// child process of this test program so that its standard output and its
// exit can be seen.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/text.h"
#include "child.h"
#include "config/accessors.h"
#include "discovery_fixture.h"
#include "jvm/discovery/packed_jre_win32.h"
#include "runtime/errors.h"
#include "runtime/message_ids.h"
#include "runtime/paths.h"

namespace zvt {
namespace {

const wchar_t kUnpackFailedText[] = L"Could not unpack the JVM. Antivirus software is probably interfering.";

// Unpacks ZVT_UNPACK_HOME; the log lines follow on standard error.
TEST(Child_Packed, Unpack) {
  REQUIRE_CHILD();
  config::current().messages[msg::kUnpackFailed] = kUnpackFailedText;
  setMessageSource(&config::getMessageText);
  setErrorDisplay(ErrorDisplay::Console);
  std::vector<std::wstring> lines;
  {
    test::LogLines log;
    unpackPackedJre(toNarrow(test::childEnv(L"ZVT_UNPACK_HOME")));
    lines = log.startingWith(L"");
  }
  for (const std::wstring& line : lines) fprintf(stderr, "LOG: %s\n", utf16ToUtf8(line).c_str());
}

// Counts `part` with line ends taken as "\n": the C runtime's text mode
// writes "\r\n" for them.
int count(std::string text, const std::string& part) {
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

int lineCount(const std::wstring& file) {
  std::string bytes;
  if (!test::readFileBytes(file, bytes)) return 0;
  return static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
}

class PackedJreWin : public ::testing::Test {
 protected:
  test::RunResult unpack(const std::wstring& home) {
    test::RunOptions options;
    options.setEnv[L"ZVT_UNPACK_HOME"] = home;
    options.timeoutMs = 60000;
    test::RunResult result = test::runChild("Child_Packed.Unpack", options);
    EXPECT_FALSE(result.timedOut);
    return result;
  }
  std::wstring home(const standin::RuntimeLayout& layout) {
    const std::wstring path = sandbox_.path() + L"\\jre";
    test::layOut(path, layout);
    return path;
  }

  test::Sandbox sandbox_{L"packed"};
};

TEST_F(PackedJreWin, JarAlreadyThereRunsNothing) {
  standin::RuntimeLayout layout;
  layout.packedJars = {L"lib\\rt.jar"};
  const std::wstring jre = home(layout);
  ASSERT_TRUE(test::writeFileBytes(jre + L"\\lib\\rt.jar", "PK present"));
  test::RunResult r = unpack(jre);
  EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
  EXPECT_EQ(0, count(r.out, "Preparing JRE"));
  EXPECT_EQ(0, lineCount(jre + L"\\standin\\unpack.log"));
  EXPECT_TRUE(test::fileExists(jre + L"\\lib\\rt.jar.pack"));
}

TEST_F(PackedJreWin, TwoPackedJarsAreUnpackedOneAfterTheOtherAnnouncedOnce) {
  standin::RuntimeLayout layout;
  layout.packedJars = {L"lib\\rt.jar", L"lib\\ext\\foo.jar"};
  const std::wstring jre = home(layout);
  test::RunResult r = unpack(jre);
  EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
  EXPECT_EQ(1, count(r.out, "Preparing JRE ...\n")) << r.out;
  EXPECT_EQ(2, lineCount(jre + L"\\standin\\unpack.log"));
  std::string rt;
  ASSERT_TRUE(test::readFileBytes(jre + L"\\lib\\rt.jar", rt));
  EXPECT_EQ("PK stand-in lib\\rt.jar", rt);
  EXPECT_TRUE(test::fileExists(jre + L"\\lib\\ext\\foo.jar"));
  EXPECT_FALSE(test::fileExists(jre + L"\\lib\\rt.jar.pack"));
  EXPECT_FALSE(test::fileExists(jre + L"\\lib\\ext\\foo.jar.pack"));
  EXPECT_EQ(1, count(r.err, "LOG: Unpacking JRE done\n")) << r.err;
  // The exact command line: the program quoted (the unpacker reads "-r" as
  // its first argument), -r, then both paths quoted.
  std::string log;
  ASSERT_TRUE(test::readFileBytes(jre + L"\\standin\\unpack.log", log));
  const std::string home = utf16ToUtf8(jre);
  EXPECT_EQ(0u, log.find("\"" + home + "\\bin\\unpack200.exe\" -r \"" + home + "\\lib\\rt.jar.pack\" \"" + home +
                         "\\lib\\rt.jar\"\n"))
      << log;
}

TEST_F(PackedJreWin, DirectoryWithoutLibIsNoError) {
  const std::wstring plain = sandbox_.path() + L"\\not a runtime";
  ASSERT_TRUE(CreateDirectoryW(plain.c_str(), nullptr));
  test::RunResult r = unpack(plain);
  EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
  EXPECT_EQ(0, count(r.out, "Preparing JRE"));
}

TEST_F(PackedJreWin, FailingUnpackerKeepsThePackedFileForTheNextStart) {
  standin::RuntimeLayout layout;
  layout.packedJars = {L"lib\\rt.jar"};
  layout.corruptPacks = true;
  const std::wstring jre = home(layout);
  test::RunResult r = unpack(jre);
  EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
  EXPECT_TRUE(test::fileExists(jre + L"\\lib\\rt.jar.pack"));
  EXPECT_FALSE(test::fileExists(jre + L"\\lib\\rt.jar"));
  EXPECT_EQ(1, count(r.err, "LOG: ERROR: unpack200 exited with 1 and left no jar; keeping ")) << r.err;
  r = unpack(jre);
  EXPECT_EQ(2, lineCount(jre + L"\\standin\\unpack.log"));
  EXPECT_TRUE(test::fileExists(jre + L"\\lib\\rt.jar.pack"));
}

TEST_F(PackedJreWin, UnpackerDyingMidwayLeavesNoDamagedJar) {
  standin::RuntimeLayout layout;
  layout.packedJars = {L"lib\\rt.jar"};
  layout.truncatedPacks = true;
  const std::wstring jre = home(layout);
  test::RunResult r = unpack(jre);
  EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
  EXPECT_TRUE(test::fileExists(jre + L"\\lib\\rt.jar.pack"));
  EXPECT_FALSE(test::fileExists(jre + L"\\lib\\rt.jar")) << "a half-written jar would stop the next attempt";
}

TEST_F(PackedJreWin, MissingUnpackerEndsTheProcessWithMessage1021) {
  standin::RuntimeLayout layout;
  layout.packedJars = {L"lib\\rt.jar"};
  layout.unpack200 = false;
  const std::wstring jre = home(layout);
  test::RunResult r = unpack(jre);
  EXPECT_EQ(1u, r.exitCode) << r.out << r.err;
  EXPECT_EQ(1, count(r.out, "Preparing JRE ...\n")) << r.out;
  EXPECT_NE(std::string::npos, r.err.find(utf16ToUtf8(kUnpackFailedText))) << r.err;
  EXPECT_TRUE(test::fileExists(jre + L"\\lib\\rt.jar.pack"));
}

TEST_F(PackedJreWin, WildcardsInTheHomeScanNothing) {
  standin::RuntimeLayout layout;
  layout.packedJars = {L"lib\\rt.jar"};
  const std::wstring jre = home(layout);
  test::RunResult r = unpack(sandbox_.path() + L"\\j*");
  EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
  EXPECT_EQ(0, count(r.out, "Preparing JRE"));
  EXPECT_TRUE(test::fileExists(jre + L"\\lib\\rt.jar.pack"));
  EXPECT_EQ(0, lineCount(jre + L"\\standin\\unpack.log"));
}

}  // namespace
}  // namespace zvt
