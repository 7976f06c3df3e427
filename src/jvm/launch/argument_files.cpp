#include "jvm/launch/argument_files.h"

#include "base/log_sink.h"
#include "base/text.h"

namespace zvt {

void expandArgumentFiles(std::vector<std::string>& options, const std::string& jvmLibraryDirectory,
                         ArgumentFileLoader& loader, std::vector<size_t>* origins) {
  size_t first = 0;
  while (first < options.size() && (options[first].empty() || options[first][0] != '@')) ++first;
  if (first == options.size()) return;
  logText(L"@ argument found " + decimal(static_cast<long long>(first)) + L" " + widenBytes(options[first]));
  if (jvmLibraryDirectory.empty()) return;
  std::unique_ptr<ArgumentFileLibrary> library = loader.load(jvmLibraryDirectory);
  if (!library) return;
  library->initArgProcessing(true, false);
  std::vector<std::string> expanded;
  std::vector<size_t> expandedOrigins;
  expanded.reserve(options.size());
  for (size_t i = 0; i < options.size(); ++i) {
    std::vector<std::string> replacement;
    size_t before = expanded.size();
    if (library->preprocessArg(options[i], replacement)) {
      expanded.insert(expanded.end(), replacement.begin(), replacement.end());
    } else {
      expanded.push_back(options[i]);
    }
    // The content of an argument file comes from where the "@" option came from.
    if (origins) expandedOrigins.insert(expandedOrigins.end(), expanded.size() - before, (*origins)[i]);
  }
  options.swap(expanded);
  if (origins) origins->swap(expandedOrigins);
}

}  // namespace zvt
