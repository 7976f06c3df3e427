#include <optional>
#include <string>
#include <vector>

#include "base/arguments.h"
#include "base/capacity.h"
#include "base/handle.h"
#include "base/process_win32.h"
#include "base/win32.h"
#include "jvm/discovery/java_check_win32.h"
#include "jvm/discovery/version_cache_rules.h"
#include "jvm/discovery/version_output.h"
#include "runtime/log.h"
#include "runtime/paths.h"

namespace zvt {

namespace {

uint32_t g_probeTimeoutMs = kProbeTimeoutMs;

// The variables through which a user injects VM options; a runtime that
// honours them prints "Picked up ..." before its version line, or fails on
// a bad option, so the probe runs without them.
const wchar_t* const kProbeHiddenVariables[] = {L"_JAVA_OPTIONS", L"JAVA_TOOL_OPTIONS", L"JDK_JAVA_OPTIONS"};

struct SavedVariable {
  const wchar_t* name;
  std::optional<std::wstring> value;  // nothing: it could not be read
};

// Removes the variables that are set and remembers their values. Wide, so a
// value with characters outside the ANSI code page comes back unchanged.
std::vector<SavedVariable> hideJavaOptionsVariables() {
  std::vector<SavedVariable> saved;
  for (const wchar_t* name : kProbeHiddenVariables) {
    SetLastError(ERROR_SUCCESS);
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) continue;
    SavedVariable variable{name, std::nullopt};
    std::vector<wchar_t> buffer(size + 1, L'\0');
    const DWORD got = GetEnvironmentVariableW(name, buffer.data(), size + 1);
    if (size > 0 && got == size - 1) {
      variable.value = std::wstring(buffer.data(), got);
      logLine(L"%ls is %ls", name, variable.value->c_str());
    } else if (size <= 1 && got == 0) {
      variable.value = std::wstring();  // defined and empty
      logLine(L"%ls is ", name);
    } else {
      logLine(L"error reading %ls", name);
    }
    SetEnvironmentVariableW(name, nullptr);
    saved.push_back(variable);
  }
  return saved;
}

void restoreVariables(const std::vector<SavedVariable>& saved) {
  for (const SavedVariable& variable : saved)
    if (variable.value) SetEnvironmentVariableW(variable.name, variable.value->c_str());
}

bool g_probeShortNames = true;

// The 8.3 form keeps blanks and characters outside the ANSI code page out
// of the child's own view of its command line; without one (a volume without
// short names) the long path is used.
std::wstring probeProgram(const std::string& javaExe) {
  const std::wstring wide = toWide(javaExe);
  std::vector<wchar_t> buffer(kBufferCapacity);
  const DWORD n =
      g_probeShortNames ? GetShortPathNameW(wide.c_str(), buffer.data(), static_cast<DWORD>(buffer.size())) : 0;
  if (n > 0 && n < buffer.size()) return std::wstring(buffer.data(), n);
  logLine(L"Could not get short path name for %ls", wide.c_str());
  return wide;
}

// The first bytes of the probe's standard error: only the first line's
// first 99 characters matter.
std::string readProbeOutput(const std::wstring& path, bool& opened) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  opened = file.valid();
  if (!opened) return std::string();
  std::string bytes(kVersionLineLimit + 1, '\0');
  DWORD got = 0;
  if (!ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
  bytes.resize(got);
  return bytes;
}

}  // namespace

void setProbeTimeoutForTesting(uint32_t milliseconds) {
  g_probeTimeoutMs = milliseconds == 0 ? kProbeTimeoutMs : milliseconds;
}

void setProbeShortNamesForTesting(bool use) {
  g_probeShortNames = use;
}

bool probeJavaVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) {
  // The program is named to the system, and quoted for the child: an
  // unquoted "C:\Program Files\..." would let the system try
  // "C:\Program.exe" first and run whatever was planted there.
  const std::wstring program = probeProgram(javaExe);
  const std::wstring commandLine = quotedProgram(program) + L" -version";
  const std::vector<SavedVariable> saved = hideJavaOptionsVariables();
  const std::string tempName = makeTempFileName();
  const std::wstring tempFile = toWide(tempName);

  ChildOptions options;
  options.application = program;
  options.commandLine = commandLine;
  options.inheritHandles = true;
  options.creationFlags = NORMAL_PRIORITY_CLASS;
  options.showWindow = SW_HIDE;
  options.input = StreamSetup::none();
  options.output = StreamSetup::none();
  options.error = StreamSetup::toFile(tempFile);
  ChildProcess child;
  const bool started = child.start(options);
  const bool ended = started && child.wait(g_probeTimeoutMs);
  restoreVariables(saved);

  bool ok = false;
  if (!started && child.failedStep() == StartStep::Streams) {
    // Standard error is the only stream set up: the file, not the program,
    // is what failed, and the program never ran.
    logLine(L"Could not create the probe's output file %ls (error %d)", tempFile.c_str(),
            static_cast<int>(child.startError()));
  } else if (!started) {
    logLine(L"Could not create process %ls > %ls (error %d)", commandLine.c_str(), tempFile.c_str(),
            static_cast<int>(child.startError()));
  } else {
    const std::optional<DWORD> code = child.exitCode();
    logLine(L"Exit Code %d", static_cast<int>(code.value_or(STILL_ACTIVE)));
    if (!ended || !code) {
      // terminate() waits for the process to be gone, so its handle on the
      // temporary file is closed before the file is deleted below.
      logLine(L"Terminating process");
      child.terminate(1);
    } else if (*code != 0) {
      // Remembered so that the next check can see it failed; never a hit,
      // so that check runs it again.
      writeVersionCache(javaExe, lastWriteTime, kProbeFailedVersion);
    } else {
      bool opened = false;
      const std::string output = readProbeOutput(tempFile, opened);
      if (opened && parseVersionOutput(output, version)) {
        logLine(L"Java version2: %hs", version.c_str());
        ok = true;
      }
    }
  }
  DeleteFileW(tempFile.c_str());
  return ok;
}

}  // namespace zvt
