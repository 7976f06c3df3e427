// The Windows language id to locale string table, and the lookup the
// launcher uses to name the user's locale ("ll" or "ll_CC").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zvt {

struct LcidLocale {
  uint16_t id;
  const char* locale;
};

// 215 entries, ids unique and ascending. The strings are kept as the Java
// runtime of the time named these locales ("iw", "in", "no_NO_NY", ...): the
// Java side and stored localized message sets expect exactly these.
extern const LcidLocale kLcidLocaleTable[];
extern const size_t kLcidLocaleCount;

// An exact match of `languageId`; else the first entry whose id equals its
// primary language (the low 10 bits); else "en".
std::string localeForLanguageId(uint16_t languageId);

}  // namespace zvt
