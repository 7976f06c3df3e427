// The zvtpack commands as a user runs them, on real files: help, the three
// steps, file errors as messages (never an abort), outputs that are never
// half written, convert.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "base/pe_machine.h"
#include "cli.h"
#include "config/key_table.h"
#include "docs.h"
#include "file_io.h"
#include "pack.h"
#include "support/test_image.h"
#include "zvtpack_support.h"

namespace zvt {
namespace {

struct Outcome {
  int code = -1;
  std::string out;
  std::string err;
};

// The least a configuration names: the service and the class to start.
const char* const kMinimal = "[service]\nname = 'Svc'\n[application]\nmain-class = 'com.example.Main'\n";

// A packer installed in `installDirectory`; none when it is empty.
Outcome runPacker(const std::vector<std::string>& args, const std::string& installDirectory) {
  Outcome r;
  r.code = pack::runZvtpack(args, r.out, r.err, installDirectory);
  return r;
}

// What the packer takes from its own directory and packs into every
// launcher unless told not to.
const char* const kRuntimeJar = "PK\x03\x04 runtime classes";

// Every failed run ends with the same words, whatever failed.
bool endsWithNothingWritten(const Outcome& r) {
  const std::string tail = "; nothing written\n";
  return r.err.size() >= tail.size() && r.err.compare(r.err.size() - tail.size(), tail.size(), tail) == 0;
}

class Cli : public ::testing::Test {
 protected:
  // The test directory is the packer's directory too: the template and the
  // runtime jar lie there.
  void SetUp() override {
    test::writeFile(templ(), test::makeImage(3));
    test::writeFile(file("zvtruntime.jar"), std::string(kRuntimeJar));
  }
  Outcome zvtpack(const std::vector<std::string>& args) const { return runPacker(args, dir.path()); }
  std::string templ() const { return dir.file("zvtsvc.exe"); }
  std::string file(const std::string& name) const { return dir.file(name); }
  bool exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }
  // No temporary file of an atomic write is left behind.
  bool noPartialFiles() const {
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
      if (e.path().string().find("partial") != std::string::npos) return false;
    }
    return true;
  }
  test::TempDir dir;
};

TEST_F(Cli, HelpGoesToStandardOutputAndListsTheCommands) {
  for (const char* help : {"--help", "-h", "help"}) {
    Outcome r = zvtpack({help});
    EXPECT_EQ(0, r.code);
    EXPECT_TRUE(r.err.empty()) << r.err;
    for (const char* command : {"zvtpack init", "zvtpack pack", "zvtpack show", "zvtpack convert", "zvtpack keys"}) {
      EXPECT_NE(std::string::npos, r.out.find(command)) << command;
    }
  }
  for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{{},
                                                                            {"bogus"},
                                                                            {"pack", "a"},
                                                                            {"show"},
                                                                            {"show", "--bogus", "x"},
                                                                            {"show", "--code-page", "65001", "x"},
                                                                            {"init", "--flavour", "mocha"},
                                                                            {"keys", "--html"}}) {
    Outcome r = zvtpack(bad);
    EXPECT_EQ(2, r.code) << (bad.empty() ? "" : bad[0]);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(std::string::npos, r.err.find("zvtpack --help")) << r.err;
    EXPECT_TRUE(endsWithNothingWritten(r)) << r.err;
  }
}

