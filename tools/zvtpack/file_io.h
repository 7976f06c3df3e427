// The packer's file operations: whole files in, whole files out, every
// failure a message instead of an exception. Paths are UTF-8 (on Windows
// they are converted to the system's wide paths).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings.h"

namespace zvt::pack {

constexpr uint64_t kNoSizeLimit = UINT64_MAX;

// Reads a regular file of at most `limit` bytes; false with a message naming
// the path and the cause (missing, a directory, not a regular file, larger
// than the limit, unreadable). The size is checked before anything is read.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error,
                   uint64_t limit = kNoSizeLimit);

// Why `path` cannot take an output, or empty when it can: nothing is there
// yet, or a regular file that the output replaces. Anything else there (a
// directory, a symbolic link, a named pipe, a device) is refused: replacing
// it would not write what its user meant, and as root could replace a
// device node. Links are not followed.
std::string outputRefusal(const std::string& path);

struct OutputFile {
  std::string path;
  const std::vector<uint8_t>* bytes;
};

// Writes every file or none: each goes to a new temporary file beside its
// path, and only when all are written are they renamed over their paths, so
// a failure leaves neither a partial output nor a damaged earlier file.
// Every path is checked with outputRefusal() first. Messages name the
// output's path and the system's reason.
bool writeFilesAtomically(const std::vector<OutputFile>& files, std::string& error);
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

// Whether both paths name the same existing file (through links, "." and
// "..", or different spellings).
bool sameFile(const std::string& a, const std::string& b);

bool exists(const std::string& path);
// The directory part of a path, "" for a bare file name.
std::string directoryOf(const std::string& path);
// `path` as given when absolute, else joined to `directory`.
std::string relativeTo(const std::string& path, const std::string& directory);
// `path` expressed relative to `directory` (both absolute or both relative
// to the current directory), with "/" separators.
std::string relativePath(const std::string& path, const std::string& directory);
// Creates a directory and its parents; false with a message. The levels it
// created are appended to `created` (parents first) when given, so that a
// failed run can take them away again with removeCreatedDirectories.
bool createDirectories(const std::string& path, std::string& error, std::vector<std::string>* created = nullptr);
// Removes the directories of `created` that are still empty, deepest first.
void removeCreatedDirectories(const std::vector<std::string>& created);

class DiskProbe final : public FileProbe {
 public:
  FileKind kind(const std::string& path) const override;
};

}  // namespace zvt::pack
