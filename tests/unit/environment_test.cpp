// The PATH reduction filter and the native-library prefix.
#include "runtime/environment.h"

#include <gtest/gtest.h>

namespace zvt {
namespace {

TEST(ReducePathFilter, KeepsEntriesInsideTheWindowsDirectoryIgnoringCase) {
  struct Case {
    const wchar_t* path;
    const wchar_t* kept;
  } cases[] = {
      {L"C:\\Windows\\system32;D:\\tools;c:\\windows", L"C:\\Windows\\system32;c:\\windows"},
      {L"C:\\WindowsApps;D:\\x", L"C:\\WindowsApps"},  // a plain prefix test
      {L";;C:\\WINDOWS\\System32\\Wbem;;", L"C:\\WINDOWS\\System32\\Wbem"},
      {L"D:\\tools;E:\\bin", L""},
      {L"C:\\Win;C:\\", L""},  // shorter than the directory
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.kept, keepWindowsEntries(c.path, L"C:\\Windows")) << c.path;
}

TEST(ReducePathFilter, UsesTheGivenComparison) {
  auto exact = [](const std::wstring& entry, const std::wstring& prefix) { return entry.rfind(prefix, 0) == 0; };
  EXPECT_EQ(L"C:\\Windows\\a", keepWindowsEntries(L"c:\\windows;C:\\Windows\\a", L"C:\\Windows", exact));
  EXPECT_TRUE(asciiPrefixMatch(L"c:\\wINDOWS\\x", L"C:\\Windows"));
  EXPECT_FALSE(asciiPrefixMatch(L"C:\\Windo", L"C:\\Windows"));
}

TEST(NativeLibraryPath, PrefixGetsOneSeparator) {
  EXPECT_EQ(L"C:\\App\\.\\lib;C:\\App\\..\\bin;C:\\old", prefixedPath(L"C:\\App\\.\\lib;C:\\App\\..\\bin", L"C:\\old"));
  EXPECT_EQ(L"a;C:\\old", prefixedPath(L"a;", L"C:\\old"));
  EXPECT_EQ(L"C:\\old", prefixedPath(L"", L"C:\\old"));
  EXPECT_EQ(L"a;", prefixedPath(L"a", L""));
}

}  // namespace
}  // namespace zvt
