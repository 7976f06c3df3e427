#pragma once

#include "base/arguments.h"

namespace zvt {

// Runs the Java application in this process: the foreground run and the
// service child. Returns the launch result.
int runApplication(const ArgumentList& arguments, bool registerConsoleHandler);

}  // namespace zvt
