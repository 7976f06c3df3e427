// The JSON-lines trace of a stand-in runtime: <home>\standin\trace.jsonl.
// Every record is appended and the file closed again at once, so a process
// that ends with ExitProcess or is killed by a test timeout leaves a complete
// trace up to its last record.
#pragma once

#include <cstdint>
#include <string>

#include "json_line.h"

namespace standin {

void setTraceHome(const std::wstring& home);
const std::wstring& traceHome();
void trace(const JsonLine& line);

// The performance counter in microseconds: one clock for every process of
// the machine (and of one Wine session), unlike GetTickCount's coarse steps.
int64_t performanceMicroseconds();

}  // namespace standin
