// The platform-free parts of the service commands: the dependency list handed
// to CreateService and the time-out rules of the wait for a stopped service.
#include <gtest/gtest.h>

#include <deque>

#include "service/dependencies.h"
#include "service/stop_wait.h"

namespace zvt {
namespace {

std::wstring multi(std::initializer_list<const wchar_t*> names) {
  std::wstring s;
  for (const wchar_t* n : names) {
    s += n;
    s.push_back(L'\0');
  }
  s.push_back(L'\0');
  return s;
}

TEST(DependencyList, CommasSplitLikeStrtok) {
  struct Case {
    const wchar_t* key;
    std::wstring expected;
  };
  const Case cases[] = {
      {L",Tcpip,,Dnscache,", multi({L"Tcpip", L"Dnscache"})},
      {L"Tcpip", multi({L"Tcpip"})},
      {L"a,b,c", multi({L"a", L"b", L"c"})},
      {L" Tcpip , Dnscache", multi({L" Tcpip ", L" Dnscache"})},  // blanks are part of the names
      {L",,,", std::wstring(1, L'\0')},                           // no names: the empty list
      {L" ", multi({L" "})},
  };
  for (const Case& c : cases) {
    std::optional<std::wstring> list = buildDependencyList(c.key);
    ASSERT_TRUE(list.has_value()) << c.key;
    EXPECT_EQ(c.expected, *list) << c.key;
  }
}

TEST(DependencyList, EmptyKeyGivesNoList) {
  EXPECT_FALSE(buildDependencyList(L"").has_value());
}

TEST(DependencyList, ANameFillingTheWholeKeyKeepsBothTerminators) {
  std::wstring name(5999, L'n');
  std::optional<std::wstring> list = buildDependencyList(name);
  ASSERT_TRUE(list.has_value());
  ASSERT_EQ(6001u, list->size());
  EXPECT_EQ(name, list->substr(0, 5999));
  EXPECT_EQ(L'\0', (*list)[5999]);
  EXPECT_EQ(L'\0', (*list)[6000]);
}

// A service whose reports are scripted; each sleep advances the clock.
class ScriptedService : public StopWaitPlatform {
 public:
  explicit ScriptedService(std::deque<ServiceProgress> reports, uint32_t startTicks = 0)
      : reports_(std::move(reports)), now_(startTicks) {}
  bool query(ServiceProgress& progress) override {
    ++queries;
    if (reports_.empty()) return false;
    progress = reports_.front();
    if (reports_.size() > 1) reports_.pop_front();  // the last report repeats
    return true;
  }
  void sleep(uint32_t milliseconds) override {
    ++sleeps;
    now_ += milliseconds;
  }
  uint32_t ticks() override { return now_; }
  void failFromNowOn() { reports_.clear(); }

  int queries = 0;
  int sleeps = 0;

 private:
  std::deque<ServiceProgress> reports_;
  uint32_t now_;
};

ServiceProgress pending(uint32_t checkPoint, uint32_t waitHint) {
  return {kServiceStopPending, checkPoint, waitHint};
}
ServiceProgress stopped() {
  return {kServiceStopped, 0, 0};
}

TEST(WaitForStop, ReturnsAtOnceForASettledService) {
  ScriptedService already({stopped()});
  EXPECT_TRUE(waitUntilStopped(already));
  EXPECT_EQ(0, already.sleeps);

  ScriptedService running({{kServiceRunning, 0, 0}});
  EXPECT_FALSE(waitUntilStopped(running));
  EXPECT_EQ(0, running.sleeps);
}

TEST(WaitForStop, PollsEveryHalfSecondUntilStopped) {
  ScriptedService s({pending(0, 5000), pending(0, 5000), pending(0, 5000), stopped()});
  EXPECT_TRUE(waitUntilStopped(s));
  EXPECT_EQ(3, s.sleeps);
}

TEST(WaitForStop, GivesUpWhenTheWaitHintPassesWithoutProgress) {
  // 2000 ms hint: after 4 sleeps exactly 2000 ms have passed (not more), the
  // fifth makes 2500.
  ScriptedService s({pending(0, 2000)});
  EXPECT_FALSE(waitUntilStopped(s));
  EXPECT_EQ(5, s.sleeps);
}

TEST(WaitForStop, AnAdvancingCheckPointRestartsTheTimeOut) {
  // Hint 1000 ms, but the check point moves every second poll: without the
  // restart the wait would end after 3 sleeps.
  std::deque<ServiceProgress> reports;
  for (uint32_t cp = 0; cp < 6; ++cp) {
    reports.push_back(pending(cp, 1000));
    reports.push_back(pending(cp, 1000));
  }
  reports.push_back(stopped());
  ScriptedService s(reports);
  EXPECT_TRUE(waitUntilStopped(s));
  EXPECT_EQ(12, s.sleeps);
}

TEST(WaitForStop, AFallingCheckPointDoesNotRestartTheTimeOut) {
  ScriptedService s({pending(5, 1000), pending(4, 1000), pending(3, 1000), pending(2, 1000), pending(1, 1000)});
  EXPECT_FALSE(waitUntilStopped(s));
  EXPECT_EQ(3, s.sleeps);
}

TEST(WaitForStop, TheTickCounterMayWrap) {
  ScriptedService s({pending(0, 2000)}, 0xFFFFFF00u);
  EXPECT_FALSE(waitUntilStopped(s));
  EXPECT_EQ(5, s.sleeps);  // the same as without the wrap, not at once and not forever
}

TEST(WaitForStop, AFailedQueryEndsTheWait) {
  ScriptedService none({});
  EXPECT_FALSE(waitUntilStopped(none));
  EXPECT_EQ(0, none.sleeps);

  // Pending, then the service handle stops answering.
  class Vanishing : public ScriptedService {
   public:
    Vanishing() : ScriptedService({pending(0, 50000)}) {}
    bool query(ServiceProgress& p) override {
      if (queries == 2) failFromNowOn();
      return ScriptedService::query(p);
    }
  } vanishing;
  EXPECT_FALSE(waitUntilStopped(vanishing));
  EXPECT_EQ(2, vanishing.sleeps);
}

}  // namespace
}  // namespace zvt
