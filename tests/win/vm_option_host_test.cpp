// The Windows side of the VM option assembly on the real file system: the
// VM options file's two names, what makes two names one options file,
// devices and directories that are no options files, archive listings in
// the file system's order, environment values, and the runtime's jli.dll.
#include <gtest/gtest.h>

#include "base/handle.h"
#include "base/text.h"
#include "jvm/launch/jli_win32.h"
#include "jvm/launch/vm_option_host_win32.h"
#include "runtime/paths.h"
#include "standin_layout.h"
#include "support/win_process.h"

namespace zvt {
namespace {

std::string readAll(OptionsFile& file) {
  std::string out;
  char buffer[3];
  for (size_t n; (n = file.read(buffer, sizeof buffer)) > 0;) out.append(buffer, n);
  return out;
}

std::wstring shortPath(const std::wstring& path) {
  wchar_t buffer[MAX_PATH * 4];
  DWORD n = GetShortPathNameW(path.c_str(), buffer, MAX_PATH * 4);
  return n > 0 && n < MAX_PATH * 4 ? std::wstring(buffer, n) : std::wstring();
}

TEST(VmOptionsFileWin32, BothNamesBesideTheExecutableInOrder) {
  test::Sandbox box(L"vmopt_names");
  const std::wstring exe = box.file(L"MyService.exe");
  EXPECT_EQ(nullptr, openVmOptionsFileFor(exe));
  ASSERT_TRUE(test::writeFileBytes(box.file(L"MyService.exe.vmoptions"), "second"));
  std::unique_ptr<OptionsFile> file = openVmOptionsFileFor(exe);
  ASSERT_NE(nullptr, file);
  EXPECT_EQ("second", readAll(*file));
  EXPECT_EQ(box.file(L"MyService.exe.vmoptions"), file->path());
  ASSERT_TRUE(test::writeFileBytes(box.file(L"MyService.vmoptions"), "first"));
  file = openVmOptionsFileFor(exe);
  ASSERT_NE(nullptr, file);
  EXPECT_EQ("first", readAll(*file));
}

TEST(VmOptionsFileWin32, OneFileHasOneIdentityUnderEverySpelling) {
  test::Sandbox box(L"vmopt_identity");
  ASSERT_TRUE(CreateDirectoryW(box.file(L"Sub Directory").c_str(), nullptr));
  const std::wstring path = box.file(L"Sub Directory\\Long Options Name.vmoptions");
  ASSERT_TRUE(test::writeFileBytes(path, "-Da=1"));
  ASSERT_TRUE(test::writeFileBytes(box.file(L"other.vmoptions"), "-Db=1"));
  Win32VmOptionHost host;
  std::unique_ptr<OptionsFile> plain = host.openOptionsFile(path);
  ASSERT_NE(nullptr, plain);
  std::vector<std::wstring> spellings = {
      box.file(L"SUB DIRECTORY\\long options name.VMOPTIONS"),
      box.file(L"Sub Directory\\..\\Sub Directory\\.\\Long Options Name.vmoptions"),
      shortPath(path),
  };
  for (const std::wstring& spelling : spellings) {
    ASSERT_FALSE(spelling.empty());
    std::unique_ptr<OptionsFile> other = host.openOptionsFile(spelling);
    ASSERT_NE(nullptr, other) << utf16ToUtf8(spelling);
    EXPECT_EQ(plain->identity(), other->identity()) << utf16ToUtf8(spelling);
  }
  std::unique_ptr<OptionsFile> different = host.openOptionsFile(box.file(L"other.vmoptions"));
  ASSERT_NE(nullptr, different);
  EXPECT_NE(plain->identity(), different->identity());
}

TEST(VmOptionsFileWin32, DevicesDirectoriesAndMissingFilesAreNoOptionsFiles) {
  test::Sandbox box(L"vmopt_devices");
  ASSERT_TRUE(CreateDirectoryW(box.file(L"dir.vmoptions").c_str(), nullptr));
  Win32VmOptionHost host;
  EXPECT_EQ(nullptr, host.openOptionsFile(L"nul"));
  EXPECT_EQ(nullptr, host.openOptionsFile(box.file(L"nul")));
  EXPECT_EQ(nullptr, host.openOptionsFile(box.file(L"dir.vmoptions")));
  EXPECT_EQ(nullptr, host.openOptionsFile(box.file(L"absent.vmoptions")));
}

TEST(VmOptionsFileWin32, IncludesResolveAgainstTheIncludingFilesDirectory) {
  Win32VmOptionHost host;
  const std::wstring including = L"C:\\conf\\sub\\main.vmoptions";
  EXPECT_EQ(L"C:\\conf\\sub\\more.vmoptions", host.resolveInclude(L"more.vmoptions", &including));
  EXPECT_EQ(L"C:\\conf\\sub\\x\\y.vmoptions", host.resolveInclude(L"x\\\\y.vmoptions", &including));
  EXPECT_EQ(L"D:\\abs.vmoptions", host.resolveInclude(L"D:\\abs.vmoptions", &including));
  EXPECT_EQ(launcherDirectoryW() + L"top.vmoptions", host.resolveInclude(L"top.vmoptions", nullptr));
}

class ArchiveListing : public ::testing::Test {
 protected:
  std::vector<std::string> list(const std::string& directory, const std::string& extension, bool* exists = nullptr) {
    std::vector<std::string> files;
    bool found = host.listArchives(directory, extension, files);
    if (exists) *exists = found;
    return files;
  }
  // What the system lists for the pattern, in its order.
  std::vector<std::string> systemOrder(const std::wstring& directory, const wchar_t* pattern) {
    std::vector<std::string> out;
    WIN32_FIND_DATAW entry;
    UniqueFindHandle find(FindFirstFileW((directory + L"\\" + pattern).c_str(), &entry));
    if (!find) return out;
    do {
      out.push_back(toNarrow(directory) + "\\" + toNarrow(entry.cFileName));
    } while (FindNextFileW(find.get(), &entry));
    return out;
  }
  test::Sandbox box{L"vmopt_archives"};
  Win32VmOptionHost host;
};

TEST_F(ArchiveListing, FileSystemOrderAndOnlyRealArchives) {
  const std::wstring lib = box.file(L"lib");
  ASSERT_TRUE(CreateDirectoryW(lib.c_str(), nullptr));
  for (const wchar_t* name : {L"zeta.jar", L"alpha.JAR", L"mid.jar", L"b.zip", L"notes.txt", L"old.jarx"}) {
    ASSERT_TRUE(test::writeFileBytes(lib + L"\\" + name, "x"));
  }
  ASSERT_TRUE(CreateDirectoryW((lib + L"\\classes.jar").c_str(), nullptr));
  const std::string libA = toNarrow(lib);
  std::vector<std::string> expected;
  for (const std::string& p : systemOrder(lib, L"*.jar")) {
    std::string lower = p;
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".jar") == 0 &&
        lower.find("classes") == std::string::npos) {
      expected.push_back(p);
    }
  }
  ASSERT_EQ(3u, expected.size());
  bool exists = false;
  EXPECT_EQ(expected, list(libA, "jar", &exists));
  EXPECT_TRUE(exists);
  EXPECT_EQ((std::vector<std::string>{libA + "\\b.zip"}), list(libA, ".zip"));
  EXPECT_EQ((std::vector<std::string>{libA + "\\b.zip"}), list(libA + "\\", "zip"));
}

