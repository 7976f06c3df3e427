// The JVM launch in the running launcher: the launcher's system properties,
// the VM options, the JVM thread, and the JVM it creates.
#pragma once

#include <jni.h>

#include <string>
#include <vector>

#include "base/arguments.h"

namespace zvt {

// What the JVM would be created with and what main would get: the VM
// options (system properties first, each told to decisions()) and the
// parameters of the launcher class's main. Needs the JVM search done (the
// selected runtime's version and library directory). A required class-path
// entry that is missing ends the process (message 1006 or 1008).
struct LaunchPlan {
  std::vector<std::string> options;
  ArgumentList mainParameters;
};
LaunchPlan planLaunch(const ArgumentList& arguments);

// Builds the system properties and the VM options, starts the JVM thread
// with the stack reservation of the last valid "-Xss" and waits for it
// without time-out (the JVM runs on this thread when no thread can be
// started). True when main ran and returned without an exception. Ends the
// process itself when the launcher class or its main is missing. Needs the
// JVM library loaded (processState().jvm.createJavaVM).
bool launchProgram(const ArgumentList& arguments, bool destroyAfterMain);

}  // namespace zvt
