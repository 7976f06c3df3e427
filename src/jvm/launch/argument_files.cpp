#include "jvm/launch/argument_files.h"

#include "base/log_sink.h"
#include "base/text.h"

namespace zvt {

void expandArgumentFiles(std::vector<std::string>& options, const std::string& jvmLibraryDirectory,
                         ArgumentFileLoader& loader) {
  size_t first = 0;
  while (first < options.size() && (options[first].empty() || options[first][0] != '@')) ++first;
  if (first == options.size()) return;
  logText(L"@ argument found " + decimal(static_cast<long long>(first)) + L" " + widenBytes(options[first]));
  if (jvmLibraryDirectory.empty()) return;
  std::unique_ptr<ArgumentFileLibrary> library = loader.load(jvmLibraryDirectory);
  if (!library) return;
  library->initArgProcessing(true, false);
  std::vector<std::string> expanded;
  expanded.reserve(options.size());
  for (const std::string& option : options) {
    std::vector<std::string> replacement;
    if (library->preprocessArg(option, replacement)) {
      expanded.insert(expanded.end(), replacement.begin(), replacement.end());
    } else {
      expanded.push_back(option);
    }
  }
  options.swap(expanded);
}

}  // namespace zvt
