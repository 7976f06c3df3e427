#include "jvm/launch/module_options.h"

namespace zvt {
namespace {

constexpr const char* kSplitModuleOptions[] = {
    "--upgrade-module-path", "--add-modules", "--limit-modules", "--add-exports",
    "--add-opens",           "--add-reads",   "--patch-module",
};

bool isSplitModuleOption(const std::string& option) {
  for (const char* name : kSplitModuleOptions) {
    if (option == name) return true;
  }
  return false;
}

}  // namespace

void mergeModuleOptions(std::vector<std::string>& options, std::vector<size_t>* origins) {
  std::vector<std::string> merged;
  std::vector<size_t> mergedOrigins;
  merged.reserve(options.size());
  for (size_t i = 0; i < options.size(); ++i) {
    // A merged option comes from where its name came from.
    if (origins) mergedOrigins.push_back((*origins)[i]);
    if (i + 1 < options.size() && isSplitModuleOption(options[i])) {
      merged.push_back(options[i] + "=" + options[i + 1]);
      ++i;
    } else {
      merged.push_back(options[i]);
    }
  }
  options.swap(merged);
  if (origins) origins->swap(mergedOrigins);
}

RuntimeModuleOptions runtimeModuleOptions(bool moduleMode, const std::string& mainClass,
                                          const std::string& runtimeName) {
  RuntimeModuleOptions out;
  out.addModules = "--add-modules=";
  if (moduleMode) {
    size_t slash = mainClass.find('/');
    size_t lastDot = mainClass.rfind('.');
    if (slash != std::string::npos && lastDot != std::string::npos && lastDot > slash) {
      out.addOpens = "--add-opens=" + mainClass.substr(0, lastDot) + "=" + runtimeName;
    }
    out.addModules += slash == std::string::npos ? mainClass : mainClass.substr(0, slash);
    out.addModules += ",";
  }
  out.addModules += runtimeName;
  return out;
}

}  // namespace zvt
