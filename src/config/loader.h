// Loading the configuration block from the launcher's own executable.
#pragma once

#include <string>

namespace zvt {

// Reads the block into the process-wide configuration (config::current()),
// applies the localized message set of the user's locale and chooses the
// error display. Ends the process on any failure. Returns key 107.
int loadConfiguration();
// The same for another packed file (tests load copies with it).
int loadConfigurationFrom(const std::wstring& path);

// The user's locale: "ll" or "ll_CC".
std::string detectLocale();

bool languageCode(std::string& out);
bool countryCode(std::string& out);
unsigned long long payloadOffset();

}  // namespace zvt
