// The machine a PE image (an executable or a DLL) is built for, read from the
// first bytes of its file: the packer asks it of launcher templates, the JVM
// search of a runtime's jvm.dll before loading it. A process can load only
// libraries of its own width, and LoadLibrary reports the other width only
// as error 193 ("not a valid Win32 application"), the same as a damaged file.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zvt {

// IMAGE_FILE_HEADER.Machine values the launcher tells apart.
enum class PeMachine : uint16_t {
  Unknown = 0,  // not a PE image, or its header lies beyond the bytes given
  X86 = 0x014c,
  X64 = 0x8664,
  Arm64 = 0xaa64,
};

// Enough of a file's start for the PE header of every usual image (the
// linkers put it within the first few hundred bytes).
constexpr size_t kPeHeadBytes = 4096;

// The machine field of the image whose file begins with `head`; Unknown
// without an MZ header and a PE signature inside `head`. Another machine
// than the three named comes back as its raw value.
PeMachine peMachine(const std::vector<uint8_t>& head);

// 32 or 64 for the machines named above, 0 for any other.
unsigned peMachineBits(PeMachine machine);

// "x86", "x64", "ARM64"; "unknown" and "another machine" otherwise.
const char* peMachineName(PeMachine machine);

}  // namespace zvt
