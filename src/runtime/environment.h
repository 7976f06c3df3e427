// The grammar of environment and search path changes: which PATH entries
// the reduction keeps, how the native-library prefix joins PATH, the
// variables through which users inject VM options, and the variables an
// application's configuration sets or removes. The Win32 operations that
// apply them are in environment_win32.h.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zvt {

// The variables through which a user could inject VM options, in the order
// they are removed.
extern const wchar_t* const kJavaOptionsVariables[3];

// Whether `entry` begins with `prefix`, ignoring case. The default folds
// only ASCII letters; the Win32 side passes the system's ordinal comparison.
using PrefixMatch = std::function<bool(const std::wstring& entry, const std::wstring& prefix)>;
bool asciiPrefixMatch(const std::wstring& entry, const std::wstring& prefix);

// The ";"-separated entries of `path` that begin with `windowsDirectory`
// (a plain prefix test: C:\WindowsApps matches C:\Windows), in order, joined
// with ";". Empty entries are skipped.
std::wstring keepWindowsEntries(const std::wstring& path, const std::wstring& windowsDirectory,
                                const PrefixMatch& match = asciiPrefixMatch);

// The native-library prefix followed by the current PATH, with one ";"
// between them when the prefix does not end in one.
std::wstring prefixedPath(const std::wstring& prefix, const std::wstring& currentPath);

// One variable of the configured environment: "NAME=value" sets NAME to the
// value (expanded when applied), "NAME=" removes it, as "set NAME=" does at
// a command prompt. The stored list holds one entry a line ("\n" between
// entries), applied in order, so a value may refer to a variable that an
// earlier entry set.
struct EnvironmentEntry {
  std::wstring name;
  std::wstring value;  // before expansion; empty removes the variable
};

// Why `entry` is not a "NAME=value" entry, or nullptr when it is. The packer
// refuses such an entry, the launcher leaves it out.
const char* environmentEntryProblem(const std::wstring& entry);

// The entries of a stored list in order. Empty lines are skipped; a
// malformed entry is logged and left out.
std::vector<EnvironmentEntry> environmentEntries(const std::wstring& stored);

}  // namespace zvt
