// Startup preparation end to end: the working directory of key 146, the
// Java options variables of key 10012, and the locale the loader detects.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/text.h"
#include "launcher_fixture.h"

namespace zvt::e2e {
namespace {

std::string loggedValue(const std::string& log, const std::string& prefix) {
  size_t at = log.find(prefix);
  if (at == std::string::npos) return "<no line " + prefix + ">";
  at += prefix.size();
  size_t end = log.find_first_of("\r\n", at);
  return log.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

std::string runAndLog(LauncherSandbox& box, const block::Content& c, test::RunOptions o = {}) {
  std::wstring exe = box.pack(c);
  o.setEnv[L"QUARN_LOG"] = L"yes";
  test::RunResult r = box.run(exe, L"/?", o);
  EXPECT_FALSE(r.timedOut);
  return box.log();
}

TEST(Startup, WorkingDirectory) {
  LauncherSandbox box(L"workdir");
  std::wstring elsewhere = box.file(L"elsewhere");
  CreateDirectoryW(elsewhere.c_str(), nullptr);
  CreateDirectoryW(box.file(L"sub").c_str(), nullptr);
  const std::string dir = utf16ToUtf8(box.dir());

  struct Case {
    const char* value;
    std::string expected;
  } cases[] = {
      {".", dir},  // the launcher directory, wherever the process started
      {"sub", dir + "\\sub"},
      {"${ZVT_WD}\\\\sub", dir + "\\sub"},  // absolute after expansion, doubled backslash collapsed
  };
  for (const Case& k : cases) {
    block::Content c;
    c.entries = {{101, "ZvtStartup"}, {146, k.value}};
    test::RunOptions o;
    o.workingDirectory = elsewhere;
    o.setEnv[L"ZVT_WD"] = box.dir();
    std::string log = runAndLog(box, c, o);
    EXPECT_EQ(k.expected, loggedValue(log, "change working directory to ")) << k.value;
    DeleteFileW(box.file(L"tmp\\zvt_nlog_1.log").c_str());
  }

  block::Content none;
  none.entries = {{101, "ZvtStartup"}, {146, ""}};
  std::string log = runAndLog(box, none);
  EXPECT_TRUE(contains(log, "working directory unchanged")) << log;
}

TEST(Startup, JavaOptionsVariablesOnlyWithKey10012) {
  LauncherSandbox box(L"javaopts");
  test::RunOptions o;
  o.setEnv[L"_JAVA_OPTIONS"] = L"-Xmx1m";
  block::Content c;
  c.entries = {{101, "ZvtStartup"}, {10012, "1"}};
  EXPECT_TRUE(contains(runAndLog(box, c, o), "ignoring java options environment variables"));
  DeleteFileW(box.file(L"tmp\\zvt_nlog_1.log").c_str());
  c.entries = {{101, "ZvtStartup"}, {10012, "0"}};
  const std::string log = runAndLog(box, c, o);
  ASSERT_TRUE(contains(log, "working directory unchanged")) << "no log: " << log;
  EXPECT_FALSE(contains(log, "ignoring java options")) << log;
}

// The locale of the user interface language. Under Wine a process takes it
// from the Unix LANG it was started with (only for locales generated with
// localedef), and Windows children inherit their parent's Unix environment,
// not a LANG in their Windows environment block. So the CTest entry
// e2e_locale starts this program itself with LANG=de_AT.UTF-8 and names the
// locale it expects in ZVT_E2E_LOCALE; the main e2e entry leaves it out.
TEST(Locale, DetectedLocaleChoosesTheMessageSet) {
  char expected[16] = {};
  if (GetEnvironmentVariableA("ZVT_E2E_LOCALE", expected, sizeof(expected)) == 0) {
    GTEST_FAIL() << "runs from the CTest entry e2e_locale (LANG=de_AT.UTF-8, ZVT_E2E_LOCALE=de_AT)";
  }
  ASSERT_STREQ("de_AT", expected);
  LauncherSandbox box(L"locale");
  block::Content c;
  c.entries = {{101, "ZvtLocale"}, {107, "4"}, {2002, "1"}, {2003, "..\\x.jar"}};
  c.messages = {{1009, L"An internal error occurred (error code: {0})"}};
  c.sets = {{"de", {{1009, L"Interner Fehler (Code {0})"}, {1000, L"Fehler"}}},
            {"de_AT", {{1009, L"Interner Fehler in \x00D6sterreich (Code {0})"}}},
            {"de_DE", {{1009, L"Interner Fehler in Deutschland (Code {0})"}}}};
  c.files = {{{1, 2, 3}}};
  std::wstring exe = box.pack(c);
  test::RunOptions o;
  o.setEnv[L"QUARN_LOG"] = L"yes";
  test::RunResult r = box.run(exe, L"/run", o);
  std::string log = box.log();
  EXPECT_EQ("de_AT", loggedValue(log, "language/country is ")) << log;
  // Looked up once the messages are read, after the header lines.
  EXPECT_LT(log.find("rawDataSize: "), log.find("language/country is ")) << log;
  EXPECT_EQ(1u, r.exitCode);
  // Standard error carries the ANSI code page; the umlaut may not survive it.
  EXPECT_TRUE(contains(r.err, "Interner Fehler in ")) << r.err;
  EXPECT_TRUE(contains(r.err, "sterreich (Code 11)")) << r.err;
}

// A relative working directory under a code page other than 1252, in a
// directory whose name that code page represents (Cyrillic under 1251): the
// ANSI-safe launcher directory holds the name in code page bytes, which must
// be read back through the code page, as the expansion token does, not
// byte by byte. The CTest entries e2e_codepage (LANG=ru_RU.UTF-8) and
// e2e_vm_options_cp932 (LANG=ja_JP.UTF-8) start this program (Wine takes the
// code page from LANG, see Locale above).
TEST(CodePage, RelativeWorkingDirectoryUnderANonLatinCodePage) {
  char expected[16] = {};
  if (GetEnvironmentVariableA("ZVT_E2E_CODEPAGE", expected, sizeof(expected)) == 0) {
    GTEST_FAIL() << "runs from the CTest entries e2e_codepage (ZVT_E2E_CODEPAGE=1251) or e2e_vm_options_cp932";
  }
  ASSERT_EQ(static_cast<UINT>(atoi(expected)), GetACP()) << "the process does not run under the code page asked for";
  LauncherSandbox box(L"\x0440\x0430\x0431\x043E\x0447\x0438\x0439");  // "working" in Russian
  BOOL lost = FALSE;
  const std::wstring& dir = box.dir();
  ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, dir.c_str(), static_cast<int>(dir.size()), nullptr, 0, nullptr, &lost), 0);
  ASSERT_FALSE(lost) << "the code page must represent the sandbox name, so the launcher keeps its long form";
  CreateDirectoryW(box.file(L"sub").c_str(), nullptr);
  const std::string expectedDir = utf16ToUtf8(box.file(L"sub"));
  for (const char* value : {"sub", "${launcher:sys.launcherDirectory}sub", "%ZENTROVIA_EXEDIR%\\sub"}) {
    block::Content c;
    c.entries = {{101, "ZvtCodePage"}, {146, value}};
    std::string log = runAndLog(box, c);
    EXPECT_EQ(expectedDir, loggedValue(log, "change working directory to ")) << value;
    DeleteFileW(box.file(L"tmp\\zvt_nlog_1.log").c_str());
  }
  // The configured name itself in the code page: read through it, not byte
  // by byte (under 932 a trail byte 0x5C would otherwise split the name).
  const std::wstring text = codePageText();
  ASSERT_FALSE(text.empty()) << "no test text for code page " << GetACP();
  ASSERT_TRUE(CreateDirectoryW(box.file(text).c_str(), nullptr));
  block::Content c;
  c.entries = {{101, "ZvtCodePage"}, {146, inCodePage(text)}};
  std::string log = runAndLog(box, c);
  EXPECT_EQ(utf16ToUtf8(box.file(text)), loggedValue(log, "change working directory to ")) << log;
}

}  // namespace
}  // namespace zvt::e2e