TEST_F(Cli, VersionIsOneLineWithTheReleaseNumber) {
  Outcome r = zvtpack({"--version"});
  EXPECT_EQ(0, r.code);
  EXPECT_TRUE(r.err.empty()) << r.err;
  EXPECT_TRUE(std::regex_match(r.out, std::regex("zvtpack [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << r.out;
}

TEST_F(Cli, KeysListsEverySettingName) {
  Outcome r = zvtpack({"keys"});
  ASSERT_EQ(0, r.code);
  size_t count = 0;
  const config::KeyInfo* keys = config::keyTable(count);
  for (size_t i = 0; i < count; ++i) {
    if (keys[i].kind == config::ValueKind::IncludedFiles) continue;
    EXPECT_NE(std::string::npos, r.out.find("  " + std::string(keys[i].name) + "  (key " + std::to_string(keys[i].id)))
        << keys[i].name;
  }
  const config::MessageInfo* messages = config::messageTable(count);
  for (size_t i = 0; i < count; ++i) EXPECT_NE(std::string::npos, r.out.find(messages[i].name)) << messages[i].name;
  EXPECT_NE(std::string::npos, r.out.find("service.description"));
  Outcome md = zvtpack({"keys", "--markdown"});
  EXPECT_EQ(0u, md.out.find("# Configuration reference\n"));
}

TEST_F(Cli, InitEditPackShowPack) {
  for (const char* flavour : {"zentrovia", "quarn"}) {
    const std::string cfg = file(std::string(flavour) + ".toml");
    Outcome init = zvtpack({"init", "--flavour", flavour, cfg});
    ASSERT_EQ(0, init.code) << init.err;
    // init never overwrites an edited configuration.
    test::writeFile(cfg, test::readFile(cfg) + "# edited\n");
    Outcome again = zvtpack({"init", cfg});
    EXPECT_EQ(1, again.code);
    EXPECT_NE(std::string::npos, test::readFile(cfg).find("# edited"));

    Outcome packRun = zvtpack({"pack", templ(), cfg, file("a.exe")});
    ASSERT_EQ(0, packRun.code) << packRun.err;
    Outcome show = zvtpack({"show", file("a.exe")});
    ASSERT_EQ(0, show.code) << show.err;
    EXPECT_TRUE(show.err.empty()) << show.err;
    test::writeFile(file("shown.toml"), show.out);
    ASSERT_EQ(0, zvtpack({"pack", templ(), file("shown.toml"), file("b.exe")}).code);
    EXPECT_TRUE(test::readFile(file("a.exe")) == test::readFile(file("b.exe"))) << flavour;
    EXPECT_NE(std::string::npos, show.out.find(std::string("flavour = \"") + flavour + "\"")) << show.out;
  }
  // Without a file name, init prints the starter.
  Outcome printed = zvtpack({"init"});
  EXPECT_EQ(0, printed.code);
  EXPECT_NE(std::string::npos, printed.out.find("\nname = \"MyService\""));
}

// The starter packs as init writes it, with redirection to files whose
// directory the runtime classes create, rotation, the runtime classes
// packed in, and the working directory set to the launcher's own (a service
// starts in System32). Each line says what it does; the two values every
// application must give are marked.
TEST_F(Cli, TheStarterPacksAsWrittenAndExplainsEachLine) {
  for (const char* flavour : {"zentrovia", "quarn"}) {
    SCOPED_TRACE(flavour);
    const std::string cfg = file(std::string(flavour) + "-starter.toml");
    ASSERT_EQ(0, zvtpack({"init", "--flavour", flavour, cfg}).code);
    Outcome r = zvtpack({"pack", templ(), cfg, file("starter.exe")});
    ASSERT_EQ(0, r.code) << r.err;
    const std::string bytes = test::readFile(file("starter.exe"));
    block::Content content;
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(pack::readPackedBlock(std::vector<uint8_t>(bytes.begin(), bytes.end()), content, names, error));
    std::map<uint32_t, std::string> stored;
    for (const block::Entry& e : content.entries) stored[e.id] = e.value;
    EXPECT_EQ(".", stored[146]);
    EXPECT_EQ("1", stored[102]);
    EXPECT_EQ("logs\\error.log", stored[103]);
    EXPECT_EQ("1", stored[104]);
    EXPECT_EQ("logs\\output.log", stored[105]);
    EXPECT_EQ("10240", stored[30302]);
    EXPECT_EQ("1", stored[30301]);
    ASSERT_EQ(1u, names.size());
    EXPECT_NE(std::string::npos, names[0].find("runtime.jar"));

    std::istringstream lines(test::readFile(cfg));
    for (std::string line; std::getline(lines, line);) {
      if (line.empty() || line[0] == '#' || line == "]") continue;
      EXPECT_NE(std::string::npos, line.find(" # ")) << "no comment: " << line;
      const bool required = line.compare(0, 7, "name = ") == 0 || line.compare(0, 13, "main-class = ") == 0;
      EXPECT_EQ(required, line.find("# required:") != std::string::npos) << line;
    }
  }
}

// The machine field of an image, as the packer reads it.
uint16_t machineOf(const std::string& bytes) {
  return static_cast<uint16_t>(peMachine(std::vector<uint8_t>(bytes.begin(), bytes.end())));
}

// launcher.architecture picks the template beside the packer when none is
// named, a named template of the other width is refused, and show says the
// width of what it reads (from the image) and prints the setting back.
TEST_F(Cli, TheTemplateFollowsTheArchitecture) {
  const std::string install = file("install");
  std::filesystem::create_directories(install);
  std::vector<uint8_t> wide = test::makeImage(3);
  test::putU16(wide, 0x84, 0x8664);
  test::writeFile(install + "/zvtsvc.exe", test::makeImage(3));
  test::writeFile(install + "/zvtsvc64.exe", wide);
  test::writeFile(install + "/zvtruntime.jar", std::string(kRuntimeJar));
  test::writeFile(file("x86.toml"), kMinimal);
  test::writeFile(file("x64.toml"), std::string(kMinimal) + "[launcher]\narchitecture = \"x64\"\n");
  auto packer = [&install](const std::vector<std::string>& args) {
    Outcome r;
    r.code = pack::runZvtpack(args, r.out, r.err, install);
    return r;
  };

  Outcome r = packer({"pack", file("x64.toml"), file("a64.exe")});
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ(0x8664, machineOf(test::readFile(file("a64.exe"))));
  r = packer({"pack", file("x86.toml"), file("a32.exe")});
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ(0x014c, machineOf(test::readFile(file("a32.exe"))));

  Outcome shown = zvtpack({"show", file("a64.exe")});
  ASSERT_EQ(0, shown.code) << shown.err;
  EXPECT_EQ(0u, shown.out.find("# A 64-bit launcher (x64): it loads 64-bit Java runtimes only.\n")) << shown.out;
  EXPECT_NE(std::string::npos, shown.out.find("architecture = \"x64\"")) << shown.out;
  EXPECT_TRUE(shown.err.empty()) << shown.err;
  test::writeFile(file("shown.toml"), shown.out);
  ASSERT_EQ(0, packer({"pack", file("shown.toml"), file("again64.exe")}).code);
  EXPECT_TRUE(test::readFile(file("a64.exe")) == test::readFile(file("again64.exe")));
  shown = zvtpack({"show", file("a32.exe")});
  EXPECT_EQ(0u, shown.out.find("# A 32-bit launcher (x86): it loads 32-bit Java runtimes only.\n")) << shown.out;

  // A named template of the other width, either way round.
  r = packer({"pack", install + "/zvtsvc64.exe", file("x86.toml"), file("bad.exe")});
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("is the 64-bit launcher, but launcher.architecture is \"x86\" (the default)"))
      << r.err;
  EXPECT_NE(std::string::npos, r.err.find("write architecture = \"x64\" under [launcher]")) << r.err;
  r = packer({"pack", install + "/zvtsvc.exe", file("x64.toml"), file("bad.exe")});
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("is the 32-bit launcher, but launcher.architecture is \"x64\":")) << r.err;
  EXPECT_NE(std::string::npos, r.err.find("or pack the 64-bit template zvtsvc64.exe")) << r.err;
  EXPECT_TRUE(endsWithNothingWritten(r));
  EXPECT_FALSE(exists("bad.exe"));

  // No template beside the packer, or no known place: the message says how
  // to name one.
  std::filesystem::remove(install + "/zvtsvc64.exe");
  r = packer({"pack", file("x64.toml"), file("bad.exe")});
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("zvtsvc64.exe")) << r.err;
  EXPECT_NE(std::string::npos, r.err.find("name one: zvtpack pack <template.exe>")) << r.err;
  r = runPacker({"pack", file("x86.toml"), file("bad.exe")}, "");
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("name it: zvtpack pack zvtsvc.exe")) << r.err;
  EXPECT_FALSE(exists("bad.exe"));

  // A 64-bit launcher whose block lacks the setting (packed by other means):
  // show says what packing its output would do.
  std::vector<uint8_t> bare;
  std::string error;
  ASSERT_TRUE(pack::packImage(wide, block::Content{}, bare, error)) << error;
  test::writeFile(file("bare64.exe"), bare);
  shown = zvtpack({"show", file("bare64.exe")});
  EXPECT_NE(std::string::npos, shown.err.find("note: the launcher is 64-bit, but its configuration names no "
                                              "launcher.architecture of that width"))
      << shown.err;
  // Nor does it name launcher.include-runtime: packing it again would add
  // the runtime classes.
  EXPECT_NE(std::string::npos, shown.err.find("note: the block names no launcher.include-runtime")) << shown.err;
}

