// Service stop latency: from the stop request to the STOPPED report, for the
// packed launcher whose service child runs an application that stops at
// once on the shutdown line "0" (the stand-in runtime's waitStdin), against
// a minimal service in this program that reports STOPPED from its control
// handler (the floor: the manager's own round trip under the same system).
// Cycles of both run alternately in one run; the program prints every cycle,
// the medians and their ratio. Then two figures of the host under faults:
// the stop timeout's accuracy (an application that ignores the shutdown
// line, a stop timeout of 2 s: how long after the timeout STOPPED comes)
// and the restart latency (an application that ends with 3 at once, restart
// delay 0: from its exit record to the next main call in the stand-in's
// trace). No time is asserted: the program fails only when a service does
// not reach the state a cycle needs (bounded waits).
//
//   bench_stop_latency --template=<zvtsvc.exe> [--cycles=N]
// Under Wine: tests/run-wine.sh build/win64 -R bench_stop_latency -V
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/handle.h"
#include "base/text.h"
#include "base/win32.h"
#include "pack.h"
#include "standin_layout.h"
#include "support/win_process.h"

using namespace zvt;

namespace {

constexpr DWORD kStateTimeoutMs = 60000;

double nowMs() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// --- the floor: this program as a minimal service ---------------------------

SERVICE_STATUS_HANDLE g_floorHandle = nullptr;
HANDLE g_floorStopped = nullptr;

void reportFloor(DWORD state) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(g_floorHandle, &status);
}

void WINAPI floorHandler(DWORD control) {
  if (control != SERVICE_CONTROL_STOP) return;
  reportFloor(SERVICE_STOPPED);
  SetEvent(g_floorStopped);
}

void WINAPI floorMain(DWORD, LPWSTR* argv) {
  g_floorHandle = RegisterServiceCtrlHandlerW(argv[0], &floorHandler);
  if (!g_floorHandle) return;
  reportFloor(SERVICE_RUNNING);
}

