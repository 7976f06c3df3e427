// Environment and search path in this process: PATH reduction, the Java
// options variables in both environments and in a child, the native-library
// PATH, DLL directories, and expansion over the real environment.
#include "runtime/environment.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/win32.h"
#include "runtime/environment_win32.h"
#include "runtime/expansion_win32.h"
#include "runtime/paths.h"
#include "support/win_process.h"

namespace zvt {
namespace {

std::wstring env(const wchar_t* name) {
  wchar_t buf[32767];
  DWORD n = GetEnvironmentVariableW(name, buf, 32767);
  return n > 0 && n < 32767 ? std::wstring(buf, n) : std::wstring();
}

std::wstring windowsDirectory() {
  wchar_t buf[MAX_PATH];
  UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
  return std::wstring(buf, n);
}

std::wstring lower(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(towlower(c));
  return s;
}

class Environment : public ::testing::Test {
 protected:
  void SetUp() override { savedPath_ = env(L"PATH"); }
  void TearDown() override {
    SetEnvironmentVariableW(L"PATH", savedPath_.c_str());
    _wputenv((L"PATH=" + savedPath_).c_str());
  }
  std::wstring savedPath_;
};

TEST_F(Environment, ReducePathKeepsTheWindowsDirectoryEntries) {
  const std::wstring win = windowsDirectory();
  const std::wstring original = win + L"\\system32;D:\\tools;;" + lower(win) + L";" + win + L"Apps\\x";
  SetEnvironmentVariableW(L"PATH", original.c_str());
  reducePath();
  EXPECT_EQ(win + L"\\system32;" + lower(win) + L";" + win + L"Apps\\x", env(L"PATH"));

  const std::wstring outside = L"D:\\tools;E:\\bin";
  SetEnvironmentVariableW(L"PATH", outside.c_str());
  reducePath();
  EXPECT_EQ(outside, env(L"PATH"));
}

TEST_F(Environment, JavaOptionsVariablesLeaveBothEnvironmentsAndChildren) {
  for (const wchar_t* name : kJavaOptionsVariables) {
    SetEnvironmentVariableW(name, L"-Xmx1m");
    _wputenv((std::wstring(name) + L"=-Xmx1m").c_str());
  }
  ASSERT_NE(nullptr, _wgetenv(L"JDK_JAVA_OPTIONS"));
  clearJavaOptionsVariables();
  for (const wchar_t* name : kJavaOptionsVariables) {
    EXPECT_EQ(0u, GetEnvironmentVariableW(name, nullptr, 0)) << name;
    EXPECT_EQ(nullptr, _wgetenv(name));
  }
  test::RunResult child = test::runProcess(L"cmd.exe /c set");
  ASSERT_FALSE(child.timedOut);
  EXPECT_NE(std::string::npos, child.out.find("PATH=")) << child.out;  // the listing did run
  EXPECT_EQ(std::string::npos, child.out.find("JAVA_OPTIONS")) << child.out;
  EXPECT_EQ(std::string::npos, child.out.find("JAVA_TOOL_OPTIONS")) << child.out;
  clearJavaOptionsVariables();  // also when they are not defined
  EXPECT_EQ(0u, GetEnvironmentVariableW(L"_JAVA_OPTIONS", nullptr, 0));
}

TEST_F(Environment, NativeLibraryDirectoriesGoInFrontOfPath) {
  // A character outside every ANSI code page must survive the rewrite.
  const std::wstring old = L"C:\\old;C:\\\x03A9mega";
  SetEnvironmentVariableW(L"PATH", old.c_str());
  setNativeLibraryPath(".\\lib;..\\bin", false);
  const std::wstring dir = toWide(launcherDirectoryA());
  const std::wstring expected = dir + L".\\lib;" + dir + L"..\\bin;" + old;
  EXPECT_EQ(expected, env(L"PATH"));
  ASSERT_NE(nullptr, _wgetenv(L"PATH"));
  EXPECT_EQ(expected, std::wstring(_wgetenv(L"PATH")));

  SetEnvironmentVariableW(L"PATH", old.c_str());
  setNativeLibraryPath("", true);
  EXPECT_EQ(old, env(L"PATH"));
  EXPECT_EQ(old, std::wstring(_wgetenv(L"PATH")));
}

TEST_F(Environment, DllDirectoriesWhereTheSystemHasTheFunction) {
  std::string dir = toNarrow(tempDirectoryW(true));
  uintptr_t cookie = addDllDirectory(dir);
  if (GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory")) {
    EXPECT_NE(0u, cookie);
  } else {
    EXPECT_EQ(0u, cookie);
  }
  removeDllDirectory(cookie);
  removeDllDirectory(0);
}

TEST_F(Environment, ExpansionOverTheProcessEnvironment) {
  SetEnvironmentVariableW(L"Zvt_Mixed", L"mixed");
  std::wstring text = L"${launcher:sys.launcherDirectory}|${Zvt_Mixed}|${ZVT_MIXED}|${zvt_mixed}";
  expandVariables(text, false);
  EXPECT_EQ(launcherDirectoryW() + L"|mixed|mixed|${zvt_mixed}", text);

  std::string narrow = "%QUARN_EXEDIR%;${Zvt_Mixed};${launcher:sys.tempDir}";
  expandVariablesAnsi(narrow);
  EXPECT_EQ(launcherDirectoryA() + ";mixed;" + tempDirectoryA(), narrow);
  SetEnvironmentVariableW(L"Zvt_Mixed", nullptr);
}

}  // namespace
}  // namespace zvt
