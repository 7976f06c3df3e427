// Unpacking a runtime whose jars were shipped in the Pack200 format
// (lib\*.jar.pack, lib\ext\*.jar.pack) with the runtime's own unpacker,
// before the runtime is tested. Written against PackedJreSystem so that the
// flow (announce once, skip unpacked jars, keep what a failed unpacker
// leaves) runs on the host; the Win32 shell is packed_jre_win32.h.
#pragma once

#include <string>
#include <vector>

namespace zvt {

enum class DeleteResult { Deleted, Missing, Failed };

class PackedJreSystem {
 public:
  virtual ~PackedJreSystem() = default;
  // The file names (no directory) matching directory\*.jar.pack, in the
  // file system's order.
  virtual std::vector<std::string> packedFiles(const std::string& directory) = 0;
  virtual bool fileExists(const std::string& path) = 0;
  // "Preparing JRE ...\n" on standard output, flushed.
  virtual void announce() = 0;
  // Starts program with exactly this command line (which does not repeat
  // the program), hidden.
  virtual bool startUnpacker(const std::string& program, const std::string& commandLine) = 0;
  // Waits for the started unpacker without a limit (unpacking a large jar on
  // a slow disk takes long, and a killed unpacker leaves a damaged jar) and
  // gives its exit code.
  virtual unsigned long waitForUnpacker() = 0;
  // Missing: the file was not there. Failed: with the system's error code.
  virtual DeleteResult deleteFile(const std::string& path, unsigned long& error) = 0;
  // The unpacker could not be started: message 1021, exit code 1.
  [[noreturn]] virtual void unpackerMissing() = 0;
};

// The program, "-r", the packed file and the jar, each path in double quotes:
// the program leads, so the unpacker sees "-r" as its first argument and no
// path with a blank is ever read as a shorter program name.
std::string unpackCommandLine(const std::string& program, const std::string& packFile, const std::string& jar);
// The packed file's path without its ".pack".
std::string jarForPackFile(const std::string& packFile);

class PackedJreUnpacker {
 public:
  explicit PackedJreUnpacker(PackedJreSystem& system) : system_(system) {}

  // lib, then lib\ext. Never fails; an unpacker that cannot be started ends
  // the process.
  void unpackPackedJre(const std::string& home);
  void unpackPackedDirectory(const std::string& home, const std::string& subdirectory, bool& announced);
  void unpackOneFile(const std::string& home, const std::string& packFile);

 private:
  PackedJreSystem& system_;
};

}  // namespace zvt
