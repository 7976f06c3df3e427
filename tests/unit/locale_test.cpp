// The language id table and the locale options built from its result.
#include <gtest/gtest.h>

#include <set>

#include "config/block_reader.h"
#include "config/locale_table.h"
#include "jvm/launch/locale_options.h"

namespace zvt {
namespace {

TEST(LocaleTable, ShapeOfTheTable) {
  ASSERT_EQ(215u, kLcidLocaleCount);
  size_t primary = 0;
  for (size_t i = 0; i < kLcidLocaleCount; ++i) {
    if (i > 0) EXPECT_LT(kLcidLocaleTable[i - 1].id, kLcidLocaleTable[i].id) << "at index " << i;
    if (kLcidLocaleTable[i].id < 0x400) {
      ++primary;
      EXPECT_EQ(2u, std::string(kLcidLocaleTable[i].locale).size()) << kLcidLocaleTable[i].locale;
    }
  }
  EXPECT_EQ(71u, primary);
  EXPECT_EQ(0x0001, kLcidLocaleTable[0].id);
  EXPECT_STREQ("ar", kLcidLocaleTable[0].locale);
  EXPECT_EQ(0x0056, kLcidLocaleTable[70].id);
  EXPECT_EQ(0x0401, kLcidLocaleTable[71].id);
  EXPECT_EQ(0x500A, kLcidLocaleTable[214].id);
  EXPECT_STREQ("es_PR", kLcidLocaleTable[214].locale);
}

TEST(LocaleTable, OdditiesAreKeptAsTheyStand) {
  struct Row {
    uint16_t id;
    const char* locale;
  } rows[] = {
      {0x000D, "iw"},    {0x040D, "iw_IL"}, {0x0021, "in"},    {0x0421, "in_ID"}, {0x0814, "no_NO_NY"},
      {0x081A, "sr_CS"}, {0x0C1A, "sr_CS"}, {0x0812, "ko_KR"}, {0x042C, "az_AZ"}, {0x082C, "az_AZ"},
      {0x0443, "uz_UZ"}, {0x0843, "uz_UZ"}, {0x040A, "es_ES"}, {0x0C0A, "es_ES"}, {0x2409, "en"},
      {0x0431, "ts"},    {0x0434, "xh"},    {0x0435, "zu"},    {0x043D, "yi"},    {0x0444, "tt"},
      {0x041A, "hr_HR"}, {0x001A, "sr"},    {0x0C07, "de_AT"}, {0x0407, "de_DE"}, {0x083C, "ga_IE"},
  };
  for (const Row& r : rows) EXPECT_EQ(r.locale, localeForLanguageId(r.id)) << std::hex << r.id;
}

TEST(LocaleTable, FallbackToThePrimaryLanguageThenEnglish) {
  EXPECT_EQ("de", localeForLanguageId(0x2407));  // unlisted German sublanguage
  EXPECT_EQ("en", localeForLanguageId(0x0809 + 0x4000));
  EXPECT_EQ("en", localeForLanguageId(0x0028));  // primary language not listed
  EXPECT_EQ("en", localeForLanguageId(0x0000));
  EXPECT_EQ("gl", localeForLanguageId(0x0856));
  // 0x0814 keeps its language and has no country (a locale of 8 characters).
  std::string language, country;
  splitLocale(localeForLanguageId(0x0814), language, country);
  EXPECT_EQ("no", language);
  EXPECT_EQ("", country);
}

TEST(LocaleOptions, OnlyWithTheFormatArgument) {
  EXPECT_TRUE(localeOptionLines({L"prog", L"-Dother=1", L"-Dsun.locale.formatasdefault"}, "de", "DE").empty());
  EXPECT_TRUE(localeOptionLines({}, "de", "DE").empty());

  std::vector<std::wstring> expected{L"-Dsun.locale.formatasdefault=false", L"-Duser.language=de",
                                     L"-Duser.country=DE"};
  EXPECT_EQ(expected, localeOptionLines({L"prog", L"-Dsun.locale.formatasdefault=false"}, "de", "DE"));
}

TEST(LocaleOptions, TheLastArgumentCountsAndTrueAddsNothing) {
  std::vector<std::wstring> onlyTrue{L"-Dsun.locale.formatasdefault=true"};
  EXPECT_EQ(onlyTrue, localeOptionLines({L"-Dsun.locale.formatasdefault=false", L"-Dsun.locale.formatasdefault=true"},
                                        "de", "DE"));
  std::vector<std::wstring> lastWins{L"-Dsun.locale.formatasdefault=", L"-Duser.language=no"};
  EXPECT_EQ(lastWins,
            localeOptionLines({L"-Dsun.locale.formatasdefault=true", L"-Dsun.locale.formatasdefault="}, "no", ""));
  // Only the exact value "true" suppresses the properties.
  EXPECT_EQ(3u, localeOptionLines({L"-Dsun.locale.formatasdefault=TRUE"}, "de", "AT").size());
  EXPECT_TRUE(isLocaleFormatArgument(L"-Dsun.locale.formatasdefault=x"));
  EXPECT_FALSE(isLocaleFormatArgument(L"-Dsun.locale.formatasdefaultx"));
}

}  // namespace
}  // namespace zvt
