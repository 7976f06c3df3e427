// The JVM search end to end: a packed launcher run with /run in a sandbox
// that holds stand-in runtimes, the sources set up one by one, and what the
// launcher says (console in console display mode) and logs.
#include <gtest/gtest.h>

#include <fstream>

#include "base/text.h"
#include "launcher_fixture.h"

namespace zvt::e2e {
namespace {

const char kLoaded[] = "Loading of JVM-DLL successful";

// Message texts that show their argument plainly.
block::Content searchConfig(const std::string& sequence) {
  block::Content c;
  c.entries = {{101, "ZvtSearch"}, {128, sequence}};
  c.messages = {{1016, L"MSG1016 needs a {0}-bit runtime"},
                {1017, L"MSG1017 variable {0} is broken"},
                {1019, L"MSG1019 damaged at {0}"},
                {1005, L"MSG1005 registry runtime unusable"},
                {1101, L"MSG1101 a 64-bit runtime at {0}"},
                {1102, L"MSG1102 a 32-bit runtime at {0}"}};
  return c;
}

struct SearchResult {
  test::RunResult run;
  std::string log;
  std::string said;  // standard output and error
};

// No outside runtime leaks in: the variables the search reads are removed
// unless the test sets them, and PATH holds only the system directories.
SearchResult runSearch(LauncherSandbox& box, const block::Content& c, test::RunOptions o = {}) {
  std::wstring exe = box.pack(c);
  o.setEnv[L"QUARN_LOG"] = L"yes";
  for (const wchar_t* name : {L"QUARN_JAVA_HOME", L"ZENTROVIA_JAVA_HOME"})
    if (!o.setEnv.count(name)) o.unsetEnv.push_back(name);
  if (!o.setEnv.count(L"PATH")) o.setEnv[L"PATH"] = L"C:\\windows\\system32;C:\\windows";
  SearchResult r;
  r.run = box.run(exe, L"/run", o);
  EXPECT_FALSE(r.run.timedOut);
  r.log = box.log();
  r.said = r.run.out + r.run.err;
  DeleteFileW(box.file(L"tmp\\zvt_nlog_1.log").c_str());
  return r;
}

std::string narrow(const std::wstring& text) {
  return utf16ToUtf8(text);
}

std::string lower(std::string text) {
  for (char& ch : text) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
  return text;
}

void writeFile(const std::wstring& path, const std::string& content) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  DWORD written = 0;
  WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(h);
}

standin::RuntimeLayout reporting(const std::string& version, std::vector<std::wstring> vms = {L"client"}) {
  standin::RuntimeLayout layout;
  layout.versionText = "openjdk version \"" + version + "\" 2019-01-15\n";
  layout.vmTypes = std::move(vms);
  return layout;
}

// Which home the library came from: the log's "Trying ... (exists 1)" line
// that was followed by success.
bool loadedFrom(const SearchResult& r, const std::wstring& home) {
  std::string bin = narrow(home);
  for (char& ch : bin) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
  std::string log = r.log;
  for (char& ch : log) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
  size_t ok = log.find("loading of jvm-dll successful");
  if (ok == std::string::npos) return false;
  size_t trying = log.rfind("trying to load jvm-dll from ", ok);
  return trying != std::string::npos && log.compare(trying + 28, bin.size(), bin) == 0;
}

TEST(JvmSearch, NothingFoundAsksForARuntimeOfItsOwnWidth) {
  LauncherSandbox box(L"search_none");
  SearchResult r = runSearch(box, searchConfig("B.\\jre;R.\\.\\openJDK;"));
  EXPECT_EQ(1u, r.run.exitCode);
  EXPECT_TRUE(contains(r.said, std::string("MSG1016 needs a ") + kOwnBits + "-bit runtime")) << r.said;
  EXPECT_TRUE(contains(r.log, "ERROR: No JVM found")) << r.log;
  EXPECT_TRUE(contains(r.log, "Testing location .\\jre (type B)"));
  EXPECT_TRUE(contains(r.log, "Testing relative location .\\.\\openJDK"));
  EXPECT_TRUE(contains(r.log, "Search sequence finished"));
  EXPECT_FALSE(contains(r.log, kLoaded));
}

// Every source finds a runtime on its own.
TEST(JvmSearch, EachSourceAlone) {
  struct Case {
    const char* name;
    const char* sequence;
    std::wstring home;                   // relative to the sandbox
    const char* variable = nullptr;      // set to the home (forward slashes)
    const char* locationFile = nullptr;  // pref_jre.cfg or inst_jre.cfg
    bool onPath = false;
  } cases[] = {
      {"A relative", "Aa_rel", L"a_rel"},
      {"A absolute", "A<abs>", L"a_abs"},
      {"B", "B.\\jre", L"jre"},
      {"R", "R.\\.\\openJDK", L"openJDK"},
      {"E with forward slashes", "EMY_JAVA", L"e_home", "MY_JAVA"},
      {"S", "S", L"s_home", nullptr, nullptr, true},
      {"preferred file", "", L"pref", nullptr, "pref_jre.cfg"},
      {"installer file", "", L"inst", nullptr, "inst_jre.cfg"},
      {"QUARN_JAVA_HOME", "", L"q_home", "QUARN_JAVA_HOME"},
      {"ZENTROVIA_JAVA_HOME", "", L"z_home", "ZENTROVIA_JAVA_HOME"},
  };
  for (const Case& k : cases) {
    LauncherSandbox box(L"search_alone");
    std::wstring home = box.layOutRuntime(k.home);
    std::string sequence = k.sequence;
    size_t abs = sequence.find("<abs>");
    if (abs != std::string::npos) sequence.replace(abs, 5, narrow(home));
    block::Content c = searchConfig(sequence);
    test::RunOptions o;
    if (k.variable) {
      std::wstring slashed = home;
      for (wchar_t& ch : slashed)
        if (ch == L'\\') ch = L'/';
      o.setEnv[widenBytes(k.variable)] = slashed;
    }
    if (k.onPath) o.setEnv[L"PATH"] = home + L"\\bin;C:\\windows\\system32;C:\\windows";
    if (k.locationFile) {
      CreateDirectoryW(box.file(L".zentrovia").c_str(), nullptr);
      writeFile(box.file(L".zentrovia\\" + widenBytes(k.locationFile)), narrow(home) + "\r\n");
      c.entries.push_back({10003, "."});
    }
    SearchResult r = runSearch(box, c, o);
    EXPECT_TRUE(loadedFrom(r, home)) << k.name << "\n" << r.log;
    // The launch goes on with that runtime's JVM, and the run ends normally.
    EXPECT_EQ(0u, r.run.exitCode) << k.name << "\n" << r.said;
    bool created = false;
    for (const std::string& line : standin::traceLines(home))
      created = created || contains(line, "{\"ev\":\"created\"");
    EXPECT_TRUE(created) << k.name;
  }
}

TEST(JvmSearch, FirstInSequenceWinsAndPreferredBeatsAll) {
  LauncherSandbox box(L"search_order");
  std::wstring pref = box.layOutRuntime(L"pref");
  std::wstring b = box.layOutRuntime(L"jre");
  std::wstring e = box.layOutRuntime(L"e_home");
  test::RunOptions o;
  o.setEnv[L"MY_JAVA"] = e;
  o.setEnv[L"QUARN_JAVA_HOME"] = e;

  SearchResult r = runSearch(box, searchConfig("EMY_JAVA;B.\\jre"), o);
  EXPECT_TRUE(loadedFrom(r, e)) << r.log;
  r = runSearch(box, searchConfig("B.\\jre;EMY_JAVA"), o);
  EXPECT_TRUE(loadedFrom(r, b)) << r.log;

  CreateDirectoryW(box.file(L".zentrovia").c_str(), nullptr);
  writeFile(box.file(L".zentrovia\\pref_jre.cfg"), narrow(pref) + "\n");
  block::Content c = searchConfig("B.\\jre;EMY_JAVA");
  c.entries.push_back({10003, "."});
  r = runSearch(box, c, o);
  EXPECT_TRUE(loadedFrom(r, pref)) << r.log;
  EXPECT_TRUE(contains(r.log, "Using preferred location"));
  EXPECT_FALSE(contains(r.log, "Testing location"));
}

TEST(JvmSearch, VariablesComeLastWithoutAnEEntry) {
  LauncherSandbox box(L"search_last");
  std::wstring q = box.layOutRuntime(L"q_home");
  test::RunOptions o;
  o.setEnv[L"QUARN_JAVA_HOME"] = q;
  SearchResult r = runSearch(box, searchConfig("B.\\jre;S"), o);
  EXPECT_TRUE(loadedFrom(r, q)) << r.log;
  size_t finished = r.log.find("Search sequence finished");
  size_t loading = r.log.find("Trying to load JVM-DLL from");
  ASSERT_NE(std::string::npos, finished);
  EXPECT_LT(finished, loading);
}

TEST(JvmSearch, SecondPass) {
  LauncherSandbox box(L"search_second");
  std::wstring b = box.layOutRuntime(L"jre", reporting("1.8.0_201"));
  block::Content c = searchConfig("B.\\jre");
  c.entries.push_back({126, "11"});
  SearchResult r = runSearch(box, c);
  EXPECT_TRUE(loadedFrom(r, b)) << r.log;
  EXPECT_TRUE(contains(r.log, "Testing relative location .\\jre"));
  EXPECT_TRUE(contains(r.log, "java.exe exists"));

  // An absolute A entry is not retried; a relative one is.
  LauncherSandbox abs(L"search_second_abs");
  std::wstring home = abs.layOutRuntime(L"old", reporting("1.8.0_201"));
  c = searchConfig("A" + narrow(home));
  c.entries.push_back({126, "11"});
  r = runSearch(abs, c);
  EXPECT_FALSE(contains(r.log, "Testing relative location")) << r.log;
  EXPECT_TRUE(contains(r.said, std::string("MSG1016 needs a ") + kOwnBits + "-bit runtime")) << r.said;
  c = searchConfig("Aold");
  c.entries.push_back({126, "11"});
  r = runSearch(abs, c);
  EXPECT_TRUE(contains(r.log, "Testing relative location old")) << r.log;
  EXPECT_TRUE(loadedFrom(r, home)) << r.log;
}

TEST(JvmSearch, VmTypeDirectories) {
  LauncherSandbox box(L"search_vm");
  std::wstring server = box.layOutRuntime(L"jre", reporting("11.0.2", {L"server"}));
  SearchResult r = runSearch(box, searchConfig("B.\\jre"));
  EXPECT_TRUE(loadedFrom(r, server)) << r.log;
  EXPECT_TRUE(contains(r.log, "\\client\\jvm.dll (exists 0)")) << r.log;
  EXPECT_TRUE(contains(r.log, "\\server\\jvm.dll (exists 1)")) << r.log;

  LauncherSandbox both(L"search_vm152");
  std::wstring home = both.layOutRuntime(L"jre", reporting("11.0.2", {L"client", L"server"}));
  block::Content c = searchConfig("B.\\jre");
  c.entries.push_back({152, "server"});
  r = runSearch(both, c);
  EXPECT_TRUE(loadedFrom(r, home)) << r.log;
  EXPECT_FALSE(contains(r.log, "\\client\\jvm.dll")) << r.log;
}

TEST(JvmSearch, Jdk8ThroughPrivateRuntime) {
  LauncherSandbox box(L"search_jdk8");
  standin::RuntimeLayout layout = reporting("1.8.0_201", {L"server"});
  layout.jdk = true;
  std::wstring jdk = box.layOutRuntime(L"jdk", layout);
  test::RunOptions o;
  o.setEnv[L"MY_JAVA"] = jdk;
  SearchResult r = runSearch(box, searchConfig("EMY_JAVA"), o);
  EXPECT_TRUE(contains(r.log, kLoaded)) << r.log;
  EXPECT_TRUE(contains(r.log, "\\jre\\bin\\server\\jvm.dll (exists 1)")) << r.log;
}

// A jvm.dll of the other width is refused by its header, never handed to
// LoadLibrary (which would fail with 193, the error of a damaged file), and
// the search goes on; when it was the last candidate, the user is told what
// was found and what is needed.
TEST(JvmSearch, OtherWidthRuntimeIsRefusedAndNamed) {
  const std::string refused = std::string("Not loaded: a ") + kOtherBits + "-bit library";
  const std::string named = sizeof(void*) == 8 ? "MSG1102 a 32-bit runtime at " : "MSG1101 a 64-bit runtime at ";
  LauncherSandbox box(L"search_width");
  standin::RuntimeLayout other = reporting("11.0.2");
  other.wrongWidth = true;
  box.layOutRuntime(L"jre", other);
  std::wstring good = box.layOutRuntime(L"good");
  SearchResult r = runSearch(box, searchConfig("B.\\jre;Rgood"));
  EXPECT_TRUE(contains(r.log, refused + " (")) << r.log;
  EXPECT_FALSE(contains(r.log, "Failed with error code")) << r.log;
  EXPECT_TRUE(loadedFrom(r, good)) << r.log;

  r = runSearch(box, searchConfig("B.\\jre"));
  EXPECT_EQ(1u, r.run.exitCode);
  EXPECT_TRUE(contains(r.said, named + ".\\jre")) << r.said;
  EXPECT_FALSE(contains(r.said, "MSG1019")) << r.said;

  // Found through a variable: the message names the runtime's home.
  test::RunOptions o;
  o.setEnv[L"QUARN_JAVA_HOME"] = box.file(L"jre");
  r = runSearch(box, searchConfig(""), o);
  EXPECT_EQ(1u, r.run.exitCode);
  const std::string message = lower(named) + lower(narrow(box.file(L"jre")));
  EXPECT_TRUE(contains(lower(r.said), message)) << r.said;
  EXPECT_FALSE(contains(lower(r.said), message + "\\bin")) << r.said;
}

// What the user is told when a runtime passed its check but its library
// failed: the entry as written after expansion, or the variable's name.
TEST(JvmSearch, MessagesNameTheFailedCandidate) {
  LauncherSandbox box(L"search_msgs");
  box.layOutRuntime(L"jre", reporting("11.0.2", {}));
  SearchResult r = runSearch(box, searchConfig("B.\\jre"));
  EXPECT_EQ(1u, r.run.exitCode);
  EXPECT_TRUE(contains(r.said, "MSG1019 damaged at .\\jre")) << r.said;
  EXPECT_TRUE(contains(r.log, "ERROR: Could not get DLL-Handle.")) << r.log;
  EXPECT_TRUE(contains(r.log, "ERROR: Could not load functions")) << r.log;

  LauncherSandbox env(L"search_msg_env");
  std::wstring home = env.layOutRuntime(L"e_home", reporting("11.0.2", {}));
  test::RunOptions o;
  o.setEnv[L"MY_JAVA"] = home;
  r = runSearch(env, searchConfig("EMY_JAVA"), o);
  EXPECT_TRUE(contains(r.said, "MSG1017 variable MY_JAVA is broken")) << r.said;
  EXPECT_FALSE(contains(r.said, narrow(home))) << r.said;
}

TEST(JvmSearch, FailedSearchExplainsItselfInTheLog) {
  LauncherSandbox box(L"search_explain");
  box.layOutRuntime(L"old", reporting("1.6.0_45", {}));
  block::Content c = searchConfig("Bc:\\nowhere;A.\\old;Qx");
  c.entries.push_back({126, "11"});
  c.entries.push_back({127, "17"});
  SearchResult r = runSearch(box, c);
  EXPECT_TRUE(contains(r.log, "MinVersion: 11, MaxVersion: 17")) << r.log;
  EXPECT_TRUE(contains(r.log, "Testing location c:\\nowhere (type B)"));
  EXPECT_TRUE(contains(r.log, "Testing location .\\old (type A)"));
  EXPECT_TRUE(contains(r.log, "Unknown search sequence entry type Q, skipped"));
  // Too old for the first pass, taken by the relaxed one, and its library
  // is missing: every VM directory tried, then the private runtime's.
  EXPECT_TRUE(contains(r.log, "Testing relative location .\\old"));
  EXPECT_TRUE(contains(r.log, "\\bin\\client\\jvm.dll (exists 0)"));
  EXPECT_TRUE(contains(r.log, "\\bin\\jrockit\\jvm.dll (exists 0)"));
  EXPECT_TRUE(contains(r.log, "\\jre\\bin\\jrockit\\jvm.dll (exists 0)"));
  EXPECT_TRUE(contains(r.log, "ERROR: Could not get DLL-Handle.")) << r.log;
  EXPECT_TRUE(contains(r.said, "MSG1019 damaged at .\\old")) << r.said;
}

}  // namespace
}  // namespace zvt::e2e
