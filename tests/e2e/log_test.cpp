// The diagnostic log end to end: switch, numbering, line format.
#include <gtest/gtest.h>

#include "launcher_fixture.h"

namespace zvt::e2e {
namespace {

block::Content content() {
  block::Content c;
  c.entries = {{101, "ZvtLogService"}};
  return c;
}

TEST(Log, OnlyExactlyYesSwitchesItOn) {
  LauncherSandbox box(L"logoff");
  std::wstring exe = box.pack(content());
  struct Case {
    const wchar_t* name;
    const wchar_t* value;
  } off[] = {{L"QUARN_LOG", L"YES"}, {L"QUARN_LOG", L"1"}, {L"ZENTROVIA_LOG", L"Yes"}, {L"QUARN_LOG", L"yes "}};
  for (const auto& c : off) {
    test::RunOptions o;
    o.setEnv[c.name] = c.value;
    o.unsetEnv = {c.name == std::wstring(L"QUARN_LOG") ? L"ZENTROVIA_LOG" : L"QUARN_LOG"};
    test::RunResult r = box.run(exe, L"/status", o);
    EXPECT_FALSE(r.timedOut);
    EXPECT_FALSE(test::fileExists(box.file(L"tmp\\zvt_nlog_1.log")));
  }
  test::RunOptions o;
  o.setEnv[L"ZENTROVIA_LOG"] = L"yes";
  o.unsetEnv = {L"QUARN_LOG"};
  test::RunResult r = box.run(exe, L"/status", o);
  EXPECT_TRUE(test::fileExists(box.file(L"tmp\\zvt_nlog_1.log"))) << r.exitCode << " " << r.out << r.err;
}

TEST(Log, NumberingContinuesAfterExistingFiles) {
  LauncherSandbox box(L"lognum");
  std::wstring exe = box.pack(content());
  box.tempDir();
  ASSERT_TRUE(test::writeFileBytes(box.file(L"tmp\\zvt_nlog_1.log"), "old one"));
  ASSERT_TRUE(test::writeFileBytes(box.file(L"tmp\\zvt_nlog_2.log"), "old two"));
  test::RunOptions o;
  o.setEnv[L"QUARN_LOG"] = L"yes";
  box.run(exe, L"/status", o);
  EXPECT_EQ("old one", box.log(1));
  EXPECT_EQ("old two", box.log(2));
  EXPECT_FALSE(box.log(3).empty());
  box.run(exe, L"/status", o);
  EXPECT_FALSE(box.log(4).empty());
}

TEST(Log, LineFormat) {
  LauncherSandbox box(L"logfmt");
  std::wstring exe = box.pack(content(), L"fmt.exe");
  test::RunOptions o;
  o.setEnv[L"QUARN_LOG"] = L"yes";
  // An overlong service name is refused with an error line.
  box.run(exe, L"/status " + std::wstring(6000, L'n'), o);
  std::string log = box.log();
  // UTF-8 with its byte order mark; the first line names the executable and
  // the ctime text, whose own line break leaves an empty line.
  ASSERT_EQ(0u, log.find("\xEF\xBB\xBF" "Started executable ")) << log;
  size_t firstEnd = log.find("\r\n");
  ASSERT_NE(std::string::npos, firstEnd);
  EXPECT_TRUE(contains(log.substr(0, firstEnd), "fmt.exe at ")) << log;
  EXPECT_EQ(firstEnd + 2, log.find("\r\n", firstEnd + 2) - 0) << "no empty line after the first line";
  // Stamped lines: "[s:ms] text", error lines with "ERROR: ".
  EXPECT_TRUE(contains(log, "] command line ")) << log;
  EXPECT_TRUE(contains(log, "] number of sections: ")) << log;
  EXPECT_TRUE(contains(log, "] ERROR: service name argument too long (6000 units)\r\n")) << log;
  size_t stamp = log.find("\r\n[", firstEnd + 2);
  ASSERT_NE(std::string::npos, stamp);
  size_t colon = log.find(':', stamp);
  size_t close = log.find("] ", stamp);
  ASSERT_LT(colon, close);
  for (size_t i = stamp + 3; i < close; ++i) EXPECT_TRUE(log[i] == ':' || isdigit(static_cast<unsigned char>(log[i])));
}

TEST(Log, NonAsciiTextIsUtf8) {
  LauncherSandbox box(L"logutf8");
  std::wstring exe = box.pack(content());
  test::RunOptions o;
  o.setEnv[L"QUARN_LOG"] = L"yes";
  std::wstring arg = L"/status \x00E4\x20AC";
  box.run(exe, arg, o);
  EXPECT_TRUE(contains(box.log(), "/status \xC3\xA4\xE2\x82\xAC")) << box.log();
}

}  // namespace
}  // namespace zvt::e2e
