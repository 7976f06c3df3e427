// "@" argument files in the VM options, expanded by the runtime's own
// argument-file library (jli.dll beside its JVM library), so that they mean
// exactly what they mean to the runtime's java launcher.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zvt {

class ArgumentFileLibrary {
 public:
  virtual ~ArgumentFileLibrary() = default;
  virtual void initArgProcessing(bool hasJavaArgs, bool disableArgFile) = 0;
  // False when `option` is not an argument file (it stays as it is);
  // otherwise `replacement` holds the options that take its place.
  virtual bool preprocessArg(const std::string& option, std::vector<std::string>& replacement) = 0;
};

class ArgumentFileLoader {
 public:
  virtual ~ArgumentFileLoader() = default;
  // The library of the runtime whose JVM library came from `directory`;
  // null (and logged) when it or one of its functions is missing.
  virtual std::unique_ptr<ArgumentFileLibrary> load(const std::string& directory) = 0;
};

// When an option begins with "@" and the JVM library directory is known,
// every option is handed to the library in order and argument files are
// replaced by their content. Without the directory or the library the
// options stay as they are. `origins`, when given, runs parallel to the
// options and is kept so: an argument file's options inherit its entry.
void expandArgumentFiles(std::vector<std::string>& options, const std::string& jvmLibraryDirectory,
                         ArgumentFileLoader& loader, std::vector<size_t>* origins = nullptr);

}  // namespace zvt
