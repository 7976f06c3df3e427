// Start-up overhead of the launcher: from the start of "myservice.exe /run"
// (a packed launcher whose search finds a stand-in runtime in <dir>\jre) to
// the stand-in's JNI_CreateJavaVM entry, and to the end of the process,
// against the floor (a program that only loads the same jvm.dll and calls
// JNI_CreateJavaVM and main) and, for scale, an empty program and the
// launcher's usage line. The programs take turns, round by round, under the
// same Wine (or Windows); the first round only warms up (the version cache,
// the file cache) and is not counted. Prints medians and ratios; asserts no
// time, but fails when a run fails.
//
//   bench_startup_overhead --template=<zvtsvc.exe> --floor=<exe> --empty=<exe> [--rounds=N] [--runs=N] [--log]
//
// --runs: how many runs of --rounds rounds each (default 3 of 31); every
// run prints its medians and ratios, and the last table gives the median of
// the runs' figures, so one loaded moment of a shared machine does not make
// the result.
// --log: after the rounds, one more "/run" with the diagnostic log on, whose
// log is printed (its time stamps show where the launcher's own time goes).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/process_win32.h"
#include "base/text.h"
#include "base/win32.h"
#include "pack.h"
#include "standin_layout.h"
#include "support/win_process.h"
#include "trace.h"

using namespace zvt;

namespace {

struct Program {
  const char* name;
  std::wstring commandLine;
  bool createsJvm;
  std::vector<double> toCreateMs;  // start to JNI_CreateJavaVM entry
  std::vector<double> toEndMs;     // start to the end of the process
};

std::string argumentValue(int argc, char** argv, const char* name) {
  std::string prefix = std::string("--") + name + "=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) return argv[i] + prefix.size();
  }
  return std::string();
}

bool hasFlag(int argc, char** argv, const char* flag) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], flag) == 0) return true;
  }
  return false;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The stand-in's record of its JNI_CreateJavaVM entry, in microseconds.
bool createEntry(const std::wstring& home, int64_t& entryUs) {
  for (const std::string& line : standin::traceLines(home)) {
    size_t at = line.find("\"entryUs\":");
    if (line.rfind("{\"ev\":\"create\"", 0) == 0 && at != std::string::npos) {
      entryUs = std::stoll(line.substr(at + 10));
      return true;
    }
  }
  return false;
}

bool runOnce(Program& program, const std::wstring& runtimeHome, bool counted, bool mayRetry = true) {
  DeleteFileW((runtimeHome + L"\\standin\\trace.jsonl").c_str());
  ChildOptions options;
  options.commandLine = program.commandLine;
  options.input = StreamSetup::pipe();
  options.output = StreamSetup::pipe();
  options.error = StreamSetup::pipe();
  options.terminateOnDestroy = true;
  ChildProcess child;
  int64_t startUs = standin::performanceMicroseconds();
  if (!child.start(options)) {
    // Wine's process creation now and then fails with ERROR_INTERNAL_ERROR
    // on a loaded machine; a start that did not happen measures nothing,
    // so it is tried once more (a second failure fails the run).
    std::fprintf(stderr, "%s: cannot start (%lu)%s\n", program.name, child.startError(),
                 mayRetry ? ", trying once more" : "");
    return mayRetry && runOnce(program, runtimeHome, counted, false);
  }
  child.closeInput();
  if (!child.wait(60000)) {
    std::fprintf(stderr, "%s: did not end within 60 s\n", program.name);
    return false;
  }
  int64_t endUs = standin::performanceMicroseconds();
  child.waitForOutput(5000);
  DWORD code = child.exitCode().value_or(~0u);
  if (code != 0) {
    std::fprintf(stderr, "%s: exit code %lu\n%s%s\n", program.name, code, child.output().c_str(),
                 child.errorOutput().c_str());
    return false;
  }
  int64_t entryUs = 0;
  if (program.createsJvm && !createEntry(runtimeHome, entryUs)) {
    std::fprintf(stderr, "%s: the JVM was not created\n", program.name);
    return false;
  }
  if (counted) {
    program.toEndMs.push_back((endUs - startUs) / 1000.0);
    if (program.createsJvm) program.toCreateMs.push_back((entryUs - startUs) / 1000.0);
  }
  return true;
}

// The medians of one run: launcher /run and floor to JNI_CreateJavaVM and to
// the end, the usage line and the empty program to the end; and the ratios
// of the programs measured side by side in that run.
struct RunFigures {
  double runCreate, floorCreate, runEnd, floorEnd, usageEnd, emptyEnd;
  double createRatio, endRatio, usageRatio;
};

RunFigures runFigures(const std::vector<Program>& p) {
  RunFigures f{};
  f.runCreate = median(p[0].toCreateMs);
  f.floorCreate = median(p[1].toCreateMs);
  f.runEnd = median(p[0].toEndMs);
  f.floorEnd = median(p[1].toEndMs);
  f.usageEnd = median(p[2].toEndMs);
  f.emptyEnd = median(p[3].toEndMs);
  f.createRatio = f.runCreate / f.floorCreate;
  f.endRatio = f.runEnd / f.floorEnd;
  f.usageRatio = f.usageEnd / f.emptyEnd;
  return f;
}

