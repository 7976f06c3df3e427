// Rules for single values of a configuration, shared by the checks of
// "pack" and by "show", which must print only what "pack" accepts back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zvt::pack {

// A version bound the launcher reads exactly as written: decimal numbers
// (each at most 2147483647) separated by single ".", "_", "-" or "+". The
// launcher's grammar reads a part without leading digits as 0 and ignores
// what follows the digits ("17-ea" is 17.0, "1.8u201" is 1.8), so such
// texts are refused with the reason. An empty text is no bound.
bool checkVersionBound(const std::string& text, std::string& problem);

// Localized message set codes: empty (every locale), or a code the
// launcher's locale detection produces, or its two-letter language.
bool isDetectableLocale(const std::string& code);
// The detectable code closest to `code`, for "did you mean" ("de_AT" for
// "de-AT" or "DE_at"); empty when none is close.
std::string closestLocale(const std::string& code);

// "0", "17", "-5": the form std::to_string gives, so that reading and
// writing it again gives the same text.
bool parseCanonicalInt(const std::string& text, int64_t& value);

// "r,g,b" with each part a canonical decimal 0..255.
bool parseColour(const std::string& text, std::vector<int64_t>& parts);

}  // namespace zvt::pack
