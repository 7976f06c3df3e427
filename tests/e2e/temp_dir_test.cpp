// The temporary directory choice, seen through where the log lands.
#include <gtest/gtest.h>

#include "launcher_fixture.h"

namespace zvt::e2e {
namespace {

block::Content content() {
  block::Content c;
  c.entries = {{101, "ZvtTempService"}};
  return c;
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    exe = box.pack(content());
    blocker = box.file(L"blocker");
    ASSERT_TRUE(test::writeFileBytes(blocker, "a file where a directory is expected"));
    home = makeDir(L"home");
  }
  std::wstring makeDir(const std::wstring& relative) {
    std::wstring path = box.dir();
    size_t start = 0;
    while (start <= relative.size()) {
      size_t sep = relative.find(L'\\', start);
      path += L"\\" + relative.substr(start, sep == std::wstring::npos ? std::wstring::npos : sep - start);
      CreateDirectoryW(path.c_str(), nullptr);
      if (sep == std::wstring::npos) break;
      start = sep + 1;
    }
    return path;
  }
  test::RunOptions options(const std::wstring& profile) {
    test::RunOptions o;
    o.setEnv[L"QUARN_LOG"] = L"yes";
    // Nothing can be created under a file: the system temp path is unusable.
    o.setEnv[L"TMP"] = blocker + L"\\tmp";
    o.setEnv[L"TEMP"] = blocker + L"\\tmp";
    o.setEnv[L"USERPROFILE"] = profile;
    o.setEnv[L"HOMEDRIVE"] = home.substr(0, 2);
    o.setEnv[L"HOMEPATH"] = home.substr(2);
    return o;
  }
  LauncherSandbox box{L"tempdir"};
  std::wstring exe, blocker, home;
};

TEST_F(TempDir, AnUnusableSystemTempMovesOnToTheProfile) {
  std::wstring profile = box.file(L"prof");
  std::wstring profileTemp = makeDir(L"prof\\AppData\\Local\\Temp");
  box.run(exe, L"/?", options(profile));
  EXPECT_TRUE(test::fileExists(profileTemp + L"\\zvt_nlog_1.log"));
  EXPECT_FALSE(test::fileExists(home + L"\\zvt_nlog_1.log"));
}

TEST_F(TempDir, AMissingProfileTempMovesOnToHome) {
  box.run(exe, L"/?", options(box.file(L"no such profile")));
  EXPECT_TRUE(test::fileExists(home + L"\\zvt_nlog_1.log"));
  EXPECT_FALSE(test::fileExists(box.file(L"no such profile")));  // candidate 2 never creates
}

TEST_F(TempDir, AProfileOutsideTheCodePageIsPassedOver) {
  // The narrow long form of this profile shows "?" for its Cyrillic name.
  std::wstring name = L"\x041F\x0440\x0438\x043C\x0435\x0440";
  std::wstring profileTemp = makeDir(name + L"\\AppData\\Local\\Temp");
  box.run(exe, L"/?", options(box.file(name)));
  EXPECT_FALSE(test::fileExists(profileTemp + L"\\zvt_nlog_1.log"));
  EXPECT_TRUE(test::fileExists(home + L"\\zvt_nlog_1.log"));
}

}  // namespace
}  // namespace zvt::e2e
