// VM option assembly: every option the JVM is created with, in order: the
// launcher's system properties, the configured options (with their
// includes), the version-specific line for the chosen runtime, the locale
// options, the VM options file, "-J" arguments, the class path, the module
// options, the service switches, and finally "@" argument files expanded by
// the runtime. Platform-free: the files, the environment, the code page and
// the runtime's argument-file library are reached through VmOptionHost; the
// configuration through the accessors.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jvm/launch/argument_files.h"
#include "jvm/launch/class_path.h"
#include "jvm/launch/options_file_lines.h"
#include "runtime/decisions.h"

namespace zvt {

// An options file opened for reading.
class OptionsFile : public ByteChunkSource {
 public:
  // Full path: the directory its relative includes are resolved against.
  virtual const std::wstring& path() const = 0;
  // The file's canonical name: the same file reached under another spelling
  // (case, 8.3 name, "..", a link) has the same identity.
  virtual const std::wstring& identity() const = 0;
};

class VmOptionHost : public PathProbe, public ArgumentFileLoader {
 public:
  // Conversions through the file functions' code page; "?" for what it
  // cannot hold.
  virtual std::wstring toWide(const std::string& narrow) = 0;
  virtual std::string toNarrow(const std::wstring& wide) = 0;
  // Variable expansion of UTF-16 text (PathProbe::expand is the narrow one).
  virtual void expandWide(std::wstring& text, bool ansiSafe) = 0;
  // The VM options file beside the executable; null when there is none.
  virtual std::unique_ptr<OptionsFile> openDefaultVmOptionsFile() = 0;
  // Null when the file does not open.
  virtual std::unique_ptr<OptionsFile> openOptionsFile(const std::wstring& path) = 0;
  // An include's file name made absolute: a relative name against the
  // directory of `includingFile`, or against the launcher directory when
  // there is none; runs of backslashes collapsed.
  virtual std::wstring resolveInclude(const std::wstring& name, const std::wstring* includingFile) = 0;
};

// Includes nest at most this deep (the VM options file counts as one
// level); a deeper include is skipped, as is one that would read a file
// already being read.
constexpr size_t kMaxIncludeDepth = 16;
// Version-specific lines tested at most (the count is configuration data).
constexpr int kMaxVersionOptionLines = 1000;

// What the launch knows besides the configuration.
struct VmOptionRequest {
  std::vector<std::string> systemProperties;   // "-D" options, first in the list
  std::vector<std::wstring> programArguments;  // the launcher's own arguments
  bool serviceMode = false;                    // adds "-Xrs"
  bool noRedirection = false;                  // adds "-Dzentrovia.noRedir=true"
  bool zentroviaFlavour = true;                // else the quarn runtime names
  std::string jvmVersion;                      // empty when not known
  std::string jvmLibraryDirectory;             // where jli.dll is looked for
  std::string launcherTempDirectory;           // extracted payload archives
};

struct VmOptionOutcome {
  std::vector<std::string> options;
  // Where each option came from, parallel to `options` (empty on failure).
  std::vector<OptionSource> sources;
  // Set when a required class-path or module-path entry is missing; the
  // options are then incomplete and must not be used.
  std::optional<PathFailure> failure;
};

VmOptionOutcome assembleVmOptions(const VmOptionRequest& request, VmOptionHost& host);

// The runtime classes' module or package name.
const char* runtimeName(bool zentroviaFlavour);

}  // namespace zvt
