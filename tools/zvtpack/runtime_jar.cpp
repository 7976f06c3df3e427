#include "runtime_jar.h"

#include "config/accessors.h"
#include "config/keys.h"
#include "jvm/launch/vm_options.h"

namespace zvt::pack {
namespace {

// The last value stored under `id`, as the launcher reads it; null when absent.
const std::string* storedValue(const block::Content& content, uint32_t id) {
  const std::string* value = nullptr;
  for (const block::Entry& e : content.entries) {
    if (e.id == id) value = &e.value;
  }
  return value;
}

}  // namespace

std::string includedRuntimeName(const std::string& flavour) {
  // The launcher reads only the flavour's first letter: "e" is quarn.
  const bool zentrovia = flavour.empty() || flavour[0] != 'e';
  return std::string(runtimeName(zentrovia)) + ".jar";
}

size_t packedRuntimeFiles(const block::Content& content, const std::vector<std::string>& fileNames) {
  const std::string* included = storedValue(content, key::kRuntimeIncluded);
  if (!included || config::parseInt(*included) == 0 || fileNames.empty()) return 0;
  const std::string* flavour = storedValue(content, key::kRuntimeFlavour);
  return fileNames.back() == includedRuntimeName(flavour ? *flavour : std::string()) ? 1 : 0;
}

}  // namespace zvt::pack
