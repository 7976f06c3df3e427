// The include checker itself: its layer table, and whole planted trees run
// through the function and through the checker program that CTest runs on
// src/.
#include "include_rules.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <random>

namespace zvt::layers {
namespace {

namespace fs = std::filesystem;

// A source tree in a fresh temporary directory, removed at the end.
class PlantedTree {
 public:
  PlantedTree() {
    std::random_device seed;
    root_ = fs::temp_directory_path() / ("zvt_layers_" + std::to_string(seed()) + std::to_string(seed()));
    fs::create_directories(root_);
  }
  ~PlantedTree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  PlantedTree(const PlantedTree&) = delete;
  PlantedTree& operator=(const PlantedTree&) = delete;

  void add(const std::string& relative, const std::string& text) {
    fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }
  // A layered tree that keeps every rule.
  void addSoundTree() {
    add("base/win32.h", "#pragma once\n#include <windows.h>\n");
    add("base/text.h", "#pragma once\n#include <string>\n");
    add("runtime/log.h", "#pragma once\n#include \"base/text.h\"\n");
    add("runtime/log_win32.cpp", "#include \"base/win32.h\"\n#include \"runtime/log.h\"\n");
    add("config/accessors.h", "#pragma once\n#include \"runtime/log.h\"\n");
    add("jvm/discovery/search.h", "#pragma once\n#include \"config/accessors.h\"\n");
    add("jvm/launch/options.cpp", "#include \"jvm/discovery/search.h\"\n#include \"local.h\"\n");
    add("jvm/launch/local.h", "#pragma once\n");
    add("launcher/entry_win32.cpp", "#include \"jvm/launch/local.h\"\n#include \"base/win32.h\"\n");
  }
  const fs::path& root() const { return root_; }

