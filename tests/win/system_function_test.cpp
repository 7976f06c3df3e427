// The run-time function lookup: present functions resolve to the address
// the library exports, missing ones and missing libraries to nothing, and a
// library that is not loaded yet comes from the system directory.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/system_function_win32.h"

namespace zvt {
namespace {

TEST(SystemFunction, PresentMissingAndNotYetLoaded) {
  using UiLanguageFn = LANGID(WINAPI*)();
  auto uiLanguage = systemFunction<UiLanguageFn>(L"kernel32.dll", "GetUserDefaultUILanguage");
  ASSERT_NE(nullptr, uiLanguage);
  EXPECT_EQ(GetUserDefaultUILanguage(), uiLanguage());
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetUserDefaultUILanguage")),
            reinterpret_cast<void*>(uiLanguage));

  EXPECT_EQ(nullptr, systemFunction<UiLanguageFn>(L"kernel32.dll", "NoSuchFunctionAnywhere"));
  EXPECT_EQ(nullptr, systemFunction<UiLanguageFn>(L"zvt_no_such_library.dll", "GetUserDefaultUILanguage"));

  // Not linked by this program: loaded on demand, and kept loaded so the
  // address stays valid.
  using VersionSizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  auto versionSize = systemFunction<VersionSizeFn>(L"version.dll", "GetFileVersionInfoSizeW");
  ASSERT_NE(nullptr, versionSize);
  HMODULE loaded = GetModuleHandleW(L"version.dll");
  ASSERT_NE(nullptr, loaded);
  wchar_t system[MAX_PATH], file[MAX_PATH];
  UINT n = GetSystemDirectoryW(system, MAX_PATH);
  DWORD m = GetModuleFileNameW(loaded, file, MAX_PATH);
  EXPECT_EQ(CSTR_EQUAL,
            CompareStringOrdinal(system, static_cast<int>(n), file, static_cast<int>(std::min<DWORD>(m, n)), TRUE));
  DWORD handle = 0;
  EXPECT_GT(versionSize(file, &handle), 0u);
}

}  // namespace
}  // namespace zvt
