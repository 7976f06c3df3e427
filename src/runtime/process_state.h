// Process-wide values set by the entry and startup preparation on the main
// thread before any other thread starts; read-only afterwards (the service
// main replaces the service name once, see the service host).
#pragma once

#include <string>

namespace zvt {

// Untyped: jni.h is above this layer; the caller casts it back.
using UntypedFunction = void (*)();

struct SelectedJvm {  // empty until the JVM search chose one
  std::string home;              // "<java.exe's dir>\..", not normalised
  std::string version;
  std::string libraryDirectory;  // bin directory jvm.dll came from
  UntypedFunction createJavaVM = nullptr;  // its JNI_CreateJavaVM
};

struct ProcessState {
  std::wstring serviceName;     // key 101, or the name after a switch
  bool serviceMode = false;     // cleared only by run and run-redirect
  bool noRedirection = false;   // set only by run
  char runtimeFlavour = '\0';   // key 2001's first character: 'e' = quarn names
  std::string launcherTempDirectory;  // extracted files; fatalExit removes it
  SelectedJvm jvm;
  std::string instanceSemaphoreName;  // "Global\..." or "Local\..."
};

ProcessState& processState();

}  // namespace zvt
