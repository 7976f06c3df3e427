// Texts generated from the key table: the configuration reference
// (docs/configuration.md) and the list "zvtpack keys" prints.
#pragma once

#include <string>

namespace zvt::pack {

std::string configurationReference();
std::string settingList();

}  // namespace zvt::pack
