// Variable expansion in configuration values: the launcher's fixed tokens
// ("%QUARN_EXEDIR%", "${launcher:sys.tempDir}", ...) and "${NAME}" for
// environment variables. The engine here is platform-free and works on the
// values it is given; expandVariables/expandVariablesAnsi (expansion_win32.h)
// gather the values from the running launcher.
#pragma once

#include <string>
#include <vector>

namespace zvt {

// Everything a substitution may insert, computed before any token is
// replaced.
template <typename String>
struct ExpansionValues {
  String launcherDirectory;      // with its trailing backslash
  String launcherTempDirectory;  // empty when nothing was extracted
  String jvmHome;                // "<java.exe's directory>\..", not normalised
  String systemTempDirectory;
  std::vector<String> environment;  // "NAME=value" entries in block order
};
using ExpansionValuesW = ExpansionValues<std::wstring>;
using ExpansionValuesA = ExpansionValues<std::string>;

// Growth guard: a replacement that would make the text longer than this is
// not made (and logged). Environment values can nest later tokens, so a
// crafted environment could otherwise double the text once per variable.
// Every caller's own limit is far below it (30,000 at most).
constexpr size_t kMaxExpandedLength = 1u << 16;

// Replaces every occurrence of `token`, searching on behind each inserted
// value, so a value is never rescanned for the token that produced it.
// Returns the number of replacements.
size_t replaceAll(std::wstring& text, const std::wstring& token, const std::wstring& value);
size_t replaceAll(std::string& text, const std::string& token, const std::string& value);

// The 21 fixed tokens in their order, then each environment entry as
// "${NAME}" (as stored) and "${NAME}" upper-cased. Text inserted by one step
// is seen by every later step; nothing is revisited.
void expandWith(std::wstring& text, const ExpansionValuesW& values);
void expandWith(std::string& text, const ExpansionValuesA& values);

}  // namespace zvt