TEST_F(ArchiveListing, MissingEmptyAndNonDirectories) {
  ASSERT_TRUE(CreateDirectoryW(box.file(L"empty").c_str(), nullptr));
  ASSERT_TRUE(test::writeFileBytes(box.file(L"file.jar"), "x"));
  bool exists = true;
  EXPECT_TRUE(list(toNarrow(box.file(L"absent")), "jar", &exists).empty());
  EXPECT_FALSE(exists);
  EXPECT_TRUE(list(toNarrow(box.file(L"file.jar")), "jar", &exists).empty());
  EXPECT_FALSE(exists);
  EXPECT_TRUE(list(toNarrow(box.file(L"empty")), "jar", &exists).empty());
  EXPECT_TRUE(exists);
}

TEST_F(ArchiveListing, NamesOutsideTheCodePageAreReachedThroughTheirShortName) {
  const std::wstring lib = box.file(L"intl");
  ASSERT_TRUE(CreateDirectoryW(lib.c_str(), nullptr));
  // U+4E2D and U+0416 are in no single-byte code page together.
  const std::wstring name = L"\u4E2D\u0416 archive.jar";
  ASSERT_TRUE(test::writeFileBytes(lib + L"\\" + name, "content"));
  bool lossy = false;
  toNarrow(name, &lossy);
  ASSERT_TRUE(lossy) << "the test needs a code page without these characters";
  std::vector<std::string> files = list(toNarrow(lib), "jar");
  ASSERT_EQ(1u, files.size());
  EXPECT_EQ(std::string::npos, files[0].find('?')) << files[0];
  std::string content;
  ASSERT_TRUE(test::readFileBytes(toWide(files[0]), content)) << files[0];
  EXPECT_EQ("content", content);
}

