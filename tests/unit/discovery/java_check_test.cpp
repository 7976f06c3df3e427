#include "jvm/discovery/java_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "jvm/discovery/version_cache_rules.h"
#include "unit/log_capture.h"

namespace zvt {
namespace {

// A scripted machine: files with their last-write times, a version cache
// kept as raw entries (read back through the real hit rule), and probe
// answers per executable. It counts what the check asked for.
class ScriptedSystem : public JavaCheckSystem {
 public:
  struct Probe {
    bool ok = true;
    std::string version;
  };

  std::string canonicalPath(const std::string& path) override {
    std::string full = path.size() > 1 && path[1] == ':' ? path : "c:\\launcher\\" + path;
    std::string out;
    for (char c : full) {
      if (c == '\\' && !out.empty() && out.back() == '\\') continue;
      out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    }
    return out;
  }
  bool findFile(const std::string& path, uint64_t& lastWriteTime) override {
    ++searches;
    auto it = files.find(path);
    if (it == files.end()) return false;
    lastWriteTime = it->second;
    return true;
  }
  bool fileExists(const std::string& path) override { return files.count(path) != 0; }
  bool readVersionCache(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) override {
    ++cacheReads;
    auto it = cache.find(javaExe);
    return it != cache.end() && cacheEntryHit(it->second, lastWriteTime, version);
  }
  void writeVersionCache(const std::string& javaExe, uint64_t lastWriteTime, const std::string& version) override {
    ++cacheWrites;
    CacheEntryData& entry = cache[javaExe];
    entry.timeRead = entry.versionRead = true;
    entry.timeBytes = fileTimeBytes(lastWriteTime);
    entry.versionBytes = version;
  }
  bool probeJavaVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) override {
    ++probes;
    auto it = answers.find(javaExe);
    if (it == answers.end() || !it->second.ok) {
      writeVersionCache(javaExe, lastWriteTime, kProbeFailedVersion);  // what the real probe does
      return false;
    }
    version = it->second.version;
    return true;
  }

  void addRuntime(const std::string& javaExe, const std::string& version, uint64_t time = 1000) {
    files[javaExe] = time;
    answers[javaExe] = Probe{true, version};
  }
  void cacheEntry(const std::string& javaExe, const std::string& version, uint64_t time = 1000) {
    CacheEntryData& entry = cache[javaExe];
    entry.timeRead = entry.versionRead = true;
    entry.timeBytes = fileTimeBytes(time);
    entry.versionBytes = version;
  }

  std::map<std::string, uint64_t> files;
  std::map<std::string, CacheEntryData> cache;
  std::map<std::string, Probe> answers;
  int searches = 0;
  int cacheReads = 0;
  int cacheWrites = 0;
  int probes = 0;
};

const char kJava[] = "c:\\jre\\bin\\java.exe";
const char kJavaw[] = "c:\\jre\\bin\\javaw.exe";

struct CheckFixture : ::testing::Test {
  ScriptedSystem system;
  JavaCheckSettings settings;
  NonWorkingList nonWorking;
  VersionBounds bounds;
  test::LogCapture log;

