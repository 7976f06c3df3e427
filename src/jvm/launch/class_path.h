// Class-path and module-path entries of the configuration: the entry
// grammar ("<type><flag><name>" separated by ";") and what each entry adds to
// a path string. The file system and the environment are behind PathProbe so
// the decisions run on any host.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zvt {

class PathProbe {
 public:
  virtual ~PathProbe() = default;
  // Variable expansion of narrow configuration text.
  virtual void expand(std::string& text) = 0;
  // A relative path joined to the launcher directory, runs of backslashes
  // collapsed.
  virtual std::string absolute(const std::string& path) = 0;
  // An existing file or directory.
  virtual bool exists(const std::string& path) = 0;
  // The files of `directory` named "*.<extension>", full paths, in the order
  // the file system lists them. False when the directory does not exist.
  virtual bool listArchives(const std::string& directory, const std::string& extension,
                            std::vector<std::string>& files) = 0;
  virtual bool environmentVariable(const std::string& name, std::string& value) = 0;
};

enum class PathKind {
  ClassPath,   // key 121: a scanned directory adds its archives
  ModulePath,  // key 132: a scanned directory adds itself
};

struct ClassPathEntry {
  char type = '\0';  // A archive, D directory, E environment variable, S scanned directory
  bool required = false;
  std::string name;  // as configured, not expanded
};

// Cut at ";", empty entries dropped; the first character is the type, the
// second the flag ("1" required, anything else optional), the rest the name.
std::vector<ClassPathEntry> parseClassPathEntries(const std::string& value);

// A required entry that was not found: the message to show (1006 entry
// missing, 1008 variable undefined) and its argument (the expanded name, or
// the variable's name).
struct PathFailure {
  uint32_t messageId = 0;
  std::string argument;
};

// Appends what every entry of `value` adds to `path`, in order. Stops at the
// first required entry that is not found and returns it.
std::optional<PathFailure> appendConfiguredPath(const std::string& value, PathKind kind, PathProbe& probe,
                                                std::string& path);

// Every "*.<extension>" file of `directory`, each followed by ";". Returns
// whether the directory exists.
bool scanArchives(std::string& path, PathProbe& probe, const std::string& directory, const std::string& extension);

// Removes one ";" at the end, if there is one.
void removeTrailingSeparator(std::string& path);

}  // namespace zvt
