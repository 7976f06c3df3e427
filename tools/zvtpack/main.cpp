// zvtpack on Linux and other POSIX hosts: arguments and paths are UTF-8.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli.h"

namespace {

// The directory of this program's file (the templates ship beside it);
// empty when the system does not say.
std::string installDirectory() {
  std::vector<char> path(4096);
  ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<size_t>(n) >= path.size()) return std::string();
  std::string file(path.data(), static_cast<size_t>(n));
  size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string() : file.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string out;
  std::string err;
  int code = zvt::pack::runZvtpack(args, out, err, installDirectory());
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return code;
}