  bool check(std::string& javaExe, std::string& version, Prerelease prerelease = Prerelease::Refuse,
             CacheUse cache = CacheUse()) {
    JavaChecker checker(system, settings, nonWorking);
    return checker.checkJavaExe(javaExe, version, bounds, prerelease, cache);
  }
};

TEST_F(CheckFixture, ColdThenWarmThenTouchedExecutable) {
  system.addRuntime(kJava, "1.8.0_201");
  std::string exe = "C:\\JRE\\\\bin\\java.exe";
  std::string version;
  EXPECT_TRUE(check(exe, version));
  EXPECT_EQ(kJava, exe);  // canonical form written back
  EXPECT_EQ("1.8.0_201", version);
  EXPECT_EQ(1, system.probes);
  EXPECT_EQ(1, system.cacheWrites);
  EXPECT_TRUE(log.contains(L"got version from execution 1.8.0_201"));
  EXPECT_TRUE(log.contains(L"checkJavaExe (C:\\JRE\\\\bin\\java.exe, [out], 0, 0, 0)"));
  EXPECT_TRUE(log.contains(L"checkJavaExe returning 1"));

  exe = kJava;
  EXPECT_TRUE(check(exe, version));
  EXPECT_EQ(1, system.probes);  // from the cache
  EXPECT_TRUE(log.contains(L"got version from registry 1.8.0_201"));

  system.files[kJava] = 1001;  // replaced in place
  EXPECT_TRUE(check(exe, version));
  EXPECT_EQ(2, system.probes);
  EXPECT_EQ(2, system.cacheWrites);
}

TEST_F(CheckFixture, CacheEntriesThatAreMisses) {
  system.addRuntime(kJava, "11.0.2");
  std::string version;
  struct Entry {
    std::string timeBytes;
    std::string version;
  } misses[] = {
      {fileTimeBytes(1000).substr(0, 7), "11.0.2"},
      {fileTimeBytes(1000) + std::string(1, '\0'), "11.0.2"},
      {fileTimeBytes(1000 ^ 0x100), "11.0.2"},  // one bit off
      {fileTimeBytes(1000), "1.6."},
      {fileTimeBytes(1000), "1.7."},
      {fileTimeBytes(1000), "1.5."},
      {fileTimeBytes(1000), kProbeFailedVersion},
      {fileTimeBytes(1000), std::string(kShortBufferCapacity, '1')},
  };
  int probes = 0;
  for (const auto& m : misses) {
    CacheEntryData& entry = system.cache[kJava];
    entry.timeRead = entry.versionRead = true;
    entry.timeBytes = m.timeBytes;
    entry.versionBytes = m.version;
    std::string exe = kJava;
    EXPECT_TRUE(check(exe, version));
    EXPECT_EQ(++probes, system.probes) << m.version;
    EXPECT_EQ("11.0.2", version);
    // Rewritten with the probed version.
    EXPECT_EQ("11.0.2", system.cache[kJava].versionBytes);
    EXPECT_EQ(fileTimeBytes(1000), system.cache[kJava].timeBytes);
  }
  // A missing value is a miss too.
  system.cache[kJava].versionRead = false;
  std::string exe = kJava;
  EXPECT_TRUE(check(exe, version));
  EXPECT_EQ(++probes, system.probes);
}

TEST_F(CheckFixture, CachedVersionsThatAreHits) {
  system.files[kJava] = 1000;  // no probe answer: a probe would fail
  std::string version;
  for (const std::string& cached :
       {std::string("1.6.0_45"), std::string("1.6"), std::string(), std::string("1.8.0_201\0junk", 14)}) {
    system.cacheEntry(kJava, cached);
    std::string exe = kJava;
    EXPECT_TRUE(check(exe, version)) << cached;
    EXPECT_EQ(cached.substr(0, cached.find('\0')), version);
  }
  EXPECT_EQ(0, system.probes);
}

TEST_F(CheckFixture, CacheSwitches) {
  system.addRuntime(kJava, "11.0.2");
  system.cacheEntry(kJava, "1.8.0_201");
  std::string exe = kJava;
  std::string version;
  EXPECT_TRUE(check(exe, version, Prerelease::Refuse, CacheUse{false, false}));
  EXPECT_EQ("11.0.2", version);  // probed despite the entry
  EXPECT_EQ(0, system.cacheReads);
  EXPECT_EQ(0, system.cacheWrites);
  EXPECT_EQ("1.8.0_201", system.cache[kJava].versionBytes);

  EXPECT_TRUE(check(exe, version, Prerelease::Refuse, CacheUse{true, false}));
  EXPECT_EQ("1.8.0_201", version);
}

TEST_F(CheckFixture, MissingFilesAndWildcards) {
  std::string exe = "c:\\nowhere\\bin\\java.exe";
  std::string version = "earlier";
  EXPECT_FALSE(check(exe, version));
  EXPECT_EQ("earlier", version);  // cleared only once the file is found
  EXPECT_TRUE(log.contains(L"file doesn't exist"));
  EXPECT_TRUE(log.contains(L"checkJavaExe returning 0"));

  // The scripted search would find these names; the check must not ask.
  const std::string wild[] = {"c:\\java\\*\\bin\\java.exe", "c:\\java\\jre?\\bin\\java.exe"};
  for (const std::string& path : wild) {
    system.addRuntime(path, "11.0.2");
    exe = path;
    EXPECT_FALSE(check(exe, version)) << path;
  }
  EXPECT_EQ(1, system.searches);
  EXPECT_EQ(0, system.probes);
  EXPECT_EQ(0, system.cacheWrites);
  EXPECT_TRUE(hasWildcard("c:\\a*"));
  EXPECT_FALSE(hasWildcard("\\\\?\\c:\\jre\\bin\\java.exe"));
  EXPECT_TRUE(hasWildcard("\\\\?\\c:\\jre?\\bin\\java.exe"));
}

TEST_F(CheckFixture, FailedProbe) {
  system.files[kJava] = 1000;
  system.answers[kJava] = ScriptedSystem::Probe{false, ""};
  std::string exe = kJava;
  std::string version = "earlier";
  EXPECT_FALSE(check(exe, version));
  EXPECT_EQ("", version);
  EXPECT_TRUE(log.contains(L"couldn't get version"));
  EXPECT_EQ(kProbeFailedVersion, system.cache[kJava].versionBytes);
  // The marker is never taken from the cache: the next check probes again.
  EXPECT_FALSE(check(exe, version));
  EXPECT_EQ(2, system.probes);
}

TEST_F(CheckFixture, PrereleaseRule) {
  system.addRuntime(kJava, "17-ea");
  std::string version;
  std::string exe = kJava;
  EXPECT_FALSE(check(exe, version));
  EXPECT_EQ("17-ea", version);
  EXPECT_TRUE(log.contains(L"beta vm not allowed"));
  exe = kJava;
  EXPECT_TRUE(check(exe, version, Prerelease::Allow));
  settings.prereleaseAllowed = true;
  exe = kJava;
  EXPECT_TRUE(check(exe, version));
  // Allowed pre-releases still face the bounds.
  bounds.maximum = parseVersion("11");
  exe = kJava;
  EXPECT_FALSE(check(exe, version, Prerelease::Allow));

  for (const char* text : {"1.9.0-beta", "11-rc"}) {
    EXPECT_FALSE(acceptJavaVersion(JavaCheckSettings(), text, VersionBounds(), Prerelease::Refuse)) << text;
    EXPECT_TRUE(acceptJavaVersion(JavaCheckSettings(), text, VersionBounds(), Prerelease::Allow)) << text;
  }
}

TEST_F(CheckFixture, BoundsAreStrict) {
  system.addRuntime(kJava, "1.8");
  bounds.minimum = parseVersion("1.8.0_100");
  std::string exe = kJava;
  std::string version;
  EXPECT_FALSE(check(exe, version));
  EXPECT_EQ("1.8", version);
  bounds.minimum = parseVersion("1.8");
  EXPECT_TRUE(check(exe, version));
  EXPECT_TRUE(log.contains(L"checkJavaExe (c:\\jre\\bin\\java.exe, [out], 2, 0, 0)"));
}

TEST_F(CheckFixture, WindowedLauncherNeedsJavaw) {
  settings.windowed = true;
  system.addRuntime(kJava, "11.0.2");
  std::string exe = kJava;
  std::string version;
  EXPECT_FALSE(check(exe, version));
  EXPECT_EQ(kJavaw, exe);  // the caller's buffer names the missing file
  system.files[kJavaw] = 5;
  exe = kJava;
  EXPECT_TRUE(check(exe, version));
  EXPECT_EQ(kJavaw, exe);
  // A rejected version leaves java.exe in place.
  bounds.minimum = parseVersion("17");
  exe = kJava;
  EXPECT_FALSE(check(exe, version));
  EXPECT_EQ(kJava, exe);
}

TEST_F(CheckFixture, NonWorkingList) {
  system.addRuntime(kJava, "11.0.2");
  system.cacheEntry(kJava, "11.0.2");
  nonWorking.add(kJava);
  std::string exe = kJava;
  std::string version;
  test::LogCapture::lines().clear();
  EXPECT_FALSE(check(exe, version));
  EXPECT_FALSE(log.contains(L"checkJavaExe returning 1"));
  EXPECT_FALSE(log.contains(L"checkJavaExe returning 0"));
  // Compared after the windowed rewrite, exactly.
  settings.windowed = true;
  system.files[kJavaw] = 5;
  EXPECT_TRUE(check(exe = kJava, version)) << "only java.exe is listed";
  nonWorking.add(kJavaw);
  EXPECT_FALSE(check(exe = kJava, version));
  NonWorkingList other;
  other.add("C:\\JRE\\BIN\\JAVAW.EXE");
  JavaChecker checker(system, settings, other);
  EXPECT_TRUE(checker.checkJavaExe(exe = kJava, version, bounds, Prerelease::Refuse));
}

TEST(NonWorkingListTest, RoomForFortyNine) {
  test::LogCapture log;
  NonWorkingList list;
  for (int i = 1; i <= 49; ++i) EXPECT_TRUE(list.add("c:\\j" + std::to_string(i) + "\\bin\\java.exe")) << i;
  EXPECT_FALSE(list.add("c:\\j50\\bin\\java.exe"));
  EXPECT_FALSE(list.add("c:\\j51\\bin\\java.exe"));
  EXPECT_EQ(51u, list.size());
  EXPECT_TRUE(list.contains("c:\\j51\\bin\\java.exe"));
  EXPECT_TRUE(log.contains(L"add non-working java c:\\j50\\bin\\java.exe"));
}

TEST(JavaExeForHome, PrivateRuntimeAndJdkRule) {
  ScriptedSystem system;
  JavaCheckSettings settings;
  NonWorkingList none;
  std::string exe;
  {
    JavaChecker checker(system, settings, none);
    EXPECT_TRUE(checker.javaExeForHome(exe, "c:\\jre"));
    EXPECT_EQ("c:\\jre\\bin\\java.exe", exe);
    system.files["c:\\jdk\\jre\\bin\\java.exe"] = 1;
    EXPECT_TRUE(checker.javaExeForHome(exe, "c:\\jdk"));
    EXPECT_EQ("c:\\jdk\\jre\\bin\\java.exe", exe);
  }
  settings.jdkRequired = true;
  JavaChecker checker(system, settings, none);
  EXPECT_FALSE(checker.javaExeForHome(exe, "c:\\jre"));
  EXPECT_EQ("c:\\jre\\jre\\bin\\java.exe", exe);
  system.files["c:\\jdk\\lib\\tools.jar"] = 1;
  EXPECT_TRUE(checker.javaExeForHome(exe, "c:\\jdk"));
  EXPECT_EQ("c:\\jdk\\jre\\bin\\java.exe", exe);
  // Nothing about the version is looked up to answer this.
  EXPECT_EQ(0, system.probes + system.cacheReads);
}

TEST(VersionCacheRules, KeyNamesAndValues) {
  EXPECT_EQ("SOFTWARE\\corvalent-works\\quarn\\jvms\\c:/program files/java/jre1.8.0_201/bin/java.exe",
            versionCacheKeyName("c:\\program files\\java\\jre1.8.0_201\\bin\\java.exe"));
  EXPECT_EQ(std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8), fileTimeBytes(0x0102030405060708ull));
  EXPECT_EQ(std::string(8, '\0'), fileTimeBytes(0));