// The runtime jar beside the packer goes into every launcher, named after
// the flavour's runtime module, unless the configuration says not to; show
// gives it back as the setting, not as a file.
TEST_F(Cli, TheRuntimeClassesArePackedUnlessTurnedOff) {
  auto packed = [this](const std::string& exe, block::Content& content, std::vector<std::string>& names) {
    std::string bytes = test::readFile(file(exe));
    std::string error;
    ASSERT_TRUE(pack::readPackedBlock(std::vector<uint8_t>(bytes.begin(), bytes.end()), content, names, error))
        << error;
  };
  test::writeFile(file("app.txt"), "app");
  test::writeFile(file("z.toml"), std::string(kMinimal) + "[[files]]\nsource = 'app.txt'\n");
  test::writeFile(file("q.toml"), std::string(kMinimal) + "[launcher]\nflavour = 'quarn'\n");
  test::writeFile(file("off.toml"), std::string(kMinimal) + "[launcher]\ninclude-runtime = false\n");
  struct Case {
    const char* config;
    std::vector<std::string> names;
    const char* stored;
  } cases[] = {{"z.toml", {"app.txt", "com.zentrovia.runtime.jar"}, "1"},
               {"q.toml", {"com.quarn.runtime.jar"}, "1"},
               {"off.toml", {}, "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    Outcome r = zvtpack({"pack", templ(), file(c.config), file("a.exe")});
    ASSERT_EQ(0, r.code) << r.err;
    block::Content content;
    std::vector<std::string> names;
    packed("a.exe", content, names);
    EXPECT_EQ(c.names, names);
    if (!c.names.empty())
      EXPECT_EQ(std::string(kRuntimeJar),
                std::string(content.files.back().content.begin(), content.files.back().content.end()));
    bool stored = false;
    for (const block::Entry& e : content.entries) stored = stored || (e.id == 30301 && e.value == c.stored);
    EXPECT_TRUE(stored);
    EXPECT_EQ(c.stored == std::string("1"),
              r.out.find(" included files, and zvtruntime.jar)\n") != std::string::npos)
        << r.out;
    // show names the setting and only the configuration's own files; its
    // output packs the same launcher.
    Outcome shown = zvtpack({"show", "--files", file("out"), file("a.exe")});
    ASSERT_EQ(0, shown.code) << shown.err;
    EXPECT_TRUE(shown.err.empty()) << shown.err;
    EXPECT_EQ(std::string::npos, shown.out.find("runtime.jar")) << shown.out;
    EXPECT_FALSE(exists("out/com.zentrovia.runtime.jar"));
    test::writeFile(file("shown.toml"), shown.out);
    ASSERT_EQ(0, zvtpack({"pack", templ(), file("shown.toml"), file("b.exe")}).code);
    EXPECT_TRUE(test::readFile(file("a.exe")) == test::readFile(file("b.exe")));
  }

  // Without the jar: where the packer looked, and how to do without.
  std::filesystem::remove(file("zvtruntime.jar"));
  Outcome r = zvtpack({"pack", templ(), file("z.toml"), file("none.exe")});
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("cannot read " + file("zvtruntime.jar") + ": no such file")) << r.err;
  EXPECT_NE(std::string::npos, r.err.find("write include-runtime = false under [launcher]")) << r.err;
  EXPECT_TRUE(endsWithNothingWritten(r)) << r.err;
  EXPECT_FALSE(exists("none.exe"));
  EXPECT_EQ(0, zvtpack({"pack", templ(), file("off.toml"), file("off.exe")}).code);

  // A file of the configuration under the runtime's name would be
  // overwritten by it.
  test::writeFile(file("clash.toml"),
                  std::string(kMinimal) + "[[files]]\nsource = 'app.txt'\nname = 'COM.Zentrovia.Runtime.jar'\n");
  r = zvtpack({"pack", templ(), file("clash.toml"), file("clash.exe")});
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("clash.toml:7:8: error: files.name: \"COM.Zentrovia.Runtime.jar\" is the "
                                          "name under which the packer includes the runtime classes"))
      << r.err;
}

