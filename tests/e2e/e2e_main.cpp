#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "launcher_fixture.h"

namespace {

// --check-suites=A,B,...: every test suite of this program must be in the
// list (the suites CTest runs one entry each), so a new suite that nobody
// registered fails instead of never running.
int checkSuites(const char* list) {
  std::set<std::string> registered;
  for (const char* p = list; *p;) {
    const char* end = std::strchr(p, ',');
    if (!end) end = p + std::strlen(p);
    registered.insert(std::string(p, end));
    p = *end ? end + 1 : end;
  }
  int missing = 0;
  const ::testing::UnitTest& tests = *::testing::UnitTest::GetInstance();
  for (int i = 0; i < tests.total_test_suite_count(); ++i) {
    std::string name = tests.GetTestSuite(i)->name();
    if (!registered.count(name)) {
      fprintf(stderr, "test suite %s has no CTest entry (tests/e2e/CMakeLists.txt)\n", name.c_str());
      ++missing;
    }
  }
  printf("checked %d test suites: %d without a CTest entry\n", tests.total_test_suite_count(), missing);
  return missing == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--check-suites=", 15) == 0) return checkSuites(argv[i] + 15);
  }
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
