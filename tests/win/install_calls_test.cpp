// What /install hands to the Service Control Manager, seen through the
// InstallCalls seam: the arguments of CreateServiceW (account and password
// included, which Wine's manager does not keep) and every
// ChangeServiceConfig2W record (delayed start and recovery actions, which
// Wine's manager refuses or drops), in order, and the undoing of a
// registration whose later step the system refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child.h"
#include "service/install_calls_win32.h"
#include "service/password_win32.h"

namespace zvt {
namespace {

struct Recorded {
  bool created = false;
  std::wstring name, displayName, binaryPath, account, password;
  bool accountNull = true, passwordNull = true, dependenciesNull = true;
  DWORD startType = 0;
  std::vector<DWORD> levels;
  std::wstring description;
  BOOL delayed = FALSE;
  DWORD resetPeriod = 0;
  std::vector<SC_ACTION> actions;
  bool rebootMessageNull = false, commandNull = false;
  BOOL errorExits = FALSE;
  int removed = 0;
};

class RecordingCalls : public InstallCalls {
 public:
  DWORD createError = 0;   // non-zero: create fails with it
  DWORD refusedLevel = 0;  // this level of ChangeServiceConfig2W fails
  DWORD refusedError = 0;
  Recorded r;

  bool create(const CreateRequest& q, DWORD& error) override {
    if (createError) {
      error = createError;
      return false;
    }
    r.created = true;
    r.name = q.name;
    r.displayName = q.displayName ? q.displayName : L"<null>";
    r.binaryPath = q.binaryPath;
    r.startType = q.startType;
    r.accountNull = q.account == nullptr;
    r.account = q.account ? q.account : L"";
    r.passwordNull = q.password == nullptr;
    r.password = q.password ? q.password : L"";
    r.dependenciesNull = q.dependencies == nullptr;
    return true;
  }
  bool changeConfig2(DWORD level, void* info, DWORD& error) override {
    r.levels.push_back(level);
    if (level == refusedLevel) {
      error = refusedError;
      return false;
    }
    switch (level) {
      case SERVICE_CONFIG_DESCRIPTION:
        r.description = static_cast<SERVICE_DESCRIPTIONW*>(info)->lpDescription;
        break;
      case SERVICE_CONFIG_DELAYED_AUTO_START_INFO:
        r.delayed = static_cast<SERVICE_DELAYED_AUTO_START_INFO*>(info)->fDelayedAutostart;
        break;
      case SERVICE_CONFIG_FAILURE_ACTIONS: {
        auto* a = static_cast<SERVICE_FAILURE_ACTIONSW*>(info);
        r.resetPeriod = a->dwResetPeriod;
        r.actions.assign(a->lpsaActions, a->lpsaActions + a->cActions);
        r.rebootMessageNull = a->lpRebootMsg == nullptr;
        r.commandNull = a->lpCommand == nullptr;
        break;
      }
      case SERVICE_CONFIG_FAILURE_ACTIONS_FLAG:
        r.errorExits = static_cast<SERVICE_FAILURE_ACTIONS_FLAG*>(info)->fFailureActionsOnNonCrashFailures;
        break;
      default:
        break;
    }
    return true;
  }
  void remove() override { ++r.removed; }
};

CreateRequest baseRequest() {
  CreateRequest q;
  q.name = L"Orders";
  q.startType = 2;
  q.binaryPath = L"\"C:\\svc\\orders.exe\"";
  return q;
}

InstallPlan planOf(const InstallSettings& settings, unsigned long startType = 2) {
  InstallPlan plan;
  const char* problem = "";
  EXPECT_TRUE(planInstall(settings, L"Orders", startType, plan, problem)) << problem;
  return plan;
}

TEST(InstallCalls, WithoutTheSettingsOnlyThePartsCallsAreMade) {
  RecordingCalls calls;
  EXPECT_EQ(0, registerService(planOf({}), baseRequest(), L"", calls));
  ASSERT_TRUE(calls.r.created);
  EXPECT_EQ(L"Orders", calls.r.displayName);
  EXPECT_TRUE(calls.r.accountNull);
  EXPECT_TRUE(calls.r.passwordNull);
  EXPECT_TRUE(calls.r.dependenciesNull);
  EXPECT_TRUE(calls.r.levels.empty());  // no description either when it is empty

  RecordingCalls described;
  EXPECT_EQ(0, registerService(planOf({}), baseRequest(), L"Bestelldienst", described));
  EXPECT_EQ(std::vector<DWORD>{SERVICE_CONFIG_DESCRIPTION}, described.r.levels);
  EXPECT_EQ(L"Bestelldienst", described.r.description);
}

TEST(InstallCalls, AccountsAndTheirPasswords) {
  struct Case {
    const wchar_t* kind;
    const wchar_t* account;
    bool passwordNull;
  };
  const Case cases[] = {
      {L"local-service", L"NT AUTHORITY\\LocalService", false},      // an empty password
      {L"network-service", L"NT AUTHORITY\\NetworkService", false},  // likewise
      {L"virtual", L"NT SERVICE\\Orders", true},                     // none
  };
  for (const Case& c : cases) {
    InstallSettings s;
    s.account = c.kind;
    RecordingCalls calls;
    EXPECT_EQ(0, registerService(planOf(s), baseRequest(), L"", calls));
    EXPECT_FALSE(calls.r.accountNull);
    EXPECT_EQ(c.account, calls.r.account);
    EXPECT_EQ(c.passwordNull, calls.r.passwordNull);
    EXPECT_EQ(L"", calls.r.password);
  }
  // A named account: the password read at /install, as it was read.
  InstallSettings s;
  s.account = L"CORP\\svc-orders";
  CreateRequest q = baseRequest();
  const std::wstring password = L"p\x00E4ss word";
  q.password = password.c_str();
  RecordingCalls calls;
  EXPECT_EQ(0, registerService(planOf(s), q, L"", calls));
  EXPECT_EQ(L"CORP\\svc-orders", calls.r.account);
  EXPECT_EQ(password, calls.r.password);
}

TEST(InstallCalls, DisplayNameDelayedStartAndRecoveryRecordsInOrder) {
  InstallSettings s;
  s.displayName = L"Orders (Zvt)";
  s.delayedStart = "1";
  s.firstFailure = "restart";
  s.firstFailureDelay = "5";
  s.secondFailure = "restart";
  s.laterFailures = "none";
  s.resetAfter = "3600";
  RecordingCalls calls;
  EXPECT_EQ(0, registerService(planOf(s), baseRequest(), L"Bestelldienst", calls));
  EXPECT_EQ(L"Orders (Zvt)", calls.r.displayName);
  EXPECT_EQ((std::vector<DWORD>{SERVICE_CONFIG_DESCRIPTION, SERVICE_CONFIG_DELAYED_AUTO_START_INFO,
                                SERVICE_CONFIG_FAILURE_ACTIONS, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG}),
            calls.r.levels);
  EXPECT_EQ(TRUE, calls.r.delayed);
  EXPECT_EQ(3600u, calls.r.resetPeriod);
  ASSERT_EQ(3u, calls.r.actions.size());
  EXPECT_EQ(SC_ACTION_RESTART, calls.r.actions[0].Type);
  EXPECT_EQ(5000u, calls.r.actions[0].Delay);
  EXPECT_EQ(SC_ACTION_RESTART, calls.r.actions[1].Type);
  EXPECT_EQ(60000u, calls.r.actions[1].Delay);
  EXPECT_EQ(SC_ACTION_NONE, calls.r.actions[2].Type);
  EXPECT_EQ(0u, calls.r.actions[2].Delay);
  EXPECT_TRUE(calls.r.rebootMessageNull);  // the reboot message and command stay as they are
  EXPECT_TRUE(calls.r.commandNull);
  EXPECT_EQ(TRUE, calls.r.errorExits);
  EXPECT_EQ(0, calls.r.removed);

  // Without count-error-exits no flag record; on demand no delayed start.
  s.countErrorExits = "0";
  RecordingCalls demand;
  EXPECT_EQ(0, registerService(planOf(s, 3), baseRequest(), L"", demand));
  EXPECT_EQ(std::vector<DWORD>{SERVICE_CONFIG_FAILURE_ACTIONS}, demand.r.levels);
}

TEST(InstallCalls, ARefusedStepRemovesTheServiceAgain) {
  InstallSettings s;
  s.delayedStart = "1";
  s.laterFailures = "restart";
  for (DWORD level :
       {static_cast<DWORD>(SERVICE_CONFIG_DELAYED_AUTO_START_INFO), static_cast<DWORD>(SERVICE_CONFIG_FAILURE_ACTIONS),
        static_cast<DWORD>(SERVICE_CONFIG_FAILURE_ACTIONS_FLAG)}) {
    RecordingCalls calls;
    calls.refusedLevel = level;
    calls.refusedError = ERROR_INVALID_LEVEL;
    EXPECT_EQ(1, registerService(planOf(s), baseRequest(), L"", calls)) << level;
    EXPECT_EQ(1, calls.r.removed) << level;
    EXPECT_EQ(level, calls.r.levels.back()) << "no call after the refused one";
  }
  // A refused description is no failure (the Part's rule).
  RecordingCalls described;
  described.refusedLevel = SERVICE_CONFIG_DESCRIPTION;
  EXPECT_EQ(0, registerService(planOf({}), baseRequest(), L"text", described));
  EXPECT_EQ(0, described.r.removed);
}

TEST(InstallCalls, ARefusedCreationLeavesNothingToRemove) {
  InstallSettings s;
  s.account = L".\\nobody";
  RecordingCalls calls;
  calls.createError = ERROR_INVALID_SERVICE_ACCOUNT;
  EXPECT_EQ(1, registerService(planOf(s), baseRequest(), L"text", calls));
  EXPECT_FALSE(calls.r.created);
  EXPECT_TRUE(calls.r.levels.empty());
  EXPECT_EQ(0, calls.r.removed);
}

TEST(InstallCalls, SystemErrorTextsHaveNoLineEnd) {
  const std::wstring text = systemErrorText(ERROR_SERVICE_DOES_NOT_EXIST);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(L'\n', text.back());
  EXPECT_NE(L'\r', text.back());
  EXPECT_EQ(L"Error 4294967295", systemErrorText(0xFFFFFFFFu));  // no text: the number
}

// Types `text` into the console input, key down and up for each character.
bool typeIntoConsole(HANDLE input, const std::wstring& text) {
  std::vector<INPUT_RECORD> records;
  for (wchar_t ch : text) {
    for (BOOL down : {TRUE, FALSE}) {
      INPUT_RECORD r{};
      r.EventType = KEY_EVENT;
      r.Event.KeyEvent.bKeyDown = down;
      r.Event.KeyEvent.wRepeatCount = 1;
      r.Event.KeyEvent.wVirtualKeyCode = ch == L'\r' ? VK_RETURN : 0;
      r.Event.KeyEvent.uChar.UnicodeChar = ch;
      records.push_back(r);
    }
  }
  DWORD written = 0;
  return WriteConsoleInputW(input, records.data(), static_cast<DWORD>(records.size()), &written) &&
         written == records.size();
}

// The console path of the password: in a console of its own (a process of
// the tests has none; Wine 8 gives one with FreeConsole() + AllocConsole()),
// the typed line is read without echo, the screen shows no character of it,
// and the console's mode is what it was before.
TEST(Child_Password, ReadFromTheConsoleWithoutEcho) {
  REQUIRE_CHILD();
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, input);
  SetStdHandle(STD_INPUT_HANDLE, input);
  DWORD before = 0;
  ASSERT_TRUE(GetConsoleMode(input, &before));
  ASSERT_TRUE(typeIntoConsole(input, L"Zq7-p\x00E4ss\rnext\r"));
  std::wstring password;
  ASSERT_TRUE(readPassword(L".\\someone", password));
  EXPECT_EQ(L"Zq7-p\x00E4ss", password);
  DWORD after = 0;
  ASSERT_TRUE(GetConsoleMode(input, &after));
  EXPECT_EQ(before, after);
  HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info));
  std::wstring shown(static_cast<size_t>(info.dwSize.X) * 5, L' ');
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleOutputCharacterW(screen, &shown[0], static_cast<DWORD>(shown.size()), COORD{0, 0}, &read));
  EXPECT_EQ(std::wstring::npos, shown.find(L"Zq7")) << "echoed";
  // The next line stays for whoever reads after the password.
  wchar_t rest[8] = {};
  ASSERT_TRUE(ReadConsoleW(input, rest, 5, &read, nullptr));
  EXPECT_EQ(std::wstring(L"next\r"), std::wstring(rest, read));
  wipe(password);
  EXPECT_TRUE(password.empty());
}

TEST(Password, ReadFromTheConsoleWithoutEcho) {
  test::RunResult r = test::runChild("Child_Password.ReadFromTheConsoleWithoutEcho");
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(0u, r.exitCode) << r.out << r.err;
  EXPECT_NE(std::string::npos, r.out.find("[  PASSED  ] 1 test")) << r.out;
  // The prompt goes to standard error, never the password.
  EXPECT_NE(std::string::npos, r.err.find("Password for .\\someone: ")) << r.err;
  EXPECT_EQ(std::string::npos, r.err.find("Zq7")) << r.err;
}

}  // namespace
}  // namespace zvt
