// Management of the launcher's own Windows service through the Service
// Control Manager. All operate on processState().serviceName.
#pragma once

#include "launcher/arguments.h"

namespace zvt {

constexpr unsigned long kAutoStart = 2;    // SERVICE_AUTO_START
constexpr unsigned long kDemandStart = 3;  // SERVICE_DEMAND_START

int installService(unsigned long startType);
int uninstallService(bool messages);
int startService(const ArgumentList& parameters);
int stopService(bool messages);
int printServiceStatus();

}  // namespace zvt