TEST_F(Cli, IncludedFilesWrittenOutByShowPackTheSameExecutable) {
  std::filesystem::create_directories(file("build/lib"));
  test::writeFile(file("build/app.jar"), std::string("PK\x03\x04 app", 8));
  test::writeFile(file("build/lib/native x.dll"), std::string(70000, 'd'));
  test::writeFile(file("build/empty.txt"), "");
  test::writeFile(file("svc.toml"), std::string(kMinimal) +
                                        "[[files]]\nsource = 'build/app.jar'\n[[files]]\n"
                                        "source = 'build/lib/native x.dll'\nname = 'lib\\native x.dll'\n[[files]]\n"
                                        "source = 'build/empty.txt'\n");
  Outcome first = zvtpack({"pack", templ(), file("svc.toml"), file("a.exe")});
  ASSERT_EQ(0, first.code) << first.err;
  EXPECT_NE(std::string::npos, first.out.find("3 included files")) << first.out;

  // Without --files the files are listed, and show says what is missing.
  Outcome listed = zvtpack({"show", file("a.exe")});
  EXPECT_NE(std::string::npos, listed.out.find("#   \"app.jar\", 8 bytes")) << listed.out;
  EXPECT_NE(std::string::npos, listed.err.find("note: the included files are listed as comments")) << listed.err;

  Outcome shown = zvtpack({"show", "--files", file("out"), file("a.exe")});
  ASSERT_EQ(0, shown.code) << shown.err;
  EXPECT_TRUE(shown.err.empty()) << shown.err;
  EXPECT_EQ(std::string(70000, 'd'), test::readFile(file("out/lib/native x.dll")));
  test::writeFile(file("shown.toml"), shown.out);
  ASSERT_EQ(0, zvtpack({"pack", templ(), file("shown.toml"), file("b.exe")}).code);
  EXPECT_TRUE(test::readFile(file("a.exe")) == test::readFile(file("b.exe")));
}