TEST(VmOptionEnvironmentWin32, DefinedEmptyUndefinedAndLongValues) {
  Win32VmOptionHost host;
  const std::string longValue(5000, 'v');
  SetEnvironmentVariableW(L"ZVT_VMOPT_SET", L"C:\\a.jar");
  SetEnvironmentVariableW(L"ZVT_VMOPT_EMPTY", L"");
  SetEnvironmentVariableW(L"ZVT_VMOPT_LONG", toWide(longValue).c_str());
  SetEnvironmentVariableW(L"ZVT_VMOPT_UNSET", nullptr);
  std::string value = "unchanged";
  EXPECT_TRUE(host.environmentVariable("ZVT_VMOPT_SET", value));
  EXPECT_EQ("C:\\a.jar", value);
  EXPECT_TRUE(host.environmentVariable("ZVT_VMOPT_EMPTY", value));
  EXPECT_EQ("", value);
  EXPECT_TRUE(host.environmentVariable("ZVT_VMOPT_LONG", value));
  EXPECT_EQ(longValue, value);
  EXPECT_FALSE(host.environmentVariable("ZVT_VMOPT_UNSET", value));
  for (const wchar_t* name : {L"ZVT_VMOPT_SET", L"ZVT_VMOPT_EMPTY", L"ZVT_VMOPT_LONG"}) {
    SetEnvironmentVariableW(name, nullptr);
  }
}

TEST(JliWin32, TheRuntimesLibraryExpandsArgumentFiles) {
  test::Sandbox box(L"vmopt_jli");
  standin::RuntimeLayout layout;
  std::wstring error;
  ASSERT_TRUE(standin::layOutRuntime(box.file(L"jre"), layout, &error)) << utf16ToUtf8(error);
  ASSERT_TRUE(test::writeFileBytes(box.file(L"args.txt"), "-Da=1\r\n\r\n--add-opens\r\nx/y=z\r\n"));
  std::unique_ptr<ArgumentFileLibrary> jli = loadJli(toNarrow(standin::runtimeBinDir(box.file(L"jre"), layout)));
  ASSERT_NE(nullptr, jli);
  jli->initArgProcessing(true, false);
  std::vector<std::string> replacement;
  EXPECT_FALSE(jli->preprocessArg("-Xmx1g", replacement));
  EXPECT_TRUE(jli->preprocessArg("@" + toNarrow(box.file(L"args.txt")), replacement));
  EXPECT_EQ((std::vector<std::string>{"-Da=1", "--add-opens", "x/y=z"}), replacement);
  EXPECT_TRUE(jli->preprocessArg("@@literal", replacement));
  EXPECT_EQ((std::vector<std::string>{"@literal"}), replacement);
  std::vector<std::string> trace = standin::traceLines(box.file(L"jre"));
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(0u, trace.front().find("{\"ev\":\"jliInit\",\"hasJavaArgs\":true,\"disableArgFile\":false,"))
      << trace.front();
}

TEST(JliWin32, MissingLibraryOrFunctionsLeaveNothingToCall) {
  test::Sandbox box(L"vmopt_nojli");
  EXPECT_EQ(nullptr, loadJli(toNarrow(box.path())));
  // A library of that name without the three functions.
  ASSERT_TRUE(
      CopyFileW((standin::standinBinaryDir() + L"\\ucrtbase.dll").c_str(), box.file(L"jli.dll").c_str(), FALSE));
  EXPECT_EQ(nullptr, loadJli(toNarrow(box.path())));
}

}  // namespace
}  // namespace zvt
