// The platform-free parts of the service commands: the dependency list handed
// to CreateService and the time-out rules of the wait for a stopped service.
#include <gtest/gtest.h>

#include <deque>

#include "base/text.h"
#include "service/dependencies.h"
#include "service/install_options.h"
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

// ---------------------------------------------------------------------------
// What /install registers beyond the Parts (service/install_options.h).

std::string utf(const wchar_t* text) {
  return utf16ToUtf8(text);
}

std::vector<RecoveryStep> steps(const RecoveryPlan& plan) {
  return std::vector<RecoveryStep>(plan.steps, plan.steps + 3);
}

TEST(InstallPlan, WithoutTheSettingsTheRegistrationIsTheParts) {
  InstallPlan plan;
  const char* problem = "";
  ASSERT_TRUE(planInstall(InstallSettings{}, L"Orders", 2, plan, problem)) << problem;
  EXPECT_EQ(AccountKind::LocalSystem, plan.account.kind);
  EXPECT_EQ(L"", plan.account.name);  // no account name: CreateService gets null
  EXPECT_FALSE(plan.account.needsPassword());
  EXPECT_EQ(L"Orders", plan.displayName);
  EXPECT_FALSE(plan.delayedStart);
  EXPECT_FALSE(plan.recovery.has_value());
}

TEST(InstallPlan, AccountKindsBecomeTheNamesTheSystemKnows) {
  struct Case {
    const wchar_t* stored;
    AccountKind kind;
    const wchar_t* name;
  };
  const Case cases[] = {
      {L"", AccountKind::LocalSystem, L""},
      {L"local-system", AccountKind::LocalSystem, L""},
      {L"local-service", AccountKind::LocalService, L"NT AUTHORITY\\LocalService"},
      {L"network-service", AccountKind::NetworkService, L"NT AUTHORITY\\NetworkService"},
      {L"virtual", AccountKind::Virtual, L"NT SERVICE\\Orders Svc"},
      {L"CORP\\svc-orders", AccountKind::Named, L"CORP\\svc-orders"},
      {L".\\orders", AccountKind::Named, L".\\orders"},
  };
  for (const Case& c : cases) {
    std::optional<ServiceAccount> a = resolveServiceAccount(c.stored, L"Orders Svc");
    ASSERT_TRUE(a.has_value()) << utf(c.stored);
    EXPECT_EQ(c.kind, a->kind);
    EXPECT_EQ(c.name, a->name);
    EXPECT_EQ(c.kind == AccountKind::Named, a->needsPassword());
  }
  // The packer refuses these; the launcher reads a text with a "\" as a
  // named account (the system judges it at /install) and refuses the rest.
  for (const wchar_t* refused : {L"LocalSystem", L"Local-Service", L"user@corp", L"\\user", L"CORP\\", L"a\\b\\c",
                                 L"NT AUTHORITY\\NetworkService", L"NT Service\\Orders", L"CORP\\a:b", L" CORP\\x",
                                 L"CORP\\x ", L"CORP \\x"}) {
    EXPECT_NE(nullptr, serviceAccountProblem(refused)) << utf(refused);
    const bool named = std::wstring(refused).find(L'\\') != std::wstring::npos;
    EXPECT_EQ(named, resolveServiceAccount(refused, L"Orders").has_value()) << utf(refused);
    InstallSettings s;
    s.account = refused;
    InstallPlan plan;
    const char* problem = "";
    EXPECT_EQ(named, planInstall(s, L"Orders", 2, plan, problem)) << utf(refused);
    if (!named) EXPECT_STREQ("service.account: unknown account kind", problem);
  }
  for (const wchar_t* accepted : {L"", L"local-system", L"virtual", L"CORP\\svc-orders", L".\\orders"}) {
    EXPECT_EQ(nullptr, serviceAccountProblem(accepted)) << utf(accepted);
  }
}

TEST(InstallPlan, DisplayNameAndDelayedStart) {
  InstallSettings s;
  s.displayName = L"Orders (Zvt)";
  s.delayedStart = "1";
  InstallPlan plan;
  const char* problem = "";
  ASSERT_TRUE(planInstall(s, L"Orders", 2, plan, problem)) << problem;
  EXPECT_EQ(L"Orders (Zvt)", plan.displayName);
  EXPECT_TRUE(plan.delayedStart);
  // On demand: delayed start does not apply.
  ASSERT_TRUE(planInstall(s, L"Orders", 3, plan, problem)) << problem;
  EXPECT_FALSE(plan.delayedStart);
  s.delayedStart = "0";
  ASSERT_TRUE(planInstall(s, L"Orders", 2, plan, problem)) << problem;
  EXPECT_FALSE(plan.delayedStart);
  s.displayName = std::wstring(257, L'd');
  EXPECT_FALSE(planInstall(s, L"Orders", 2, plan, problem));
  s.displayName = std::wstring(256, L'd');
  EXPECT_TRUE(planInstall(s, L"Orders", 2, plan, problem)) << problem;
}

