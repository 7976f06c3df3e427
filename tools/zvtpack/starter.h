// The commented starter configuration "zvtpack init" writes: a typical
// service in either runtime flavour, ready to pack as it is.
#pragma once

#include <string>

namespace zvt::pack {

enum class Flavour { Zentrovia, Quarn };

std::string starterConfiguration(Flavour flavour);

}  // namespace zvt::pack
