// Unpacking packed runtime jars on the real machine, with the runtime's own
// bin\unpack200.exe started through the process runner. See packed_jre.h.
#pragma once

#include <string>

namespace zvt {

// Called with the resolved directory of every directory location before its
// Java executable is looked for. An unpacker that cannot be started ends the
// process with message 1021 and exit code 1.
void unpackPackedJre(const std::string& home);

}  // namespace zvt
