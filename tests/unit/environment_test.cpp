// The PATH reduction filter, the native-library prefix and the configured
// environment entries.
#include "runtime/environment.h"

#include <gtest/gtest.h>

#include "log_capture.h"

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

TEST(EnvironmentEntries, NameValueLinesInOrderMalformedOnesLeftOutAndLogged) {
  test::LogCapture log;
  std::vector<EnvironmentEntry> entries = environmentEntries(
      L"JAVA_HOME=C:\\jre\nPATH=${PATH};C:\\x\n\nA=b=c\nJAVA_TOOL_OPTIONS=\nno-equals\n=x\n  =x\nX =1\n Y=1\n"
      L"Z= kept\nPATH=last");
  std::vector<std::pair<std::wstring, std::wstring>> got;
  for (const EnvironmentEntry& e : entries) got.push_back({e.name, e.value});
  EXPECT_EQ((std::vector<std::pair<std::wstring, std::wstring>>{{L"JAVA_HOME", L"C:\\jre"},
                                                                {L"PATH", L"${PATH};C:\\x"},
                                                                {L"A", L"b=c"},
                                                                {L"JAVA_TOOL_OPTIONS", L""},
                                                                {L"Z", L" kept"},
                                                                {L"PATH", L"last"}}),
            got);
  EXPECT_EQ(5u, log.lines().size());
  EXPECT_TRUE(
      log.contains(L"ERROR: environment entry \"X =1\" left out: it has blanks around the name, which "
                   L"would become part of it: write NAME=value, without blanks before \"=\""));
  EXPECT_TRUE(
      log.contains(L"ERROR: environment entry \"  =x\" left out: it has no name before \"=\": write "
                   L"NAME=value"));
  EXPECT_TRUE(environmentEntries(L"").empty());
}

}  // namespace
}  // namespace zvt
