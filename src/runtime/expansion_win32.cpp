#include "runtime/expansion_win32.h"

#include "base/win32.h"
#include "runtime/errors.h"
#include "runtime/expansion.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"

// With UNICODE, the SDK headers of mingw-w64 map both GetEnvironmentStrings
// and GetEnvironmentStringsA to the wide function; the narrow expansion
// needs the real ANSI block.
#undef GetEnvironmentStrings

namespace zvt {
namespace {

// Walks a double-NUL-terminated environment block into its entries.
template <typename Char>
std::vector<std::basic_string<Char>> entriesOf(const Char* block) {
  std::vector<std::basic_string<Char>> entries;
  if (!block) return entries;
  while (*block) {
    std::basic_string<Char> entry(block);
    block += entry.size() + 1;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<std::wstring> environmentW() {
  wchar_t* block = GetEnvironmentStringsW();
  std::vector<std::wstring> entries = entriesOf(block);
  if (block) FreeEnvironmentStringsW(block);
  return entries;
}

std::vector<std::string> environmentA() {
  char* block = GetEnvironmentStrings();
  std::vector<std::string> entries = entriesOf(block);
  if (block) FreeEnvironmentStringsA(block);
  return entries;
}

}  // namespace

void expandVariables(std::wstring& text, bool ansiSafe) {
  ExpansionValuesW values;
  // The system temporary directory first: it is the one value whose absence
  // ends the process, before anything is replaced.
  values.systemTempDirectory = ansiSafe ? toWide(tempDirectoryA()) : tempDirectoryW(true);
  values.launcherDirectory = ansiSafe ? launcherDirectoryAnsiSafeW() : launcherDirectoryW();
  values.launcherTempDirectory = toWide(processState().launcherTempDirectory);
  values.jvmHome = toWide(processState().jvm.home);
  values.environment = environmentW();
  expandWith(text, values);
}

void expandVariablesAnsi(std::string& text) {
  ExpansionValuesA values;
  values.systemTempDirectory = tempDirectoryA();
  values.launcherDirectory = launcherDirectoryA();
  values.launcherTempDirectory = processState().launcherTempDirectory;
  values.jvmHome = processState().jvm.home;
  values.environment = environmentA();
  expandWith(text, values);
}

}  // namespace zvt
