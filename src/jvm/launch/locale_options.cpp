#include "jvm/launch/locale_options.h"

#include "base/text.h"

namespace zvt {

const wchar_t* const kFormatAsDefaultPrefix = L"-Dsun.locale.formatasdefault=";

bool isLocaleFormatArgument(const std::wstring& argument) {
  return argument.compare(0, std::wstring(kFormatAsDefaultPrefix).size(), kFormatAsDefaultPrefix) == 0;
}

std::vector<std::wstring> localeOptionLines(const std::vector<std::wstring>& programArguments,
                                            const std::string& language, const std::string& country) {
  const std::wstring* last = nullptr;
  for (const std::wstring& argument : programArguments) {
    if (isLocaleFormatArgument(argument)) last = &argument;
  }
  if (!last) return {};
  std::vector<std::wstring> lines{*last};
  if (*last == std::wstring(kFormatAsDefaultPrefix) + L"true") return lines;
  lines.push_back(L"-Duser.language=" + widenBytes(language));
  if (!country.empty()) lines.push_back(L"-Duser.country=" + widenBytes(country));
  return lines;
}

}  // namespace zvt
