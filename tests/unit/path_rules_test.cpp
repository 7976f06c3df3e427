#include <gtest/gtest.h>

#include <vector>

#include "runtime/path_rules.h"

namespace zvt {
namespace {

TEST(PathRules, IsRelativePath) {
  struct Case {
    const wchar_t* path;
    bool relative;
  } cases[] = {
      {L"C:\\x", false},        {L"\\\\server\\share", false}, {L"\"C:\\x\"", false}, {L"\\x\\y", true},
      {L"ab", true},            {L"C:x", true},                {L"C:", true},          {L"\"C:\"", true},
      {L"\"C:\\", false},       {L"lib\\a.jar", true},         {L"", true},            {L".\\lib", true},
      {L"\"\\\\srv\\x\"", false},
  };
  for (const auto& c : cases) {
    std::wstring w = c.path;
    EXPECT_EQ(c.relative, isRelativePath(w)) << std::string(w.begin(), w.end());
    EXPECT_EQ(c.relative, isRelativePath(std::string(w.begin(), w.end()))) << std::string(w.begin(), w.end());
  }
}

TEST(PathRules, CollapseBackslashes) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"C:\\\\a\\\\\\b", L"C:\\a\\b"},
      {L"\\\\server\\\\share", L"\\\\server\\share"},
      {L"\\\\\\x", L"\\\\x"},
      {L"a\\\\", L"a\\"},
      {L"\\\\", L"\\\\"},
      {L"", L""},
      {L"C:\\x\\y", L"C:\\x\\y"},
  };
  for (const auto& c : cases) {
    std::wstring p = c.in;
    collapseBackslashes(p);
    EXPECT_EQ(std::wstring(c.out), p);
  }
}

TEST(PathRules, ExeSuffixDriveRootsAndDirectories) {
  EXPECT_TRUE(endsWithExe(std::string("a.exe")));
  EXPECT_TRUE(endsWithExe(std::wstring(L"C:\\APP.EXE")));
  EXPECT_FALSE(endsWithExe(std::string(".exe")));  // needs at least 5 characters
  EXPECT_FALSE(endsWithExe(std::string("a.exe2")));
  EXPECT_TRUE(isDriveRoot(L"C:\\"));
  EXPECT_TRUE(isDriveRoot(L"d:\\."));
  EXPECT_TRUE(isDriveRoot(L"d:\\.\\."));
  EXPECT_FALSE(isDriveRoot(L"C:\\x"));
  EXPECT_FALSE(isDriveRoot(L"C:"));
  EXPECT_EQ(L"C:\\a\\", directoryOf(L"C:\\a\\b.exe"));
  EXPECT_EQ(L"", directoryOf(L"b.exe"));
  EXPECT_EQ(L"myservice", baseNameOf(L"C:\\Apps\\myservice.exe"));
  EXPECT_EQ(L"my.service", baseNameOf(L"C:/x.d/my.service.exe"));  // only the last extension goes
  EXPECT_EQ(L"noext", baseNameOf(L"D:\\noext"));
  EXPECT_EQ(L"", baseNameOf(L"C:\\dir\\"));
}

TEST(PathRules, AbsolutePathList) {
  auto absolute = [](const std::string& e) { return e.size() > 1 && e[1] == ':' ? e : "C:\\L\\" + e; };
  struct Case {
    const char* list;
    const char* joined;
  } cases[] = {
      {".\\lib;..\\bin", "C:\\L\\.\\lib;C:\\L\\..\\bin"},
      {"a;D:\\b", "C:\\L\\a;D:\\b"},
      {"a;;b", "C:\\L\\a"},     // the list ends at its first empty element
      {"a;", "C:\\L\\a"},       // no separator behind the last element
      {";a", ""},               // empty first element: nothing
      {"", ""},
      {"a;b;", "C:\\L\\a;C:\\L\\b"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.joined, joinAbsolutePathList(c.list, absolute)) << c.list;
  std::vector<std::string> seen;
  joinAbsolutePathList("x;D:\\y;;z", absolute, [&](const std::string& e) { seen.push_back(e); });
  EXPECT_EQ((std::vector<std::string>{"C:\\L\\x", "D:\\y"}), seen);
}

}  // namespace
}  // namespace zvt
