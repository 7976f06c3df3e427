// Module paths, the launcher directory, the temporary directory choice and
// the path helpers, on the real file system.
#include "runtime/paths.h"

#include <gtest/gtest.h>

#include "base/handle.h"
#include "base/text.h"
#include "child.h"
#include "config/accessors.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/path_calls_win32.h"
#include "runtime/path_rules.h"
#include "support/win_process.h"

namespace zvt {
namespace {

bool sameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (!GetFileInformationByHandle(a, &ia) || !GetFileInformationByHandle(b, &ib)) return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
         ia.nFileIndexLow == ib.nFileIndexLow;
}

// --- children ----------------------------------------------------------------

TEST(Child_Paths, ModulePathsOpenTheSameFile) {
  REQUIRE_CHILD();
  const std::string& narrow = modulePathA();
  const std::wstring& wide = modulePathW();
  ASSERT_FALSE(narrow.empty());
  EXPECT_TRUE(endsWithExe(narrow)) << narrow;
  bool lossy = true;
  toNarrow(toWide(narrow), &lossy);
  EXPECT_FALSE(lossy) << "the narrow module path must survive the code page";
  UniqueHandle byWide(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  UniqueHandle byNarrow(CreateFileA(narrow.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(byWide.valid());
  ASSERT_TRUE(byNarrow.valid()) << narrow;
  EXPECT_TRUE(sameFile(byWide.get(), byNarrow.get()));
  // The directory forms end with a backslash and lead to the same file.
  ASSERT_FALSE(launcherDirectoryA().empty());
  EXPECT_EQ('\\', launcherDirectoryA().back());
  EXPECT_EQ(L'\\', launcherDirectoryW().back());
  EXPECT_EQ(0u, wide.find(launcherDirectoryW()));
  EXPECT_EQ(toWide(launcherDirectoryA()), launcherDirectoryAnsiSafeW());
  // Read back through the code page, the ANSI-safe form names the directory.
  DWORD attributes = GetFileAttributesW(launcherDirectoryAnsiSafeW().c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  // The wide form keeps the real name when the narrow one had to shorten it.
  std::wstring expectLossy = test::childEnv(L"ZVT_EXPECT_LOSSY");
  toNarrow(wide, &lossy);
  EXPECT_EQ(expectLossy == L"1", lossy);
}

TEST(Child_Paths, PreferLongTurnsAShortTemporaryPathLong) {
  REQUIRE_CHILD();
  std::string expectedLong = toNarrow(test::childEnv(L"ZVT_EXPECT_LONG"));
  std::string expectedShort = toNarrow(test::childEnv(L"ZVT_EXPECT_SHORT"));
  EXPECT_EQ(expectedShort, tempDirectoryA());  // before the configuration says anything
  setPreferLongTempPath(true);
  EXPECT_EQ(expectedLong, tempDirectoryA());
  // The wide form names the directory as the system gave it either way.
  EXPECT_EQ(test::childEnv(L"ZVT_EXPECT_SHORT"), tempDirectoryW(false));
}

bool noUsablePlace(int place, std::string& narrow, std::wstring& wide) {
  // Every candidate names a path under a file, which no one can create.
  std::wstring base = test::childEnv(L"ZVT_BLOCKER") + L"\\p" + decimal(place);
  wide = base;
  narrow = toNarrow(base);
  return true;
}

TEST(Child_Paths, NoUsableTemporaryDirectoryIsFatal) {
  REQUIRE_CHILD();
  config::current().messages[1015] = L"You must be at least Poweruser to run this program.";
  setMessageSource(&config::getMessageText);
  overrideTempPlacesForTesting(&noUsablePlace);
  EXPECT_TRUE(tempDirectoryW(false).empty());  // the log's non-fatal form
  tempDirectoryA();                            // ends the process
  ADD_FAILURE() << "tempDirectoryA returned without a temporary directory";
}

// --- parents -----------------------------------------------------------------

class Paths : public ::testing::Test {
 protected:
  test::Sandbox box{L"paths"};
};

TEST_F(Paths, NarrowModulePathInAnAsciiDirectory) {
  std::wstring dir = box.file(L"plain dir");
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(test::selfPath().c_str(), (dir + L"\\t.exe").c_str(), FALSE));
  test::RunOptions o;
  o.setEnv[L"ZVT_EXPECT_LOSSY"] = L"0";
  test::RunResult r = test::runChild("Child_Paths.ModulePathsOpenTheSameFile", o, dir + L"\\t.exe");
  EXPECT_EQ(0u, r.exitCode) << r.out;
}

TEST_F(Paths, NarrowModulePathOutsideTheCodePageIsTheShortPath) {
  // Cyrillic and CJK: outside code page 1252 and most others.
  std::wstring dir = box.file(L"\x041F\x0440\x0438\x043C\x0435\x0440 \x4F8B");
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(test::selfPath().c_str(), (dir + L"\\t.exe").c_str(), FALSE));
  bool lossy = false;
  toNarrow(dir, &lossy);
  ASSERT_TRUE(lossy) << "this code page represents the test directory name; pick other characters";
  test::RunOptions o;
  o.setEnv[L"ZVT_EXPECT_LOSSY"] = L"1";
  test::RunResult r = test::runChild("Child_Paths.ModulePathsOpenTheSameFile", o, dir + L"\\t.exe");
  EXPECT_EQ(0u, r.exitCode) << r.out;
}

TEST_F(Paths, PreferLongFormOfTemporaryDirectory) {
  std::wstring dir = box.file(L"a rather long temporary directory");
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  wchar_t shortBuf[MAX_PATH];
  ASSERT_GT(GetShortPathNameW(dir.c_str(), shortBuf, MAX_PATH), 0u);
  std::wstring shortDir = shortBuf;
  ASSERT_NE(dir, shortDir) << "no 8.3 name on this volume";
  test::RunOptions o;
  o.setEnv[L"TMP"] = shortDir;
  o.setEnv[L"TEMP"] = shortDir;
  o.setEnv[L"ZVT_EXPECT_SHORT"] = shortDir + L"\\";  // the system temp path ends with a separator
  o.setEnv[L"ZVT_EXPECT_LONG"] = dir + L"\\";
  test::RunResult r = test::runChild("Child_Paths.PreferLongTurnsAShortTemporaryPathLong", o);
  EXPECT_EQ(0u, r.exitCode) << r.out;
}

TEST_F(Paths, NoTemporaryDirectoryEndsWithMessage1015) {
  std::wstring blocker = box.file(L"blocker");
  ASSERT_TRUE(test::writeFileBytes(blocker, "a file, not a directory"));
  test::RunOptions o;
  o.setEnv[L"ZVT_BLOCKER"] = blocker;
  test::RunResult r = test::runChild("Child_Paths.NoUsableTemporaryDirectoryIsFatal", o);
  EXPECT_EQ(1u, r.exitCode) << r.out;
  // The error display starts as dialog: the message box shows the text.
  ASSERT_EQ(1u, r.dialogs.size()) << r.out;
  EXPECT_EQ(L"You must be at least Poweruser to run this program.", r.dialogs[0].text);
}

TEST(PathHelpers, AbsoluteAndFullPaths) {
  const std::string dir = launcherDirectoryA();
  EXPECT_EQ(dir + "lib\\a.jar", makeAbsolute("lib\\\\a.jar"));
  EXPECT_EQ("C:\\x\\y", makeAbsolute("C:\\x\\\\y"));
  std::string base = "C:\\base\\file.txt";
  EXPECT_EQ("C:\\base\\rel", makeAbsolute("rel", &base));
  EXPECT_EQ(launcherDirectoryW() + L"x", makeAbsoluteW(L"x"));
  EXPECT_EQ(launcherDirectoryAnsiSafeW() + L"x", makeAbsoluteW(L"x", nullptr, true));
  // Joined but not normalized; the list stops at the first empty element.
  EXPECT_EQ(dir + ".\\lib;" + dir + "..\\bin", absolutePathList(".\\lib;..\\bin"));
  EXPECT_EQ(dir + "a", absolutePathList("a;;b"));
  std::vector<std::string> seen;
  absolutePathList("a;C:\\b", [&](const std::string& e) { seen.push_back(e); });
  EXPECT_EQ((std::vector<std::string>{dir + "a", "C:\\b"}), seen);
  // Full paths resolve "..", and lowercase unless asked to keep the case.
  EXPECT_EQ("C:\\Base\\Other", fullPath("C:\\Base\\Sub\\..\\Other", true));
  EXPECT_EQ("c:\\base\\other", fullPath("C:\\Base\\Sub\\..\\Other", false));
  EXPECT_EQ(L"C:\\Base\\Other", fullPathW(L"C:\\Base\\Sub\\..\\\\Other", true));
}

TEST(PathHelpers, ExistenceConversionAndCase) {
  EXPECT_TRUE(fileExists(std::wstring(L"Q:\\")));  // a drive root, without asking the disk
  EXPECT_TRUE(fileExists(modulePathW()));
  EXPECT_TRUE(fileExists(modulePathA()));
  EXPECT_FALSE(fileExists(modulePathW() + L".missing"));
  uint64_t when = 0;
  EXPECT_TRUE(fileTime(modulePathW(), &when));
  EXPECT_NE(0u, when);
  bool lossy = false;
  EXPECT_EQ("abc", toNarrow(L"abc", &lossy));
  EXPECT_FALSE(lossy);
  std::string narrow = toNarrow(L"a\x4E2D", &lossy);
  EXPECT_TRUE(lossy);
  EXPECT_EQ("a?", narrow);
  std::string mixed = "C:\\Some\\PATH";
  lowercasePathA(mixed);
  EXPECT_EQ("c:\\some\\path", mixed);
  std::string doubled = "C:\\\\a\\\\\\b";
  collapseBackslashesA(doubled);
  EXPECT_EQ("C:\\a\\b", doubled);
}

TEST(PathHelpers, TempFileNamesAreCreatedInTheTemporaryDirectory) {
  std::string name = makeTempFileName();
  std::string dir = tempDirectoryA();
  EXPECT_EQ(0u, name.find(dir)) << name;
  EXPECT_NE(std::string::npos, name.find("qrn"));
  EXPECT_TRUE(fileExists(name));  // the system creates the empty file
  DeleteFileA(name.c_str());
}

// The last resort for the narrow module path: cmd.exe's "%~sI" of the path,
// its first line only, naming the same file. (Windows gives the 8.3 form of
// every component; Wine's cmd.exe shortens the directories only.)
TEST(PathHelpers, CommandInterpreterNamesTheSameFile) {
  test::Sandbox box(L"shortcmd");
  const std::wstring file = box.file(L"a rather long file name.exe");
  ASSERT_TRUE(test::writeFileBytes(file, "x"));
  std::string viaShell = shortPathFromCommandInterpreter(file);
  ASSERT_GT(viaShell.size(), 5u);
  EXPECT_EQ(std::string::npos, viaShell.find_first_of("\r\n"));
  UniqueHandle original(
      CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  UniqueHandle named(
      CreateFileA(viaShell.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(original && named) << viaShell;
  EXPECT_TRUE(sameFile(original.get(), named.get()));
}

}  // namespace
}  // namespace zvt
