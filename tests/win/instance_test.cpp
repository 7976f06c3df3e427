// Single-instance control on the real system: the instance key, the pids
// entry, which processes count as instances of this executable, the object
// name limit, and two processes of one executable (the instance probe beside
// this program, copied into a sandbox) deciding which of them runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/handle.h"
#include "base/process_win32.h"
#include "base/registry_win32.h"
#include "base/text.h"
#include "child.h"
#include "instance/names.h"
#include "instance/single_instance.h"
#include "runtime/paths.h"
#include "support/registry_guard.h"
#include "support/win_process.h"

namespace zvt {
namespace {

const wchar_t kPidsKey[] = L"SOFTWARE\\corvalent-works\\quarn\\pids";

std::wstring besideSelf(const wchar_t* name) {
  std::wstring self = test::selfPath();
  return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

std::wstring probePath() {
  return besideSelf(L"zvt_instance_probe.exe");
}

ChildOptions pipedOptions(const std::wstring& commandLine) {
  ChildOptions options;
  options.commandLine = commandLine;
  options.input = StreamSetup::pipe();
  options.output = StreamSetup::pipe();
  options.error = StreamSetup::pipe();
  options.terminateOnDestroy = true;  // a failed assertion leaves nothing running
  return options;
}

// --- in this process ------------------------------------------------------------

TEST(Child_Instance, WaitsForTheEndOfItsInput) {
  REQUIRE_CHILD();
  char buffer[64];
  DWORD got = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
  }
}

TEST(Instance, KeyIsTheFullPathInLowerCaseWithSingleBackslashes) {
  EXPECT_EQ("c:\\program files\\app\\svc.exe", instanceKeyOf("C:\\Program Files\\\\App\\SVC.exe"));
  EXPECT_EQ("c:\\program files\\svc.exe", instanceKeyOf("C:\\Program Files\\App\\..\\.\\SVC.exe"));
  EXPECT_EQ(instanceKeyOf(modulePathA()), instanceKey());
  std::wstring lower = toWide(modulePathA());
  CharLowerBuffW(&lower[0], static_cast<DWORD>(lower.size()));
  EXPECT_EQ(toNarrow(lower), instanceKey());
}

// The ANSI object functions refuse names longer than MAX_PATH - 1; the
// longest name the launcher can make must still pass.
TEST(Instance, ObjectFunctionsTakeTheLongestNameAndRefuseOneMore) {
  std::string longest = instance::countedName(instance::semaphoreBaseName(true, "c:\\" + std::string(5000, 'x')),
                                              instance::kCounterLimit);
  ASSERT_EQ(instance::kMaxNameUnits, longest.size());
  UniqueHandle fits(CreateSemaphoreA(nullptr, 1, 1, longest.c_str()));
  EXPECT_TRUE(fits.valid()) << GetLastError();
  SetLastError(ERROR_SUCCESS);
  UniqueHandle tooLong(CreateSemaphoreA(nullptr, 1, 1, (longest + "0").c_str()));
  EXPECT_FALSE(tooLong.valid());
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
}

class InstancePids : public ::testing::Test {
 protected:
  test::RegistryGuard guard{HKEY_CURRENT_USER, kPidsKey, test::RegistryGuard::kSavedKey};
};

TEST_F(InstancePids, RecordedAsADwordNamedByTheInstanceKey) {
  recordInstancePid();
  UniqueRegKey key = registry::openKey(HKEY_CURRENT_USER, kPidsKey, KEY_READ);
  ASSERT_TRUE(key.valid());
  registry::Value value = registry::queryValue(key.get(), toWide(instanceKey()));
  ASSERT_TRUE(value.ok());
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), value.type);
  ASSERT_EQ(4u, value.bytes.size());
  DWORD stored = value.bytes[0] | value.bytes[1] << 8 | value.bytes[2] << 16 | static_cast<DWORD>(value.bytes[3]) << 24;
  EXPECT_EQ(GetCurrentProcessId(), stored);
  EXPECT_EQ(GetCurrentProcessId(), readInstancePid());
}

