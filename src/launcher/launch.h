#pragma once

#include "base/arguments.h"

namespace zvt {

// Runs the Java application in this process: the foreground runs and the
// service child. `arguments` are the program arguments handed to the JVM
// launch (the first is the program path or the service name). Returns true
// once the application has ended normally; every failure ends the process
// with exit code 1 instead (an application may also end it with a code of
// its own through System.exit).
bool runApplication(const ArgumentList& arguments, bool registerConsoleHandler);

}  // namespace zvt
