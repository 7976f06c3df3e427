// Finding and loading the Java runtime for this process: the search over
// every source, the loading of the chosen runtime's JVM library and of its
// JNI_CreateJavaVM entry, and the one message to the user when nothing
// works. The decisions are jvm_search.h's and jvm_library.h's; this is the
// shell on the real machine.
#pragma once

#include <cstdint>
#include <string>

#include "jvm/discovery/jvm_search.h"

namespace zvt {

// The search and the load of LoadDLL without telling the user: on failure
// `failure` holds the message LoadDLL would show.
bool findJvm(JvmFailureReport& failure);

// Runs the search once. True when a JVM library is loaded and its
// JNI_CreateJavaVM entry resolved; the process state's selected JVM then
// holds its home ("<bin>\.."), version, library directory and entry. False
// after the error log line and, with reportErrors, the message that names
// the last candidate that passed its check.
bool LoadDLL(bool reportErrors);

// The JVM library of one Java executable (its own bin directory, then a
// JDK's private runtime), as a module handle; 0 when none loaded. On
// success the library directory is recorded in the process state.
uintptr_t loadJvmFromJavaExe(const std::string& javaExe);

// Resolves JNI_CreateJavaVM from a loaded JVM library into the process
// state; a 0 module fails.
bool resolveCreateJavaVm(uintptr_t module);

}  // namespace zvt