TEST_F(InstancePids, MissingKeysAndValuesOfAnotherShapeReadAsZero) {
  ASSERT_EQ(ERROR_SUCCESS, registry::deleteTree(HKEY_CURRENT_USER, kPidsKey));
  EXPECT_EQ(0u, readInstancePid());
  UniqueRegKey key = registry::createKey(HKEY_CURRENT_USER, kPidsKey, KEY_ALL_ACCESS);
  ASSERT_TRUE(key.valid());
  EXPECT_EQ(0u, readInstancePid()) << "key without the value";
  const uint64_t wide = 0x1234;
  ASSERT_EQ(ERROR_SUCCESS, registry::setRaw(key.get(), toWide(instanceKey()), REG_QWORD, &wide, sizeof(wide)));
  EXPECT_EQ(0u, readInstancePid()) << "eight bytes";
  ASSERT_EQ(ERROR_SUCCESS, registry::setString(key.get(), toWide(instanceKey()), L"1234"));
  EXPECT_EQ(0u, readInstancePid()) << "text";
}

TEST(Instance, OnlyRunningProcessesOfThisVeryFileCountAsInstances) {
  EXPECT_TRUE(runsThisExecutable(GetCurrentProcessId()));
  EXPECT_FALSE(runsThisExecutable(0));

  test::Sandbox box(L"instance_same");
  std::wstring copy = box.file(L"copy.exe");
  ASSERT_TRUE(CopyFileW(test::selfPath().c_str(), copy.c_str(), FALSE));
  test::RunOptions options;
  options.setEnv[L"ZVT_WIN_CHILD"] = L"1";
  options.closeInput = false;
  options.timeoutMs = 30000;
  const std::wstring filter = L" --gtest_filter=Child_Instance.WaitsForTheEndOfItsInput";
  test::RunningProcess same(test::quote(test::selfPath()) + filter, options);
  test::RunningProcess sameBytes(test::quote(copy) + filter, options);
  test::RunningProcess other(test::quote(probePath()), options);
  ASSERT_TRUE(same.started() && sameBytes.started() && other.started());

  EXPECT_TRUE(runsThisExecutable(same.id()));
  EXPECT_FALSE(runsThisExecutable(sameBytes.id())) << "a copy elsewhere is another executable";
  EXPECT_FALSE(runsThisExecutable(other.id()));

  // Ended, while our handle still keeps its id from being reused.
  same.closeInput();
  test::RunResult ended = same.finish();
  ASSERT_FALSE(ended.timedOut);
  EXPECT_EQ(0u, ended.exitCode) << ended.out;
  EXPECT_FALSE(runsThisExecutable(same.id()));
  sameBytes.closeInput();
  other.closeInput();
  EXPECT_FALSE(sameBytes.finish().timedOut);
  EXPECT_FALSE(other.finish().timedOut);
}

// --- two processes of one executable ---------------------------------------------

struct ProbeWindow {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK findProbeWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ProbeWindow*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  if (owner == search->pid && IsWindowVisible(window) && std::wstring(cls) == L"ZvtInstanceProbe") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND windowOf(DWORD pid) {
  ProbeWindow search{pid, nullptr};
  EnumWindows(&findProbeWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class InstanceProbes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::fileExists(probePath())) << "zvt_instance_probe.exe is not built";
    ASSERT_TRUE(CreateDirectoryW(box.file(L"App Dir").c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(probePath().c_str(), exe.c_str(), FALSE));
  }

  // The instance key of the program at `path`: its full long path in lower
  // case; and its object name, with backslashes and blanks as underscores.
  static std::wstring keyOf(const std::wstring& path) {
    wchar_t buf[1024];
    DWORD n = GetLongPathNameW(path.c_str(), buf, 1024);
    std::wstring key(buf, n < 1024 ? n : 0);
    CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
  }
  static std::string objectNameOf(const std::wstring& path) {
    std::wstring name = keyOf(path);
    for (wchar_t& c : name) {
      if (c == L'\\' || c == L' ') c = L'_';
    }
    return utf16ToUtf8(name);
  }

  // Starts the probe as process `tag` (its own temporary directory and
  // launcher temporary directory) and waits until it reports its semaphore.
  std::unique_ptr<ChildProcess> start(const std::wstring& tag, const std::wstring& arguments,
                                      const std::wstring& program = L"") {
    CreateDirectoryW(box.file(tag).c_str(), nullptr);
    auto child = std::make_unique<ChildProcess>();
    std::wstring command = test::quote(program.empty() ? exe : program) + L" --tmp=" + test::quote(box.file(tag)) +
                           L" --run-dir=" + test::quote(runDir(tag)) + L" " + arguments;
    EXPECT_TRUE(child->start(pipedOptions(command))) << child->startError();
    return child;
  }

