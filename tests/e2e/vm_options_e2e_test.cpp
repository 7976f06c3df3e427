// The VM options end to end: the probe launcher (the launcher's start-up and
// run path with the real option assembly, see vm_options_probe.cpp) packed
// under the application's name in a sandbox with a stand-in runtime, whose
// jvm.dll records the options it was created with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "launcher_fixture.h"
#include "pack.h"
#include "standin_layout.h"

namespace zvt::e2e {
namespace {

using List = std::vector<std::string>;

// The strings of a JSON array of strings, starting at `at` (its "[").
List jsonStrings(const std::string& line, size_t at) {
  List out;
  if (at >= line.size() || line[at] != '[') return out;
  ++at;
  while (at < line.size() && line[at] != ']') {
    if (line[at] != '"') {
      ++at;
      continue;
    }
    std::string s;
    for (++at; at < line.size() && line[at] != '"'; ++at) {
      if (line[at] != '\\' || at + 1 >= line.size()) {
        s += line[at];
        continue;
      }
      char e = line[++at];
      if (e == 'n') {
        s += '\n';
      } else if (e == 'r') {
        s += '\r';
      } else if (e == 't') {
        s += '\t';
      } else if (e == 'u' && at + 4 < line.size()) {
        s += static_cast<char>(std::stoi(line.substr(at + 1, 4), nullptr, 16));
        at += 4;
      } else {
        s += e;
      }
    }
    out.push_back(s);
    ++at;
  }
  return out;
}

std::string narrow(const std::wstring& ascii) {
  std::string out;
  for (wchar_t c : ascii) out.push_back(static_cast<char>(c));
  return out;
}

std::string loggedValue(const std::string& log, const std::string& prefix) {
  size_t at = log.find(prefix);
  if (at == std::string::npos) return "<no line " + prefix + ">";
  at += prefix.size();
  size_t end = log.find_first_of("\r\n", at);
  return log.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

struct ProbeRun {
  test::RunResult result;
  bool created = false;  // the JVM saw a creation request
  std::string createLine;
  List options;
  std::string log;
  List trace;
};

// A sandbox with the probe packed as myservice.exe and a stand-in runtime in
// <sandbox>\jre.
class ProbeSandbox {
 public:
  explicit ProbeSandbox(const std::wstring& tag, bool withJli = true) : box(tag) {
    standin::RuntimeLayout layout;
    layout.jli = withJli;
    std::wstring error;
    layedOut = standin::layOutRuntime(runtimeHome(), layout, &error);
    EXPECT_TRUE(layedOut) << utf16ToUtf8(error);
    binDir = standin::runtimeBinDir(runtimeHome(), layout);
  }
  std::wstring runtimeHome() const { return box.file(L"jre"); }
  std::string dirA() const { return narrow(box.dir()); }
  void write(const std::wstring& name, const std::string& bytes) {
    EXPECT_TRUE(test::writeFileBytes(box.file(name), bytes)) << utf16ToUtf8(name);
  }
  void mkdir(const std::wstring& name) { CreateDirectoryW(box.file(name).c_str(), nullptr); }

  ProbeRun run(const block::Content& content, const std::wstring& arguments, test::RunOptions options = {}) {
    ProbeRun r;
    if (g_vmProbePath.empty()) {
      ADD_FAILURE() << "the VM option probe was not named (--vmprobe=)";
      return r;
    }
    DeleteFileW((runtimeHome() + L"\\standin\\trace.jsonl").c_str());
    DeleteFileW(box.file(L"tmp\\zvt_nlog_1.log").c_str());
    std::wstring exe = box.pack(content, L"myservice.exe", g_vmProbePath);
    options.setEnv[L"QUARN_LOG"] = L"yes";
    options.setEnv[L"ZVT_PROBE_RUNTIME_BIN"] = binDir;
    options.setEnv[L"ZVT_PROBE_RUNTIME_VERSION"] = L"11.0.2";
    r.result = box.run(exe, arguments, options);
    EXPECT_FALSE(r.result.timedOut);
    r.log = box.log();
    r.trace = standin::traceLines(runtimeHome());
    for (const std::string& line : r.trace) {
      if (line.compare(0, 14, "{\"ev\":\"create\"") != 0) continue;
      r.created = true;
      r.createLine = line;
      size_t at = line.find("\"options\":");
      if (at != std::string::npos) r.options = jsonStrings(line, at + 10);
    }
    return r;
  }

  LauncherSandbox box;
  std::wstring binDir;
  bool layedOut = false;
};

block::Content baseContent() {
  block::Content c;
  c.entries = {{101, "ZvtVmOptions"}, {107, "4"}};  // console errors
  c.messages = {{1006, L"Cannot find the required entry {0}."},
                {1008, L"The variable {0} of the class path is not defined."},
                {1009, L"An internal error occurred (error code: {0})"}};
  return c;
}

void add(block::Content& c, uint32_t key, const std::string& value) {
  c.entries.push_back({key, value});
}

TEST(VmOptionsE2e, EverySourceAtOnceInTheServiceChild) {
  ProbeSandbox s(L"vmopt_all");
  ASSERT_TRUE(s.layedOut);
  const std::string dir = s.dirA();
  s.write(L"myservice.vmoptions",
          "# options of this installation\r\n  -Xmx64m  \r\n-classpath/a C:\\extra.jar\r\n@" + dir + "\\args.txt\r\n");
  s.write(L"inc.vmoptions", "-Dinc=1\n");
  s.write(L"args.txt", "-Dfrom.argfile=1\n--add-exports\njava.base/sun.nio.ch=ALL-UNNAMED\n");
  s.mkdir(L"lib");
  s.write(L"lib\\b.jar", "b");
  s.write(L"lib\\a.zip", "a");
  s.mkdir(L"mods");

  block::Content c = baseContent();
  add(c, 123, "-Dcfg=1 -include-options inc.vmoptions --add-opens java.base/java.lang=ALL-UNNAMED");
  add(c, 10200, "2");
  add(c, 10201, "1-8");
  add(c, 10202, "-Dold=1");
  add(c, 10203, "11-11");
  // Expanded before it is split: the quotes keep the value's blanks in one option.
  add(c, 10204, "\"-Dversioned=${ZVT_E2E_VALUE}\"");
  add(c, 166, "1");
  add(c, 125, "1");
  add(c, 121, "S0.\\lib");
  add(c, 132, "S0mods");
  add(c, 133, "1");
  add(c, 122, "mymodule/com.example.Main");
  add(c, 10003, ".");
  pack::setIncludedFileEntries(c, {"payload.jar"});
  c.files = {block::IncludedFile{{'p', 'k'}}};

  test::RunOptions o;
  o.setEnv[L"ZVT_E2E_VALUE"] = L"from the environment";
  ProbeRun r = s.run(c, L"ZvtVmOptions -J-Dj=1 -Dsun.locale.formatasdefault=true __zvt_restart", o);
  ASSERT_EQ(0u, r.result.exitCode) << r.result.err << r.log;
  ASSERT_TRUE(r.created) << r.log;
  const std::string temp = loggedValue(r.log, "Temp dir3: ");
  EXPECT_EQ((List{
                "-Dquarn.moduleName=" + dir + "\\myservice.exe",
                "-Dquarn.isService=true",
                "-Dcfg=1",
                "-Dinc=1",
                "--add-opens=java.base/java.lang=ALL-UNNAMED",
                "-Dversioned=from the environment",
                "-Dsun.locale.formatasdefault=true",
                "-Xmx64m",
                "-Dfrom.argfile=1",
                "--add-exports=java.base/sun.nio.ch=ALL-UNNAMED",
                "-Dj=1",
                "-Djava.class.path=" + dir + "\\lib\\b.jar;" + dir + "\\lib\\a.zip;C:\\extra.jar",
                "--module-path=" + dir + "\\mods;" + temp + "\\payload.jar;" + dir + "\\.zentrovia\\zvtruntime.jar",
                "--add-opens=mymodule/com.example=com.zentrovia.runtime",
                "--add-modules=mymodule,com.zentrovia.runtime",
                "-Xrs",
            }),
            r.options)
      << r.log;
  EXPECT_NE(std::string::npos, r.createLine.find("\"version\":\"0x10002\"")) << r.createLine;
  EXPECT_NE(std::string::npos, r.createLine.find("\"ignoreUnrecognized\":true")) << r.createLine;
  EXPECT_TRUE(contains(r.log, "vmoption count 16")) << r.log;
  EXPECT_TRUE(contains(r.log, "service: adding -Xrs")) << r.log;
}

TEST(VmOptionsE2e, ServiceSwitchesFollowTheCommand) {
  ProbeSandbox s(L"vmopt_switches");
  ASSERT_TRUE(s.layedOut);
  block::Content c = baseContent();
  const std::string module = "-Dquarn.moduleName=" + s.dirA() + "\\myservice.exe";

  ProbeRun r = s.run(c, L"/run");
  EXPECT_EQ(
      (List{module, "-Djava.class.path=" + s.dirA() + "\\.zentrovia\\zvtruntime.jar", "-Dzentrovia.noRedir=true"}),
      r.options)
      << r.log;
  r = s.run(c, L"/run-redirect");
  EXPECT_EQ((List{module, "-Djava.class.path=" + s.dirA() + "\\.zentrovia\\zvtruntime.jar"}), r.options) << r.log;
  add(c, 2001, "e");  // quarn flavour: no runtime jar
  r = s.run(c, L"ZvtVmOptions __zvt_restart");
  EXPECT_EQ((List{module, "-Dquarn.isService=true", "-Djava.class.path=", "-Xrs"}), r.options) << r.log;
}

TEST(VmOptionsE2e, RequiredEntriesThatAreMissingEndTheLaunch) {
  ProbeSandbox s(L"vmopt_required");
  ASSERT_TRUE(s.layedOut);
  s.mkdir(L"emptylib");
  struct Case {
    const char* classPath;
    const char* message;
  } cases[] = {
      {"S1emptylib;A1lib\\missing.jar", "Cannot find the required entry lib\\missing.jar."},
      {"A0optional.jar;E1ZVT_E2E_UNDEFINED", "The variable ZVT_E2E_UNDEFINED of the class path is not defined."},
  };
  for (const Case& k : cases) {
    block::Content c = baseContent();
    add(c, 121, k.classPath);
    ProbeRun r = s.run(c, L"/run");
    EXPECT_EQ(1u, r.result.exitCode) << k.classPath;
    EXPECT_TRUE(contains(r.result.err, k.message)) << r.result.err;
    EXPECT_FALSE(r.created) << "the JVM was created despite a missing entry: " << r.createLine;
  }
  // A required scanned directory that exists but is empty is found.
  block::Content c = baseContent();
  add(c, 121, "S1emptylib");
  add(c, 2001, "e");
  ProbeRun r = s.run(c, L"/run-redirect");
  EXPECT_EQ(0u, r.result.exitCode) << r.result.err;
  EXPECT_EQ("-Djava.class.path=", r.options.back());
}

TEST(VmOptionsE2e, ArgumentFilesNeedTheRuntimeLibrary) {
  block::Content c = baseContent();
  add(c, 2001, "e");
  for (bool withJli : {true, false}) {
    ProbeSandbox s(withJli ? L"vmopt_jli" : L"vmopt_nojli", withJli);
    ASSERT_TRUE(s.layedOut);
    s.write(L"args.txt", "-Da=1\r\n\r\n-Db=2\r\n");
    block::Content k = c;
    add(k, 123, "@" + s.dirA() + "\\args.txt @@literal");
    ProbeRun r = s.run(k, L"/run-redirect");
    List expected = {"-Dquarn.moduleName=" + s.dirA() + "\\myservice.exe"};
    if (withJli) {
      expected.insert(expected.end(), {"-Da=1", "-Db=2", "@literal"});
      int inits = 0;
      for (const std::string& line : r.trace) {
        if (line.find("{\"ev\":\"jliInit\",") != 0) continue;
        ++inits;
        EXPECT_EQ(0u, line.find("{\"ev\":\"jliInit\",\"hasJavaArgs\":true,\"disableArgFile\":false,")) << line;
      }
      EXPECT_EQ(1, inits);
    } else {
      expected.insert(expected.end(), {"@" + s.dirA() + "\\args.txt", "@@literal"});
      EXPECT_TRUE(contains(r.log, "did not find " + narrow(s.binDir) + "\\jli.dll")) << r.log;
    }
    expected.push_back("-Djava.class.path=");
    EXPECT_EQ(expected, r.options) << r.log;
  }
}

TEST(VmOptionsE2e, OptionsFileEdgeCases) {
  ProbeSandbox s(L"vmopt_edges");
  ASSERT_TRUE(s.layedOut);
  const std::string long40k = "-Dlong=" + std::string(40000 - 7, 'x');
  const std::string tooLong = "-Dhuge=" + std::string(70000, 'y');
  // The second name ("<exe>.vmoptions") is found when the first is absent;
  // a byte order mark is not part of the first option.
  s.write(L"myservice.exe.vmoptions", "\xEF\xBB\xBF-Dfirst=1\n" + long40k + "\n-Dafter.long=1\n" + tooLong +
                                          "\n-Dafter.huge=1\n-include-options again.vmoptions\n"
                                          "-include-options nul\n-include-options nothere.vmoptions\n-Dlast=1\n");
  s.write(L"again.vmoptions", "-Dagain=1\n-include-options MYSERVICE.EXE.VMOPTIONS\n-Dagain.after=1\n");

  block::Content c = baseContent();
  add(c, 166, "1");
  add(c, 2001, "e");
  ProbeRun r = s.run(c, L"/run-redirect");
  ASSERT_TRUE(r.created) << r.result.err << r.log;
  EXPECT_EQ((List{"-Dquarn.moduleName=" + s.dirA() + "\\myservice.exe", "-Dfirst=1", long40k, "-Dafter.long=1",
                  "-Dafter.huge=1", "-Dagain=1", "-Dagain.after=1", "-Dlast=1", "-Djava.class.path="}),
            r.options);
  EXPECT_TRUE(contains(r.log, "ERROR: line 4 of " + s.dirA() + "\\myservice.exe.vmoptions skipped")) << r.log;
  EXPECT_TRUE(contains(r.log, "(include cycle)")) << r.log;
  EXPECT_TRUE(contains(r.log, "is not a file")) << r.log;
  EXPECT_TRUE(contains(r.log, "could not open options file " + s.dirA() + "\\nothere.vmoptions")) << r.log;
}

// Code page 932 (Japanese): the VM options file's bytes reach the JVM as
// they stand, also bytes that are no valid character there and trail bytes
// that look like a backslash; names in the file and on the command line mean
// the same files to the launcher and to the JVM. Wine takes the code page
// from the Unix locale, so the CTest entry e2e_vm_options_cp932 starts this
// program with LANG=ja_JP.UTF-8; the main e2e entry leaves this test out.
TEST(VmOptionsCodePage, BytesAndNamesUnderCodePage932) {
  ASSERT_EQ(932u, GetACP()) << "runs from the CTest entry e2e_vm_options_cp932 (LANG=ja_JP.UTF-8)";
  ProbeSandbox s(L"vmopt_cp932");
  ASSERT_TRUE(s.layedOut);
  const std::string dir = s.dirA();
  const std::string hyo = "\x95\x5C";              // U+8868 in code page 932; its trail byte is "\"
  const std::string so = "\x83\x5C";               // U+30BD
  const std::string raw = "\x81\x7F\xFF\xA0\x81";  // no valid characters, a lone lead byte last
  s.write(L"myservice.vmoptions", "-Dsjis=C:\\" + hyo + "\\" + so + "\n-Draw=" + raw + "\n-include-options " + hyo +
                                      ".vmoptions\n-classpath/a C:\\" + hyo + ".jar\n");
  ASSERT_TRUE(test::writeFileBytes(s.box.file(L"\u8868.vmoptions"), "-Dfrom.include=" + so + "\n"));
  s.mkdir(L"lib");
  ASSERT_TRUE(test::writeFileBytes(s.box.file(L"lib\\\u30BD.jar"), "j"));

  block::Content c = baseContent();
  add(c, 166, "1");
  add(c, 125, "1");
  add(c, 121, "S0lib");
  add(c, 2001, "e");
  ProbeRun r = s.run(c, L"/run-redirect -J-Dj=\u8868 -Dsun.locale.formatasdefault=false");
  ASSERT_TRUE(r.created) << r.result.err << r.log;
  EXPECT_EQ(
      (List{"-Dquarn.moduleName=" + dir + "\\myservice.exe", "-Dsun.locale.formatasdefault=false", "-Duser.language=ja",
            "-Duser.country=JP", "-Dsjis=C:\\" + hyo + "\\" + so, "-Draw=" + raw, "-Dfrom.include=" + so, "-Dj=" + hyo,
            "-Djava.class.path=" + dir + "\\lib\\" + so + ".jar;C:\\" + hyo + ".jar"}),
      r.options)
      << r.log;
}

}  // namespace
}  // namespace zvt::e2e
