// The include rules of the source tree: every module includes only its own
// layer and the layers below it, and files outside base that are not named
// *_win32.* stay platform-free (they include no *_win32.h header and reach no
// <windows.h>, directly or through the headers they include).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zvt::layers {

struct Violation {
  std::string file;  // relative to the source root, with "/"
  int line = 0;
  std::string text;
};

// The module a source-relative path belongs to ("base", "jvm/launch", ...),
// or empty when it is in no known module.
std::string moduleOf(const std::string& relativePath);

// Whether a file of module `from` may include one of module `to`.
bool mayInclude(const std::string& from, const std::string& to);

// Reads every file under `sourceRoot` and returns each broken rule, ordered
// by file and line.
std::vector<Violation> checkTree(const std::filesystem::path& sourceRoot);

// "file:line: text", one per line.
std::string describe(const std::vector<Violation>& violations);

}  // namespace zvt::layers
