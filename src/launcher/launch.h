#pragma once

#include "base/arguments.h"

namespace zvt {

// The first steps of runApplication: the included files extracted into a
// fresh launcher temporary directory (message 1009 and exit code 1 when that
// fails) and the configured native library directories put in front of PATH.
void prepareLaunch();

// Runs the Java application in this process: the foreground runs and the
// service child. `arguments` are the program arguments handed to the JVM
// launch (the first is the program path or the service name). Returns true
// once the application has ended normally; every failure ends the process
// with exit code 1 instead (an application may also end it with a code of
// its own through System.exit).
bool runApplication(const ArgumentList& arguments, bool registerConsoleHandler);

}  // namespace zvt
