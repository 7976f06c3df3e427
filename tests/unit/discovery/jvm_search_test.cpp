#include "jvm/discovery/jvm_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "runtime/message_ids.h"
#include "unit/log_capture.h"

namespace zvt {
namespace {

// A scripted machine: homes and variables that hold runtimes, what each
// test of a source answers, which libraries load, and a journal of every
// call in order.
class ScriptedMachine : public JvmSearchSystem {
 public:
  struct Runtime {
    std::string version = "11.0.2";
    bool passes = true;  // the check accepts it
    bool exists = true;  // its executable is on disk
    bool loads = false;  // its JVM library loads
  };

  bool preferredLocation(std::string& line) override {
    journal.push_back("preferred");
    if (!hasPreferred) return false;
    line = preferred;
    return true;
  }
  bool installerLocation(std::string& line) override {
    journal.push_back("installer");
    if (!hasInstaller) return false;
    line = installer;
    return true;
  }
  std::string expand(const std::string& text) override {
    std::string out = text;
    auto at = out.find("${HOME}");
    if (at != std::string::npos) out.replace(at, 7, "c:\\users\\me");
    return out;
  }
  bool testLocation(std::string& javaExe, std::string& version, const std::string& location, const VersionBounds&,
                    Prerelease prerelease, bool acceptAnyway) override {
    journal.push_back(std::string(acceptAnyway ? "relaxed " : "location ") + location +
                      (prerelease == Prerelease::Allow ? " +pre" : ""));
    // As the real check does, the buffer gets this home's executable path
    // whether or not anything is there.
    javaExe = location + "\\bin\\java.exe";
    auto it = homes.find(location);
    if (it == homes.end()) return acceptAnyway;
    version = it->second.version;
    return checkPasses(javaExe, it->second) || acceptAnyway;
  }
  bool testEnvironmentVariable(std::string& javaExe, std::string& version, const std::string& name,
                               const VersionBounds&) override {
    journal.push_back("variable " + name);
    auto it = variables.find(name);
    if (it == variables.end()) return false;
    javaExe = it->second + "\\bin\\java.exe";
    return checkHome(it->second, javaExe, version);
  }
  bool testSearchPath(std::string& javaExe, std::string& version, const VersionBounds&) override {
    journal.push_back("searchpath");
    if (onSearchPath.empty()) return false;
    javaExe = onSearchPath + "\\bin\\java.exe";
    return checkHome(onSearchPath, javaExe, version);
  }
  bool sharedJvmSource(std::string& javaExe, std::string& version, const VersionBounds&) override {
    journal.push_back("shared");
    return nextListed(shared, javaExe, version);
  }
  bool registeredJvmSource(std::string& javaExe, std::string& version, const VersionBounds&) override {
    journal.push_back("registered");
    return nextListed(registered, javaExe, version);
  }
  bool previousInstallationSource(Hive hive, std::string& javaExe, std::string& version,
                                  const VersionBounds&) override {
    journal.push_back(hive == Hive::CurrentUser ? "previous user" : "previous machine");
    const std::string& home = hive == Hive::CurrentUser ? previousUser : previousMachine;
    if (home.empty()) return false;
    javaExe = home + "\\bin\\java.exe";
    return checkHome(home, javaExe, version);
  }
  bool addNonWorkingJava(const std::string& javaExe) override {
    nonWorking.insert(javaExe);
    return nonWorking.size() < nonWorkingLimit;
  }
  bool fileExists(const std::string& path) override {
    for (const auto& home : homes)
      if (home.first + "\\bin\\java.exe" == path) return home.second.exists;
    return false;
  }
  bool loadJvmFromJavaExe(const std::string& javaExe) override {
    journal.push_back("load " + javaExe);
    std::string home = javaExe.substr(0, javaExe.size() - std::string("\\bin\\java.exe").size());
    auto it = homes.find(home);
    return it != homes.end() && it->second.loads;
  }

