#include "jvm/discovery/jvm_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "unit/log_capture.h"
#include "unit/pe_head.h"

namespace zvt {
namespace {

std::u16string u16(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

// A scripted process: its PATH, DLL directories, files and the libraries
// that load (path -> error code when they fail), with a journal.
class ScriptedProcess : public JvmLibrarySystem {
 public:
  uintptr_t addDllDirectory(const std::string& directory) override {
    journal.push_back("add " + directory);
    if (!dllDirectories) return 0;
    registered.insert(++lastCookie);
    return lastCookie;
  }
  void removeDllDirectory(uintptr_t cookie) override {
    journal.push_back("remove " + std::to_string(cookie));
    registered.erase(cookie);
  }
  void preloadUcrtbase(const std::string& binDir) override { journal.push_back("ucrtbase " + binDir); }
  PathValue readPath() override { return path; }
  std::u16string pathText(const std::string& directory) override { return u16(directory); }
  bool writePath(const PathValue& value, unsigned long& error) override {
    if (refuseWrites) {
      error = 8;
      return false;
    }
    path = value;
    journal.push_back(value.present ? "path " + std::string(value.value.begin(), value.value.end()) : "path unset");
    return true;
  }
  bool fileExists(const std::string& file) override { return files.count(file) != 0; }
  uintptr_t loadLibrary(const std::string& file, unsigned long& error) override {
    journal.push_back("load " + file);
    auto it = libraries.find(file);
    if (it == libraries.end() || it->second != 0) {
      error = it == libraries.end() ? 126 : it->second;
      return 0;
    }
    return 0x1000;
  }

  std::vector<uint8_t> fileHead(const std::string& file) override {
    auto it = heads.find(file);
    return it == heads.end() ? std::vector<uint8_t>() : it->second;
  }

  void library(const std::string& file, unsigned long error = 0) {
    files.insert(file);
    libraries[file] = error;
  }
  std::vector<std::string> loadsOnly() const {
    std::vector<std::string> out;
    for (const auto& line : journal)
      if (line.rfind("load ", 0) == 0) out.push_back(line.substr(5));
    return out;
  }

  bool dllDirectories = true;
  bool refuseWrites = false;
  uintptr_t lastCookie = 0;
  std::set<uintptr_t> registered;
  PathValue path{true, u16("c:\\windows")};
  std::set<std::string> files;
  std::map<std::string, unsigned long> libraries;
  std::map<std::string, std::vector<uint8_t>> heads;
  std::vector<std::string> journal;
};

TEST(JvmLibraryRules, BinDirectoryCutByNameLength) {
  std::string dir;
  ASSERT_TRUE(runtimeBinDirectory("c:\\jre\\bin\\java.exe", dir));
  EXPECT_EQ("c:\\jre\\bin", dir);
  ASSERT_TRUE(runtimeBinDirectory("c:\\jre\\bin\\javaw.exe", dir));
  EXPECT_EQ("c:\\jre\\bin", dir);
  // Only the length is removed: any other eight-character name goes too.
  ASSERT_TRUE(runtimeBinDirectory("c:\\jre\\bin\\abcd.exe", dir));
  EXPECT_EQ("c:\\jre\\bin", dir);
  test::LogCapture log;
  EXPECT_FALSE(runtimeBinDirectory("java.exe", dir));
  EXPECT_FALSE(runtimeBinDirectory("", dir));
  std::string longest(kBinDirectoryLimit, 'd');
  ASSERT_TRUE(runtimeBinDirectory(longest + "\\java.exe", dir));
  EXPECT_EQ(longest, dir);
  EXPECT_FALSE(runtimeBinDirectory(longest + "d\\java.exe", dir));
  EXPECT_TRUE(log.contains(L"bin directory too long (2000 bytes)"));
}

TEST(JvmLibraryRules, PrivateRuntimeVmTypesAndUcrtbase) {
  EXPECT_EQ("c:\\jdk\\bin\\..\\jre\\bin\\java.exe", privateRuntimeJavaExe("c:\\jdk\\bin\\java.exe"));
  EXPECT_EQ("c:\\jdk\\bin\\..\\jre\\bin\\java.exe", privateRuntimeJavaExe("c:\\jdk\\bin\\javaw.exe"));
  EXPECT_EQ((std::vector<std::string>{"client", "server", "j9vm", "hotspot", "jrockit"}), vmTypeDirectories(""));
  EXPECT_EQ((std::vector<std::string>{"custom", "client", "server", "j9vm", "hotspot", "jrockit"}),
            vmTypeDirectories("custom"));
  EXPECT_TRUE(ucrtbasePreloadNeeded(5, 1));
  EXPECT_TRUE(ucrtbasePreloadNeeded(6, 1));
  EXPECT_TRUE(ucrtbasePreloadNeeded(6, 3));
  EXPECT_FALSE(ucrtbasePreloadNeeded(6, 4));
  EXPECT_FALSE(ucrtbasePreloadNeeded(10, 0));
}

TEST(JvmLibraryLoad, ServerAfterMissingClientWithPathAndDirectory) {
  ScriptedProcess process;
  process.library("c:\\jre\\bin\\server\\jvm.dll");
  JvmLibraryLoader loader(process, {});
  test::LogCapture log;
  EXPECT_NE(0u, loader.loadJvmFromJavaExe("c:\\jre\\bin\\java.exe"));
  EXPECT_EQ((std::vector<std::string>{"add c:\\jre\\bin", "ucrtbase c:\\jre\\bin", "path c:\\jre\\bin;c:\\windows",
                                      "load c:\\jre\\bin\\client\\jvm.dll", "load c:\\jre\\bin\\server\\jvm.dll"}),
            process.journal);
  EXPECT_EQ("c:\\jre\\bin", loader.libraryDirectory());
  EXPECT_EQ(1u, process.registered.size());
  EXPECT_TRUE(log.contains(L"Trying to load JVM-DLL from c:\\jre\\bin\\java.exe"));
  EXPECT_TRUE(log.contains(L"Setting PATH 11 c:\\jre\\bin;c:\\windows"));
  EXPECT_TRUE(log.contains(L"Trying c:\\jre\\bin\\client\\jvm.dll (exists 0)"));
  EXPECT_TRUE(log.contains(L"Trying c:\\jre\\bin\\server\\jvm.dll (exists 1)"));
  EXPECT_FALSE(log.contains(L"Failed with error code 126"));
}

TEST(JvmLibraryLoad, ConfiguredTypeFirst) {
  ScriptedProcess process;
  process.library("c:\\jre\\bin\\client\\jvm.dll");
  process.library("c:\\jre\\bin\\server\\jvm.dll");
  JvmLibraryLoader loader(process, {"server"});
  EXPECT_NE(0u, loader.loadJvmFromJavaExe("c:\\jre\\bin\\java.exe"));
  EXPECT_EQ(std::vector<std::string>{"c:\\jre\\bin\\server\\jvm.dll"}, process.loadsOnly());
}

TEST(JvmLibraryLoad, Jdk8ThroughPrivateRuntime) {
  ScriptedProcess process;
  process.library("c:\\jdk\\bin\\..\\jre\\bin\\server\\jvm.dll");
  JvmLibraryLoader loader(process, {});
  EXPECT_NE(0u, loader.loadJvmFromJavaExe("c:\\jdk\\bin\\java.exe"));
  EXPECT_EQ("c:\\jdk\\bin\\..\\jre\\bin", loader.libraryDirectory());
  std::string path(process.path.value.begin(), process.path.value.end());
  EXPECT_EQ("c:\\jdk\\bin\\..\\jre\\bin;c:\\windows", path);
  // The first bin directory was undone before the second was tried.
  EXPECT_EQ(1u, process.registered.size());
  // Five names in the bin directory, then client and server in the private one.
  EXPECT_EQ(7u, process.loadsOnly().size());
}

TEST(JvmLibraryLoad, FailureUndoesPathAndDirectories) {
  ScriptedProcess process;
  process.library("c:\\jre\\bin\\client\\jvm.dll", 193);  // the other width
  JvmLibraryLoader loader(process, {});
  test::LogCapture log;
  EXPECT_EQ(0u, loader.loadJvmFromJavaExe("c:\\jre\\bin\\java.exe"));
  EXPECT_TRUE(process.path.present);
  EXPECT_EQ(u16("c:\\windows"), process.path.value);
  EXPECT_TRUE(process.registered.empty());
  EXPECT_EQ("", loader.libraryDirectory());
  EXPECT_TRUE(log.contains(L"Failed with error code 193"));
  EXPECT_TRUE(log.contains(L"Setting PATH c:\\windows"));
}

TEST(JvmLibraryLoad, UnsetPathStaysUnset) {
  ScriptedProcess process;
  process.path = PathValue();
  process.dllDirectories = false;
  JvmLibraryLoader loader(process, {});
  test::LogCapture log;
  EXPECT_EQ(0u, loader.loadJvmForBinDir("c:\\jre\\bin\\java.exe"));
  EXPECT_FALSE(process.path.present);
  EXPECT_TRUE(log.contains(L"Setting PATH 0 c:\\jre\\bin;"));
  EXPECT_EQ("remove 0", process.journal[process.journal.size() - 2]);
}

TEST(JvmLibraryLoad, RefusedPathIsLoggedAndLoadingGoesOn) {
  ScriptedProcess process;
  process.refuseWrites = true;
  process.library("c:\\jre\\bin\\client\\jvm.dll");
  JvmLibraryLoader loader(process, {});
  test::LogCapture log;
  EXPECT_NE(0u, loader.loadJvmForBinDir("c:\\jre\\bin\\java.exe"));
  EXPECT_TRUE(log.contains(L"Setting PATH c:\\jre\\bin;c:\\windows failed with error 8"));
}

TEST(JvmLibraryLoad, OverlongBinDirectoryTouchesNothing) {
  ScriptedProcess process;
  JvmLibraryLoader loader(process, {});
  std::string javaExe = "c:\\" + std::string(3000, 'x') + "\\bin\\java.exe";
  EXPECT_EQ(0u, loader.loadJvmFromJavaExe(javaExe));
  // The private runtime's directory is longer still.
  EXPECT_TRUE(process.journal.empty());
  EXPECT_EQ(u16("c:\\windows"), process.path.value);
}

// A jvm.dll of the other width is never handed to LoadLibrary; the next VM
// directory and the private runtime are still tried. Both launcher widths.
TEST(JvmLibraryLoad, OtherWidthIsRefusedBeforeLoading) {
  const uint16_t kX86 = 0x014c;
  const uint16_t kX64 = 0x8664;
  {
    ScriptedProcess process;
    process.library("c:\\jre\\bin\\client\\jvm.dll");
    process.heads["c:\\jre\\bin\\client\\jvm.dll"] = test::peHead(kX64);
    process.library("c:\\jre\\bin\\server\\jvm.dll");
    process.heads["c:\\jre\\bin\\server\\jvm.dll"] = test::peHead(kX86);
    JvmLibraryLoader loader(process, {"", PeMachine::X86});
    test::LogCapture log;
    EXPECT_NE(0u, loader.loadJvmFromJavaExe("c:\\jre\\bin\\java.exe"));
    EXPECT_EQ(std::vector<std::string>{"c:\\jre\\bin\\server\\jvm.dll"}, process.loadsOnly());
    EXPECT_TRUE(log.contains(L"Not loaded: a 64-bit library (x64), this launcher is 32-bit"));
  }
  {
    ScriptedProcess process;
    process.library("c:\\jre8\\bin\\client\\jvm.dll");
    process.heads["c:\\jre8\\bin\\client\\jvm.dll"] = test::peHead(kX86);
    JvmLibraryLoader loader(process, {"", PeMachine::X64});
    test::LogCapture log;
    EXPECT_EQ(0u, loader.loadJvmFromJavaExe("c:\\jre8\\bin\\java.exe"));
    // Four VM directories after the refused one, five in the private runtime.
    std::vector<std::string> loads = process.loadsOnly();
    EXPECT_EQ(9u, loads.size());
    EXPECT_EQ(loads.end(), std::find(loads.begin(), loads.end(), "c:\\jre8\\bin\\client\\jvm.dll"));
    EXPECT_TRUE(log.contains(L"Not loaded: a 32-bit library (x86), this launcher is 64-bit"));
    EXPECT_EQ(u16("c:\\windows"), process.path.value);  // undone as for any failure
    WidthRefusal refusal = loader.widthRefusal();
    EXPECT_EQ(PeMachine::X86, refusal.library);
    EXPECT_EQ("c:\\jre8\\bin\\java.exe", refusal.javaExe);

    // The next candidate's own width: the refusal is of the call before.
    process.library("c:\\jdk\\bin\\server\\jvm.dll", 126);
    process.heads["c:\\jdk\\bin\\server\\jvm.dll"] = test::peHead(kX64);
    EXPECT_EQ(0u, loader.loadJvmFromJavaExe("c:\\jdk\\bin\\java.exe"));
    EXPECT_EQ(PeMachine::Unknown, loader.widthRefusal().library);
  }
  {
    // One library of the other width, another of its own that fails: not
    // a width problem as a whole.
    ScriptedProcess process;
    process.library("c:\\jre\\bin\\client\\jvm.dll");
    process.heads["c:\\jre\\bin\\client\\jvm.dll"] = test::peHead(kX86);
    process.library("c:\\jre\\bin\\server\\jvm.dll", 1114);
    JvmLibraryLoader loader(process, {"", PeMachine::X64});
    EXPECT_EQ(0u, loader.loadJvmFromJavaExe("c:\\jre\\bin\\java.exe"));
    EXPECT_EQ(PeMachine::Unknown, loader.widthRefusal().library);
  }
  {
    // A process of unknown machine, or an unreadable header, leaves the
    // library to LoadLibrary.
    ScriptedProcess process;
    process.library("c:\\jre\\bin\\client\\jvm.dll");
    JvmLibraryLoader loader(process, {"", PeMachine::X64});
    EXPECT_NE(0u, loader.loadJvmFromJavaExe("c:\\jre\\bin\\java.exe"));
  }
}

}  // namespace
}  // namespace zvt
