// The /check command: what a /run would do, up to the creation of the JVM,
// printed for a person instead of done.
#pragma once

#include <string>

#include "base/arguments.h"

namespace zvt {

// Runs the launch preparation, the JVM search and the VM option assembly
// as /run does with the same arguments, without the single-instance check
// and without creating a JVM; prints the report on standard output and
// removes the launcher temporary directory again. Returns 0 when a start
// would go ahead, 1 when it would stop (the report ends with the message
// the start would show).
int runCheck(const std::wstring& programPath, ArgumentList arguments);

}  // namespace zvt
