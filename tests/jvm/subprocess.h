// Runs a program with its standard streams on pipes and a time limit; a
// program that outlives the limit is killed and reported as timed out.
#pragma once

#include <string>
#include <vector>

namespace zvt::test {

struct RunResult {
  bool timedOut = false;
  int exitCode = -1;  // -1 when killed by a signal
  std::string out;
  std::string err;
};

struct RunOptions {
  std::string input;      // written to standard input
  std::string sendAfter;  // ...once standard output contains this (empty: at once)
  bool closeInput = true; // close standard input after sending (end of input)
  int timeoutMs = 60000;
};

RunResult runProgram(const std::vector<std::string>& argv, const RunOptions& options);

}  // namespace zvt::test
