// Helpers of the packer's tests: configurations read and checked in memory,
// a fresh directory per test, files in and out.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "settings.h"
#include "toml_reader.h"

namespace zvt::test {

// A directory of its own under the system's temporary directory, removed
// with everything in it at scope end.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("zvtpack_test_" + std::to_string(random()) + "_" + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  writeFile(path, std::string(bytes.begin(), bytes.end()));
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every included file exists unless its path says "missing" or "dir".
class ScriptedProbe final : public pack::FileProbe {
 public:
  pack::FileKind kind(const std::string& path) const override {
    if (path.find("missing") != std::string::npos) return pack::FileKind::Missing;
    if (path.find("dir") != std::string::npos) return pack::FileKind::Directory;
    return pack::FileKind::Regular;
  }
};

struct Checked {
  bool ok = false;
  pack::PackPlan plan;
  std::string errors;  // "line:column: error: message" lines

  // The stored value of an entry; "<absent>" when the plan has none.
  std::string entry(uint32_t id) const {
    for (const block::Entry& e : plan.content.entries) {
      if (e.id == id) return e.value;
    }
    return "<absent>";
  }
  const block::Message* message(uint32_t id) const {
    for (const block::Message& m : plan.content.messages) {
      if (m.id == id) return &m;
    }
    return nullptr;
  }
};

// Reads and checks `text` as the packer does, with scripted files. A
// fragment is checked setting by setting; a whole configuration must also
// name what the launcher cannot run without (service name, main class).
inline Checked check(const std::string& text, pack::Scope scope = pack::Scope::Fragment) {
  Checked out;
  pack::Node root;
  pack::ReadError error;
  if (!pack::readToml(text, root, error)) {
    out.errors =
        std::to_string(error.pos.line) + ":" + std::to_string(error.pos.column) + ": error: " + error.message + "\n";
    return out;
  }
  static const ScriptedProbe probe;
  pack::ReadContext context;
  context.source = &text;
  context.files = &probe;
  context.scope = scope;
  pack::Diagnostics diagnostics;
  out.ok = pack::buildPlan(root, context, out.plan, diagnostics);
  std::string formatted = diagnostics.format("");
  // format("") gives ":line:col: ..." lines; drop the empty file name.
  size_t at = 0;
  while ((at = formatted.find("\n:", at)) != std::string::npos) formatted.erase(at + 1, 1);
  if (!formatted.empty() && formatted[0] == ':') formatted.erase(0, 1);
  out.errors = formatted;
  return out;
}

inline Checked checkWhole(const std::string& text) {
  return check(text, pack::Scope::WholeConfiguration);
}

}  // namespace zvt::test
