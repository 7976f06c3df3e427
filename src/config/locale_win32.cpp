#include "base/win32.h"
#include "config/loader.h"
#include "runtime/log.h"

namespace zvt {

// The Windows language id to locale table arrives with the locale options;
// until then every user gets "en". ZVT_TEST_LOCALE lets tests choose the
// detected locale so localized message sets can be checked end to end.
std::string detectLocale() {
  std::string locale = "en";
  char buf[16];
  DWORD n = GetEnvironmentVariableA("ZVT_TEST_LOCALE", buf, sizeof(buf));
  if (n > 0 && n < sizeof(buf)) locale.assign(buf, n);
  logLine(L"language/country is %hs", locale.c_str());
  return locale;
}

}  // namespace zvt
