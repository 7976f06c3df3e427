// The packer's file operations: whole files in, whole files out, every
// failure a message instead of an exception. Paths are UTF-8 (on Windows
// they are converted to the system's wide paths).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings.h"

namespace zvt::pack {

// Reads a regular file; false with a message naming the path and the cause
// (missing, a directory, unreadable).
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// Writes `bytes` to a temporary file beside `path` and renames it over
// `path`, so that a failed write leaves neither a partial output nor a
// damaged earlier file.
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
// Creates a directory and its parents; false with a message.
bool createDirectories(const std::string& path, std::string& error);

class DiskProbe final : public FileProbe {
 public:
  FileKind kind(const std::string& path) const override;
};

}  // namespace zvt::pack