// A packed launcher names its included files; show writes them out under
// those names read through the code page, and never outside the directory.
TEST_F(Cli, ShowWritesIncludedFilesOnlyInsideItsDirectory) {
  block::Content c;
  c.entries = {{101, "Svc"}, {122, "a.Main"}};
  c.files = {{{'u'}}};
  pack::setIncludedFileEntries(c, {"lib\\Gr\xFC\xDF.txt"});
  // Packed without the runtime classes, as the setting says.
  c.entries.push_back({30301, "0"});
  std::vector<uint8_t> image;
  std::string error;
  ASSERT_TRUE(pack::packImage(test::makeImage(3), c, image, error));
  test::writeFile(file("umlaut.exe"), image);
  Outcome r = zvtpack({"show", "--files", file("out"), file("umlaut.exe")});
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("u", test::readFile(file("out/lib/Gr\xC3\xBC\xC3\x9F.txt")));
  test::writeFile(file("shown.toml"), r.out);
  ASSERT_EQ(0, zvtpack({"pack", templ(), file("shown.toml"), file("again.exe")}).code);
  EXPECT_TRUE(std::string(image.begin(), image.end()) == test::readFile(file("again.exe")));

  c.entries.clear();
  pack::setIncludedFileEntries(c, {"..\\evil.txt"});
  ASSERT_TRUE(pack::packImage(test::makeImage(2), c, image, error));
  test::writeFile(file("evil.exe"), image);
  r = zvtpack({"show", "--files", file("sub"), file("evil.exe")});
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("its name is refused (parent directory reference)")) << r.err;
  EXPECT_FALSE(exists("evil.txt"));
}

