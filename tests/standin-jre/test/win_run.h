// Runs a program with pipes on its standard streams and a time limit (a
// program that outlives it is terminated and reported as timed out).
#pragma once

#include <string>
#include <vector>

namespace standin::test {

struct RunResult {
  bool timedOut = false;
  unsigned long exitCode = 0;
  std::string out;
  std::string err;
};

struct RunOptions {
  std::string input;       // written to standard input
  bool closeInput = true;  // then closed (end of input), or kept open
  unsigned long timeoutMs = 60000;
};

// `args` are quoted for the usual command-line parsing.
RunResult run(const std::wstring& program, const std::vector<std::wstring>& args,
              const RunOptions& options = RunOptions());

}  // namespace standin::test
