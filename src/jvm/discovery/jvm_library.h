// Loading a runtime's JVM library into this process so that the library's
// own dependencies resolve from the runtime's bin directory: that directory
// leads PATH (in the process environment and in the C runtime's copy) and is
// registered as a DLL directory; old systems get the runtime's ucrtbase.dll
// first. A configured VM-type directory, then the five usual ones; a JDK's
// private runtime as the fallback; everything undone when nothing loads.
// Written against JvmLibrarySystem so that the order and the undo run on the
// host; the Win32 shell is load_dll.h. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/pe_machine.h"
#include "jvm/discovery/library_width.h"

namespace zvt {

// Bin directories longer than this (bytes, without terminator) are refused.
constexpr size_t kBinDirectoryLimit = 1999;
// Key 152 is read with this many bytes.
constexpr size_t kVmTypeCapacity = 200;

// The executable's path without its file name ("javaw.exe" when the path
// ends in it, else "java.exe", removed by length only) and without the
// backslash before it. False (nothing usable) when the path is shorter
// than the name and its backslash, or the directory is over the limit.
bool runtimeBinDirectory(const std::string& javaExe, std::string& binDir);

// The executable's directory with its trailing backslash followed by
// "..\jre\bin\java.exe": the private runtime of a JDK 8.
std::string privateRuntimeJavaExe(const std::string& javaExe);

// The configured VM-type directory (when not empty), then client, server,
// j9vm, hotspot, jrockit.
std::vector<std::string> vmTypeDirectories(const std::string& configured);

// GetVersionEx's answer below 6.4 asks for the runtime's own ucrtbase.dll.
bool ucrtbasePreloadNeeded(unsigned long major, unsigned long minor);

// The process's PATH as one value; present is false when it is not set (or
// could not be read).
struct PathValue {
  bool present = false;
  std::u16string value;
};

class JvmLibrarySystem {
 public:
  virtual ~JvmLibrarySystem() = default;
  // A DLL directory when key 154 asks for one and the system can; 0 else.
  virtual uintptr_t addDllDirectory(const std::string& directory) = 0;
  virtual void removeDllDirectory(uintptr_t cookie) = 0;
  virtual void preloadUcrtbase(const std::string& binDir) = 0;
  virtual PathValue readPath() = 0;
  // The bin directory as PATH text (the file functions' code page).
  virtual std::u16string pathText(const std::string& directory) = 0;
  // Sets (or, when absent, removes) PATH in the process environment and in
  // the C runtime's copy; false with the system's error when the process
  // environment refused it.
  virtual bool writePath(const PathValue& path, unsigned long& error) = 0;
  virtual bool fileExists(const std::string& path) = 0;
  // LoadLibrary with the full path; the handle or 0 with the error code.
  virtual uintptr_t loadLibrary(const std::string& path, unsigned long& error) = 0;
  // The first kPeHeadBytes of a file (fewer when it is shorter); empty when
  // it cannot be read.
  virtual std::vector<uint8_t> fileHead(const std::string& path) = 0;
};

struct JvmLibrarySettings {
  std::string vmType;  // key 152
  // This process's machine; a library of the other width is not loaded.
  // Unknown leaves every library to LoadLibrary.
  PeMachine process = PeMachine::Unknown;
};

class JvmLibraryLoader {
 public:
  JvmLibraryLoader(JvmLibrarySystem& system, const JvmLibrarySettings& settings)
      : system_(system), settings_(settings) {}

  // The executable's own bin directory, then a JDK's private runtime. The
  // outcome is told to decisions().
  uintptr_t loadJvmFromJavaExe(const std::string& javaExe);
  uintptr_t loadJvmForBinDir(const std::string& javaExe);
  uintptr_t loadJvmLibrary(const std::string& binDir, const std::string& vmTypeDir);

  // The bin directory the library came from (empty until one loaded).
  const std::string& libraryDirectory() const { return libraryDirectory_; }
  // After a loadJvmFromJavaExe that loaded nothing: whether the libraries
  // it found were all refused for their width.
  WidthRefusal widthRefusal() const;

 private:
  JvmLibrarySystem& system_;
  JvmLibrarySettings settings_;
  std::string libraryDirectory_;
  // The last loadJvmFromJavaExe: its executable, the machine of a library
  // refused for its width, and whether an existing library failed otherwise.
  std::string javaExe_;
  PeMachine refused_ = PeMachine::Unknown;
  bool otherFailure_ = false;
  bool anyLibrary_ = false;  // a jvm.dll file was there
  std::string loadedPath_;   // the jvm.dll that loaded
};

}  // namespace zvt
