// Choosing the Java runtime: the search sequence grammar (key 128), the
// fixed order of all sources as a plan, and the walk over that plan that
// keeps the candidate's kind and location across failed loads. Written
// against JvmSearchSystem so that the order and the bookkeeping run on the
// host with a scripted machine; the Win32 shell is load_dll.h.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jvm/discovery/java_check.h"
#include "jvm/discovery/registry_sources.h"
#include "jvm/discovery/version_rules.h"

namespace zvt {

enum class JvmSourceKind { None = 0, SearchPath = 1, Location = 2, EnvironmentVariable = 3, Registry = 4 };

// What the search leaves behind. javaExe and version are working buffers
// that every check overwrites; location and kind change only when a
// candidate passes its check, and survive a failed load of its library.
struct JvmCandidate {
  std::string javaExe;
  std::string version;
  std::string location;
  JvmSourceKind kind = JvmSourceKind::None;
};

// One entry of the search sequence: its type letter and its argument as
// configured.
struct SearchEntry {
  char type = '\0';
  std::string argument;
};

// Entries separated by ";"; empty entries are skipped.
std::vector<SearchEntry> parseSearchSequence(const std::string& sequence);

// Longer than one character and either a drive ("c:...") or a UNC path.
bool isAbsoluteLocation(const std::string& argument);

// The relaxed second pass tries every B entry, and A and R entries whose
// argument is not absolute.
bool triedInRelaxedPass(const SearchEntry& entry);

// The first line of a location file: present when the content has one (an
// empty file has none; an empty first line is present and empty), every
// trailing CR and LF removed. A line of more than kLocationLineLimit
// characters is refused (absent, with a log line): a cut path would name
// some other directory.
constexpr size_t kLocationLineLimit = 5999;
bool locationFileFirstLine(const std::string& content, std::string& line);

extern const char kQuarnJavaHome[];
extern const char kZentroviaJavaHome[];

// The sources in the order they are tried.
enum class SearchStepKind {
  PreferredLocation,
  Entry,  // first pass over one search sequence entry
  InstallerLocation,
  RelaxedEntry,  // second pass over one entry
  PreviousInstallationUser,
  PreviousInstallationMachine,
  Finished,  // "Search sequence finished"
  Variable,  // QUARN_JAVA_HOME, then ZENTROVIA_JAVA_HOME
};
struct SearchStep {
  SearchStepKind kind = SearchStepKind::PreferredLocation;
  SearchEntry entry;     // Entry and RelaxedEntry
  std::string variable;  // Variable
};
std::vector<SearchStep> searchPlan(const std::vector<SearchEntry>& entries);

// The step as a person reads it ("entry B .\jre", "second pass B .\jre",
// "QUARN_JAVA_HOME"); the walk tells it to decisions() as it turns to the
// step. Empty for Finished, which is no source.
std::string searchStepLabel(const SearchStep& step);

// What the search asks of the machine. Each test fills javaExe and version
// as the Java executable check does.
class JvmSearchSystem {
 public:
  virtual ~JvmSearchSystem() = default;
  // The first line of .zentrovia\pref_jre.cfg / inst_jre.cfg under the
  // installation directory; false when the file is absent or has none.
  virtual bool preferredLocation(std::string& line) = 0;
  virtual bool installerLocation(std::string& line) = 0;
  // The launcher's variables and ${NAME} environment variables.
  virtual std::string expand(const std::string& text) = 0;
  virtual bool testLocation(std::string& javaExe, std::string& version, const std::string& location,
                            const VersionBounds& bounds, Prerelease prerelease, bool acceptAnyway) = 0;
  virtual bool testEnvironmentVariable(std::string& javaExe, std::string& version, const std::string& name,
                                       const VersionBounds& bounds) = 0;
  virtual bool testSearchPath(std::string& javaExe, std::string& version, const VersionBounds& bounds) = 0;
  virtual bool sharedJvmSource(std::string& javaExe, std::string& version, const VersionBounds& bounds) = 0;
  virtual bool registeredJvmSource(std::string& javaExe, std::string& version, const VersionBounds& bounds) = 0;
  virtual bool previousInstallationSource(Hive hive, std::string& javaExe, std::string& version,
                                          const VersionBounds& bounds) = 0;
  // True while the non-working list has room for more.
  virtual bool addNonWorkingJava(const std::string& javaExe) = 0;
  virtual bool fileExists(const std::string& path) = 0;
  // The JVM library of a passing candidate; true when it loaded.
  virtual bool loadJvmFromJavaExe(const std::string& javaExe) = 0;
};

struct JvmSearchSettings {
  std::string sequence;  // key 128
  std::string minimum;   // key 126
  std::string maximum;   // key 127
};

// Walks the plan; true when a JVM library was loaded (for the candidate's
// javaExe). The candidate starts as the caller gives it.
bool searchJvm(JvmSearchSystem& system, const JvmSearchSettings& settings, JvmCandidate& candidate);

// What LoadDLL tells the user when the search ends without a usable
// library: the message id and its {0} argument, if it has one. 1016 names
// the width of runtime this process needs (processBits: 64, else 32).
struct JvmFailureReport {
  uint32_t message = 0;
  bool hasArgument = false;
  std::string argument;
};
JvmFailureReport jvmFailureReport(const JvmCandidate& candidate, unsigned processBits);

// The selected runtime's home: the executable's directory with its
// trailing backslash, then "..".
std::string jvmHomeOf(const std::string& javaExe);

}  // namespace zvt