TEST(InstallPlan, RecoveryActionsWithTheirDelaysResetAndFlag) {
  InstallSettings s;
  s.firstFailure = "restart";  // default delay: one minute
  s.secondFailure = "restart";
  s.secondFailureDelay = "0";
  s.laterFailures = "none";
  s.laterFailuresDelay = "30";  // a delay of "none" means nothing
  InstallPlan plan;
  const char* problem = "";
  ASSERT_TRUE(planInstall(s, L"Orders", 3, plan, problem)) << problem;
  ASSERT_TRUE(plan.recovery.has_value());
  EXPECT_EQ((std::vector<RecoveryStep>{{kRecoveryRestart, 60000}, {kRecoveryRestart, 0}, {kRecoveryNone, 0}}),
            steps(*plan.recovery));
  EXPECT_EQ(86400u, plan.recovery->resetSeconds);
  EXPECT_TRUE(plan.recovery->countErrorExits);

  s = InstallSettings{};
  s.laterFailures = "restart";
  s.laterFailuresDelay = "4294967";
  s.resetAfter = "0";
  s.countErrorExits = "0";
  ASSERT_TRUE(planInstall(s, L"Orders", 2, plan, problem)) << problem;
  EXPECT_EQ((std::vector<RecoveryStep>{{kRecoveryNone, 0}, {kRecoveryNone, 0}, {kRecoveryRestart, 4294967000u}}),
            steps(*plan.recovery));
  EXPECT_EQ(0u, plan.recovery->resetSeconds);
  EXPECT_FALSE(plan.recovery->countErrorExits);

  // Delays, reset and flag without any action register nothing.
  s = InstallSettings{};
  s.firstFailureDelay = "10";
  s.resetAfter = "10";
  s.countErrorExits = "1";
  ASSERT_TRUE(planInstall(s, L"Orders", 2, plan, problem)) << problem;
  EXPECT_FALSE(plan.recovery.has_value());

  // Stored values the packer refuses (raw keys) are refused at /install.
  struct Bad {
    std::string InstallSettings::*field;
    const char* value;
    const char* problem;
  };
  const Bad bad[] = {
      {&InstallSettings::firstFailure, "reboot", "service.recovery.first-failure: expected \"restart\" or \"none\""},
      {&InstallSettings::firstFailureDelay, "-1", "service.recovery.first-failure-delay: expected seconds, 0 to 4294967"},
      {&InstallSettings::firstFailureDelay, "4294968", "service.recovery.first-failure-delay"},
      {&InstallSettings::firstFailureDelay, "060", "service.recovery.first-failure-delay"},
      {&InstallSettings::resetAfter, "2147483648", "service.recovery.reset-after: expected seconds, 0 to 2147483647"},
      {&InstallSettings::resetAfter, " 1", "service.recovery.reset-after"},
  };
  for (const Bad& b : bad) {
    s = InstallSettings{};
    s.firstFailure = "restart";
    s.*b.field = b.value;
    EXPECT_FALSE(planInstall(s, L"Orders", 2, plan, problem)) << b.value;
    EXPECT_EQ(0u, std::string(problem).find(b.problem)) << problem;
  }
}

TEST(InstallPlan, APasswordIsOneLineOfStandardInput) {
  std::string line;
  EXPECT_FALSE(passwordLine("", line));  // ended before anything
  ASSERT_TRUE(passwordLine("secret\r\nmore\n", line));
  EXPECT_EQ("secret", line);
  ASSERT_TRUE(passwordLine("secret", line));  // the last line without its end
  EXPECT_EQ("secret", line);
  ASSERT_TRUE(passwordLine("\n", line));  // an empty password
  EXPECT_EQ("", line);
  ASSERT_TRUE(passwordLine("p\xC3\xA4ss w\n", line));
  EXPECT_EQ("p\xC3\xA4ss w", line);
  EXPECT_TRUE(isValidUtf8("p\xC3\xA4ss"));
  EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));
  EXPECT_FALSE(isValidUtf8("p\xE4ss"));     // ANSI ä
  EXPECT_FALSE(isValidUtf8("\xC3"));        // cut short
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));    // overlong
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));  // a surrogate
}

TEST(InstallPlan, AccountErrorsNameTheAccount) {
  for (uint32_t e : {1057u, 1069u, 1317u, 1326u, 1332u, 1355u, 1385u}) EXPECT_TRUE(isAccountError(e)) << e;
  for (uint32_t e : {0u, 5u, 87u, 1060u, 1073u, 1078u}) EXPECT_FALSE(isAccountError(e)) << e;
}

}  // namespace
}  // namespace zvt