 private:
  fs::path root_;
};

bool mentions(const std::vector<Violation>& violations, const std::string& file, int line, const std::string& part) {
  for (const Violation& v : violations) {
    if (v.file == file && v.line == line && v.text.find(part) != std::string::npos) return true;
  }
  return false;
}

TEST(IncludeRules, LayerOrder) {
  EXPECT_EQ("jvm/launch", moduleOf("jvm/launch/x.cpp"));
  EXPECT_EQ("base", moduleOf("base/sub/x.h"));
  EXPECT_EQ("", moduleOf("jvm/x.h"));
  EXPECT_EQ("", moduleOf("baseline/x.h"));
  struct Case {
    const char* from;
    const char* to;
    bool allowed;
  } cases[] = {
      {"runtime", "base", true},
      {"base", "runtime", false},
      {"runtime", "config", false},
      {"config", "runtime", true},
      {"service", "config", true},
      {"service", "launcher", false},
      {"service", "instance", false},
      {"instance", "service", false},
      {"windowborder", "jvm/launch", false},
      {"jvm/launch", "jvm/discovery", true},
      {"jvm/discovery", "jvm/launch", false},
      {"launcher", "service", true},
      {"launcher", "jvm/launch", true},
      {"config", "jvm/launch", false},
      {"runtime", "jvm/include", false},
      {"windowborder", "jvm/include", true},
      {"unknown", "base", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.allowed, mayInclude(c.from, c.to)) << c.from << " -> " << c.to;
}

TEST(IncludeRules, PlantedTrees) {
  {
    PlantedTree tree;
    tree.addSoundTree();
    std::vector<Violation> found = checkTree(tree.root());
    EXPECT_TRUE(found.empty()) << describe(found);
  }
  {
    // An upward include and a sibling include, each named by file and line.
    PlantedTree tree;
    tree.addSoundTree();
    tree.add("runtime/paths.cpp", "#include <string>\n// a comment\n#include \"config/accessors.h\"\n");
    tree.add("instance/guard.h", "#pragma once\n");
    tree.add("service/host.cpp", "#include \"config/accessors.h\"\n#include \"instance/guard.h\"\n");
    std::vector<Violation> found = checkTree(tree.root());
    EXPECT_TRUE(mentions(found, "runtime/paths.cpp", 3, "runtime must not include config")) << describe(found);
    EXPECT_TRUE(mentions(found, "service/host.cpp", 2, "service must not include instance")) << describe(found);
    EXPECT_EQ(2u, found.size()) << describe(found);
    EXPECT_EQ(0u, describe(found).find("runtime/paths.cpp:3: includes \"config/accessors.h\": runtime must not "
                                       "include config"))
        << describe(found);
  }
  {
    // A platform-free header that reaches <windows.h> two levels down, and
    // one that includes a *_win32.h header.
    PlantedTree tree;
    tree.addSoundTree();
    tree.add("runtime/handles.h", "#pragma once\n#include \"base/win32.h\"\n");
    tree.add("config/reader.h", "#pragma once\n\n#include \"runtime/handles.h\"\n");
    tree.add("config/reader_win32.cpp", "#include \"config/reader.h\"\n");
    tree.add("config/source_win32.h", "#pragma once\n");
    tree.add("config/use.cpp", "#include \"config/source_win32.h\"\n");
    std::vector<Violation> found = checkTree(tree.root());
    EXPECT_TRUE(mentions(found, "runtime/handles.h", 2, "reaches <windows.h> through \"base/win32.h\""))
        << describe(found);
    EXPECT_TRUE(mentions(found, "config/reader.h", 3, "reaches <windows.h> through \"runtime/handles.h\""))
        << describe(found);
    EXPECT_TRUE(mentions(found, "config/use.cpp", 1, "a platform-free file includes a Win32 header"))
        << describe(found);
    EXPECT_EQ(3u, found.size()) << describe(found);
  }
  {
    // A directory outside the layers, an include of a missing module, a
    // root that is no directory.
    PlantedTree tree;
    tree.addSoundTree();
    tree.add("extras/x.cpp", "\n");
    tree.add("launcher/y.cpp", "#include \"nowhere/z.h\"\n");
    std::vector<Violation> found = checkTree(tree.root());
    EXPECT_TRUE(mentions(found, "extras/x.cpp", 0, "no known layer")) << describe(found);
    EXPECT_TRUE(mentions(found, "launcher/y.cpp", 1, "nowhere in the source tree")) << describe(found);
    EXPECT_EQ(1u, checkTree(tree.root() / "missing").size());
  }
  {
    PlantedTree empty;
    EXPECT_EQ(1u, checkTree(empty.root()).size()) << "an empty tree must not pass as checked";
  }
}

// The program CTest runs on src/: its exit code and what it prints.
struct ProgramRun {
  int exitCode = -1;
  std::string output;
};

ProgramRun runChecker(const fs::path& root) {
  ProgramRun run;
  std::string command = std::string(ZVT_INCLUDE_CHECKER) + " '" + root.string() + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buf[512];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), pipe)) > 0) run.output.append(buf, n);
  int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(IncludeChecker, FailsOnAPlantedWrongInclude) {
  PlantedTree tree;
  tree.addSoundTree();
  ProgramRun clean = runChecker(tree.root());
  EXPECT_EQ(0, clean.exitCode) << clean.output;

  tree.add("config/loader.cpp", "#include \"config/accessors.h\"\n#include \"jvm/launch/local.h\"\n");
  ProgramRun planted = runChecker(tree.root());
  EXPECT_EQ(1, planted.exitCode) << planted.output;
  EXPECT_NE(std::string::npos,
            planted.output.find(tree.root().string() + "/config/loader.cpp:2: includes \"jvm/launch/local.h\""))
      << planted.output;

  ProgramRun usage = runChecker(tree.root() / "missing");
  EXPECT_EQ(1, usage.exitCode) << usage.output;
}

}  // namespace
}  // namespace zvt::layers
