// Tests that must run in a fresh process (process-wide state chosen once,
// or the process ending) run as a child of this test program: the parent
// starts itself with a filter selecting one Child_* test and checks the
// outcome. A Child_* test run directly fails instead of passing silently.
#pragma once

#include <string>

#include "support/win_process.h"

namespace zvt::test {

bool isChild();
// Runs `test` (e.g. "Child_Paths.ModulePath") in `exe` (default: this
// program) with `options`.
RunResult runChild(const std::string& test, RunOptions options = {}, const std::wstring& exe = L"");
std::wstring selfPath();
std::wstring childEnv(const wchar_t* name);

}  // namespace zvt::test

#define REQUIRE_CHILD() \
  if (!::zvt::test::isChild()) GTEST_FAIL() << "runs only as a child of its parent test"