  CacheEntryData entry;
  std::string version;
  EXPECT_FALSE(cacheEntryHit(entry, 0, version));
  entry.timeRead = true;
  entry.timeBytes = fileTimeBytes(77);
  EXPECT_FALSE(cacheEntryHit(entry, 77, version));  // no version
  entry.versionRead = true;
  entry.versionBytes = std::string(kShortBufferCapacity - 1, '9');
  EXPECT_TRUE(cacheEntryHit(entry, 77, version));
  EXPECT_EQ(kShortBufferCapacity - 1, version.size());
  EXPECT_FALSE(cacheEntryHit(entry, 78, version));
  // The probe failure marker is an entry like any other here.
  entry.versionBytes = kProbeFailedVersion;
  EXPECT_TRUE(cacheEntryHit(entry, 77, version));
}

}  // namespace
}  // namespace zvt

namespace zvt {
namespace {

// Keeps what the check tells.
class RecordedDecisions : public DecisionListener {
 public:
  RecordedDecisions() { setDecisionListener(this); }
  ~RecordedDecisions() override { setDecisionListener(nullptr); }
  void source(const std::string&) override {}
  void candidate(const CandidateDecision& decision) override { candidates.push_back(decision); }
  void load(const LoadDecision&) override {}
  void option(size_t, const std::string&, const OptionSource&) override {}
  std::vector<CandidateDecision> candidates;
};

// Each way the check ends is told with its own verdict, the version and
// where the version came from.
TEST_F(CheckFixture, EveryOutcomeIsToldWithItsVerdict) {
  const char kOld[] = "c:\\old\\bin\\java.exe";
  const char kEa[] = "c:\\ea\\bin\\java.exe";
  const char kMute[] = "c:\\mute\\bin\\java.exe";
  const char kBroken[] = "c:\\broken\\bin\\java.exe";
  system.addRuntime(kJava, "11.0.2");
  system.cacheEntry(kJava, "11.0.2");
  system.addRuntime(kOld, "1.7.0_80");
  system.addRuntime(kEa, "17-ea");
  system.files[kMute] = 1000;  // answers no version
  system.addRuntime(kBroken, "11.0.2");
  nonWorking.add(kBroken);
  parseVersion("1.8", bounds.minimum);
  struct Case {
    std::string exe;
    Verdict verdict;
    VersionOrigin origin;
    const char* version;
  } cases[] = {
      {kJava, Verdict::Passed, VersionOrigin::Cache, "11.0.2"},
      {kOld, Verdict::OutsideBounds, VersionOrigin::Probe, "1.7.0_80"},
      {kEa, Verdict::Prerelease, VersionOrigin::Probe, "17-ea"},
      {kMute, Verdict::VersionUnknown, VersionOrigin::None, ""},
      {"c:\\none\\bin\\java.exe", Verdict::Missing, VersionOrigin::None, ""},
      {kBroken, Verdict::NonWorking, VersionOrigin::Probe, "11.0.2"},
  };
  for (const Case& c : cases) {
    RecordedDecisions told;
    std::string exe = c.exe, version;
    check(exe, version);
    ASSERT_EQ(1u, told.candidates.size()) << c.exe;
    EXPECT_EQ(c.exe, told.candidates[0].javaExe);
    EXPECT_EQ(c.verdict, told.candidates[0].verdict) << c.exe;
    EXPECT_EQ(c.origin, told.candidates[0].origin) << c.exe;
    EXPECT_EQ(c.version, told.candidates[0].version) << c.exe;
  }

  // The windowed launcher without javaw.exe, and a home that is no JDK.
  settings.windowed = true;
  RecordedDecisions told;
  std::string exe = kJava, version;
  EXPECT_FALSE(check(exe, version));
  settings.windowed = false;
  settings.jdkRequired = true;
  JavaChecker checker(system, settings, nonWorking);
  EXPECT_FALSE(checker.javaExeForHome(exe, "c:\\jre"));
  ASSERT_EQ(2u, told.candidates.size());
  EXPECT_EQ(Verdict::NoWindowed, told.candidates[0].verdict);
  EXPECT_EQ(kJavaw, told.candidates[0].javaExe);
  EXPECT_EQ(Verdict::NotJdk, told.candidates[1].verdict);
}

}  // namespace
}  // namespace zvt
