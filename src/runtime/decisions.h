// What the JVM search and the VM option assembly decide, told as they decide
// it: every candidate runtime with its verdict, the outcome of loading its
// JVM library, and every VM option with where it came from. The decisions
// are made where they always were; this is only how they are told. The
// diagnostic log listens by default; the /check report listens instead
// while it runs (and passes everything on to the log). Platform-free.
#pragma once

#include <string>

namespace zvt {

// Where a candidate's version came from.
enum class VersionOrigin { None, Cache, Probe };

enum class Verdict {
  Taken,           // its JVM library loaded
  Passed,          // passed its check; another candidate of the same source was newer
  Missing,         // no Java executable there
  NotJdk,          // a JDK is required and lib\tools.jar is missing
  VersionUnknown,  // "-version" gave no version
  Prerelease,      // pre-release runtimes are not allowed
  OutsideBounds,   // below the minimum or above the maximum version
  NoWindowed,      // the windowed launcher needs javaw.exe beside it
  NonWorking,      // its JVM library already failed to load in this search
  OtherWidth,      // its jvm.dll is of the other width
  NoLibrary,       // no jvm.dll in any of the VM-type directories
  LibraryFailed,   // a jvm.dll is there but does not load
};

// What a person reads for a verdict ("taken", "below the minimum or above
// the maximum version", ...). OtherWidth names the library's width.
std::string verdictText(Verdict verdict, unsigned libraryBits = 0);

struct CandidateDecision {
  std::string javaExe;  // as checked (canonical form), file-API code page
  std::string version;
  VersionOrigin origin = VersionOrigin::None;
  Verdict verdict = Verdict::Missing;
};

// The outcome of loading a passing candidate's JVM library.
struct LoadDecision {
  std::string javaExe;
  Verdict verdict = Verdict::Taken;  // Taken, OtherWidth, NoLibrary or LibraryFailed
  std::string library;               // Taken: the jvm.dll that loaded
  unsigned libraryBits = 0;          // OtherWidth: the width it has
};

enum class OptionOrigin {
  Launcher,       // the launcher's own system properties
  Configuration,  // the configured VM options
  VersionLine,    // the version-specific line that matched (detail: its condition)
  Locale,         // the locale options
  OptionsFile,    // a VM options file or an included file (detail: its path)
  JArgument,      // a "-J" argument of the command line
  ClassPath,
  ModulePath,     // the module path and the module options
  Service,        // "-Xrs" of the service
  NoRedirection,  // the output switch of /run
};

struct OptionSource {
  OptionOrigin origin = OptionOrigin::Launcher;
  std::string detail;  // file-API code page
};

// A short name for a person: "launcher", "configuration", "Java 9-11",
// the options file's name, "-J argument", ...
std::string optionSourceText(const OptionSource& source);

class DecisionListener {
 public:
  virtual ~DecisionListener() = default;
  // The search turns to a source: "entry B .\jre", "QUARN_JAVA_HOME", ...
  virtual void source(const std::string& label) = 0;
  virtual void candidate(const CandidateDecision& decision) = 0;
  virtual void load(const LoadDecision& decision) = 0;
  // Option `index` of the final list, as the JVM gets it.
  virtual void option(size_t index, const std::string& option, const OptionSource& source) = 0;
};

// Writes each decision as one diagnostic log line.
class DecisionLog : public DecisionListener {
 public:
  void source(const std::string& label) override;
  void candidate(const CandidateDecision& decision) override;
  void load(const LoadDecision& decision) override;
  void option(size_t index, const std::string& option, const OptionSource& source) override;
};

// The listener the search and the assembly tell; the diagnostic log until
// another is installed. Null puts the log back.
DecisionListener& decisions();
void setDecisionListener(DecisionListener* listener);

}  // namespace zvt
