// The registered-runtime search over N runtimes in the located list, on a
// cold version cache (every executable probed with java.exe -version) and
// on a warm one, side by side for each N: time per candidate and probes per
// candidate. Times are only printed. The probe counts are the behaviour
// users rely on (a warm cache never starts java.exe, a cold one starts each
// executable once), and the newest runtime must be the one chosen, so a
// wrong count or choice ends the program with exit code 1.
//
//   bench_located_search [N...]
// Without arguments the counts come from ZVT_BENCH_RUNTIMES ("1 10 100 500"),
// else 1 and 10: the CTest entry runs without arguments, so a run by hand
// sets the variable and goes through the same entry.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/registry_win32.h"
#include "base/text.h"
#include "base/win32.h"
#include "jvm/discovery/registry_sources_win32.h"
#include "jvm/discovery/version_cache_rules.h"
#include "runtime/paths.h"
#include "standin_layout.h"
#include "support/jvm_registry.h"
#include "support/win_process.h"

using namespace zvt;

namespace {

const wchar_t* const kLocated = test::kLocatedJvmsKey;

double now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

std::wstring javaExeOf(const std::wstring& home) {
  return home + L"\\bin\\java.exe";
}

std::string lowered(std::wstring path) {
  CharLowerBuffW(&path[0], static_cast<DWORD>(path.size()));
  return toNarrow(path);
}

int totalProbes(const std::vector<std::wstring>& homes) {
  int n = 0;
  for (const auto& home : homes) n += standin::probeCount(home);
  return n;
}

struct Pass {
  bool found = false;
  std::string javaExe;
  int probes = 0;
  double ms = 0;
};

Pass search(const std::vector<std::wstring>& homes) {
  Pass pass;
  const int before = totalProbes(homes);
  std::string version;
  const VersionBounds bounds;
  const double start = now();
  pass.found = registeredJvmSource(bounds, pass.javaExe, version);
  pass.ms = now() - start;
  pass.probes = totalProbes(homes) - before;
  return pass;
}

// Returns false when a count or the choice is not what the search promises.
bool run(int runtimes) {
  // The located list of both hives and the vendor keys, saved, emptied for
  // the run and put back after it: only this run's runtimes answer.
  test::EmptiedJvmRegistry registry;
  if (!registry.ok()) {
    fwprintf(stderr, L"cannot empty the registry places of the search\n");
    return false;
  }
  test::Sandbox sandbox(L"bench_located");
  // The version cache entries of this run's runtimes, removed for the cold
  // pass and when the run ends.
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
    // A key name cannot hold a backslash: the list names the executable
    // with "/".
    std::wstring name = javaExeOf(homes.back());
    for (wchar_t& ch : name)
      if (ch == L'\\') ch = L'/';
    if (!registry::createKey(HKEY_CURRENT_USER, std::wstring(kLocated) + L"\\" + name, KEY_ALL_ACCESS).valid()) {
      fwprintf(stderr, L"cannot register %ls\n", name.c_str());
      return false;
    }
  }
  cache.removeEntries();
  const Pass cold = search(homes);
  const Pass warm = search(homes);

  const double n = static_cast<double>(runtimes);
  printf("| %3d | %9.2f | %9.2f | %5.1f%% | %5.2f | %5.2f |\n", runtimes, cold.ms / n, warm.ms / n,
         100.0 * warm.ms / cold.ms, cold.probes / n, warm.probes / n);
  fflush(stdout);

  const std::string newest = lowered(javaExeOf(homes.back()));
  bool right = true;
  for (const Pass* pass : {&cold, &warm}) {
    if (!pass->found || lowered(toWide(pass->javaExe)) != newest) {
      fprintf(stderr, "N=%d: chose \"%s\", not the newest \"%s\"\n", runtimes, pass->javaExe.c_str(), newest.c_str());
      right = false;
    }
  }
  if (cold.probes != runtimes || warm.probes != 0) {
    fprintf(stderr, "N=%d: %d probes cold, %d warm; expected %d and 0\n", runtimes, cold.probes, warm.probes, runtimes);
    right = false;
  }
  return right;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  const char* fromEnvironment = getenv("ZVT_BENCH_RUNTIMES");
  if (words.empty() && fromEnvironment != nullptr) {
    const std::string list = fromEnvironment;
    size_t begin = list.find_first_not_of(' ');
    while (begin != std::string::npos) {
      const size_t end = list.find(' ', begin);
      words.push_back(list.substr(begin, end - begin));
      begin = list.find_first_not_of(' ', end);
    }
  }
  std::vector<int> counts;
  for (const std::string& word : words) {
    char* end = nullptr;
    const long n = strtol(word.c_str(), &end, 10);
    if (*end != '\0' || n < 1 || n > 5000) {
      fprintf(stderr, "not a runtime count (1 to 5000): %s\n", word.c_str());
      return 2;
    }
    counts.push_back(static_cast<int>(n));
  }
  if (counts.empty()) counts = {1, 10};
  printf(
      "| N | ms per candidate, cold | ms per candidate, warm | warm/cold | probes per candidate, cold | "
      "probes per candidate, warm |\n|---|---|---|---|---|---|\n");
  bool right = true;
  for (int n : counts) right = run(n) && right;
  return right ? 0 : 1;
}
