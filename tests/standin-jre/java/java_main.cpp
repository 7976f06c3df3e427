// Stand-in java.exe / javaw.exe. Only "-version" is meaningful: it prints the
// scripted text of <home>\standin\version.txt to standard error (the launcher
// reads the first line of it), waits the scripted delay and exits with the
// scripted code. Every run appends one line to probes.log so that tests can
// count how often the launcher probed this runtime, and a "probe" trace
// record with what the runtime was given: the Java options variables it
// would honour and which standard handles it received.
#include <cstdio>
#include <string>

#include "json_line.h"
#include "standin_home.h"
#include "trace.h"

using namespace standin;

namespace {

std::wstring commandTail() {
  // The full command line, program name included: tests check how the
  // launcher spelled the executable (the 8.3 form) and the argument.
  return GetCommandLineW();
}

void writeStderr(const std::string& bytes) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(err, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// A standard handle the launcher passed on (not null, not invalid).
bool hasHandle(DWORD which) {
  HANDLE h = GetStdHandle(which);
  return h != nullptr && h != INVALID_HANDLE_VALUE;
}

void traceProbe() {
  JsonLine line("probe");
  line.number("pid", static_cast<int64_t>(GetCurrentProcessId()));
  line.text("cmd", utf8(commandTail()));
  for (const wchar_t* name : {L"_JAVA_OPTIONS", L"JAVA_TOOL_OPTIONS", L"JDK_JAVA_OPTIONS"}) {
    line.raw(utf8(name).c_str(), variableJson(name));
  }
  line.flag("stdin", hasHandle(STD_INPUT_HANDLE));
  line.flag("stdout", hasHandle(STD_OUTPUT_HANDLE));
  line.flag("stderr", hasHandle(STD_ERROR_HANDLE));
  trace(line);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // A process an application leaves running (standin.grandchild): it only
  // sleeps, and is no probe.
  if (argc == 3 && std::wstring(argv[1]) == L"-standinSleep") {
    Sleep(static_cast<DWORD>(_wtol(argv[2])));
    return 0;
  }
  std::wstring self = exePath();
  std::wstring home = homeFor(self, 1);
  std::wstring dir = standinDir(home);
  CreateDirectoryW(dir.c_str(), nullptr);
  appendToFile(dir + L"\\probes.log", utf8(commandTail()) + "\n");
  setTraceHome(home);
  traceProbe();

  bool version = argc == 2 && std::wstring(argv[1]) == L"-version";
  if (!version) {
    writeStderr("stand-in java: only -version is supported\n");
    return 2;
  }
  std::string text = readFileBytes(dir + L"\\version.txt");
  if (!text.empty() && text.back() != '\n') text += "\n";
  writeStderr(text);
  long delay = readIntFile(dir + L"\\delayms.txt", 0);
  if (delay > 0) Sleep(static_cast<DWORD>(delay));
  return static_cast<int>(readIntFile(dir + L"\\exitcode.txt", 0));
}
