// Class-path entries over arbitrary configuration text, against a probe
// whose answers come from the input too. Whatever the entries, the path
// never gains an empty element, and a failure names a required entry.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/keys.h"
#include "jvm/launch/class_path.h"

namespace {

class Probe : public zvt::PathProbe {
 public:
  explicit Probe(uint8_t seed) : seed_(seed) {}
  void expand(std::string& text) override {
    // Stands in for a token that expands to a separator.
    for (size_t at = text.find("%S%"); at != std::string::npos; at = text.find("%S%", at + 1)) {
      text.replace(at, 3, ";");
    }
  }
  std::string absolute(const std::string& path) override {
    return path.size() > 1 && path[1] == ':' ? path : "C:\\App\\" + path;
  }
  bool exists(const std::string& path) override { return (path.size() + seed_) % 3 == 0; }
  bool listArchives(const std::string& directory, const std::string& extension,
                    std::vector<std::string>& files) override {
    if ((directory.size() + seed_) % 2 != 0) return false;
    for (size_t i = 0; i < (seed_ & 3u); ++i) files.push_back(directory + "\\" + std::to_string(i) + "." + extension);
    return true;
  }
  bool environmentVariable(const std::string& name, std::string& value) override {
    if (name.empty() || (name[0] + seed_) % 2 != 0) return false;
    value = (seed_ & 4u) ? "\"C:\\env.jar\"" : (seed_ & 8u) ? "C:\\env dir;" : "\"\"";
    return true;
  }

 private:
  uint8_t seed_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string value(reinterpret_cast<const char*>(data + 1), size - 1);
  for (const zvt::ClassPathEntry& e : zvt::parseClassPathEntries(value)) {
    if (e.type == ';' || e.name.find(';') != std::string::npos) __builtin_trap();
  }
  Probe probe(data[0]);
  for (zvt::PathKind kind : {zvt::PathKind::ClassPath, zvt::PathKind::ModulePath}) {
    std::string path;
    std::optional<zvt::PathFailure> failure = zvt::appendConfiguredPath(value, kind, probe, path);
    if (!path.empty() && path.back() != ';') __builtin_trap();
    // Only a scanned directory whose expanded name holds a separator can
    // produce an empty element; everything else never does.
    const bool separatorInName = value.find("%S%") != std::string::npos;
    if (!separatorInName && !path.empty() && path[0] == ';') __builtin_trap();
    if (!separatorInName && path.find(";;") != std::string::npos) __builtin_trap();
    if (failure && failure->messageId != zvt::msg::kClassPathEntryMissing &&
        failure->messageId != zvt::msg::kClassPathVariableUndefined) {
      __builtin_trap();
    }
  }
  return 0;
}
