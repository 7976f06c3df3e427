#include <gtest/gtest.h>

#include <cstring>

#include "launcher_fixture.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--template=", 11) == 0) zvt::e2e::g_templatePath = zvt::test::windowsPath(argv[i] + 11);
    if (std::strncmp(argv[i], "--vmprobe=", 10) == 0) zvt::e2e::g_vmProbePath = zvt::test::windowsPath(argv[i] + 10);
  }
  if (zvt::e2e::g_templatePath.empty() || !zvt::test::fileExists(zvt::e2e::g_templatePath)) {
    fprintf(stderr, "usage: zvt_e2e_tests --template=<path of zvtsvc.exe> (missing or not found)\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
