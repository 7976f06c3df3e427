// Instance semaphore names and the single-instance decision, against a
// scripted platform.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "instance/instance_check.h"
#include "instance/names.h"
#include "log_capture.h"

namespace zvt::instance {
namespace {

const char kKey[] = "c:\\program files\\app\\svc.exe";

TEST(InstanceNames, ObjectNameReplacesOnlyBackslashesAndBlanks) {
  struct Case {
    const char* key;
    const char* object;
  } cases[] = {
      {kKey, "c:_program_files_app_svc.exe"},
      {"\\\\server\\share\\a b\\x.exe", "__server_share_a_b_x.exe"},
      {"c:/mixed/slashes\\and\ttab.exe", "c:/mixed/slashes_and\ttab.exe"},
      {"c:\\\xe4pfel\\\x81\x5c.exe", "c:_\xe4pfel_\x81_.exe"},  // bytes taken one by one
      {"  ", "__"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.object, toObjectName(c.key)) << c.key;
}

TEST(InstanceNames, NamespaceAndCounter) {
  EXPECT_EQ("Local\\c:_program_files_app_svc.exe", semaphoreBaseName(false, kKey));
  EXPECT_EQ("Global\\c:_program_files_app_svc.exe", semaphoreBaseName(true, kKey));
  EXPECT_EQ("Local\\c:_program_files_app_svc.exe0", countedName(semaphoreBaseName(false, kKey), 0));
  EXPECT_EQ("Local\\c:_program_files_app_svc.exe1", countedName(semaphoreBaseName(false, kKey), 1));
  EXPECT_EQ("Global\\x100000", countedName("Global\\x", kCounterLimit));
}

TEST(InstanceNames, LongKeysAreShortenedToWhatTheObjectFunctionsAccept) {
  // Up to the limit the object name is the plain form.
  std::string atLimit = "c:\\" + std::string(kMaxObjectNameUnits - 3, 'a');
  EXPECT_EQ(toObjectName(atLimit), boundedObjectName(atLimit));

  std::string deep = "c:\\" + std::string(300, 'd') + "\\app\\svc.exe";
  std::string bounded = boundedObjectName(deep);
  ASSERT_EQ(kMaxObjectNameUnits, bounded.size());
  EXPECT_EQ("_" + toObjectName(deep).substr(toObjectName(deep).size() - (kMaxObjectNameUnits - 17)),
            bounded.substr(16));
  EXPECT_EQ(std::string::npos, bounded.substr(0, 16).find_first_not_of("0123456789abcdef")) << bounded;
  EXPECT_EQ(bounded, boundedObjectName(deep)) << "every process must compute the same name";
  EXPECT_EQ(kMaxObjectNameUnits, boundedObjectName(atLimit + "a").size());

  // Paths that differ only in the part that is cut away still get different
  // names; the longest possible name fits the object functions' buffer.
  std::string other = "e:\\" + std::string(300, 'd') + "\\app\\svc.exe";
  EXPECT_NE(bounded, boundedObjectName(other));
  std::string longest = countedName(semaphoreBaseName(true, std::string(6000, '\\')), kCounterLimit);
  EXPECT_EQ(kMaxNameUnits, longest.size());
}

// A scripted platform: names listed in `taken` (with the error their creation
// reports) exist already; everything else is created fresh.
class FakePlatform : public InstancePlatform {
 public:
  std::map<std::string, uint32_t> taken;
  uint32_t takeAllWith = 0;        // non-zero: every name reports this error
  std::vector<uint32_t> pidReads;  // successive readPid results; the last repeats
  std::set<uint32_t> instancesOfThisExecutable;
  uint32_t self = 4000;

  std::vector<std::string> created;
  int closes = 0;
  bool held = false;
  int records = 0;
  int reads = 0;
  uint32_t slept = 0;
  std::vector<uint32_t> broughtToFront;

  SemaphoreAttempt createSemaphore(const std::string& name) override {
    EXPECT_FALSE(held) << "the previous attempt's handle was not closed before " << name;
    created.push_back(name);
    uint32_t error = takeAllWith;
    auto it = taken.find(name);
    if (it != taken.end()) error = it->second;
    held = error != kErrorAccessDenied;
    return {error, held ? 0x7c : 0u};
  }
  void closeSemaphore() override {
    ++closes;
    held = false;
  }
  void recordPid() override { ++records; }
  uint32_t readPid() override {
    size_t i = static_cast<size_t>(reads++);
    if (pidReads.empty()) return 0;
    return pidReads[std::min(i, pidReads.size() - 1)];
  }
  uint32_t currentPid() override { return self; }
  bool runsThisExecutable(uint32_t pid) override { return instancesOfThisExecutable.count(pid) > 0; }
  void sleep(uint32_t ms) override { slept += ms; }
  void bringToFront(uint32_t pid) override { broughtToFront.push_back(pid); }
};

InstanceSettings settings(bool single, bool global = false, bool front = true) {
  InstanceSettings s;
  s.instanceKey = kKey;
  s.singleInstance = single;
  s.global = global;
  s.bringToFront = front;
  return s;
}

TEST(InstanceCounter, TakesTheFirstFreeCounterAndKeepsItsHandle) {
  test::LogCapture log;
  FakePlatform p;
  p.taken["Local\\c:_program_files_app_svc.exe0"] = kErrorAlreadyExists;
  p.taken["Local\\c:_program_files_app_svc.exe1"] = kErrorAlreadyExists;
  InstanceDecision d = decideInstance(settings(false), p);
  EXPECT_FALSE(d.secondInstance);
  EXPECT_EQ("Local\\c:_program_files_app_svc.exe2", d.semaphoreName);
  EXPECT_EQ(3u, p.created.size());
  EXPECT_EQ(2, p.closes);
  EXPECT_TRUE(p.held);
  EXPECT_EQ(0, p.records) << "outside single-instance mode no id is recorded";
  EXPECT_EQ(0, p.reads);
  std::wstring handle = sizeof(uintptr_t) == 8 ? L"000000000000007C" : L"0000007C";
  EXPECT_TRUE(log.contains(L"semaphore name Local\\c:_program_files_app_svc.exe2, code 0, value " + handle));
  EXPECT_FALSE(log.contains(L"single instance mode"));
}

TEST(InstanceCounter, GlobalPrefixOnEveryAttemptAndAccessDeniedCountsAsTaken) {
  FakePlatform p;
  p.taken["Global\\c:_program_files_app_svc.exe0"] = kErrorAlreadyExists;
  // Held by a service under another account: the name exists, but this
  // process may not open it.
  p.taken["Global\\c:_program_files_app_svc.exe1"] = kErrorAccessDenied;
  InstanceDecision d = decideInstance(settings(false, true), p);
  EXPECT_EQ("Global\\c:_program_files_app_svc.exe2", d.semaphoreName);
  for (const auto& name : p.created) EXPECT_EQ(0u, name.rfind("Global\\", 0)) << name;
}

TEST(InstanceCounter, OtherFailuresAndTheLimitStopTheSearch) {
  {
    test::LogCapture log;
    FakePlatform p;
    p.taken["Local\\c:_program_files_app_svc.exe0"] = 1450;  // ERROR_NO_SYSTEM_RESOURCES
    InstanceDecision d = decideInstance(settings(false), p);
    EXPECT_FALSE(d.secondInstance);
    EXPECT_EQ("Local\\c:_program_files_app_svc.exe0", d.semaphoreName);
    EXPECT_EQ(0, p.closes);
    EXPECT_TRUE(log.contains(L"semaphore name Local\\c:_program_files_app_svc.exe0, code 1450, value " +
                             std::wstring(sizeof(uintptr_t) * 2 - 2, L'0') + L"7C"));
  }
  {
    FakePlatform p;
    p.takeAllWith = kErrorAlreadyExists;
    InstanceDecision d = decideInstance(settings(false), p);
    EXPECT_FALSE(d.secondInstance) << "the counter search never ends the process";
    EXPECT_EQ("Local\\c:_program_files_app_svc.exe100000", d.semaphoreName);
    EXPECT_EQ(kCounterLimit + 1, p.created.size());
    EXPECT_EQ(static_cast<int>(kCounterLimit), p.closes);
    EXPECT_TRUE(p.held) << "the last handle stays open at the limit";
  }
}

TEST(SingleInstance, FirstInstanceRecordsItsIdAndKeepsTheSemaphore) {
  for (uint32_t error : {0u, 1450u}) {  // a failure for another reason runs too
    test::LogCapture log;
    FakePlatform p;
    p.taken["Local\\c:_program_files_app_svc.exe"] = error;
    InstanceDecision d = decideInstance(settings(true), p);
    EXPECT_FALSE(d.secondInstance);
    EXPECT_EQ("Local\\c:_program_files_app_svc.exe", d.semaphoreName);
    EXPECT_EQ(std::vector<std::string>{"Local\\c:_program_files_app_svc.exe"}, p.created);
    EXPECT_EQ(1, p.records);
    EXPECT_EQ(0, p.closes);
    EXPECT_EQ(0, p.reads);
    EXPECT_TRUE(log.contains(L"single instance mode"));
    EXPECT_FALSE(log.contains(L"exiting"));
  }
}

TEST(SingleInstance, SecondInstanceBringsTheFirstToFrontAndEnds) {
  test::LogCapture log;
  FakePlatform p;
  p.taken["Global\\c:_program_files_app_svc.exe"] = kErrorAlreadyExists;
  p.pidReads = {4242};
  p.instancesOfThisExecutable = {4242};
  InstanceDecision d = decideInstance(settings(true, true), p);
  EXPECT_TRUE(d.secondInstance);
  EXPECT_EQ(4242u, d.otherPid);
  EXPECT_EQ(1, p.closes);
  EXPECT_FALSE(p.held);
  EXPECT_EQ(0, p.records) << "a second instance must not overwrite the first one's id";
  EXPECT_EQ(0u, p.slept);
  EXPECT_EQ(std::vector<uint32_t>{4242}, p.broughtToFront);
  EXPECT_TRUE(log.contains(L"other pid 4242"));
  EXPECT_TRUE(log.contains(L"exiting"));
}

TEST(SingleInstance, BringToFrontOffTouchesNoWindowAndAccessDeniedIsASecondInstance) {
  FakePlatform p;
  p.taken["Local\\c:_program_files_app_svc.exe"] = kErrorAccessDenied;
  p.pidReads = {4242};
  p.instancesOfThisExecutable = {4242};
  InstanceDecision d = decideInstance(settings(true, false, false), p);
  EXPECT_TRUE(d.secondInstance);
  EXPECT_EQ(4242u, d.otherPid);
  EXPECT_TRUE(p.broughtToFront.empty());
}

TEST(SingleInstance, WaitsForTheFirstInstanceToPublishItsId) {
  FakePlatform p;
  p.taken["Local\\c:_program_files_app_svc.exe"] = kErrorAlreadyExists;
  p.pidReads = {0, 0, 0, 5000};
  p.instancesOfThisExecutable = {5000};
  InstanceDecision d = decideInstance(settings(true), p);
  EXPECT_EQ(5000u, d.otherPid);
  EXPECT_EQ(4, p.reads);
  EXPECT_EQ(3 * kPidRetryMs, p.slept);
  EXPECT_EQ(std::vector<uint32_t>{5000}, p.broughtToFront);
}

TEST(SingleInstance, GivesUpAfterFiftyRetriesAndStillEnds) {
  test::LogCapture log;
  FakePlatform p;
  p.taken["Local\\c:_program_files_app_svc.exe"] = kErrorAlreadyExists;
  InstanceDecision d = decideInstance(settings(true), p);
  EXPECT_TRUE(d.secondInstance);
  EXPECT_EQ(0u, d.otherPid);
  EXPECT_EQ(kPidRetries + 1, p.reads);
  EXPECT_EQ(kPidRetries * kPidRetryMs, p.slept);
  EXPECT_TRUE(p.broughtToFront.empty());
  EXPECT_TRUE(log.contains(L"other pid 0"));
  EXPECT_TRUE(log.contains(L"exiting"));
}

TEST(SingleInstance, StaleIdsNeverReachTheWindows) {
  {
    // An unrelated process (or one that has ended) holds the id for good.
    test::LogCapture log;
    FakePlatform p;
    p.taken["Local\\c:_program_files_app_svc.exe"] = kErrorAlreadyExists;
    p.pidReads = {777};
    InstanceDecision d = decideInstance(settings(true), p);
    EXPECT_TRUE(d.secondInstance);
    EXPECT_EQ(777u, d.otherPid);
    EXPECT_TRUE(p.broughtToFront.empty());
    // Decided at once: one more look, one interval later, not five seconds.
    EXPECT_EQ(2, p.reads);
    EXPECT_EQ(kPidRetryMs, p.slept);
    EXPECT_TRUE(log.contains(L"other pid 777"));
    EXPECT_TRUE(log.contains(L"pid 777 is not an instance of this executable, windows left alone"));
  }
  {
    // The entry still holds the last instance's id until the new first
    // instance, which has just created the semaphore, has written its own.
    FakePlatform p;
    p.taken["Local\\c:_program_files_app_svc.exe"] = kErrorAlreadyExists;
    p.pidReads = {777, 6000};
    p.instancesOfThisExecutable = {6000};
    InstanceDecision d = decideInstance(settings(true), p);
    EXPECT_EQ(6000u, d.otherPid);
    EXPECT_EQ(std::vector<uint32_t>{6000}, p.broughtToFront);
  }
  {
    // A missing id followed by a stale one: the wait for a first write ends
    // there, with one more look.
    FakePlatform p;
    p.taken["Local\\c:_program_files_app_svc.exe"] = kErrorAlreadyExists;
    p.pidReads = {0, 0, 777};
    InstanceDecision d = decideInstance(settings(true), p);
    EXPECT_EQ(777u, d.otherPid);
    EXPECT_EQ(4, p.reads);
    EXPECT_TRUE(p.broughtToFront.empty());
  }
  {
    // The id of this very process (reused from an ended instance) names no
    // other instance, even though it runs this executable.
    FakePlatform p;
    p.taken["Local\\c:_program_files_app_svc.exe"] = kErrorAlreadyExists;
    p.pidReads = {p.self};
    p.instancesOfThisExecutable = {p.self};
    decideInstance(settings(true), p);
    EXPECT_TRUE(p.broughtToFront.empty());
  }
}

}  // namespace
}  // namespace zvt::instance
