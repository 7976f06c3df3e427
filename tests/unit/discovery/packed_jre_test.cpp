#include "jvm/discovery/packed_jre.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "unit/log_capture.h"

namespace zvt {
namespace {

struct UnpackerMissing : std::runtime_error {
  UnpackerMissing() : std::runtime_error("unpacker missing") {}
};

// A scripted directory tree: files by path, and what the unpacker does for
// each packed file (exit code, whether it writes the jar, whether it removes
// the packed file as "-r" asks).
class ScriptedPackSystem : public PackedJreSystem {
 public:
  struct Behaviour {
    unsigned long exitCode = 0;
    bool writesJar = true;
    bool removesPack = true;
  };

  std::vector<std::string> packedFiles(const std::string& directory) override {
    std::vector<std::string> names;
    const std::string prefix = directory + "\\";
    for (const std::string& f : files) {
      if (f.compare(0, prefix.size(), prefix) != 0) continue;
      const std::string name = f.substr(prefix.size());
      if (name.find('\\') == std::string::npos && name.size() > 9 && name.substr(name.size() - 9) == ".jar.pack")
        names.push_back(name);
    }
    return names;
  }
  bool fileExists(const std::string& path) override { return files.count(path) != 0; }
  void announce() override { ++announcements; }
  bool startUnpacker(const std::string& program, const std::string& commandLine) override {
    if (files.count(program) == 0) return false;
    runs.push_back(commandLine);
    pending = commandLine;
    return true;
  }
  unsigned long waitForUnpacker() override {
    // "program" -r "pack" "jar"
    const size_t a = pending.find('"', pending.find("\" -r ") + 5);
    const size_t b = pending.find('"', a + 1);
    const size_t c = pending.find('"', b + 1);
    const std::string pack = pending.substr(a + 1, b - a - 1);
    const std::string jar = pending.substr(c + 1, pending.size() - c - 2);
    const Behaviour how = behaviour.count(pack) ? behaviour[pack] : Behaviour();
    if (how.writesJar) files.insert(jar);
    if (how.exitCode == 0 && how.removesPack) files.erase(pack);
    return how.exitCode;
  }
  DeleteResult deleteFile(const std::string& path, unsigned long& error) override {
    deletions.push_back(path);
    if (locked.count(path)) {
      error = 32;
      return DeleteResult::Failed;
    }
    if (files.erase(path) == 0) {
      error = 2;
      return DeleteResult::Missing;
    }
    return DeleteResult::Deleted;
  }
  [[noreturn]] void unpackerMissing() override { throw UnpackerMissing(); }