  bool checkPasses(const std::string& javaExe, const Runtime& runtime) {
    return runtime.passes && nonWorking.count(javaExe) == 0;
  }
  bool checkHome(const std::string& home, const std::string& javaExe, std::string& version) {
    auto it = homes.find(home);
    if (it == homes.end()) return false;
    version = it->second.version;
    return checkPasses(javaExe, it->second);
  }
  // The best listed home not yet on the non-working list, as the registry
  // sources' check refuses listed executables.
  bool nextListed(const std::vector<std::string>& list, std::string& javaExe, std::string& version) {
    for (const std::string& home : list) {
      std::string exe = home + "\\bin\\java.exe";
      if (checkHome(home, exe, version)) {
        javaExe = exe;
        return true;
      }
    }
    return false;
  }

  Runtime& home(const std::string& location) { return homes[location]; }

  bool hasPreferred = false;
  std::string preferred;
  bool hasInstaller = false;
  std::string installer;
  std::map<std::string, Runtime> homes;
  std::map<std::string, std::string> variables;
  std::string onSearchPath;
  std::vector<std::string> shared, registered;
  std::string previousUser, previousMachine;
  std::set<std::string> nonWorking;
  size_t nonWorkingLimit = 50;
  std::vector<std::string> journal;
};

struct SearchRun {
  bool loaded = false;
  JvmCandidate candidate;
};

SearchRun search(ScriptedMachine& machine, const std::string& sequence) {
  SearchRun run;
  JvmSearchSettings settings;
  settings.sequence = sequence;
  run.loaded = searchJvm(machine, settings, run.candidate);
  return run;
}

std::vector<std::string> loads(const ScriptedMachine& machine) {
  std::vector<std::string> out;
  for (const auto& line : machine.journal)
    if (line.rfind("load ", 0) == 0) out.push_back(line.substr(5));
  return out;
}

TEST(SearchSequence, EntriesLettersAndArguments) {
  auto entries = parseSearchSequence("B.\\jre;;R.\\.\\openJDK;S;Y;E${X};");
  ASSERT_EQ(5u, entries.size());
  EXPECT_EQ('B', entries[0].type);
  EXPECT_EQ(".\\jre", entries[0].argument);
  EXPECT_EQ('R', entries[1].type);
  EXPECT_EQ(".\\.\\openJDK", entries[1].argument);
  EXPECT_EQ("", entries[2].argument);
  EXPECT_EQ('E', entries[4].type);
  EXPECT_EQ("${X}", entries[4].argument);
  EXPECT_TRUE(parseSearchSequence("").empty());
  EXPECT_TRUE(parseSearchSequence(";;;").empty());
  auto single = parseSearchSequence("A");
  ASSERT_EQ(1u, single.size());
  EXPECT_EQ("", single[0].argument);
}

TEST(SearchSequence, AbsoluteArguments) {
  EXPECT_TRUE(isAbsoluteLocation("C:\\Java\\jre"));
  EXPECT_TRUE(isAbsoluteLocation("c:"));
  EXPECT_TRUE(isAbsoluteLocation("\\\\server\\share\\jre"));
  EXPECT_FALSE(isAbsoluteLocation(".\\jre"));
  EXPECT_FALSE(isAbsoluteLocation("\\jre"));
  EXPECT_FALSE(isAbsoluteLocation("\\"));
  EXPECT_FALSE(isAbsoluteLocation("c"));
  EXPECT_FALSE(isAbsoluteLocation(""));
  EXPECT_TRUE(triedInRelaxedPass({'B', "C:\\Java\\jre"}));
  EXPECT_TRUE(triedInRelaxedPass({'A', "jre"}));
  EXPECT_FALSE(triedInRelaxedPass({'A', "C:\\Java\\jre"}));
  EXPECT_FALSE(triedInRelaxedPass({'R', "\\\\srv\\jre"}));
  EXPECT_FALSE(triedInRelaxedPass({'E', "JAVA_HOME"}));
  EXPECT_FALSE(triedInRelaxedPass({'S', ""}));
}

TEST(SearchSequence, LocationFileFirstLine) {
  std::string line;
  EXPECT_FALSE(locationFileFirstLine("", line));
  ASSERT_TRUE(locationFileFirstLine("c:\\jre\r\n\r\nsecond\n", line));
  EXPECT_EQ("c:\\jre", line);
  ASSERT_TRUE(locationFileFirstLine("\r\nc:\\jre\n", line));
  EXPECT_EQ("", line);
  ASSERT_TRUE(locationFileFirstLine("c:\\no line end", line));
  EXPECT_EQ("c:\\no line end", line);
  ASSERT_TRUE(locationFileFirstLine("c:\\jre\r\r\r", line));
  EXPECT_EQ("c:\\jre", line);
  // The longest usable line, terminated or not, then one character more.
  std::string longest(kLocationLineLimit, 'x');
  ASSERT_TRUE(locationFileFirstLine(longest + "\r\n", line));
  EXPECT_EQ(longest, line);
  test::LogCapture log;
  EXPECT_FALSE(locationFileFirstLine(std::string(6000, 'x'), line));
  EXPECT_FALSE(locationFileFirstLine(std::string(6000, 'x') + "\nc:\\jre\n", line));
  EXPECT_TRUE(line.empty());
  EXPECT_TRUE(log.contains(L"location file line too long (6000 characters), ignored"));
}

TEST(SearchPlan, OrderOfSources) {
  auto plan = searchPlan(parseSearchSequence("A\\\\srv\\jre;E JH;B.\\jre;Rc:\\j;Rrel;S;Y"));
  std::vector<std::string> names;
  for (const auto& step : plan) {
    switch (step.kind) {
      case SearchStepKind::PreferredLocation:
        names.push_back("preferred");
        break;
      case SearchStepKind::Entry:
        names.push_back(std::string(1, step.entry.type));
        break;
      case SearchStepKind::InstallerLocation:
        names.push_back("installer");
        break;
      case SearchStepKind::RelaxedEntry:
        names.push_back("relaxed " + step.entry.argument);
        break;
      case SearchStepKind::PreviousInstallationUser:
        names.push_back("user");
        break;
      case SearchStepKind::PreviousInstallationMachine:
        names.push_back("machine");
        break;
      case SearchStepKind::Finished:
        names.push_back("finished");
        break;
      case SearchStepKind::Variable:
        names.push_back(step.variable);
        break;
    }
  }
  std::vector<std::string> expected = {"preferred",
                                       "A",
                                       "E",
                                       "B",
                                       "R",
                                       "R",
                                       "S",
                                       "Y",
                                       "installer",
                                       "relaxed .\\jre",
                                       "relaxed rel",
                                       "user",
                                       "machine",
                                       "finished",
                                       "QUARN_JAVA_HOME",
                                       "ZENTROVIA_JAVA_HOME"};
  EXPECT_EQ(expected, names);
}

TEST(JvmSearchWalk, NothingAnywhereTriesEverySourceOnce) {
  ScriptedMachine machine;
  test::LogCapture log;
  auto run = search(machine, "B.\\jre;R.\\.\\openJDK;");
  EXPECT_FALSE(run.loaded);
  EXPECT_EQ(JvmSourceKind::None, run.candidate.kind);
  std::vector<std::string> expected = {"preferred",
                                       "location .\\jre",
                                       "location .\\.\\openJDK",
                                       "installer",
                                       "relaxed .\\jre +pre",
                                       "relaxed .\\.\\openJDK +pre",
                                       "previous user",
                                       "previous machine",
                                       "variable QUARN_JAVA_HOME",
                                       "variable ZENTROVIA_JAVA_HOME"};
  EXPECT_EQ(expected, machine.journal);
  EXPECT_TRUE(log.contains(L"Searching for a JVM"));
  EXPECT_TRUE(log.contains(L"Testing location .\\jre (type B)"));
  EXPECT_TRUE(log.contains(L"Testing relative location .\\.\\openJDK"));
  EXPECT_TRUE(log.contains(L"Search sequence finished"));
  JvmFailureReport report = jvmFailureReport(run.candidate, 32);
  EXPECT_EQ(msg::kNoJvmFound, report.message);
  EXPECT_EQ("32", report.argument);
}

TEST(JvmSearchWalk, FirstLoadingSourceWinsInOrder) {
  ScriptedMachine machine;
  machine.home("c:\\b").loads = true;
  machine.home("c:\\env").loads = true;
  machine.home("c:\\path").loads = true;
  machine.variables["JH"] = "c:\\env";
  machine.onSearchPath = "c:\\path";
  auto run = search(machine, "S;EJH;Bc:\\b");
  EXPECT_TRUE(run.loaded);
  EXPECT_EQ(JvmSourceKind::SearchPath, run.candidate.kind);
  EXPECT_EQ(std::vector<std::string>{"c:\\path\\bin\\java.exe"}, loads(machine));

  ScriptedMachine second;
  second.home("c:\\b").loads = true;
  second.home("c:\\env").loads = true;
  second.variables["JH"] = "c:\\env";
  run = search(second, "Bc:\\b;EJH");
  EXPECT_EQ(JvmSourceKind::Location, run.candidate.kind);
  EXPECT_EQ("c:\\b", run.candidate.location);
  EXPECT_EQ("11.0.2", run.candidate.version);
}

TEST(JvmSearchWalk, PreferredLocationBeatsEverything) {
  ScriptedMachine machine;
  machine.hasPreferred = true;
  machine.preferred = "c:\\pref";
  machine.home("c:\\pref").loads = true;
  machine.home("c:\\b").loads = true;
  auto run = search(machine, "Bc:\\b");
  EXPECT_TRUE(run.loaded);
  EXPECT_EQ("c:\\pref", run.candidate.location);
  EXPECT_EQ((std::vector<std::string>{"preferred", "location c:\\pref +pre", "load c:\\pref\\bin\\java.exe"}),
            machine.journal);

  // Present but failing its check: the sequence follows.
  ScriptedMachine failing;
  failing.hasPreferred = true;
  failing.preferred = "c:\\pref";
  failing.home("c:\\pref").passes = false;
  failing.home("c:\\b").loads = true;
  run = search(failing, "Bc:\\b");
  EXPECT_EQ("c:\\b", run.candidate.location);
}

TEST(JvmSearchWalk, ExpandedArgumentIsTestedAndNamed) {
  ScriptedMachine machine;
  machine.home("c:\\users\\me\\jre").passes = true;  // passes, library fails
  test::LogCapture log;
  auto run = search(machine, "A${HOME}\\jre");
  EXPECT_FALSE(run.loaded);
  EXPECT_TRUE(log.contains(L"Testing location c:\\users\\me\\jre (type A)"));
  EXPECT_EQ("c:\\users\\me\\jre", run.candidate.location);
  // The relaxed pass uses the argument as configured: no such home there.
  EXPECT_NE(machine.journal.end(),
            std::find(machine.journal.begin(), machine.journal.end(), "relaxed ${HOME}\\jre +pre"));
  JvmFailureReport report = jvmFailureReport(run.candidate, 32);
  EXPECT_EQ(msg::kJvmDamaged, report.message);
  EXPECT_EQ("c:\\users\\me\\jre", report.argument);
}

TEST(JvmSearchWalk, UnknownLetterIsLoggedAndSkipped) {
  ScriptedMachine machine;
  machine.home("c:\\b").loads = true;
  test::LogCapture log;
  auto run = search(machine, "Qc:\\b;Bc:\\b");
  EXPECT_TRUE(run.loaded);
  EXPECT_TRUE(log.contains(L"Unknown search sequence entry type Q, skipped"));
  EXPECT_EQ((std::vector<std::string>{"preferred", "location c:\\b", "load c:\\b\\bin\\java.exe"}), machine.journal);
}

TEST(JvmSearchWalk, RelaxedPassTakesTooOldLocalRuntime) {
  ScriptedMachine machine;
  machine.home(".\\jre").passes = false;  // below the minimum
  machine.home(".\\jre").loads = true;
  test::LogCapture log;
  auto run = search(machine, "B.\\jre");
  EXPECT_TRUE(run.loaded);
  EXPECT_EQ(JvmSourceKind::Location, run.candidate.kind);
  EXPECT_EQ(".\\jre", run.candidate.location);
  EXPECT_TRUE(log.contains(L".\\jre\\bin\\java.exe exists"));
  EXPECT_EQ(std::vector<std::string>{".\\jre\\bin\\java.exe"}, loads(machine));
}

TEST(JvmSearchWalk, RelaxedPassSkipsAbsoluteAAndMissingExecutables) {
  ScriptedMachine machine;
  machine.home("c:\\java\\jre").passes = false;
  machine.home("c:\\java\\jre").loads = true;
  machine.home("rel").passes = false;
  machine.home("rel").exists = false;  // the home is there, its java.exe is not
  auto run = search(machine, "Ac:\\java\\jre;Arel");
  EXPECT_FALSE(run.loaded);
  EXPECT_EQ(JvmSourceKind::None, run.candidate.kind);
  EXPECT_TRUE(loads(machine).empty());
  int relaxed = 0;
  for (const auto& line : machine.journal) relaxed += line.rfind("relaxed ", 0) == 0;
  EXPECT_EQ(1, relaxed);
}

TEST(JvmSearchWalk, RelaxedPassNeverLoadsAnEarlierCandidateUnderAnotherName) {
  // The E runtime passes and fails to load; the relaxed B home has no
  // executable at all: the check leaves that missing path in the buffer, and
  // the pass must load neither it nor the E executable under B's name.
  ScriptedMachine machine;
  machine.home("c:\\env").loads = false;
  machine.variables["JH"] = "c:\\env";
  auto run = search(machine, "EJH;B.\\nothing");
  EXPECT_FALSE(run.loaded);
  EXPECT_EQ((std::vector<std::string>{"c:\\env\\bin\\java.exe"}), loads(machine));
  EXPECT_EQ(JvmSourceKind::EnvironmentVariable, run.candidate.kind);
  JvmFailureReport report = jvmFailureReport(run.candidate, 32);
  EXPECT_EQ(msg::kJvmVariableBroken, report.message);
  EXPECT_EQ("JH", report.argument);
}

TEST(JvmSearchWalk, KindAndLocationSurviveLaterFailures) {
  ScriptedMachine machine;
  machine.home(".\\jre");  // passes, library fails
  machine.home("c:\\other").passes = false;
  machine.variables["QUARN_JAVA_HOME"] = "c:\\other";
  auto run = search(machine, "B.\\jre;S");
  EXPECT_FALSE(run.loaded);
  EXPECT_EQ(JvmSourceKind::Location, run.candidate.kind);
  EXPECT_EQ(".\\jre", run.candidate.location);
  // The first pass and the relaxed pass both tried to load it.
  EXPECT_EQ((std::vector<std::string>{".\\jre\\bin\\java.exe", ".\\jre\\bin\\java.exe"}), loads(machine));
  EXPECT_EQ(msg::kJvmDamaged, jvmFailureReport(run.candidate, 32).message);
  EXPECT_EQ(".\\jre", jvmFailureReport(run.candidate, 32).argument);
}

TEST(JvmSearchWalk, SearchPathFailureAsksForARuntime) {
  ScriptedMachine machine;
  machine.home("c:\\path");
  machine.onSearchPath = "c:\\path";
  auto run = search(machine, "Sanything");
  EXPECT_EQ(JvmSourceKind::SearchPath, run.candidate.kind);
  EXPECT_EQ("anything", run.candidate.location);
  JvmFailureReport report = jvmFailureReport(run.candidate, 32);
  EXPECT_EQ(msg::kNoJvmFound, report.message);
  EXPECT_EQ("32", report.argument);
}

TEST(JvmSearchWalk, RegistryLoopsRetryUntilOneLoads) {
  ScriptedMachine machine;
  machine.home("c:\\s1");
  machine.home("c:\\s2");
  machine.home("c:\\r1");
  machine.home("c:\\r2").loads = true;
  machine.shared = {"c:\\s1", "c:\\s2"};
  machine.registered = {"c:\\r1", "c:\\r2"};
  auto run = search(machine, "Y");
  EXPECT_TRUE(run.loaded);
  EXPECT_EQ(JvmSourceKind::Registry, run.candidate.kind);
  EXPECT_EQ((std::vector<std::string>{"c:\\s1\\bin\\java.exe", "c:\\s2\\bin\\java.exe", "c:\\r1\\bin\\java.exe",
                                      "c:\\r2\\bin\\java.exe"}),
            loads(machine));
  EXPECT_EQ(3u, machine.nonWorking.size());
}

TEST(JvmSearchWalk, RegistryLoopStopsWhenTheListIsFull) {
  ScriptedMachine machine;
  for (int i = 0; i < 5; ++i) {
    std::string home = "c:\\s" + std::to_string(i);
    machine.home(home);
    machine.shared.push_back(home);
    machine.registered.push_back(home);
  }
  machine.nonWorkingLimit = 2;
  auto run = search(machine, "Y");
  EXPECT_FALSE(run.loaded);
  // Two rounds in the shared loop; the registered loop's first round finds
  // the third and its add is refused as well.
  EXPECT_EQ(3u, loads(machine).size());
  EXPECT_EQ(JvmSourceKind::Registry, run.candidate.kind);
  EXPECT_EQ(msg::kRegistryJvmUnusable, jvmFailureReport(run.candidate, 32).message);
  EXPECT_FALSE(jvmFailureReport(run.candidate, 32).hasArgument);
}

TEST(JvmSearchWalk, LaterSourcesInOrder) {
  ScriptedMachine machine;
  machine.hasInstaller = true;
  machine.installer = "c:\\inst";
  machine.home("c:\\inst");  // passes, fails to load
  machine.home("c:\\user");
  machine.home("c:\\machine");
  machine.home("c:\\q");
  machine.home("c:\\z").loads = true;
  machine.previousUser = "c:\\user";
  machine.previousMachine = "c:\\machine";
  machine.variables["QUARN_JAVA_HOME"] = "c:\\q";
  machine.variables["ZENTROVIA_JAVA_HOME"] = "c:\\z";
  test::LogCapture log;
  auto run = search(machine, "");
  EXPECT_TRUE(run.loaded);
  EXPECT_EQ((std::vector<std::string>{"c:\\inst\\bin\\java.exe", "c:\\user\\bin\\java.exe",
                                      "c:\\machine\\bin\\java.exe", "c:\\q\\bin\\java.exe", "c:\\z\\bin\\java.exe"}),
            loads(machine));
  EXPECT_EQ(JvmSourceKind::EnvironmentVariable, run.candidate.kind);
  EXPECT_EQ("ZENTROVIA_JAVA_HOME", run.candidate.location);
  EXPECT_TRUE(log.contains(L"Has installer location c:\\inst"));
  EXPECT_TRUE(log.contains(L"Using installer location"));
  EXPECT_TRUE(log.contains(L"found JRE from previous installation (user) c:\\user\\bin\\java.exe"));
  EXPECT_TRUE(log.contains(L"found JRE from previous installation (machine) c:\\machine\\bin\\java.exe"));
}

TEST(JvmSearchWalk, PreviousInstallationFailureNamesTheRegistry) {
  ScriptedMachine machine;
  machine.home("c:\\b");  // passes, fails
  machine.home("c:\\user");
  machine.previousUser = "c:\\user";
  auto run = search(machine, "Bc:\\b");
  EXPECT_FALSE(run.loaded);
  EXPECT_EQ(JvmSourceKind::Registry, run.candidate.kind);
  EXPECT_EQ("c:\\b", run.candidate.location);  // left from the B entry
  EXPECT_EQ(msg::kRegistryJvmUnusable, jvmFailureReport(run.candidate, 32).message);
}

TEST(JvmHome, ExecutableDirectoryAndDotDot) {
  EXPECT_EQ("c:\\app\\jre\\bin\\..", jvmHomeOf("c:\\app\\jre\\bin\\java.exe"));
  EXPECT_EQ("c:\\jdk\\bin\\..\\jre\\bin\\..", jvmHomeOf("c:\\jdk\\bin\\..\\jre\\bin\\java.exe"));
  EXPECT_EQ("..", jvmHomeOf("java.exe"));
}

}  // namespace
}  // namespace zvt