// Each figure and each ratio is the median over the runs on its own.
RunFigures medianOfRuns(const std::vector<RunFigures>& runs) {
  auto over = [&](double RunFigures::*field) {
    std::vector<double> values;
    for (const RunFigures& r : runs) values.push_back(r.*field);
    return median(values);
  };
  return {over(&RunFigures::runCreate), over(&RunFigures::floorCreate), over(&RunFigures::runEnd),
          over(&RunFigures::floorEnd),  over(&RunFigures::usageEnd),    over(&RunFigures::emptyEnd),
          over(&RunFigures::createRatio), over(&RunFigures::endRatio),  over(&RunFigures::usageRatio)};
}

void printRow(const char* label, const RunFigures& f) {
  std::printf("| %s | %.1f | %.1f | %.2f | %.1f | %.1f | %.2f | %.1f | %.1f | %.2f |\n", label, f.runCreate,
              f.floorCreate, f.createRatio, f.runEnd, f.floorEnd, f.endRatio, f.usageEnd, f.emptyEnd, f.usageRatio);
}

}  // namespace

int main(int argc, char** argv) {
  std::wstring templatePath = test::windowsPath(argumentValue(argc, argv, "template"));
  std::wstring floorPath = test::windowsPath(argumentValue(argc, argv, "floor"));
  std::wstring emptyPath = test::windowsPath(argumentValue(argc, argv, "empty"));
  std::string roundsText = argumentValue(argc, argv, "rounds");
  int rounds = roundsText.empty() ? 31 : std::max(3, std::atoi(roundsText.c_str()));
  if (templatePath.empty() || floorPath.empty() || emptyPath.empty()) {
    std::fprintf(stderr, "usage: bench_startup_overhead --template=<zvtsvc.exe> --floor=<exe> --empty=<exe>\n");
    return 2;
  }

  test::Sandbox box(L"bench_startup");
  std::wstring runtimeHome = box.file(L"jre");
  std::wstring error;
  if (!standin::layOutRuntime(runtimeHome, standin::RuntimeLayout(), &error)) {
    std::fprintf(stderr, "cannot lay out the runtime: %s\n", utf16ToUtf8(error).c_str());
    return 1;
  }
  std::string image;
  if (!test::readFileBytes(templatePath, image)) {
    std::fprintf(stderr, "cannot read the template\n");
    return 1;
  }
  // A console application of the quarn flavour (no helper library), as
  // close to what the floor does as a configuration gets.
  block::Content content;
  content.entries = {{101, "ZvtBenchService"}, {107, "4"}, {122, "com.example.Main"}, {128, "B.\\jre;"}, {2001, "e"}};
  std::vector<uint8_t> packed;
  std::string packError;
  if (!pack::packImage(std::vector<uint8_t>(image.begin(), image.end()), content, packed, packError)) {
    std::fprintf(stderr, "cannot pack: %s\n", packError.c_str());
    return 1;
  }
  std::wstring exe = box.file(L"myservice.exe");
  test::writeFileBytes(exe, std::string(packed.begin(), packed.end()));

  std::wstring jvm = runtimeHome + L"\\bin\\client\\jvm.dll";
  std::vector<Program> programs = {
      {"launcher /run", test::quote(exe) + L" /run", true, {}, {}},
      {"floor", test::quote(floorPath) + L" " + test::quote(jvm), true, {}, {}},
      {"launcher /?", test::quote(exe) + L" /?", false, {}, {}},
      {"empty program", test::quote(emptyPath), false, {}, {}},
  };
  std::string runsText = argumentValue(argc, argv, "runs");
  int runs = runsText.empty() ? 3 : std::max(1, std::atoi(runsText.c_str()));
  std::vector<RunFigures> figures;
  for (int run = 1; run <= runs; ++run) {
    for (Program& program : programs) {
      program.toCreateMs.clear();
      program.toEndMs.clear();
    }
    for (int round = 0; round <= rounds; ++round) {
      for (Program& program : programs) {
        if (!runOnce(program, runtimeHome, round > 0)) return 1;
      }
    }
    figures.push_back(runFigures(programs));
  }

  if (hasFlag(argc, argv, "--log")) {
    // The log lands in the temporary directory; this one is the sandbox.
    SetEnvironmentVariableW(L"QUARN_LOG", L"yes");
    SetEnvironmentVariableW(L"TMP", box.path().c_str());
    SetEnvironmentVariableW(L"TEMP", box.path().c_str());
    bool ran = runOnce(programs[0], runtimeHome, false);
    SetEnvironmentVariableW(L"QUARN_LOG", nullptr);
    std::string log;
    if (!ran || !test::readFileBytes(box.file(L"zvt_nlog_1.log"), log)) {
      std::fprintf(stderr, "the logged run failed or left no log\n");
      return 1;
    }
    std::printf("Diagnostic log of one more \"/run\":\n%s\n", log.c_str());
  }

  std::printf("Start-up, %d runs of %d rounds, medians of each run (ms):\n\n", runs, rounds);
  std::printf("| run | launcher /run to create | floor to create | ratio | launcher /run to end | floor to end | ratio "
              "| /? | empty | ratio |\n|---|---|---|---|---|---|---|---|---|---|\n");
  for (size_t i = 0; i < figures.size(); ++i) printRow(std::to_string(i + 1).c_str(), figures[i]);
  const RunFigures total = medianOfRuns(figures);
  printRow("median", total);
  std::printf("\n| launcher/floor | %.2f | %.2f |\n", total.createRatio, total.endRatio);
  std::printf("| launcher /? / empty | | %.2f |\n", total.usageRatio);
  return 0;
}