  std::wstring runDir(const std::wstring& tag) { return box.file(tag + L"\\run"); }

  // The semaphore name from "ready <name>", or "" when the probe ended first
  // or did not report in time.
  static std::string ready(ChildProcess& child) {
    for (int i = 0; i < 300; ++i) {
      std::string out = child.output();
      size_t at = out.find("ready ");
      size_t end = out.find('\n', at == std::string::npos ? 0 : at);
      if (at != std::string::npos && end != std::string::npos) return out.substr(at + 6, end - at - 6);
      if (child.wait(100)) break;
    }
    return std::string();
  }

  // Ends a probe that runs: its input ends, it must exit with 0.
  static void finish(ChildProcess& child) {
    child.closeInput();
    ASSERT_TRUE(child.wait(30000));
    EXPECT_EQ(0u, child.exitCode().value_or(99));
  }

  std::string log(const std::wstring& tag) {
    std::string bytes;
    test::readFileBytes(box.file(tag + L"\\zvt_nlog_1.log"), bytes);
    return bytes;
  }

  static bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }

  // The foreground window before the second start: one of this process, so
  // that only the second start can have moved it to the probe.
  void takeForeground() {
    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"ZvtInstanceTest";
    RegisterClassW(&cls);
    own.reset(CreateWindowExW(0, cls.lpszClassName, L"test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                              nullptr, cls.hInstance, nullptr));
    SetForegroundWindow(own.get());
    pump();
  }

  static void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }

  // Runs the second start to its end (exit code 0 expected by the callers).
  DWORD secondStart(const std::wstring& arguments) {
    std::unique_ptr<ChildProcess> second = start(L"second", arguments);
    second->closeInput();
    // Our own window must keep answering while the other process activates
    // windows, or the activation would wait on us.
    for (int i = 0; i < 600 && !second->wait(50); ++i) pump();
    EXPECT_TRUE(second->wait(0)) << "the second start did not end";
    return second->exitCode().value_or(99);
  }

  DWORD pidsEntry() {
    UniqueRegKey key = registry::openKey(HKEY_CURRENT_USER, kPidsKey, KEY_READ);
    if (!key) return 0;
    return registry::readDword(key.get(), keyOf(exe)).value_or(0);
  }

  struct WindowOwner {
    HWND window = nullptr;
    ~WindowOwner() { reset(); }
    void reset(HWND w = nullptr) {
      if (window) DestroyWindow(window);
      window = w;
    }
    HWND get() const { return window; }
  };

  test::Sandbox box{L"instance"};
  test::RegistryGuard pids{HKEY_CURRENT_USER, kPidsKey, test::RegistryGuard::kSavedKey};
  std::wstring exe = box.file(L"App Dir\\SVC.exe");
  WindowOwner own;
};

TEST_F(InstanceProbes, OutsideSingleInstanceModeEachProcessTakesTheNextCounter) {
  for (bool global : {false, true}) {
    std::string prefix = global ? "Global\\" : "Local\\";
    std::wstring key158 = global ? L"158=1" : L"158=0";
    std::unique_ptr<ChildProcess> first = start(L"first" + key158, key158);
    ASSERT_EQ(prefix + objectNameOf(exe) + "0", ready(*first));
    std::unique_ptr<ChildProcess> second = start(L"second" + key158, key158);
    ASSERT_EQ(prefix + objectNameOf(exe) + "1", ready(*second));
    EXPECT_TRUE(first->running());
    EXPECT_TRUE(second->running());
    std::string secondLog = log(L"second" + key158);
    EXPECT_TRUE(contains(secondLog, "semaphore name " + prefix + objectNameOf(exe) + "1, code 0, value ")) << secondLog;
    finish(*first);
    finish(*second);
  }
  EXPECT_EQ(0u, pidsEntry()) << "outside single-instance mode no id is recorded";
}

TEST_F(InstanceProbes, SecondStartRestoresTheMinimisedFirstAndEnds) {
  std::unique_ptr<ChildProcess> first = start(L"first", L"10005=1 10008=1 --window=minimized");
  ASSERT_EQ("Local\\" + objectNameOf(exe), ready(*first));
  EXPECT_TRUE(contains(log(L"first"), "single instance mode"));
  EXPECT_EQ(first->id(), pidsEntry());
  HWND window = windowOf(first->id());
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(IsIconic(window));
  takeForeground();
  ASSERT_NE(window, GetForegroundWindow());

  // The launcher temporary directory of the second start, with a file in it.
  ASSERT_TRUE(CreateDirectoryW(box.file(L"second").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(runDir(L"second").c_str(), nullptr));
  ASSERT_TRUE(test::writeFileBytes(runDir(L"second") + L"\\app.jar", "jar"));
  EXPECT_EQ(0u, secondStart(L"10005=1 10008=1"));
  std::string second = log(L"second");
  EXPECT_TRUE(contains(second, "other pid " + std::to_string(first->id()))) << second;
  EXPECT_TRUE(contains(second, "restore")) << second;
  EXPECT_TRUE(contains(second, "foreground")) << second;
  EXPECT_TRUE(contains(second, "exiting")) << second;
  EXPECT_FALSE(test::fileExists(runDir(L"second"))) << "the second start ends through the fatal exit";
  EXPECT_FALSE(IsIconic(window));
  EXPECT_EQ(window, GetForegroundWindow());
  EXPECT_EQ(first->id(), pidsEntry()) << "the second start leaves the first one's id";
  EXPECT_TRUE(first->running());
  finish(*first);
}

TEST_F(InstanceProbes, AWindowThatIsNotMinimisedIsOnlyBroughtToFront) {
  std::unique_ptr<ChildProcess> first = start(L"first", L"10005=1 10008=1 --window=normal");
  ASSERT_FALSE(ready(*first).empty());
  HWND window = windowOf(first->id());
  ASSERT_NE(nullptr, window);
  takeForeground();
  ASSERT_NE(window, GetForegroundWindow());
  EXPECT_EQ(0u, secondStart(L"10005=1 10008=1"));
  std::string second = log(L"second");
  EXPECT_TRUE(contains(second, "foreground")) << second;
  EXPECT_FALSE(contains(second, "restore")) << second;
  EXPECT_EQ(window, GetForegroundWindow());
  finish(*first);
}

TEST_F(InstanceProbes, WithoutBringToFrontNoWindowIsTouched) {
  std::unique_ptr<ChildProcess> first = start(L"first", L"10005=1 10008=0 --window=minimized");
  ASSERT_FALSE(ready(*first).empty());
  HWND window = windowOf(first->id());
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(0u, secondStart(L"10005=1 10008=0"));
  std::string second = log(L"second");
  EXPECT_TRUE(contains(second, "other pid " + std::to_string(first->id()))) << second;
  EXPECT_FALSE(contains(second, "found window")) << second;
  EXPECT_TRUE(IsIconic(window));
  finish(*first);
}

// The pids entry is never removed, and ids are reused: it can name an
// unrelated process when a second start reads it.
TEST_F(InstanceProbes, AStaleIdTouchesNoWindow) {
  std::unique_ptr<ChildProcess> first = start(L"first", L"10005=1 10008=1");
  ASSERT_FALSE(ready(*first).empty());
  // Another program with a minimised window holds the id now.
  ASSERT_TRUE(CreateDirectoryW(box.file(L"Other").c_str(), nullptr));
  std::wstring otherExe = box.file(L"Other\\svc.exe");
  ASSERT_TRUE(CopyFileW(probePath().c_str(), otherExe.c_str(), FALSE));
  std::unique_ptr<ChildProcess> unrelated = start(L"unrelated", L"--window=minimized", otherExe);
  ASSERT_FALSE(ready(*unrelated).empty());
  HWND window = windowOf(unrelated->id());
  ASSERT_NE(nullptr, window);
  {
    UniqueRegKey key = registry::createKey(HKEY_CURRENT_USER, kPidsKey, KEY_ALL_ACCESS);
    ASSERT_EQ(ERROR_SUCCESS, registry::setDword(key.get(), keyOf(exe), unrelated->id()));
  }
  EXPECT_EQ(0u, secondStart(L"10005=1 10008=1"));
  std::string second = log(L"second");
  EXPECT_TRUE(contains(second, "other pid " + std::to_string(unrelated->id()))) << second;
  EXPECT_TRUE(contains(second, "is not an instance of this executable")) << second;
  EXPECT_FALSE(contains(second, "found window")) << second;
  EXPECT_TRUE(IsIconic(window));
  finish(*unrelated);
  finish(*first);
}

}  // namespace
}  // namespace zvt
