// Whether a runtime's jvm.dll suits this process, judged by its PE header
// before it is loaded: a 32-bit launcher loads only 32-bit runtimes and a
// 64-bit one only 64-bit runtimes. LoadLibrary would refuse the other width
// too, but only with error 193, which the user would then be told is a
// damaged runtime. A library of the other width is refused with a log line,
// and when the search ends with such a candidate the user is told which
// width was found and which one is needed. Platform-free.
#pragma once

#include <cstdint>
#include <string>

#include "base/pe_machine.h"
#include "jvm/discovery/jvm_search.h"

namespace zvt {

// True when both widths are known and differ. A library whose header cannot
// be read, or a process of unknown machine, is left to LoadLibrary.
bool isOtherWidth(PeMachine process, PeMachine library);

// The loader's account of one candidate's load: set when a jvm.dll of the
// other width was refused and no library of the candidate failed otherwise.
struct WidthRefusal {
  PeMachine library = PeMachine::Unknown;  // Unknown: nothing refused
  std::string javaExe;                     // the candidate's executable
};

// The runtime's home for messages: the executable's directory without its
// last "\bin" (c:\java\jdk-21\bin\java.exe gives c:\java\jdk-21).
std::string runtimeHomeForMessage(const std::string& javaExe);

// What LoadDLL tells the user when the search ends without a usable
// library. The last candidate's libraries all of the other width: 1101
// (a 64-bit runtime for a 32-bit launcher) or 1102 (the reverse), naming
// the location as configured for a location entry, else the runtime's home.
// Otherwise the report by the candidate's kind, with this process's width
// in 1016.
JvmFailureReport searchFailureReport(const JvmCandidate& candidate, PeMachine process,
                                     const WidthRefusal& lastLoad);

}  // namespace zvt
