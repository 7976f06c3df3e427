// How often the Java executable check starts java.exe, and what a check
// costs, on a cold version cache, on a warm one, and after every executable
// was touched: for one runtime and for ten checked in a row. Stand-in
// runtimes count their own probes. Prints a table; times are measured side
// by side in this one run and only printed. The probe counts are the
// behaviour users rely on (a warm cache never starts java.exe), so a wrong
// count ends the program with exit code 1.
#include <cstdio>
#include <string>
#include <vector>

#include "base/registry_win32.h"
#include "base/win32.h"
#include "jvm/discovery/java_check_win32.h"
#include "jvm/discovery/version_cache_rules.h"
#include "runtime/paths.h"
#include "standin_layout.h"
#include "support/jvm_registry.h"
#include "support/win_process.h"

using namespace zvt;

namespace {

struct Phase {
  const char* name;
  int probes = 0;
  double msPerCheck = 0;
};

double now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

int totalProbes(const std::vector<std::wstring>& homes) {
  int n = 0;
  for (const auto& home : homes) n += standin::probeCount(home);
  return n;
}

bool checkAll(const std::vector<std::wstring>& homes, Phase& phase) {
  const int before = totalProbes(homes);
  bool ok = true;
  const double start = now();
  for (const auto& home : homes) {
    std::string exe = toNarrow(home + L"\\bin\\java.exe");
    std::string version;
    ok = checkJavaExe(exe, version, VersionBounds(), Prerelease::Refuse) && ok;
  }
  phase.msPerCheck = (now() - start) / static_cast<double>(homes.size());
  phase.probes = totalProbes(homes) - before;
  return ok;
}

void touch(const std::wstring& exe) {
  HANDLE file = CreateFileW(exe.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME ft;
  GetFileTime(file, nullptr, nullptr, &ft);
  ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
  t.QuadPart += 10000000;  // one second later
  ft.dwLowDateTime = t.LowPart;
  ft.dwHighDateTime = t.HighPart;
  SetFileTime(file, nullptr, nullptr, &ft);
  CloseHandle(file);
}

// Returns false when a count is not what the cache promises.
bool run(int runtimes, bool& allPassed) {
  test::Sandbox sandbox(L"bench_probes");
  // The cache entries of this run's runtimes go with them.
  test::VersionCacheCleanup cache(sandbox.path());
  std::vector<std::wstring> homes;
  for (int i = 0; i < runtimes; ++i) {
    homes.push_back(sandbox.path() + L"\\jre" + std::to_wstring(i));
    standin::RuntimeLayout layout;
    layout.versionText = "openjdk version \"11.0." + std::to_string(i) + "\" 2024-01-16\r\n";
    std::wstring error;
    if (!standin::layOutRuntime(homes.back(), layout, &error)) {
      fwprintf(stderr, L"cannot lay out %ls: %ls\n", homes.back().c_str(), error.c_str());
      return false;
    }
  }
  Phase cold{"cold"}, warm{"warm"}, touched{"after a touch"};
  allPassed = checkAll(homes, cold) && checkAll(homes, warm);
  for (const auto& home : homes) touch(home + L"\\bin\\java.exe");
  allPassed = checkAll(homes, touched) && allPassed;
  for (const Phase* p : {&cold, &warm, &touched})
    printf("| %2d | %-13s | %3d | %8.2f |\n", runtimes, p->name, p->probes, p->msPerCheck);
  printf("|    | warm/cold     |     | %7.1f%% |\n", 100.0 * warm.msPerCheck / cold.msPerCheck);
  return cold.probes == runtimes && warm.probes == 0 && touched.probes == runtimes;
}

}  // namespace

int main() {
  printf("| runtimes | cache | probes | ms per check |\n|---|---|---|---|\n");
  bool countsRight = true;
  for (int runtimes : {1, 10}) {
    bool passed = false;
    countsRight = run(runtimes, passed) && countsRight;
    if (!passed) {
      fprintf(stderr, "a check of a stand-in runtime failed\n");
      countsRight = false;
    }
  }
  if (!countsRight) fprintf(stderr, "probe counts differ from cold = N, warm = 0, after a touch = N\n");
  return countsRight ? 0 : 1;
}
