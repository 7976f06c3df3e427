// Size values as the JVM reads them in "-Xss" and the like ("512", "64k",
// "2m"), and the JVM thread's stack reservation taken from the options.
// Platform-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zvt {

// Decimal digits, then at most one unit letter (k, m, g, t in either case;
// powers of 1024). Returns the size, or -1 when the text is not a size: no
// leading digit (a sign or a blank), more than one character after the
// digits, an unknown unit, or a value beyond the signed 64-bit range.
int64_t parseSizeValue(const std::string& text);

// The smallest reservation the JVM thread gets when an option asks for any.
constexpr uint32_t kMinimumThreadStack = 65536;

// The stack reservation for the JVM thread: every option that begins with
// "-Xss" (case-sensitive) whose rest is a size above zero replaces it by the
// size's low 32 bits, so the last valid one wins; 1 to 65535 become 65536.
// 0 means the executable's default.
uint32_t jvmThreadStackSize(const std::vector<std::string>& options);

}  // namespace zvt