// Every file error is a message and exit code 1, never an abort.
TEST_F(Cli, FileErrorsAreMessages) {
  test::writeFile(file("ok.toml"), kMinimal);
  std::filesystem::create_directories(file("adir"));
  test::writeFile(file("withdir.toml"), "[[files]]\nsource = 'adir'\n");
  test::writeFile(file("syntax.toml"), "[service]\nname = Svc\n");
  struct Case {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"show", dir.path()}, "it is a directory"},
      {{"show", file("none.exe")}, "no such file"},
      {{"show", file("ok.toml")}, "not an executable"},
      {{"show", templ()}, "no configuration block"},
      {{"pack", dir.path(), file("ok.toml"), file("out.exe")}, "it is a directory"},
      {{"pack", templ(), dir.path(), file("out.exe")}, "it is a directory"},
      {{"pack", templ(), file("none.toml"), file("out.exe")}, "no such file"},
      {{"pack", templ(), file("withdir.toml"), file("out.exe")}, "withdir.toml:2:10: error: files.source: "},
      {{"pack", templ(), file("ok.toml"), dir.path()}, "it is a directory"},
      {{"pack", templ(), file("syntax.toml"), file("out.exe")}, "syntax.toml:2:8: error: text goes in quotes"},
      // The output's path and the system's reason, not a temporary name.
      {{"pack", templ(), file("ok.toml"), file("no/such/dir/out.exe")},
       "zvtpack: cannot write " + file("no/such/dir/out.exe") + ": No such file or directory; nothing written\n"},
      {{"init", file("no/such/dir/new.toml")}, "cannot write " + file("no/such/dir/new.toml") + ": No such file"},
      {{"convert", file("none.txt"), file("c.toml")}, "no such file"},
  };
  for (const Case& c : cases) {
    Outcome r = zvtpack(c.args);
    EXPECT_EQ(1, r.code) << c.args[1];
    EXPECT_NE(std::string::npos, r.err.find(c.error)) << c.error << "\ngot: " << r.err;
    EXPECT_TRUE(endsWithNothingWritten(r)) << r.err;
    EXPECT_FALSE(exists("out.exe"));
  }
  EXPECT_FALSE(exists("c.toml"));
  EXPECT_TRUE(noPartialFiles());
}

TEST_F(Cli, AFailedPackLeavesTheOutputAsItWas) {
  test::writeFile(file("out.exe"), "previous launcher");
  test::writeFile(file("bad.toml"), "[service]\nname = 'a/b'\n[application]\nmain-class = 'a.Main'\n");
  Outcome r = zvtpack({"pack", templ(), file("bad.toml"), file("out.exe")});
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("bad.toml:2:8: error: service.name")) << r.err;
  EXPECT_NE(std::string::npos, r.err.find("1 error; nothing written")) << r.err;
  EXPECT_EQ("previous launcher", test::readFile(file("out.exe")));

  // A template whose last section has no raw data would put the block at
  // offset 0: refused, and the output stays.
  std::vector<uint8_t> broken = test::makeImage(3);
  test::putU32(broken, 0x80 + 24 + 0xE0 + 2 * 40 + 16, 0);
  test::putU32(broken, 0x80 + 24 + 0xE0 + 2 * 40 + 20, 0);
  test::writeFile(file("broken.exe"), broken);
  test::writeFile(file("ok.toml"), kMinimal);
  r = zvtpack({"pack", file("broken.exe"), file("ok.toml"), file("out.exe")});
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("no raw data")) << r.err;
  EXPECT_EQ("previous launcher", test::readFile(file("out.exe")));

  // A successful pack replaces it.
  ASSERT_EQ(0, zvtpack({"pack", templ(), file("ok.toml"), file("out.exe")}).code);
  EXPECT_EQ(0u, test::readFile(file("out.exe")).find("MZ"));
  EXPECT_TRUE(noPartialFiles());
}

