#include "include_rules.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace zvt::layers {
namespace {

namespace fs = std::filesystem;

// Each module with the modules it may include besides itself: base ->
// runtime -> config -> {service, jvm/discovery -> jvm/launch, instance,
// windowborder} -> launcher. jvm/include holds the JNI platform definitions
// for the JNI headers; only code that talks JNI sees it.
const std::map<std::string, std::set<std::string>>& rules() {
  static const std::map<std::string, std::set<std::string>> table = {
      {"base", {}},
      {"runtime", {"base"}},
      {"config", {"base", "runtime"}},
      {"service", {"base", "runtime", "config"}},
      {"jvm/include", {}},
      {"jvm/discovery", {"base", "runtime", "config", "jvm/include"}},
      {"jvm/launch", {"base", "runtime", "config", "jvm/discovery", "jvm/include"}},
      {"instance", {"base", "runtime", "config"}},
      {"windowborder", {"base", "runtime", "config", "jvm/include"}},
      {"launcher",
       {"base", "runtime", "config", "service", "jvm/include", "jvm/discovery", "jvm/launch", "instance",
        "windowborder"}},
  };
  return table;
}

bool isSourceFile(const fs::path& path) {
  static const std::set<std::string> kExtensions = {".h", ".hpp", ".inc", ".c", ".cc", ".cpp"};
  return kExtensions.count(path.extension().string()) != 0;
}

// "x_win32.cpp", "x_win32.h": the files that may touch Windows.
bool isWin32Name(const std::string& relativePath) {
  std::string stem = fs::path(relativePath).stem().string();
  const std::string suffix = "_win32";
  return stem.size() >= suffix.size() && stem.compare(stem.size() - suffix.size(), suffix.size(), suffix) == 0;
}

struct Include {
  int line;
  std::string target;  // as written
  bool quoted;         // "..." rather than <...>
};

struct SourceFile {
  std::vector<Include> includes;
};

std::vector<Include> readIncludes(const fs::path& path) {
  static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<Include> out;
  std::ifstream in(path);
  std::string text;
  int number = 0;
  while (std::getline(in, text)) {
    ++number;
    std::smatch m;
    if (std::regex_search(text, m, kInclude)) out.push_back({number, m[2].str(), m[1].str() == "\""});
  }
  return out;
}

std::string generic(const fs::path& path) {
  return path.lexically_normal().generic_string();
}

}  // namespace

std::string moduleOf(const std::string& relativePath) {
  std::string best;
  for (const auto& row : rules()) {
    const std::string& name = row.first;
    if (relativePath.compare(0, name.size() + 1, name + "/") == 0 && name.size() > best.size()) best = name;
  }
  return best;
}

bool mayInclude(const std::string& from, const std::string& to) {
  if (from == to) return true;
  auto it = rules().find(from);
  return it != rules().end() && it->second.count(to) != 0;
}

std::vector<Violation> checkTree(const fs::path& sourceRoot) {
  std::vector<Violation> violations;
  std::map<std::string, SourceFile> files;  // by source-relative path
  if (!fs::is_directory(sourceRoot)) {
    violations.push_back({generic(sourceRoot), 0, "is not a directory"});
    return violations;
  }
  for (const auto& entry : fs::recursive_directory_iterator(sourceRoot)) {
    if (!entry.is_regular_file() || !isSourceFile(entry.path())) continue;
    std::string relative = generic(fs::relative(entry.path(), sourceRoot));
    files[relative].includes = readIncludes(entry.path());
  }
  if (files.empty()) violations.push_back({generic(sourceRoot), 0, "holds no source files"});

  // Where a quoted include leads: a source-relative path, or empty when it
  // names nothing in the tree (a system or toolchain header).
  auto resolve = [&](const std::string& from, const std::string& target) -> std::string {
    std::string besideIt = generic(fs::path(from).parent_path() / target);
    if (files.count(besideIt)) return besideIt;
    std::string fromRoot = generic(fs::path(target));
    if (files.count(fromRoot)) return fromRoot;
    return std::string();
  };

  // Whether a file reaches <windows.h>, and through which of its includes.
  std::map<std::string, std::string> reachVia;  // file -> first include leading there ("" = none)
  std::set<std::string> visiting;
  std::function<bool(const std::string&)> reachesWindows = [&](const std::string& file) -> bool {
    auto known = reachVia.find(file);
    if (known != reachVia.end()) return !known->second.empty();
    if (!visiting.insert(file).second) return false;  // an include cycle: decided by its first visit
    std::string via;
    for (const Include& inc : files[file].includes) {
      if (!inc.quoted) {
        std::string lower = inc.target;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        if (lower == "windows.h") {
          via = "<" + inc.target + ">";
          break;
        }
        continue;
      }
      std::string target = resolve(file, inc.target);
      if (!target.empty() && reachesWindows(target)) {
        via = "\"" + inc.target + "\"";
        break;
      }
    }
    visiting.erase(file);
    reachVia[file] = via;
    return !via.empty();
  };

  for (const auto& [file, source] : files) {
    const std::string module = moduleOf(file);
    if (module.empty()) {
      violations.push_back({file, 0, "is in no known layer (add its directory to the layer rules)"});
      continue;
    }
    const bool platformFree = module != "base" && !isWin32Name(file);
    for (const Include& inc : source.includes) {
      if (!inc.quoted) continue;
      std::string target = resolve(file, inc.target);
      std::string targetModule = target.empty() ? moduleOf(generic(fs::path(inc.target))) : moduleOf(target);
      if (target.empty() && targetModule.empty()) {
        violations.push_back({file, inc.line, "includes \"" + inc.target + "\", which is nowhere in the source tree"});
        continue;
      }
      if (targetModule.empty()) {
        violations.push_back({file, inc.line, "includes \"" + inc.target + "\", which is in no known layer"});
        continue;
      }
      if (!mayInclude(module, targetModule)) {
        violations.push_back({file, inc.line,
                              "includes \"" + inc.target + "\": " + module + " must not include " + targetModule +
                                  " (layers: base -> runtime -> config -> {service, jvm/discovery -> jvm/launch, "
                                  "instance, windowborder} -> launcher)"});
      }
      if (platformFree && isWin32Name(inc.target)) {
        violations.push_back({file, inc.line,
                              "includes \"" + inc.target +
                                  "\": a platform-free file includes a Win32 header "
                                  "(name the file *_win32.* or move the Win32 part there)"});
      }
    }
    if (platformFree && reachesWindows(file)) {
      int line = 0;
      for (const Include& inc : source.includes) {
        std::string written = inc.quoted ? "\"" + inc.target + "\"" : "<" + inc.target + ">";
        if (written == reachVia[file]) line = inc.line;
      }
      violations.push_back({file, line,
                            "reaches <windows.h> through " + reachVia[file] +
                                ": a platform-free file declares no Win32 types or functions (move them into a "
                                "*_win32.h header)"});
    }
  }
  std::sort(violations.begin(), violations.end(), [](const Violation& a, const Violation& b) {
    return a.file != b.file ? a.file < b.file : a.line < b.line;
  });
  return violations;
}

std::string describe(const std::vector<Violation>& violations) {
  std::ostringstream out;
  for (const Violation& v : violations) out << v.file << ":" << v.line << ": " << v.text << "\n";
  return out.str();
}

}  // namespace zvt::layers
