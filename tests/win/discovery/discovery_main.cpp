// The JVM discovery tests under Wine. Every run gets a temporary directory
// of its own (TMP and TEMP, inherited by its children), so the probe's
// temporary files can be counted without seeing other programs' files.
#include <gtest/gtest.h>

#include <string>

#include "base/win32.h"
#include "support/win_process.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wchar_t base[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, base);
  std::wstring own;
  if (GetEnvironmentVariableW(L"ZVT_WIN_CHILD", nullptr, 0) == 0) {
    // A fresh Wine session reuses process ids, and a run that was killed
    // leaves its directory behind: take the next free name.
    for (int attempt = 0;; ++attempt) {
      own = std::wstring(base) + L"zvt_disc_" + std::to_wstring(GetCurrentProcessId()) +
            (attempt ? L"_" + std::to_wstring(attempt) : L"");
      if (CreateDirectoryW(own.c_str(), nullptr)) break;
      if (GetLastError() != ERROR_ALREADY_EXISTS || attempt == 100) {
        fprintf(stderr, "cannot create the temporary directory\n");
        return 1;
      }
    }
    SetEnvironmentVariableW(L"TMP", own.c_str());
    SetEnvironmentVariableW(L"TEMP", own.c_str());
  }
  const int result = RUN_ALL_TESTS();
  if (!own.empty()) zvt::test::removeTree(own);
  return result;
}
