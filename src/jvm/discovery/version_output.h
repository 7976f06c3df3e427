// Reading the version out of what "java -version" writes to standard error.
// Only the first line counts, and only its first 99 characters: every
// runtime puts the version there between double quotes after the word
// "version" (java version "1.8.0_201", openjdk version "11.0.2" 2019-01-15).
// Platform-free.
#pragma once

#include <cstddef>
#include <string>

namespace zvt {

// The first line as a C runtime's line read into a 100-byte buffer gives it:
// at most 99 bytes, up to and including the first line feed, ending early at
// a NUL. The bytes are taken as they are in the file (no newline
// translation), so a runtime's CR LF stays the line's last two characters.
constexpr size_t kVersionLineLimit = 99;
std::string firstOutputLine(const std::string& output);

// The space, the word version, a space and a double quote.
extern const char kVersionMarker[];

// Finds the marker in the first line and returns the text after it up to
// the next double quote; without a closing quote, the rest of the line less
// its last two characters (its line end). False when the first line has no
// marker, even if a later line has one.
bool parseVersionOutput(const std::string& output, std::string& version);

}  // namespace zvt