// An existing output that is not a regular file is left alone: a named
// pipe, a link (to a file or to nothing) or a device is never replaced by the
// packed launcher, nor written through.
TEST_F(Cli, OutputsThatAreNotRegularFilesAreRefused) {
  test::writeFile(file("ok.toml"), kMinimal);
  test::writeFile(file("target.exe"), "someone else's file");
  ASSERT_EQ(0, ::mkfifo(file("pipe.exe").c_str(), 0600));
  std::filesystem::create_symlink(file("target.exe"), file("link.exe"));
  std::filesystem::create_symlink(file("nowhere.exe"), file("dangling.exe"));
  struct Case {
    const char* output;
    const char* what;
  } cases[] = {
      {"pipe.exe", "a named pipe (FIFO)"}, {"link.exe", "a symbolic link"}, {"dangling.exe", "a symbolic link"}};
  auto refusal = [this](const char* output, const char* what) {
    return "zvtpack: cannot write " + file(output) + ": it is " + what +
           ", not a regular file; zvtpack writes only new or regular files (name the file itself, or another "
           "path); nothing written\n";
  };
  for (const Case& c : cases) {
    Outcome r = zvtpack({"pack", templ(), file("ok.toml"), file(c.output)});
    EXPECT_EQ(1, r.code) << c.output;
    EXPECT_EQ(refusal(c.output, c.what), r.err);
  }
  // init writes only where nothing exists; a dangling link looks like that.
  Outcome r = zvtpack({"init", file("dangling.exe")});
  EXPECT_EQ(1, r.code);
  EXPECT_EQ(refusal("dangling.exe", "a symbolic link"), r.err);
  EXPECT_TRUE(std::filesystem::is_fifo(file("pipe.exe")));
  EXPECT_TRUE(std::filesystem::is_symlink(file("link.exe")));
  EXPECT_TRUE(std::filesystem::is_symlink(file("dangling.exe")));
  EXPECT_EQ("someone else's file", test::readFile(file("target.exe")));
  EXPECT_FALSE(exists("nowhere.exe"));
  EXPECT_TRUE(noPartialFiles());
}

// A configuration larger than any real one is refused before it is read.
TEST_F(Cli, AConfigurationBeyondTheSizeLimitIsRefusedUnread) {
  {
    std::ofstream big(file("big.toml"), std::ios::binary);
    big << kMinimal << "# ";
  }
  std::filesystem::resize_file(file("big.toml"), pack::kConfigurationSizeLimit + 1);
  Outcome r = zvtpack({"pack", templ(), file("big.toml"), file("out.exe")});
  EXPECT_EQ(1, r.code);
  EXPECT_EQ("zvtpack: cannot read " + file("big.toml") +
                ": it has 16777217 bytes, more than the limit of 16777216 "
                "bytes (16 MiB) for such a file; nothing written\n",
            r.err);
  EXPECT_FALSE(exists("out.exe"));
  // A file of exactly the limit is read.
  test::writeFile(file("ten.txt"), "0123456789");
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(pack::readWholeFile(file("ten.txt"), bytes, error, 10)) << error;
  EXPECT_EQ(10u, bytes.size());
  EXPECT_FALSE(pack::readWholeFile(file("ten.txt"), bytes, error, 9));
  EXPECT_NE(std::string::npos, error.find("it has 10 bytes, more than the limit of 9 bytes")) << error;
}

// show --files writes every included file or none.
TEST_F(Cli, ShowWritesTheIncludedFilesAllOrNone) {
  block::Content c;
  c.entries = {{101, "Svc"}, {122, "a.Main"}};
  c.files = {{{'a'}}, {{'b'}}};
  pack::setIncludedFileEntries(c, {"a.jar", "lib\\b.jar"});
  std::vector<uint8_t> image;
  std::string error;
  ASSERT_TRUE(pack::packImage(test::makeImage(3), c, image, error));
  test::writeFile(file("two.exe"), image);
  // The second name is taken by a directory.
  std::filesystem::create_directories(file("out/lib/b.jar"));
  Outcome r = zvtpack({"show", "--files", file("out"), file("two.exe")});
  EXPECT_EQ(1, r.code);
  EXPECT_EQ("zvtpack: cannot write " + file("out") + "/lib/b.jar: it is a directory; nothing written\n", r.err);
  EXPECT_FALSE(exists("out/a.jar"));
  std::filesystem::remove(file("out/lib/b.jar"));
  r = zvtpack({"show", "--files", file("out"), file("two.exe")});
  EXPECT_EQ(0, r.code) << r.err;
  EXPECT_EQ("a", test::readFile(file("out/a.jar")));
  EXPECT_EQ("b", test::readFile(file("out/lib/b.jar")));
  EXPECT_TRUE(noPartialFiles());
}

TEST_F(Cli, TheOutputIsNeverTheTemplateOrTheConfiguration) {
  const std::string original = test::readFile(templ());
  test::writeFile(file("ok.toml"), kMinimal);
  Outcome r = zvtpack({"pack", templ(), file("ok.toml"), templ()});
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("is the template itself")) << r.err;
  // Another spelling of the same file.
  r = zvtpack({"pack", templ(), file("ok.toml"), dir.path() + "/./zvtsvc.exe"});
  EXPECT_EQ(1, r.code);
  EXPECT_EQ(original, test::readFile(templ()));
  r = zvtpack({"pack", templ(), file("ok.toml"), file("ok.toml")});
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("is the configuration file itself")) << r.err;
}

