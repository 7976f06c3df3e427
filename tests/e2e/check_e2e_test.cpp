// /check end to end: a packed launcher in a sandbox with stand-in runtimes
// reports the runtimes it looked at with their verdicts, the options the JVM
// would get, and the service, and creates no JVM.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/text.h"
#include "launcher_fixture.h"
#include "pack.h"
#include "service_support.h"
#include "support/service_guard.h"

namespace zvt::e2e {
namespace {

block::Content checkConfig(const std::string& sequence) {
  block::Content c;
  c.entries = {{101, "ZvtCheck"}, {107, "4"}, {128, sequence}};
  c.messages = {{1016, L"MSG1016 needs a {0}-bit runtime"}};
  return c;
}

standin::RuntimeLayout reporting(const std::string& version) {
  standin::RuntimeLayout layout;
  layout.versionText = "openjdk version \"" + version + "\" 2019-01-15\n";
  return layout;
}

// Only what the test lays out is found: no runtime from the variables the
// search reads or from PATH.
test::RunResult check(LauncherSandbox& box, const block::Content& c, const std::wstring& arguments = L"") {
  std::wstring exe = box.pack(c);
  test::RunOptions o;
  o.setEnv[L"QUARN_LOG"] = L"yes";
  o.unsetEnv = {L"QUARN_JAVA_HOME", L"ZENTROVIA_JAVA_HOME"};
  o.setEnv[L"PATH"] = L"C:\\windows\\system32;C:\\windows";
  test::RunResult r = box.run(exe, L"/check" + arguments, o);
  EXPECT_FALSE(r.timedOut);
  // Standard output is in text mode: line ends arrive as CR LF.
  r.out.erase(std::remove(r.out.begin(), r.out.end(), '\r'), r.out.end());
  return r;
}

std::string lower(std::string text) {
  for (char& ch : text) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
  return text;
}

// Every needle found after the one before it; the first one missing fails.
void expectInOrder(const std::string& text, const std::vector<std::string>& needles) {
  size_t at = 0;
  for (const std::string& needle : needles) {
    size_t found = text.find(needle, at);
    ASSERT_NE(std::string::npos, found) << "\"" << needle << "\" missing or out of order in\n" << text;
    at = found + needle.size();
  }
}

bool createdAJvm(const std::wstring& home) {
  for (const std::string& line : standin::traceLines(home))
    if (contains(line, "\"ev\":\"create\"")) return true;
  return false;
}

// A missing home, a runtime below the minimum and a library of the other
// width are passed over, each with its verdict; the fourth is taken. No JVM
// is created and the extracted files are gone afterwards.
TEST(Check, NamesEveryVerdictAndTakesTheFourthRuntime) {
  LauncherSandbox box(L"check_search");
  box.layOutRuntime(L"old", reporting("1.8.0_201"));
  standin::RuntimeLayout wide = reporting("11.0.2");
  wide.wrongWidth = true;
  box.layOutRuntime(L"wide", wide);
  std::wstring good = box.layOutRuntime(L"good", reporting("11.0.2"));
  block::Content c = checkConfig("R.\\none;R.\\old;R.\\wide;R.\\good");
  c.entries.push_back({126, "11"});
  pack::setIncludedFileEntries(c, {"a.jar"});
  c.files = {block::IncludedFile{{'j', 'a', 'r'}}};

  test::RunResult r = check(box, c);
  EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
  const std::string out = lower(r.out);
  const std::string root = lower(utf16ToUtf8(box.dir()));
  expectInOrder(out, {"minimum version 11",
                      "entry r .\\none",
                      root + "\\none\\bin\\java.exe",
                      "verdict     missing",
                      "entry r .\\old",
                      "version     1.8.0_201, from running java -version",
                      "verdict     outside the version bounds",
                      "entry r .\\wide",
                      std::string("verdict     a ") + kOtherBits + "-bit jvm.dll, the other width",
                      "entry r .\\good",
                      "verdict     taken",
                      "chosen runtime",
                      "home        " + root + "\\good\\bin\\..",
                      "version     11.0.2",
                      "jvm.dll     " + root + "\\good\\bin\\client\\jvm.dll",
                      "a start would go ahead."});
  EXPECT_FALSE(createdAJvm(good));

  // The payload went into a fresh directory, which the check removed.
  const std::string log = box.log();
  size_t at = log.find("Temp dir3: ");
  ASSERT_NE(std::string::npos, at) << log;
  std::string dir = log.substr(at + 11, log.find_first_of("\r\n", at) - at - 11);
  EXPECT_FALSE(test::fileExists(utf8ToUtf16(dir))) << dir;
  // The report passed every decision on to the diagnostic log.
  EXPECT_TRUE(contains(lower(log), "candidate " + root + "\\good\\bin\\java.exe: taken")) << log;
  expectInOrder(r.out, {"Diagnostic log\n", "zvt_nlog_1.log\n", "switched on yes\n"});
}

// Nothing found: exit code 1 and the message a start would show, in the
// report rather than in a message of its own.
TEST(Check, NothingFoundEndsWithTheMessageOfAStart) {
  LauncherSandbox box(L"check_none");
  test::RunResult r = check(box, checkConfig("B.\\jre"));
  EXPECT_EQ(1u, r.exitCode);
  expectInOrder(r.out, {"entry B .\\jre", "verdict     missing", "second pass B .\\jre", "QUARN_JAVA_HOME: nothing there",
                        "Chosen runtime\n  none", "A start would stop with this message:\n",
                        std::string("  MSG1016 needs a ") + kOwnBits + "-bit runtime\n"});
  EXPECT_FALSE(contains(r.out, "VM options")) << r.out;
  EXPECT_FALSE(contains(r.err, "MSG1016")) << r.err;
}

// Options from the launcher, the configuration, the matching version line,
// the VM options file, a -J argument, the class path and module path (one
// entry a line) and /run, in the order the JVM would get them; main's
// arguments end with the ones given after /check.
TEST(Check, ListsTheOptionsOfEverySourceInOrder) {
  LauncherSandbox box(L"check_options");
  box.layOutRuntime(L"jre", reporting("11.0.2"));
  block::Content c = checkConfig("B.\\jre");
  c.entries.insert(c.entries.end(), {{121, "A0.\\lib\\a.jar;A0.\\lib\\b.jar"},
                                     {122, "com.example.Main"},
                                     {123, "-Dfrom=config"},
                                     {125, "1"},
                                     {132, "D0.\\mods"},
                                     {166, "1"},
                                     {10200, "2"},
                                     {10201, "1-8"},
                                     {10202, "-Dfrom=java8"},
                                     {10203, "9-11"},
                                     {10204, "-Dfrom=java11"}});
  ASSERT_TRUE(test::writeFileBytes(box.file(L"myservice.vmoptions"), "# options file\n-Dfrom=file\n"));

  test::RunResult r = check(box, c, L" ZvtCheck -J-Dfrom=j extra");
  EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
  const std::string root = lower(utf16ToUtf8(box.dir()));
  // Paths as the file system spells them: compared without case.
  std::vector<std::string> needles = {"VM options, in the order the JVM gets them\n",
                        "  launcher ",
                        "-Dquarn.isZentrovia=true\n",
                        "  configuration ",
                        "-Dfrom=config\n",
                        "  Java 9-11 ",
                        "-Dfrom=java11\n",
                        "  myservice.vmoptions ",
                        "-Dfrom=file\n",
                        "  -J argument ",
                        "-Dfrom=j\n",
                        "  class path ",
                        "-Djava.class.path=\n",
                        root + "\\lib\\a.jar\n",
                        root + "\\lib\\b.jar\n",
                        "  module path ",
                        "--module-path=\n",
                        root + "\\mods\n",
                        "--add-modules=com.zentrovia.runtime\n",
                        "  /run ",
                        "-Dzentrovia.noRedir=true\n",
                        "Main class    com.example.Main\n",
                        "Arguments of main\n",
                        "ZvtCheck\n",
                        "extra\n"};
  for (std::string& needle : needles) needle = lower(needle);
  expectInOrder(lower(r.out), needles);
  EXPECT_FALSE(contains(r.out, "-Dfrom=java8")) << r.out;
  EXPECT_FALSE(contains(r.out, "-Xrs")) << r.out;
}

// The service as the manager sees it, here a running service of another
// program registered under the name given after /check.
TEST(Check, ReportsAnInstalledRunningService) {
  LauncherSandbox box(L"check_service");
  test::ServiceGuard guard(test::uniqueServiceName(L"Check"));
  ASSERT_TRUE(createProbeService(guard.name(),
                                 test::quote(probeServicePath()) + L" " + test::quote(box.file(L"record.txt")),
                                 SERVICE_AUTO_START));
  ASSERT_EQ(0u, startWith(guard.name(), {}));
  ASSERT_EQ(static_cast<DWORD>(SERVICE_RUNNING), waitForState(guard.name(), SERVICE_RUNNING).dwCurrentState);

  test::RunResult r = check(box, checkConfig("B.\\jre"), L" " + guard.name());
  EXPECT_EQ(1u, r.exitCode);  // no runtime here; the service is reported all the same
  expectInOrder(r.out, {"Service " + guard.narrow() + "\n", "  installed   yes\n", "  state       running\n",
                        "  start type  automatic\n", "  account     LocalSystem\n"});

  LauncherSandbox other(L"check_noservice");
  r = check(other, checkConfig("B.\\jre"), L" " + guard.name() + L"Missing");
  EXPECT_TRUE(contains(r.out, "  installed   no\n")) << r.out;
}

}  // namespace
}  // namespace zvt::e2e
