// Included files: the names the block lists for them, the checks a name must
// pass before anything is written under it, and the masked copy of a file's
// content out of the executable. Platform-free; payload_win32.cpp extracts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/byte_source.h"

namespace zvt {

// The names of key 2003 split at ";", in order, stopping at the first empty
// name and after `count` names (a count of 0 or less gives none).
std::vector<std::string> includedFileNames(const std::string& list, long long count);

// Why a name must not be used as a path inside the launcher temporary
// directory, or nullptr when it may. Refused: absolute names (a leading
// separator), "..", a colon (drive or alternate data stream), more than one
// directory level, characters Windows does not allow in file names, blanks or
// dots that Windows would drop from the end of a part (and blanks at its
// start), and names Windows maps to devices (con, nul, com1, lpt², ... with
// any extension, in either level). "\" and "/" both separate levels, as they
// do for the file system. Every rule applies to the name as UTF-16: `decode`
// reads the bytes as the file functions will
// (the launcher passes its file code page conversion); the default takes each
// byte as the character of the same value, which is what code page 1252 does
// for the superscript digits. The packer refuses the same names with this
// function.
using NameDecoder = std::wstring (*)(const std::string& bytes);
const char* refusedNameReason(const std::string& name, NameDecoder decode = nullptr);

// The directory level of a name ("lib" for "lib\b.jar"), empty when it has
// none. The narrow form reads single bytes (a single-byte code page); the
// launcher splits the name after its conversion to UTF-16.
std::string directoryLevelOf(const std::string& name);
std::wstring directoryLevelOf(const std::wstring& name);

// Where extracted bytes go: a file on Windows, memory in tests.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // One write of up to `size` bytes; `written` is what was taken. Returns
  // false on failure.
  virtual bool write(const void* data, uint32_t size, uint32_t& written) = 0;
  virtual uint32_t lastError() const { return 0; }
};

enum CopyResult { kCopyOk = 0, kCopyReadFailed = 1, kCopyWriteFailed = 2 };

// Copies `size` bytes from the source's position in chunks of up to 6000,
// XORing each byte with the payload mask when `unmask`. A write that takes
// only part of a chunk is repeated for the rest.
int copyMasked(ByteSource& source, ByteSink& target, uint64_t size, bool unmask);

class BlockReader;

// Win32: extracts the included files into a fresh launcher temporary
// directory (created when `createDirectory`). Returns 0 or the copy's error
// code; ends the process when the directory or a file cannot be created, or
// when a name is refused.
int extractPayload(bool createDirectory);
// Creates the launcher temporary directory (10 attempts) and stores its
// name, or ends the process with internal error "7".
void createLauncherTempDir();
// Extracts the next included file of `reader` into the file `target`.
int extractFile(BlockReader& reader, ByteSource& source, const std::string& target);
// The file position right behind the last extracted file; 0 before.
uint64_t unextractedPosition();

}  // namespace zvt
