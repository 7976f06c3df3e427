// Creating a file that must not exist yet: the packer's temporary outputs
// sit beside the real ones, in directories others may write to, so a name
// that appeared there (a link to a device or to another file) is never
// opened, let alone truncated.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zvt::pack {

enum class NewFile { Written, Exists, Failed };

// Creates `path` only when nothing of that name exists (a symbolic link
// there counts, and is not followed), writes `bytes` and closes the file.
// Exists: nothing was touched. Failed: `reason` holds the system's text, and
// a file this call created is removed again.
NewFile writeNewFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& reason);

}  // namespace zvt::pack