  std::set<std::string> files;
  std::set<std::string> locked;
  std::map<std::string, Behaviour> behaviour;
  std::vector<std::string> runs;
  std::vector<std::string> deletions;
  std::string pending;
  int announcements = 0;
};

const std::string kHome = "c:\\app\\jre";
const std::string kUnpacker = kHome + "\\bin\\unpack200.exe";

struct PackFixture : ::testing::Test {
  ScriptedPackSystem system;
  test::LogCapture log;
  void unpack(const std::string& home = kHome) {
    PackedJreUnpacker unpacker(system);
    unpacker.unpackPackedJre(home);
  }
};

TEST_F(PackFixture, JarAlreadyThere) {
  system.files = {kUnpacker, kHome + "\\lib\\rt.jar.pack", kHome + "\\lib\\rt.jar"};
  unpack();
  EXPECT_TRUE(system.runs.empty());
  EXPECT_EQ(0, system.announcements);
  EXPECT_TRUE(log.contains(L"checking c:\\app\\jre\\lib\\rt.jar"));
  EXPECT_FALSE(log.contains(L"Unpacking JRE done"));
  EXPECT_TRUE(system.files.count(kHome + "\\lib\\rt.jar.pack"));
}

TEST_F(PackFixture, TwoPackedJarsAnnouncedOnce) {
  system.files = {kUnpacker, kHome + "\\lib\\rt.jar.pack", kHome + "\\lib\\ext\\foo.jar.pack"};
  unpack();
  EXPECT_EQ(1, system.announcements);
  EXPECT_EQ(
      (std::vector<std::string>{
          "\"" + kUnpacker + "\" -r \"c:\\app\\jre\\lib\\rt.jar.pack\" \"c:\\app\\jre\\lib\\rt.jar\"",
          "\"" + kUnpacker + "\" -r \"c:\\app\\jre\\lib\\ext\\foo.jar.pack\" \"c:\\app\\jre\\lib\\ext\\foo.jar\""}),
      system.runs);
  EXPECT_EQ(0u, system.files.count(kHome + "\\lib\\rt.jar.pack"));
  EXPECT_EQ(0u, system.files.count(kHome + "\\lib\\ext\\foo.jar.pack"));
  EXPECT_EQ(1u, system.files.count(kHome + "\\lib\\ext\\foo.jar"));
  int done = 0;
  for (const auto& line : log.lines()) done += line == L"Unpacking JRE done";
  EXPECT_EQ(1, done);
  EXPECT_TRUE(log.contains(L"Unpacking JRE"));
  EXPECT_TRUE(log.contains(L"c:\\app\\jre\\bin\\unpack200.exe"));
  // The unpacker's "-r" already removed the packed files: that is no error.
  EXPECT_FALSE(log.contains(L"could not delete packed file (error 2)"));
}

TEST_F(PackFixture, NothingToUnpack) {
  unpack("c:\\not a runtime");
  system.files = {kUnpacker, kHome + "\\lib\\rt.jar"};
  unpack();
  EXPECT_TRUE(system.runs.empty());
  EXPECT_EQ(0, system.announcements);
}

TEST_F(PackFixture, FailingUnpackerKeepsThePackedFile) {
  const std::string pack = kHome + "\\lib\\rt.jar.pack";
  system.files = {kUnpacker, pack};
  system.behaviour[pack] = {1, false, false};
  unpack();
  EXPECT_EQ(1u, system.runs.size());
  EXPECT_EQ(1u, system.files.count(pack));
  EXPECT_TRUE(system.deletions.empty());
  EXPECT_TRUE(log.contains(L"ERROR: unpack200 exited with 1 and left no jar; keeping " +
                           std::wstring(pack.begin(), pack.end())));
  // The next start tries again.
  unpack();
  EXPECT_EQ(2u, system.runs.size());
}

TEST_F(PackFixture, FailingUnpackerLeavingAJar) {
  const std::string pack = kHome + "\\lib\\rt.jar.pack";
  system.files = {kUnpacker, pack};
  system.behaviour[pack] = {3, true, false};
  unpack();
  EXPECT_EQ(1u, system.files.count(pack));
  EXPECT_EQ(0u, system.files.count(kHome + "\\lib\\rt.jar"));  // the damaged jar is gone
  EXPECT_EQ((std::vector<std::string>{kHome + "\\lib\\rt.jar"}), system.deletions);
}

TEST_F(PackFixture, SuccessWithoutJarKeepsThePackedFile) {
  const std::string pack = kHome + "\\lib\\rt.jar.pack";
  system.files = {kUnpacker, pack};
  system.behaviour[pack] = {0, false, false};
  unpack();
  EXPECT_EQ(1u, system.files.count(pack));
  EXPECT_TRUE(system.deletions.empty());
}

TEST_F(PackFixture, PackedFileDeletedWhenTheUnpackerLeftIt) {
  const std::string pack = kHome + "\\lib\\rt.jar.pack";
  system.files = {kUnpacker, pack};
  system.behaviour[pack] = {0, true, false};
  unpack();
  EXPECT_EQ(0u, system.files.count(pack));
  system.files.insert(kHome + "\\lib\\a.jar.pack");
  system.behaviour[kHome + "\\lib\\a.jar.pack"] = {0, true, false};
  system.locked.insert(kHome + "\\lib\\a.jar.pack");
  unpack();
  EXPECT_TRUE(log.contains(L"could not delete packed file (error 32)"));
}

TEST_F(PackFixture, MissingUnpackerIsFatal) {
  system.files = {kHome + "\\lib\\rt.jar.pack"};
  EXPECT_THROW(unpack(), UnpackerMissing);
  EXPECT_TRUE(log.contains(L"could not create unpack process"));
  EXPECT_EQ(1, system.announcements);
}

TEST_F(PackFixture, WildcardHomeIsNotScanned) {
  system.files = {"c:\\app\\*\\bin\\unpack200.exe", "c:\\app\\*\\lib\\rt.jar.pack"};
  unpack("c:\\app\\*");
  unpack("c:\\app\\jre?");
  EXPECT_TRUE(system.runs.empty());
  EXPECT_TRUE(log.lines().empty());
}

TEST(PackedJreNames, CommandLineAndJarPath) {
  // The program leads, quoted even without a blank.
  EXPECT_EQ(
      "\"c:\\Program Files\\j\\bin\\unpack200.exe\" -r \"c:\\j\\lib\\rt.jar.pack\" \"c:\\j\\lib\\rt.jar\"",
      unpackCommandLine("c:\\Program Files\\j\\bin\\unpack200.exe", "c:\\j\\lib\\rt.jar.pack", "c:\\j\\lib\\rt.jar"));
  EXPECT_EQ("\"c:\\j\\bin\\unpack200.exe\" -r \"p\" \"j\"", unpackCommandLine("c:\\j\\bin\\unpack200.exe", "p", "j"));
  EXPECT_EQ("c:\\j\\lib\\rt.jar", jarForPackFile("c:\\j\\lib\\rt.jar.pack"));
  EXPECT_EQ("", jarForPackFile(".pa"));
}

}  // namespace
}  // namespace zvt
