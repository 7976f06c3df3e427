// Lays out a stand-in Java runtime home for one test: the binaries built in
// this tree, copied into the shape a real runtime has, plus the script files
// that decide what java.exe -version answers.
#pragma once

#include <string>
#include <vector>

namespace standin {

struct RuntimeLayout {
  // The whole standard-error text of "java -version"; the launcher reads its
  // first line.
  std::string versionText = "openjdk version \"11.0.2\" 2019-01-15\n";
  int exitCode = 0;  // of java.exe -version
  int delayMs = 0;   // before java.exe -version exits
  // JDK 8 layout: bin\java.exe, lib\tools.jar, and the private runtime in
  // jre\bin (java.exe, <vm>\jvm.dll, ...). Otherwise the modern layout with
  // bin\<vm>\jvm.dll.
  bool jdk = false;
  std::vector<std::wstring> vmTypes = {L"client"};  // client, server, j9vm, ...
  bool javaw = true;
  bool jli = true;
  bool unpack200 = true;
  bool ucrtbase = false;
  bool wrongWidth = false;  // the 64-bit jvm.dll instead of the 32-bit one
  // Packed archives to create, relative to the home (e.g. L"lib\\rt.jar");
  // each becomes <name>.pack without the jar itself.
  std::vector<std::wstring> packedJars;
  bool corruptPacks = false;    // unpack200 then fails on them, writing no jar
  bool truncatedPacks = false;  // unpack200 then writes half a jar and fails
};

// Directory of the built stand-in binaries: %ZVT_STANDIN_DIR% when set (a
// run on real Windows), else the build tree's directory seen through Wine's
// Z: drive.
std::wstring standinBinaryDir();

// Creates `home` and its contents. Returns false with a reason in `error`.
bool layOutRuntime(const std::wstring& home, const RuntimeLayout& layout, std::wstring* error);

// The directory holding java.exe and the VM directories.
std::wstring runtimeBinDir(const std::wstring& home, const RuntimeLayout& layout);

// What the stand-in recorded under <home>\standin.
std::vector<std::string> traceLines(const std::wstring& home);
int probeCount(const std::wstring& home);

}  // namespace standin
