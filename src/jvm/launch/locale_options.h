// The locale options: when the launcher is started with a
// "-Dsun.locale.formatasdefault=" argument, the JVM gets that argument and,
// unless it asks for "true", user.language and user.country from the
// detected locale.
#pragma once

#include <string>
#include <vector>

namespace zvt {

extern const wchar_t* const kFormatAsDefaultPrefix;

// The option lines to hand to the VM option assembly, in order: the last
// "-Dsun.locale.formatasdefault=" argument, then "-Duser.language=ll" and,
// when `country` is not empty, "-Duser.country=CC". Empty when no argument
// carries the prefix.
std::vector<std::wstring> localeOptionLines(const std::vector<std::wstring>& programArguments,
                                            const std::string& language, const std::string& country);

// Whether an argument is one of those (they are not passed on to main).
bool isLocaleFormatArgument(const std::wstring& argument);

}  // namespace zvt
