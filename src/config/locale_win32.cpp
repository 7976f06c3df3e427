#include "base/system_function_win32.h"
#include "base/win32.h"
#include "config/loader.h"
#include "config/locale_table.h"
#include "runtime/log.h"

namespace zvt {
namespace {

using UiLanguageFn = LANGID(WINAPI*)();

// The user interface language is what the user reads; the default locale id
// (formats) is only the fallback. The function is looked up at run time:
// systems before its introduction lack it.
LANGID userLanguageId() {
  auto uiLanguage = systemFunction<UiLanguageFn>(L"kernel32.dll", "GetUserDefaultUILanguage");
  return uiLanguage ? uiLanguage() : LANGIDFROMLCID(GetUserDefaultLCID());
}

}  // namespace

std::string detectLocale() {
  std::string locale = localeForLanguageId(userLanguageId());
  logLine(L"language/country is %hs", locale.c_str());
  return locale;
}

}  // namespace zvt
