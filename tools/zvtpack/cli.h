// The zvtpack command line, testable in-process: arguments in (UTF-8, the
// command first), standard output and error text out, the exit code back.
#pragma once

#include <string>
#include <vector>

namespace zvt::pack {

// 0 success, 1 failure (nothing written), 2 a malformed command line.
int runZvtpack(const std::vector<std::string>& arguments, std::string& out, std::string& err);

}  // namespace zvt::pack
