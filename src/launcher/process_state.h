// Process-wide values set by the entry and startup preparation on the main
// thread before any other thread starts; read-only afterwards (the service
// main replaces the service name once, see the service host).
#pragma once

#include <string>

namespace zvt {

struct ProcessState {
  std::wstring serviceName;     // key 101, or the name after a switch
  bool serviceMode = false;     // cleared only by run and run-redirect
  bool noRedirection = false;   // set only by run
  char runtimeFlavour = '\0';   // key 2001's first character: 'e' = quarn names
};

ProcessState& processState();

}  // namespace zvt
