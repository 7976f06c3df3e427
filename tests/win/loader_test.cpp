// The Win32 loader on packed copies of a real PE file (this test program).
#include "config/loader.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "base/win32.h"
#include "config/accessors.h"
#include "pack.h"
#include "runtime/errors.h"
#include "support/win_process.h"

namespace zvt {
namespace {

std::wstring packSelf(const test::Sandbox& box, const block::Content& content) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string image;
  EXPECT_TRUE(test::readFileBytes(self, image));
  std::vector<uint8_t> bytes(image.begin(), image.end()), packed;
  std::string error;
  EXPECT_TRUE(pack::packImage(bytes, content, packed, error)) << error;
  std::wstring path = box.file(L"packed.exe");
  EXPECT_TRUE(test::writeFileBytes(path, std::string(packed.begin(), packed.end())));
  return path;
}

class Loader : public ::testing::Test {
 protected:
  void SetUp() override {
    config::current() = LoadedConfiguration();
    setErrorDisplay(ErrorDisplay::Dialog);
  }
  test::Sandbox box{L"loader"};
};

// The locale comes from the user interface language of this session; the
// sets are keyed to whatever it is, so the test holds for every language.
// (The end-to-end locale test chooses the language through LANG.)
TEST_F(Loader, LocalizedSetsFollowTheDetectedLocale) {
  const std::string detected = detectLocale();
  ASSERT_GE(detected.size(), 2u);
  const std::string language = detected.substr(0, 2);
  block::Content c;
  c.entries = {{101, "First"}, {146, ""}, {101, "MyService"}, {107, "1"}};
  c.messages = {{1000, L"Error"}, {1015, L"Poweruser"}, {1019, L"damaged"}};
  c.sets = {{language, {{1000, L"Fehler"}, {1015, L"Hauptbenutzer"}}},
            {detected, {{1000, L"Fehler (full)"}}},
            {"x" + detected, {{1019, L"never"}}}};
  std::wstring path = packSelf(box, c);

  EXPECT_EQ(1, loadConfigurationFrom(path));
  EXPECT_EQ(L"Fehler (full)", config::getMessageText(1000));
  EXPECT_EQ(L"Hauptbenutzer", config::getMessageText(1015));
  EXPECT_EQ(L"damaged", config::getMessageText(1019));
  EXPECT_EQ(L"MyService", config::getConfigStringW(101));
  EXPECT_EQ(1u, config::current().entries.count(146));
  std::string lang, country;
  EXPECT_TRUE(languageCode(lang));
  EXPECT_EQ(language, lang);
  EXPECT_EQ(detected.size() == 5, countryCode(country));
  if (detected.size() == 5) {
    EXPECT_EQ(detected.substr(3, 2), country);
  }
  EXPECT_EQ(ErrorDisplay::Dialog, errorDisplay());  // kind 1 keeps dialogs
}

TEST_F(Loader, LauncherKindChoosesTheErrorDisplay) {
  struct Case {
    const char* kind;
    bool present;
    ErrorDisplay expected;
  } cases[] = {{"1", true, ErrorDisplay::Dialog},
               {"5", true, ErrorDisplay::Dialog},
               {"4", true, ErrorDisplay::Console},
               {"", false, ErrorDisplay::Console}};
  for (const auto& k : cases) {
    block::Content c;
    if (k.present) c.entries = {{107, k.kind}};
    std::wstring path = packSelf(box, c);
    config::current() = LoadedConfiguration();
    setErrorDisplay(ErrorDisplay::Dialog);
    loadConfigurationFrom(path);
    EXPECT_EQ(k.expected, errorDisplay()) << k.kind;
  }
}

TEST_F(Loader, PayloadOffsetPointsBehindTheSets) {
  block::Content c;
  c.entries = {{101, "S"}};
  c.files = {{{9, 9, 9}}};
  std::wstring path = packSelf(box, c);
  loadConfigurationFrom(path);
  std::string bytes;
  ASSERT_TRUE(test::readFileBytes(path, bytes));
  // Behind the offset: the u64 size 3 of the included file, then its bytes.
  ASSERT_LT(payloadOffset() + 8, bytes.size());
  EXPECT_EQ(3, bytes[payloadOffset()]);
  EXPECT_EQ(static_cast<char>(9 ^ block::kPayloadMask), bytes[payloadOffset() + 8]);
}

}  // namespace
}  // namespace zvt
