// Checks the include rules of a source tree: exit code 0 when every include
// keeps them, 1 with one line per broken rule, 2 on a usage error.
#include <cstdio>
#include <string>

#include "include_rules.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <source root>\n", argv[0]);
    return 2;
  }
  std::vector<zvt::layers::Violation> violations = zvt::layers::checkTree(argv[1]);
  if (violations.empty()) {
    std::printf("include rules kept under %s\n", argv[1]);
    return 0;
  }
  // Named from the root given, so the lines lead to the files.
  std::string root = argv[1];
  if (!root.empty() && root.back() != '/') root += '/';
  for (zvt::layers::Violation& v : violations) v.file = root + v.file;
  std::string text = zvt::layers::describe(violations);
  std::fprintf(stderr, "%s%zu include rule(s) broken\n", text.c_str(), violations.size());
  return 1;
}
