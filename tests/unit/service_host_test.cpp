// The platform-free parts of the service host: the child command line read
// back by the child's own splitter, the status record's decisions, the
// service name and the priority value.
#include <gtest/gtest.h>

#include <string>

#include "base/arguments.h"
#include "base/capacity.h"
#include "service/child_command_line.h"
#include "service/failure_report.h"
#include "service/host_status.h"
#include "service/restart_policy.h"

namespace zvt {
namespace {

constexpr size_t kCapacity = kLongBufferCapacity;  // the child command line buffer, terminator included

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
  return out;
}

ArgumentList split(const std::wstring& text) {
  ArgumentList list;
  splitArguments(text, list);
  return list;
}

// What the child's entry sees: the program path, then the service name, the
// host's own arguments, the start parameters and the marker.
ArgumentList expectedChildList(const ArgumentList& own, const std::wstring& name, const ArgumentList& parameters) {
  ArgumentList list;
  list.push_back(own.empty() ? std::wstring() : own.front());
  list.push_back(name);
  for (size_t i = 1; i < own.size(); ++i) list.push_back(own[i]);
  list.insert(list.end(), parameters.begin(), parameters.end());
  list.push_back(kRestartMarker);
  return list;
}

TEST(ChildCommandLine, TextsAsTheChildIsStarted) {
  struct Case {
    ArgumentList own;
    std::wstring name;
    ArgumentList parameters;
    std::wstring expected;
  } cases[] = {
      {{L"C:\\Program Files\\App\\svc.exe"},
       L"MyService",
       {},
       L"\"C:\\Program Files\\App\\svc.exe\" MyService __zvt_restart"},
      {{L"C:\\App\\svc.exe"}, L"MyService", {L"-x"}, L"\"C:\\App\\svc.exe\" MyService -x __zvt_restart"},
      // The host's own arguments come before the start parameters.
      {{L"C:\\App\\svc.exe", L"own"},
       L"My Service",
       {L"a b"},
       L"\"C:\\App\\svc.exe\" \"My Service\" own \"a b\" __zvt_restart"},
      // A quote of one kind: enclosed in the other kind, also without a blank.
      {{L"C:\\App\\svc.exe"}, L"S", {L"say \"hi\""}, L"\"C:\\App\\svc.exe\" S 'say \"hi\"' __zvt_restart"},
      {{L"C:\\App\\svc.exe"}, L"S", {L"it's"}, L"\"C:\\App\\svc.exe\" S \"it's\" __zvt_restart"},
      {{L"C:\\App\\svc.exe"},
       L"S",
       {L"x\" \"__zvt_restart"},
       L"\"C:\\App\\svc.exe\" S 'x\" \"__zvt_restart' __zvt_restart"},
      // An empty parameter keeps its place instead of vanishing.
      {{L"C:\\App\\svc.exe"}, L"S", {L"", L"b"}, L"\"C:\\App\\svc.exe\" S \"\" b __zvt_restart"},
      // The program path is always quoted (no blank in it is ever read as
      // the end of a shorter program name); CreateProcess knows only double
      // quotes, so also a path with an apostrophe gets them.
      {{L"C:\\Bob's\\svc.exe"}, L"S", {}, L"\"C:\\Bob's\\svc.exe\" S __zvt_restart"},
      // Tabs and backslashes are ordinary characters of the grammar.
      {{L"C:\\App\\svc.exe"}, L"S", {L"a\tb", L"c\\"}, L"\"C:\\App\\svc.exe\" S a\tb c\\ __zvt_restart"},
  };
  for (const Case& c : cases) {
    ChildCommandLine line = buildChildCommandLine(c.own, c.name, c.parameters, kCapacity);
    ASSERT_EQ(ChildLineStatus::Ok, line.status) << narrow(c.expected);
    EXPECT_EQ(c.expected, line.text);
    EXPECT_EQ(expectedChildList(c.own, c.name, c.parameters), split(line.text)) << narrow(line.text);
  }
}

TEST(ChildCommandLine, RefusesWhatTheGrammarCannotCarry) {
  const ArgumentList own = {L"C:\\App\\svc.exe", L"own"};
  // Both quote kinds in one element: the element's position in the child's list.
  ChildCommandLine line = buildChildCommandLine(own, L"S", {L"ok", L"a\"b'c"}, kCapacity);
  EXPECT_EQ(ChildLineStatus::Unquotable, line.status);
  EXPECT_EQ(4u, line.element);
  EXPECT_TRUE(line.text.empty());
  line = buildChildCommandLine(own, L"it's \"x\"", {}, kCapacity);
  EXPECT_EQ(ChildLineStatus::Unquotable, line.status);
  EXPECT_EQ(1u, line.element);
  // A NUL would end the command line early.
  line = buildChildCommandLine(own, L"S", {std::wstring(L"a\0b", 3)}, kCapacity);
  EXPECT_EQ(ChildLineStatus::Unquotable, line.status);
  EXPECT_EQ(3u, line.element);
  // A program path with a double quote names no file.
  line = buildChildCommandLine({L"C:\\a\"b.exe"}, L"S", {}, kCapacity);
  EXPECT_EQ(ChildLineStatus::Unquotable, line.status);
  EXPECT_EQ(0u, line.element);
}

TEST(ChildCommandLine, CapacityCountsTheTerminator) {
  const std::wstring prefix = L"\"C:\\svc.exe\" S ";
  const std::wstring marker = std::wstring(L" ") + kRestartMarker;
  // A parameter that makes the text exactly capacity - 1 units long fits.
  std::wstring fits(kCapacity - 1 - prefix.size() - marker.size(), L'p');
  ChildCommandLine line = buildChildCommandLine({L"C:\\svc.exe"}, L"S", {fits}, kCapacity);
  ASSERT_EQ(ChildLineStatus::Ok, line.status);
  EXPECT_EQ(kCapacity - 1, line.text.size());
  line = buildChildCommandLine({L"C:\\svc.exe"}, L"S", {fits + L"p"}, kCapacity);
  EXPECT_EQ(ChildLineStatus::TooLong, line.status);
  EXPECT_EQ(kCapacity, line.text.size());
  // Quotes count: the same parameter with a blank needs two more units.
  std::wstring blank = fits.substr(2) + L" ";
  line = buildChildCommandLine({L"C:\\svc.exe"}, L"S", {blank}, kCapacity);
  EXPECT_EQ(ChildLineStatus::TooLong, line.status);
}

// Every element of up to three units over the characters that matter to the
// grammar, alone and next to every other one: the child gets each back
// exactly, or the element holds both quote kinds and is refused.
TEST(ChildCommandLine, EverySmallElementRoundTrips) {
  const std::wstring alphabet = L"a \"'\t\\";
  std::vector<std::wstring> elements = {L""};
  for (size_t length = 1; length <= 3; ++length) {
    std::vector<std::wstring> longer;
    for (const std::wstring& e : elements) {
      if (e.size() != length - 1) continue;
      for (wchar_t c : alphabet) longer.push_back(e + c);
    }
    elements.insert(elements.end(), longer.begin(), longer.end());
  }
  ASSERT_EQ(1u + 6 + 36 + 216, elements.size());
  auto carried = [](const std::wstring& e) {
    return e.find(L'"') == std::wstring::npos || e.find(L'\'') == std::wstring::npos;
  };
  size_t checked = 0;
  for (const std::wstring& first : elements) {
    for (const std::wstring& second : elements) {
      ArgumentList parameters = {first, second};
      ChildCommandLine line = buildChildCommandLine({L"C:\\svc.exe", L"own"}, L"S", parameters, kCapacity);
      if (!carried(first) || !carried(second)) {
        ASSERT_EQ(ChildLineStatus::Unquotable, line.status) << narrow(first) << " | " << narrow(second);
        ASSERT_EQ(carried(first) ? 4u : 3u, line.element);
        continue;
      }
      ASSERT_EQ(ChildLineStatus::Ok, line.status);
      ASSERT_EQ(expectedChildList({L"C:\\svc.exe", L"own"}, L"S", parameters), split(line.text)) << narrow(line.text);
      ++checked;
    }
  }
  EXPECT_GT(checked, 10000u);
}

TEST(HostStatus, InitialRecord) {
  HostStatus status;
  const StatusRecord& r = status.record();
  EXPECT_EQ(0x30u, r.serviceType);
  EXPECT_EQ(4u, r.currentState);
  EXPECT_EQ(5u, r.controlsAccepted);
  EXPECT_EQ(0u, r.win32ExitCode);
  EXPECT_EQ(0u, r.serviceSpecificExitCode);
  EXPECT_EQ(0u, r.checkPoint);
  EXPECT_EQ(50000u, r.waitHint);
}

TEST(HostStatus, ControlsWhileTheChildRuns) {
  HostStatus status;
  EXPECT_TRUE(status.childStarted().reportRunning);
  // Interrogate (4) and anything else: reported as it is.
  for (uint32_t code : {4u, 2u, 0x80u}) {
    HostStatus::ControlOutcome other = status.control(code);
    EXPECT_EQ(3, other.reportTag);
    EXPECT_FALSE(other.sendShutdown);
    EXPECT_EQ(4u, status.record().currentState);
  }
  HostStatus::ControlOutcome stop = status.control(kControlStop);
  EXPECT_EQ(2, stop.reportTag);
  EXPECT_TRUE(stop.sendShutdown);
  EXPECT_EQ(3u, status.record().currentState);
  EXPECT_EQ(0u, status.record().checkPoint);  // a stop does not advance it
  // A shutdown after the stop: the check point advances; the shutdown is
  // sent again, and the write into the closed input is only logged.
  HostStatus::ControlOutcome shutdown = status.control(kControlShutdown);
  EXPECT_EQ(1, shutdown.reportTag);
  EXPECT_TRUE(shutdown.sendShutdown);
  EXPECT_EQ(1u, status.record().checkPoint);
  EXPECT_EQ(50000u, status.record().waitHint);
  // Whatever the child's code, a requested stop ends STOPPED without error.
  EXPECT_TRUE(status.childEnded(1));
  EXPECT_EQ(1u, status.record().currentState);
  EXPECT_EQ(0u, status.record().win32ExitCode);
}

TEST(HostStatus, AStopBeforeTheChildRunsIsOwedToIt) {
  HostStatus status;
  HostStatus::ControlOutcome stop = status.control(kControlStop);
  EXPECT_FALSE(stop.sendShutdown);  // no input pipe yet
  EXPECT_EQ(3u, status.record().currentState);
  HostStatus::StartOutcome started = status.childStarted();
  EXPECT_FALSE(started.reportRunning);  // STOP_PENDING is not reported away
  EXPECT_TRUE(started.sendShutdown);
  EXPECT_EQ(3u, status.record().currentState);
  EXPECT_TRUE(status.childEnded(0));
  EXPECT_EQ(1u, status.record().currentState);
}

TEST(HostStatus, AChildEndingByItself) {
  HostStatus clean;
  clean.childStarted();
  EXPECT_TRUE(clean.childEnded(0));
  EXPECT_EQ(1u, clean.record().currentState);
  EXPECT_EQ(0u, clean.record().win32ExitCode);

  // A failure is left for the Service Control Manager to see: no STOPPED.
  HostStatus failed;
  failed.childStarted();
  EXPECT_FALSE(failed.childEnded(1));
  EXPECT_EQ(4u, failed.record().currentState);
  // A stop that comes after a child ended by itself does not undo STOPPED.
  HostStatus late;
  late.childStarted();
  late.childEnded(0);
  HostStatus::ControlOutcome stop = late.control(kControlStop);
  EXPECT_FALSE(stop.sendShutdown);
  EXPECT_EQ(1u, late.record().currentState);
}

TEST(HostStatus, AChildThatCannotStart) {
  HostStatus status;
  status.control(kControlStop);  // an owed stop goes with it
  status.childNotStarted();
  EXPECT_EQ(1u, status.record().currentState);
  EXPECT_EQ(1066u, status.record().win32ExitCode);
  EXPECT_EQ(5000u, status.record().serviceSpecificExitCode);
  EXPECT_EQ(0x30u, status.record().serviceType);
}

// A stop in progress: rising check points, then STOPPED with ERROR_TIMEOUT;
// a stop while a restart is pending stops at once.
TEST(HostStatus, StopTicksTimeoutAndStopBeforeRestart) {
  HostStatus s;
  s.childStarted();
  EXPECT_FALSE(s.stopPendingTick());  // nothing pending yet
  s.control(kControlStop);
  EXPECT_TRUE(s.stopRequested());
  uint32_t before = s.record().checkPoint;
  ASSERT_TRUE(s.stopPendingTick());
  ASSERT_TRUE(s.stopPendingTick());
  EXPECT_EQ(before + 2, s.record().checkPoint);
  EXPECT_EQ(kHostStateStopPending, s.record().currentState);
  EXPECT_EQ(kStopTickWaitHintMs, s.record().waitHint);
  s.stopTimedOut();
  EXPECT_EQ(kHostStateStopped, s.record().currentState);
  EXPECT_EQ(kErrorTimeout, s.record().win32ExitCode);
  EXPECT_FALSE(s.stopPendingTick());

  HostStatus r;
  r.childStarted();
  EXPECT_FALSE(r.childEnded(3));  // failed: no report, a restart may follow
  r.control(kControlStop);       // during the delay: nothing to tell the child
  r.stoppedBeforeRestart();
  EXPECT_EQ(kHostStateStopped, r.record().currentState);
  EXPECT_EQ(0u, r.record().win32ExitCode);
}

TEST(RestartPolicy, LimitWithinTheWindowAndAGrowingDelay) {
  RestartPolicy off({});
  EXPECT_FALSE(off.childFailed(0).restart);

  RestartPolicy p({2, 1000, 60000, false});
  RestartDecision first = p.childFailed(0);
  EXPECT_TRUE(first.restart);
  EXPECT_EQ(1000u, first.delayMs);
  EXPECT_EQ(1u, first.restartsInWindow);
  EXPECT_TRUE(p.childFailed(5000).restart);
  EXPECT_FALSE(p.childFailed(10000).restart);  // two within the minute already
  EXPECT_TRUE(p.childFailed(60000).restart);   // the first has left the window

  RestartPolicy forever({1, 0, 0, false});  // window 0: the limit holds for good
  EXPECT_TRUE(forever.childFailed(0).restart);
  EXPECT_FALSE(forever.childFailed(100000000).restart);

  RestartPolicy grows({10, 1000, 0, true});
  EXPECT_EQ(1000u, grows.childFailed(0).delayMs);
  EXPECT_EQ(2000u, grows.childFailed(1).delayMs);
  EXPECT_EQ(4000u, grows.childFailed(2).delayMs);
  RestartPolicy capped({100, kMaxRestartDelayMs / 2 + 1, 0, true});
  capped.childFailed(0);
  EXPECT_EQ(kMaxRestartDelayMs, capped.childFailed(1).delayMs);
}

TEST(OutputTail, KeepsTheLastBytesAndKnowsWhenItCut) {
  OutputTail t(8);
  t.append("abc", 3);
  t.append("defgh", 5);
  EXPECT_EQ("abcdefgh", t.bytes());
  EXPECT_FALSE(t.cut());
  t.append("ij", 2);
  EXPECT_EQ("cdefghij", t.bytes());
  EXPECT_TRUE(t.cut());
  OutputTail big(4);
  big.append("0123456789", 10);
  EXPECT_EQ("6789", big.bytes());
  EXPECT_TRUE(big.cut());
}

TEST(FailureReport, NamesServiceExitCodeRestartAndOutput) {
  FailureFacts f;
  f.serviceName = u"svc";
  f.exitCode = 1;
  f.outputTail = u"No JVM found.\r\n\r\n";
  FailureReport off = failureReport(f);
  EXPECT_EQ(u"Service 'svc': the application process ended with exit code 1; it is not started again (restart on "
            u"failure is off).",
            off.summary);
  EXPECT_EQ(u"No JVM found.", off.output);

  f.restarting = true;
  f.delayMs = 1500;
  f.restartsInWindow = 2;
  f.restartLimit = 3;
  f.restartWindowMs = 600000;
  f.exitCode = 0xC0000005;
  f.outputCut = true;
  FailureReport again = failureReport(f);
  EXPECT_NE(std::u16string::npos, again.summary.find(u"exit code 3221225477 (0xC0000005)"));
  EXPECT_NE(std::u16string::npos, again.summary.find(u"started again in 1.5 s (restart 2 of at most 3 within 600 s)"));
  EXPECT_EQ(u"...No JVM found.", again.output);
  // Hexadecimal keeps its eight digits; a delay rounds to the nearest tenth.
  f.exitCode = 0x10000;
  f.delayMs = 1249;
  EXPECT_NE(std::u16string::npos, failureReport(f).summary.find(u"exit code 65536 (0x00010000)"));
  EXPECT_NE(std::u16string::npos, failureReport(f).summary.find(u"started again in 1.2 s"));
  f.delayMs = 50;
  EXPECT_NE(std::u16string::npos, failureReport(f).summary.find(u"started again in 0.1 s"));

  f.restarting = false;
  f.outputTail.clear();
  EXPECT_NE(std::u16string::npos, failureReport(f).summary.find(u"not started again: 3 restarts within 600 s"));
  EXPECT_EQ(u"(none)", failureReport(f).output);

  FailureFacts stop;
  stop.serviceName = u"svc";
  stop.kind = FailureKind::StopTimedOut;
  stop.stopTimeoutSeconds = 30;
  EXPECT_EQ(u"Service 'svc': the application did not end within the stop timeout of 30 s; its processes were ended.",
            failureReport(stop).summary);
}

TEST(HostServiceName, FirstArgumentOfOneTo5999Units) {
  const size_t capacity = kServiceNameCapacity;
  EXPECT_EQ(L"unknown", hostServiceName(std::nullopt, capacity));
  EXPECT_EQ(L"unknown", hostServiceName(std::wstring(), capacity));
  EXPECT_EQ(L"MyService", hostServiceName(std::wstring(L"MyService"), capacity));
  std::wstring longest(capacity - 1, L'n');
  EXPECT_EQ(longest, hostServiceName(longest, capacity));
  EXPECT_EQ(L"unknown", hostServiceName(longest + L"n", capacity));
}

TEST(PriorityValue, FourBytesOfAPriorityClass) {
  EXPECT_EQ(0x4000u, priorityValue({0x00, 0x40, 0x00, 0x00}));
  EXPECT_EQ(0x12345678u, priorityValue({0x78, 0x56, 0x34, 0x12}));
  EXPECT_FALSE(priorityValue({}));
  EXPECT_FALSE(priorityValue({0x00, 0x40, 0x00}));
  EXPECT_FALSE(priorityValue({0x00, 0x40, 0x00, 0x00, 0x00}));
  for (uint32_t known : {0x40u, 0x4000u, 0x20u, 0x8000u, 0x80u, 0x100u}) EXPECT_TRUE(isPriorityClass(known)) << known;
  // CREATE_SUSPENDED, CREATE_NEW_CONSOLE, a class with a suspended start,
  // two classes at once: none changes only the priority.
  for (uint32_t other : {0u, 0x4u, 0x10u, 0x4004u, 0x4020u, 0xFFFFFFFFu}) EXPECT_FALSE(isPriorityClass(other)) << other;
}

}  // namespace
}  // namespace zvt
