// The launcher's own paths, the temporary directory, and the common path
// operations. Every path has a wide (UTF-16) form for the launcher's own file
// operations and an ANSI-safe narrow form (the long path when it converts to
// the file functions' code page without loss, else the 8.3 short path) for
// the narrow interfaces of the JVM and the C runtime.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace zvt {

// The executable's file name exactly as the system gives it (no long-form
// conversion, no logging: safe for the log's own first line).
std::wstring moduleFileNameW();

// The executable's path, long form (computed once, on first use).
const std::wstring& modulePathW();
// Its ANSI-safe narrow form; empty when none could be found.
const std::string& modulePathA();
// The executable's file name without directory and extension.
std::wstring moduleBaseName();

// The directory holding the executable, with a trailing backslash.
const std::string& launcherDirectoryA();
const std::wstring& launcherDirectoryW();
// The ANSI-safe narrow form read back through the file code page: the
// directory as the narrow interfaces name it, in UTF-16.
const std::wstring& launcherDirectoryAnsiSafeW();

// The temporary directory (chosen once among the candidates). The narrow
// form ends the process with message 1015 when there is none; the wide form
// does so only with `fatal`, else it gives an empty string.
std::string tempDirectoryA();
std::wstring tempDirectoryW(bool fatal);

// Key 10009: with it, a temporary directory reached through a short path is
// used in its long spelling where that survives the code page. Set by the
// configuration loader; false until then. The choice is kept per setting, so
// the log's early choice does not freeze the spelling.
void setPreferLongTempPath(bool prefer);

// Tests only: replaces the places the temporary directory candidates name
// (index 0 system temp, 1 profile temp, 2 home, 3 common application data,
// 4 Windows temp, 5 c:\temp, 6 c:\tmp, 7 Windows directory), so that the
// "no usable directory" end can be reached. Must be set before first use.
using TempPlaceOverride = bool (*)(int place, std::string& narrow, std::wstring& wide);
void overrideTempPlacesForTesting(TempPlaceOverride override);

// A new temporary file name ("qrn" prefix) in the temporary directory.
std::string makeTempFileName();

// Joins a relative path to a base directory: the directory of `baseFile`
// when given, else the launcher directory. Backslashes are collapsed.
std::string makeAbsolute(const std::string& path, const std::string* baseFile = nullptr);
// Wide variant; `ansiSafeBase` takes the launcher directory's ANSI-safe form
// (launcherDirectoryAnsiSafeW) instead of its wide form.
std::wstring makeAbsoluteW(const std::wstring& path, const std::wstring* baseFile = nullptr,
                           bool ansiSafeBase = false);

// makeAbsolute, then the system's full-path normalization; lowercased unless
// keepCase.
std::string fullPath(const std::string& path, bool keepCase);
std::wstring fullPathW(const std::wstring& path, bool keepCase, bool ansiSafeBase = false);

// Each ";"-separated element made absolute (stops at the first empty one),
// joined with ";"; `callback` sees each new element.
std::string absolutePathList(const std::string& list,
                             const std::function<void(const std::string&)>& callback = nullptr);

// Narrow variant of collapsing runs of backslashes (through the file code
// page; unchanged when that would lose characters).
void collapseBackslashesA(std::string& path);

// Drive roots are true without touching the disk; otherwise a directory
// search for the path.
bool fileExists(const std::string& path);
bool fileExists(const std::wstring& path);
// The last-write time (100 ns units since 1601) of the first match.
bool fileTime(const std::wstring& path, uint64_t* lastWrite = nullptr);
bool fileTime(const std::string& path, uint64_t* lastWrite = nullptr);

// Converts with the file functions' code page, "?" for what it cannot show;
// `lossy` tells whether anything was lost (or the conversion failed).
std::string toNarrow(const std::wstring& wide, bool* lossy = nullptr);
// The reverse, with the same code page.
std::wstring toWide(const std::string& narrow);

// Lowercases through UTF-16; unchanged when converting back would lose.
void lowercasePathA(std::string& path);

}  // namespace zvt