TEST_F(Cli, AnOldDescriptionIsConvertedWithAWarningForEveryEscape) {
  test::writeFile(file("old.txt"),
                  "# sample\n"
                  "entry 101 Bestelldienst-\xC3\x84\xC3\xB6\n"
                  "entry 146 C:\\new\\temp\n"
                  "entry 2002 1\n"
                  "message 1009 line one\\nline two\n"
                  "set de\n"
                  "message 1000 Fehler\n"
                  "end\n"
                  "entry 122 com.example.Main\n"
                  "file app.jar build/app.jar\n");
  Outcome packed = zvtpack({"pack", templ(), file("old.txt"), file("out.exe")});
  EXPECT_EQ(1, packed.code);
  EXPECT_NE(std::string::npos, packed.err.find("earlier line format; convert it first")) << packed.err;

  std::filesystem::create_directories(file("conf"));
  Outcome r = zvtpack({"convert", file("old.txt"), file("conf/svc.toml")});
  ASSERT_EQ(0, r.code) << r.err;
  for (const char* warning :
       {"old.txt:3:13: warning: \"\\n\" read as a line feed", "old.txt:3:17: warning: \"\\t\" read as a tab",
        "old.txt:2:1: warning: key 101: UTF-8 text", "old.txt:4:1: warning: key 2002 dropped",
        "old.txt:5:22: warning: \"\\n\" read as a line feed", "note: message 1016 (no-jvm-found) is not set"}) {
    EXPECT_NE(std::string::npos, r.err.find(warning)) << warning << "\nin:\n" << r.err;
  }
  const std::string toml = test::readFile(file("conf/svc.toml"));
  EXPECT_NE(std::string::npos, toml.find("name = \"Bestelldienst-\xC3\x84\xC3\xB6\"")) << toml;
  EXPECT_NE(std::string::npos, toml.find("source = \"../build/app.jar\"")) << toml;
  EXPECT_NE(std::string::npos, toml.find("146 = { bytes = [67, 58, 10, 101, 119, 9, 101, 109, 112] }")) << toml;
  EXPECT_EQ(std::string::npos, toml.find("shipped-texts")) << toml;
  // Converting does not overwrite.
  EXPECT_EQ(1, zvtpack({"convert", file("old.txt"), file("conf/svc.toml")}).code);

  // The converted file packs, with the service name in code page 1252.
  std::filesystem::create_directories(file("build"));
  test::writeFile(file("build/app.jar"), "jar");
  Outcome p = zvtpack({"pack", templ(), file("conf/svc.toml"), file("out.exe")});
  ASSERT_EQ(0, p.code) << p.err;
  EXPECT_NE(std::string::npos, test::readFile(file("out.exe")).find("Bestelldienst-\xC4\xF6"));
}

// The demo's configuration, which the README points new users to, packs.
TEST(Docs, TheDemoConfigurationPacks) {
  const std::string text = test::readFile(std::string(ZVT_SOURCE_DIR) + "/demo/myservice.toml");
  ASSERT_FALSE(text.empty());
  test::Checked r = test::checkWhole(text);
  EXPECT_TRUE(r.ok) << r.errors;
  EXPECT_EQ("ZvtDemoService", r.entry(101));
  EXPECT_EQ("Tcpip,Dnscache", r.entry(149));
}

// docs/configuration.md is generated from the key table; a change of the
// table without the document fails here.
TEST(Docs, ConfigurationReferenceIsUpToDate) {
  const std::string path = std::string(ZVT_SOURCE_DIR) + "/docs/configuration.md";
  const std::string stored = test::readFile(path);
  ASSERT_FALSE(stored.empty()) << path << " is missing";
  EXPECT_TRUE(stored == pack::configurationReference())
      << path << " is out of date; regenerate it with: build/host/tools/zvtpack/zvtpack keys --markdown > "
      << "docs/configuration.md";
}

}  // namespace
}  // namespace zvt