int runFloorService() {
  g_floorStopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  wchar_t name[] = L"";
  SERVICE_TABLE_ENTRYW table[] = {{name, &floorMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}

// --- the measuring side ---------------------------------------------------

UniqueServiceHandle manager() { return UniqueServiceHandle(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)); }

DWORD state(SC_HANDLE service) {
  SERVICE_STATUS status{};
  return QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

bool waitFor(SC_HANDLE service, DWORD wanted) {
  DWORD start = GetTickCount();
  while (state(service) != wanted) {
    if (GetTickCount() - start > kStateTimeoutMs) return false;
    Sleep(1);
  }
  return true;
}

class Service {
 public:
  Service(const std::wstring& name, const std::wstring& binaryPath) : name_(name) {
    UniqueServiceHandle m = manager();
    handle_.reset(CreateServiceW(m.get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                 SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, binaryPath.c_str(), nullptr, nullptr,
                                 nullptr, nullptr, nullptr));
  }
  ~Service() {
    if (!handle_) return;
    SERVICE_STATUS status{};
    ControlService(handle_.get(), SERVICE_CONTROL_STOP, &status);
    waitFor(handle_.get(), SERVICE_STOPPED);
    DeleteService(handle_.get());
  }
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;

  bool valid() const { return handle_.valid(); }
  SC_HANDLE get() const { return handle_.get(); }
  const std::wstring& name() const { return name_; }

 private:
  std::wstring name_;
  UniqueServiceHandle handle_;
};

size_t mainCalls(const std::wstring& jreHome) {
  size_t n = 0;
  for (const std::string& line : standin::traceLines(jreHome)) {
    if (line.find("\"ev\":\"call\"") != std::string::npos && line.find("\"method\":\"main\"") != std::string::npos) {
      ++n;
    }
  }
  return n;
}

size_t exitRecords(const std::wstring& jreHome) {
  size_t n = 0;
  for (const std::string& line : standin::traceLines(jreHome)) n += line.find("\"ev\":\"exit\"") != std::string::npos;
  return n;
}

// Polls `count` until it reaches `wanted`; false after the state timeout.
template <typename Count>
bool waitForCount(Count count, size_t wanted) {
  DWORD start = GetTickCount();
  while (count() < wanted) {
    if (GetTickCount() - start > kStateTimeoutMs) return false;
    Sleep(2);
  }
  return true;
}

// One cycle: start, wait until the service (and, for the launcher, the
// application's main) runs, then time the stop. Negative on failure.
double cycle(const Service& service, const std::wstring& jreHome, size_t cycleIndex) {
  if (!StartServiceW(service.get(), 0, nullptr)) {
    fprintf(stderr, "StartService failed (%lu)\n", GetLastError());
    return -1;
  }
  if (!waitFor(service.get(), SERVICE_RUNNING)) return -1;
  if (!jreHome.empty()) {
    DWORD start = GetTickCount();
    while (mainCalls(jreHome) < cycleIndex + 1) {
      if (GetTickCount() - start > kStateTimeoutMs) {
        fprintf(stderr, "the application's main was not called\n");
        return -1;
      }
      Sleep(5);
    }
  }
  SERVICE_STATUS status{};
  const double t0 = nowMs();
  if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
    fprintf(stderr, "ControlService failed (%lu)\n", GetLastError());
    return -1;
  }
  if (!waitFor(service.get(), SERVICE_STOPPED)) return -1;
  const double elapsed = nowMs() - t0;
  Sleep(200);  // the service process leaves before the next start
  return elapsed;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::wstring selfPath() {
  wchar_t path[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  return std::wstring(path, n);
}

// Packs the template for a service of the stand-in application named by
// `vmOptions`, with the host's settings in `extra`, into <box>\<file>.
bool packService(const test::Sandbox& box, const std::string& image, const std::wstring& serviceName,
                 const std::string& vmOptions, const std::vector<block::Entry>& extra, const std::wstring& file) {
  block::Content content;
  content.entries = {{101, utf16ToUtf8(serviceName)},
                     {107, "4"},
                     {122, "com.example.Main"},
                     {128, "B.\\jre;"},
                     {123, vmOptions}};
  content.entries.insert(content.entries.end(), extra.begin(), extra.end());
  content.messages = {{1000, L"Error"}};
  std::vector<uint8_t> packed;
  std::string error;
  if (!pack::packImage(std::vector<uint8_t>(image.begin(), image.end()), content, packed, error)) {
    fprintf(stderr, "pack: %s\n", error.c_str());
    return false;
  }
  return test::writeFileBytes(box.file(file), std::string(packed.begin(), packed.end()));
}

// How long after the stop timeout (2 s) the service reports STOPPED, for an
// application that ignores the shutdown line; negative on failure.
double stopTimeoutOvershoot(const Service& service, const std::wstring& jreHome, size_t cycleIndex) {
  if (!StartServiceW(service.get(), 0, nullptr) || !waitFor(service.get(), SERVICE_RUNNING)) return -1;
  if (!waitForCount([&] { return mainCalls(jreHome); }, cycleIndex + 1)) return -1;
  SERVICE_STATUS status{};
  const double t0 = nowMs();
  if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) return -1;
  if (!waitFor(service.get(), SERVICE_STOPPED)) return -1;
  const double overshoot = nowMs() - t0 - 2000.0;
  Sleep(200);
  return overshoot;
}

int measureFaults(const std::string& image, const std::wstring& tag, int cycles) {
  test::Sandbox box(L"stopfault");
  const std::wstring jre = box.file(L"jre");
  std::wstring layoutError;
  const std::wstring timeoutName = L"ZvtBenchTimeout" + tag, restartName = L"ZvtBenchRestart" + tag;
  if (!standin::layOutRuntime(jre, standin::RuntimeLayout(), &layoutError) ||
      !packService(box, image, timeoutName, "-Dstandin.app=ignoreStop", {{30001, "2"}}, L"timeout.exe") ||
      !packService(box, image, restartName, "-Dstandin.app=exit -Dstandin.exitCode=3",
                   {{30002, "1000"}, {30003, "0"}, {30004, "0"}}, L"restart.exe")) {
    fprintf(stderr, "sandbox: %ls\n", layoutError.c_str());
    return 1;
  }
  std::vector<double> overshootMs, restartMs;
  {
    Service timeout(timeoutName, test::quote(box.file(L"timeout.exe")));
    if (!timeout.valid()) return 1;
    for (int i = 0; i < cycles; ++i) {
      double o = stopTimeoutOvershoot(timeout, jre, static_cast<size_t>(i));
      if (o < -1000) {
        fprintf(stderr, "stop timeout cycle %d did not complete\n", i + 1);
        return 1;
      }
      overshootMs.push_back(o);
    }
  }
  {
    Service restart(restartName, test::quote(box.file(L"restart.exe")));
    if (!restart.valid() || !StartServiceW(restart.get(), 0, nullptr)) return 1;
    const size_t mainsBefore = mainCalls(jre), exitsBefore = exitRecords(jre);
    for (int i = 0; i < cycles; ++i) {
      const size_t k = static_cast<size_t>(i);
      if (!waitForCount([&] { return exitRecords(jre); }, exitsBefore + k + 1)) return 1;
      const double t0 = nowMs();
      if (!waitForCount([&] { return mainCalls(jre); }, mainsBefore + k + 2)) {
        fprintf(stderr, "restart %d: main was not called again\n", i + 1);
        return 1;
      }
      restartMs.push_back(nowMs() - t0);
    }
  }
  printf("\nstop timeout 2 s, STOPPED after the timeout (ms): median %.1f (min %.1f, max %.1f)\n",
         median(overshootMs), *std::min_element(overshootMs.begin(), overshootMs.end()),
         *std::max_element(overshootMs.begin(), overshootMs.end()));
  printf("restart latency, the child's exit to the next main (ms): median %.1f (min %.1f, max %.1f)\n",
         median(restartMs), *std::min_element(restartMs.begin(), restartMs.end()),
         *std::max_element(restartMs.begin(), restartMs.end()));
  return 0;
}

int measure(const std::wstring& templatePath, int cycles) {
  test::Sandbox box(L"stoplat");
  const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount());
  const std::wstring launcherName = L"ZvtBenchStop" + tag, floorName = L"ZvtBenchFloor" + tag;

  std::string image;
  if (!test::readFileBytes(templatePath, image)) {
    fprintf(stderr, "cannot read %ls\n", templatePath.c_str());
    return 1;
  }
  const std::wstring exe = box.file(L"stopbench.exe");
  const std::wstring jre = box.file(L"jre");
  std::wstring layoutError;
  if (!packService(box, image, launcherName, "-Dstandin.app=waitStdin", {}, L"stopbench.exe") ||
      !standin::layOutRuntime(jre, standin::RuntimeLayout(), &layoutError)) {
    fprintf(stderr, "sandbox: %ls\n", layoutError.c_str());
    return 1;
  }

  Service launcher(launcherName, test::quote(exe));
  Service floor(floorName, test::quote(selfPath()) + L" --service");
  if (!launcher.valid() || !floor.valid()) {
    fprintf(stderr, "CreateService failed (%lu)\n", GetLastError());
    return 1;
  }
  std::vector<double> launcherMs, floorMs;
  printf("cycle  launcher ms  floor ms\n");
  for (int i = 0; i < cycles; ++i) {
    double l = cycle(launcher, jre, static_cast<size_t>(i));
    double f = cycle(floor, L"", 0);
    if (l < 0 || f < 0) {
      fprintf(stderr, "cycle %d did not complete\n", i + 1);
      return 1;
    }
    launcherMs.push_back(l);
    floorMs.push_back(f);
    printf("%5d  %11.1f  %8.1f\n", i + 1, l, f);
  }
  double ml = median(launcherMs), mf = median(floorMs);
  printf("median %10.1f  %8.1f\n", ml, mf);
  printf("launcher / floor: %.2f\n", mf > 0 ? ml / mf : 0.0);
  return measureFaults(image, tag, cycles);
}

}  // namespace

int main(int argc, char** argv) {
  std::wstring templatePath;
  int cycles = 7;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--service") == 0) return runFloorService();
    if (std::strncmp(argv[i], "--template=", 11) == 0) templatePath = test::windowsPath(argv[i] + 11);
    if (std::strncmp(argv[i], "--cycles=", 9) == 0) cycles = std::max(1, std::atoi(argv[i] + 9));
  }
  if (templatePath.empty()) {
    fprintf(stderr, "usage: bench_stop_latency --template=<zvtsvc.exe> [--cycles=N]\n");
    return 2;
  }
  return measure(templatePath, cycles);
}
