// Class-path and module-path entries against a scripted file system and
// environment.
#include "jvm/launch/class_path.h"

#include <gtest/gtest.h>

#include "config/keys.h"
#include "log_capture.h"
#include "vm_option_fakes.h"

namespace zvt {
namespace {

TEST(ClassPathEntryGrammar, TypeFlagNameAndEmptyEntries) {
  std::vector<ClassPathEntry> e = parseClassPathEntries(";A1lib\\a.jar;;S0.\\lib;E1MYCP;D;X0y;Az");
  ASSERT_EQ(6u, e.size());
  EXPECT_EQ('A', e[0].type);
  EXPECT_TRUE(e[0].required);
  EXPECT_EQ("lib\\a.jar", e[0].name);
  EXPECT_EQ('S', e[1].type);
  EXPECT_FALSE(e[1].required);
  EXPECT_EQ(".\\lib", e[1].name);
  EXPECT_EQ("MYCP", e[2].name);
  EXPECT_EQ('D', e[3].type);
  EXPECT_FALSE(e[3].required);
  EXPECT_EQ("", e[3].name);
  EXPECT_EQ('X', e[4].type);
  EXPECT_FALSE(e[5].required);  // any flag but "1" is optional
  EXPECT_TRUE(parseClassPathEntries("").empty());
  EXPECT_TRUE(parseClassPathEntries(";;;").empty());
}

class ConfiguredPath : public ::testing::Test {
 protected:
  void SetUp() override {
    host.directories["C:\\App\\lib"] = {"b.jar", "a.zip", "c.jar", "notes.txt", "d.jarx"};
    host.directories["C:\\App\\empty"] = {};
    host.existing = {"C:\\App\\a.jar", "C:\\App\\classes", "D:\\x.jar"};
    host.environment = {{"QUOTED", "\"C:\\q q.jar\""},
                        {"PLAIN", "C:\\p.jar"},
                        {"ENDS", "C:\\e.jar;"},
                        {"EMPTY", ""},
                        {"QUOTES", "\"\""},
                        {"HALF", "\""},
                        {"LIBDIR", "lib"}};
  }
  std::string build(const std::string& value, PathKind kind = PathKind::ClassPath) {
    std::string path;
    failure = appendConfiguredPath(value, kind, host, path);
    return path;
  }
  test::FakeHost host;
  test::LogCapture log;
  std::optional<PathFailure> failure;
};

TEST_F(ConfiguredPath, ArchivesAndDirectoriesAreMadeAbsolute) {
  EXPECT_EQ("C:\\App\\a.jar;C:\\App\\classes;D:\\x.jar;", build("A1a.jar;D1classes;A1D:\\\\x.jar"));
  EXPECT_FALSE(failure);
  // Expanded names may hold several parts; empty parts add nothing.
  EXPECT_EQ("C:\\App\\a.jar;C:\\App\\b.jar;",
            build("A0a.jar${launcher:sys.pathlistSeparator}${launcher:sys.pathlistSeparator}b.jar"));
  // An optional entry that does not exist is still listed (the JVM skips it).
  EXPECT_EQ("C:\\App\\missing.jar;", build("A0missing.jar"));
  EXPECT_TRUE(log.contains(L"entry A0missing.jar"));
  EXPECT_TRUE(log.contains(L"entries 1"));
}

TEST_F(ConfiguredPath, EnvironmentEntries) {
  EXPECT_EQ("C:\\q q.jar;C:\\p.jar;C:\\e.jar;\";", build("E1QUOTED;E0PLAIN;E1ENDS;E0HALF"));
  // Undefined optional variables and empty values add nothing (no empty
  // element, which would put the working directory on the class path).
  EXPECT_EQ("", build("E0UNDEFINED;E1EMPTY"));
  // A value that is nothing but its two quotes is empty once they go.
  EXPECT_EQ("", build("E1QUOTES"));
  EXPECT_EQ("C:\\p.jar;", build("E1QUOTES;E1PLAIN;E1QUOTES"));
  EXPECT_FALSE(failure);
}

TEST_F(ConfiguredPath, ScannedDirectoriesListJarsThenZipsInListingOrder) {
  EXPECT_EQ("C:\\App\\lib\\b.jar;C:\\App\\lib\\c.jar;C:\\App\\lib\\a.zip;", build("S0.\\lib"));
  EXPECT_EQ("C:\\App\\lib\\b.jar;C:\\App\\lib\\c.jar;C:\\App\\lib\\a.zip;", build("S1${LIBDIR}"));
  // A required directory that exists but is empty is found.
  EXPECT_EQ("", build("S1empty"));
  EXPECT_FALSE(failure);
  // On the module path a scanned directory is itself the entry; an optional
  // one that does not exist is listed too (the JVM skips it, as it skips a
  // missing class-path entry).
  EXPECT_EQ("C:\\App\\lib;C:\\App\\empty;C:\\App\\nothere;", build("S1lib;S1empty;S0nothere", PathKind::ModulePath));
  EXPECT_FALSE(failure);
}

TEST_F(ConfiguredPath, RequiredEntriesThatAreMissingStopWithTheirMessage) {
  struct Row {
    const char* value;
    uint32_t message;
    const char* argument;
    const char* pathBefore;
  } rows[] = {
      {"A1a.jar;A1${LIBDIR}\\gone.jar;A1a.jar", msg::kClassPathEntryMissing, "lib\\gone.jar", "C:\\App\\a.jar;"},
      {"D1nodir", msg::kClassPathEntryMissing, "nodir", ""},
      {"S1nodir", msg::kClassPathEntryMissing, "nodir", ""},
      {"E1UNDEFINED;A1a.jar", msg::kClassPathVariableUndefined, "UNDEFINED", ""},
      {"A1", msg::kClassPathEntryMissing, "", ""},
  };
  for (const Row& r : rows) {
    std::string path = build(r.value);
    ASSERT_TRUE(failure) << r.value;
    EXPECT_EQ(r.message, failure->messageId) << r.value;
    EXPECT_EQ(r.argument, failure->argument) << r.value;
    EXPECT_EQ(r.pathBefore, path) << r.value;
  }
  build("S1nodir", PathKind::ModulePath);
  ASSERT_TRUE(failure);
  EXPECT_EQ(msg::kClassPathEntryMissing, failure->messageId);
}

TEST_F(ConfiguredPath, UnknownTypesAreIgnored) {
  EXPECT_EQ("C:\\App\\a.jar;", build("X1whatever;a1a.jar;A0a.jar"));
  EXPECT_FALSE(failure);
}

}  // namespace
}  // namespace zvt
