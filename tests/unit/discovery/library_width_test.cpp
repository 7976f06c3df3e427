// The width check of a runtime's jvm.dll, for both launcher widths: the
// machine read from a PE header, which pairs are refused, what the loader
// then does, and what the user is told at the end of the search.
#include "jvm/discovery/library_width.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/message_ids.h"
#include "unit/pe_head.h"

namespace zvt {
namespace {

using test::peHead;

TEST(PeMachine, ReadFromTheHeader) {
  EXPECT_EQ(PeMachine::X86, peMachine(peHead(0x014c)));
  EXPECT_EQ(PeMachine::X64, peMachine(peHead(0x8664)));
  EXPECT_EQ(PeMachine::Arm64, peMachine(peHead(0xaa64)));
  // A header far into the file, as long as the bytes given reach it.
  EXPECT_EQ(PeMachine::X64, peMachine(peHead(0x8664, 0xF00, 0x1000)));
  EXPECT_EQ(PeMachine::Unknown, peMachine(peHead(0x8664, 0xFFC, 0x1000)));  // cut inside the header
  EXPECT_EQ(PeMachine::Unknown, peMachine(peHead(0x8664, 0x7FFFFFF0)));    // offset beyond the file
  std::vector<uint8_t> noSignature = peHead(0x8664);
  noSignature[0x81] = 'X';
  EXPECT_EQ(PeMachine::Unknown, peMachine(noSignature));
  std::vector<uint8_t> noMz = peHead(0x8664);
  noMz[0] = 'Z';
  EXPECT_EQ(PeMachine::Unknown, peMachine(noMz));
  EXPECT_EQ(PeMachine::Unknown, peMachine({}));
  EXPECT_EQ(PeMachine::Unknown, peMachine(std::vector<uint8_t>(63, 'M')));

  EXPECT_EQ(32u, peMachineBits(PeMachine::X86));
  EXPECT_EQ(64u, peMachineBits(PeMachine::X64));
  EXPECT_EQ(64u, peMachineBits(PeMachine::Arm64));
  EXPECT_EQ(0u, peMachineBits(PeMachine::Unknown));
  EXPECT_EQ(0u, peMachineBits(peMachine(peHead(0x01c4))));  // ARM (32-bit Thumb): not told apart
  EXPECT_STREQ("x86", peMachineName(PeMachine::X86));
  EXPECT_STREQ("x64", peMachineName(PeMachine::X64));
  EXPECT_STREQ("another machine", peMachineName(peMachine(peHead(0x01c4))));
}

TEST(LibraryWidth, OnlyAKnownOtherWidthIsRefused) {
  struct Case {
    PeMachine process;
    PeMachine library;
    bool refused;
  };
  const Case cases[] = {
      {PeMachine::X86, PeMachine::X86, false},      {PeMachine::X86, PeMachine::X64, true},
      {PeMachine::X64, PeMachine::X64, false},      {PeMachine::X64, PeMachine::X86, true},
      {PeMachine::X86, PeMachine::Arm64, true},     {PeMachine::X64, PeMachine::Arm64, false},
      {PeMachine::X86, PeMachine::Unknown, false},  {PeMachine::X64, PeMachine::Unknown, false},
      {PeMachine::Unknown, PeMachine::X64, false},  {PeMachine::Unknown, PeMachine::X86, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.refused, isOtherWidth(c.process, c.library))
        << peMachineName(c.process) << " process, " << peMachineName(c.library) << " library";
  }
}

TEST(LibraryWidth, RuntimeHomeForMessages) {
  EXPECT_EQ("c:\\java\\jdk-21", runtimeHomeForMessage("c:\\java\\jdk-21\\bin\\java.exe"));
  EXPECT_EQ("c:\\java\\jdk-21", runtimeHomeForMessage("c:\\java\\jdk-21\\BIN\\javaw.exe"));
  EXPECT_EQ("c:\\jdk\\bin\\..\\jre", runtimeHomeForMessage("c:\\jdk\\bin\\..\\jre\\bin\\java.exe"));
  EXPECT_EQ("c:\\odd", runtimeHomeForMessage("c:\\odd\\java.exe"));
  EXPECT_EQ("", runtimeHomeForMessage("java.exe"));
}

// The message at the end of a failed search, for both launcher widths.
TEST(LibraryWidth, FailureReportNamesWhatWasFoundAndWhatIsNeeded) {
  JvmCandidate location;
  location.kind = JvmSourceKind::Location;
  location.location = ".\\jre";
  location.javaExe = "c:\\app\\other\\bin\\java.exe";  // a later check's buffer, not the candidate
  JvmCandidate registry;
  registry.kind = JvmSourceKind::Registry;
  JvmCandidate variable;
  variable.kind = JvmSourceKind::EnvironmentVariable;
  variable.location = "MY_JAVA";
  JvmCandidate none;

  WidthRefusal wide{PeMachine::X64, "c:\\app\\jre\\bin\\java.exe"};
  WidthRefusal narrow{PeMachine::X86, "c:\\java\\jre8\\bin\\java.exe"};
  WidthRefusal nothing;

  struct Case {
    const char* what;
    const JvmCandidate& candidate;
    PeMachine process;
    const WidthRefusal& refusal;
    uint32_t message;
    std::string argument;
  };
  const Case cases[] = {
      {"32-bit launcher, 64-bit runtime at a location", location, PeMachine::X86, wide, msg::kRuntimeIs64Bit,
       ".\\jre"},
      {"64-bit launcher, 32-bit runtime at a location", location, PeMachine::X64, narrow, msg::kRuntimeIs32Bit,
       ".\\jre"},
      {"64-bit launcher, 32-bit runtime from the registry", registry, PeMachine::X64, narrow, msg::kRuntimeIs32Bit,
       "c:\\java\\jre8"},
      {"32-bit launcher, 64-bit runtime named by a variable", variable, PeMachine::X86, wide, msg::kRuntimeIs64Bit,
       "c:\\app\\jre"},
      // Its own width refused nothing: the messages by kind, unchanged.
      {"32-bit launcher, damaged runtime", location, PeMachine::X86, nothing, msg::kJvmDamaged, ".\\jre"},
      {"64-bit launcher, damaged runtime", location, PeMachine::X64, nothing, msg::kJvmDamaged, ".\\jre"},
      {"64-bit launcher, broken variable", variable, PeMachine::X64, nothing, msg::kJvmVariableBroken, "MY_JAVA"},
      {"32-bit launcher, nothing found", none, PeMachine::X86, nothing, msg::kNoJvmFound, "32"},
      {"64-bit launcher, nothing found", none, PeMachine::X64, nothing, msg::kNoJvmFound, "64"},
  };
  for (const Case& c : cases) {
    JvmFailureReport report = searchFailureReport(c.candidate, c.process, c.refusal);
    EXPECT_EQ(c.message, report.message) << c.what;
    EXPECT_TRUE(report.hasArgument) << c.what;
    EXPECT_EQ(c.argument, report.argument) << c.what;
  }
  JvmFailureReport report = searchFailureReport(registry, PeMachine::X64, nothing);
  EXPECT_EQ(msg::kRegistryJvmUnusable, report.message);
  EXPECT_FALSE(report.hasArgument);
}

}  // namespace
}  // namespace zvt
