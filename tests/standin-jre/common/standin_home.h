// Where a stand-in runtime keeps its script and its records: the "home" of the
// runtime a binary belongs to, and the files under <home>\standin.
#pragma once

#include <cstdint>
#include <string>

#include "base/text.h"
#include "base/win32.h"

namespace standin {

// Full path of the running executable.
std::wstring exePath();
// Full path of the module that contains `address` (an exe or a DLL).
std::wstring modulePathOf(const void* address);

// The runtime home for a binary at `binaryPath` that sits `levelsBelowHome`
// directories below it (java.exe: 1, bin\<vm>\jvm.dll: 2). A JDK keeps its
// private runtime in <jdk>\jre, so when the computed home is named "jre" and
// its parent holds a standin directory, the parent is the home: one layout,
// one script and one trace, whichever of the two trees a binary lives in.
std::wstring homeFor(const std::wstring& binaryPath, int levelsBelowHome);

std::wstring parentDir(const std::wstring& path);
std::wstring standinDir(const std::wstring& home);
bool fileExists(const std::wstring& path);
bool dirExists(const std::wstring& path);

// Whole file as bytes; empty when it cannot be read.
std::string readFileBytes(const std::wstring& path);
// First line (without CR/LF) of a text file; empty when missing.
std::string firstLine(const std::wstring& path);
// Decimal integer from the first line of a file, or `fallback`.
long readIntFile(const std::wstring& path, long fallback);
// Appends bytes in one write; creates the file (not its directory).
bool appendToFile(const std::wstring& path, const std::string& bytes);

// A variable as this process sees it, as JSON: its value as a string, or
// null when it is absent (so "absent" and "empty" differ).
std::string variableJson(const std::wstring& name);

// The launcher's own conversion (base/text), under the names the stand-in
// uses throughout.
inline std::string utf8(const std::wstring& text) {
  return zvt::utf16ToUtf8(text);
}
inline std::wstring widen(const std::string& utf8Text) {
  return zvt::utf8ToUtf16(utf8Text);
}

}  // namespace standin
