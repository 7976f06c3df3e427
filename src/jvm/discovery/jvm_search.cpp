#include "jvm/discovery/jvm_search.h"

#include "base/log_sink.h"
#include "base/text.h"
#include "runtime/decisions.h"
#include "runtime/message_ids.h"

namespace zvt {

const char kQuarnJavaHome[] = "QUARN_JAVA_HOME";
const char kZentroviaJavaHome[] = "ZENTROVIA_JAVA_HOME";

namespace {

std::wstring w(const std::string& text) {
  return widenBytes(text);
}

}  // namespace

std::vector<SearchEntry> parseSearchSequence(const std::string& sequence) {
  std::vector<SearchEntry> entries;
  size_t start = 0;
  while (start <= sequence.size()) {
    size_t end = sequence.find(';', start);
    if (end == std::string::npos) end = sequence.size();
    if (end > start) {
      SearchEntry entry;
      entry.type = sequence[start];
      entry.argument = sequence.substr(start + 1, end - start - 1);
      entries.push_back(entry);
    }
    start = end + 1;
  }
  return entries;
}

bool isAbsoluteLocation(const std::string& argument) {
  if (argument.size() <= 1) return false;
  return argument[1] == ':' || (argument[0] == '\\' && argument[1] == '\\');
}

bool triedInRelaxedPass(const SearchEntry& entry) {
  if (entry.type == 'B') return true;
  return (entry.type == 'A' || entry.type == 'R') && !isAbsoluteLocation(entry.argument);
}

bool locationFileFirstLine(const std::string& content, std::string& line) {
  if (content.empty()) return false;
  size_t end = content.find('\n');
  line = content.substr(0, end == std::string::npos ? content.size() : end + 1);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  if (line.size() > kLocationLineLimit) {
    logText(L"location file line too long (" + decimal(static_cast<long long>(line.size())) + L" characters), ignored");
    line.clear();
    return false;
  }
  return true;
}

namespace {

SearchStep planStep(SearchStepKind kind, const SearchEntry* entry = nullptr, const char* variable = nullptr) {
  SearchStep step;
  step.kind = kind;
  if (entry) step.entry = *entry;
  if (variable) step.variable = variable;
  return step;
}

std::string entryText(const SearchEntry& entry) {
  std::string text(1, entry.type);
  switch (entry.type) {
    case 'S':
      return text + " (search path)";
    case 'Y':
      return text + " (registry)";
    default:
      return text + " " + entry.argument;
  }
}

}  // namespace

std::string searchStepLabel(const SearchStep& step) {
  switch (step.kind) {
    case SearchStepKind::PreferredLocation:
      return "preferred location file";
    case SearchStepKind::Entry:
      return "entry " + entryText(step.entry);
    case SearchStepKind::InstallerLocation:
      return "installer location file";
    case SearchStepKind::RelaxedEntry:
      return "second pass " + entryText(step.entry);
    case SearchStepKind::PreviousInstallationUser:
      return "earlier installation (user)";
    case SearchStepKind::PreviousInstallationMachine:
      return "earlier installation (machine)";
    case SearchStepKind::Finished:
      break;
    case SearchStepKind::Variable:
      return step.variable;
  }
  return "";
}

std::vector<SearchStep> searchPlan(const std::vector<SearchEntry>& entries) {
  std::vector<SearchStep> plan;
  plan.push_back(planStep(SearchStepKind::PreferredLocation));
  for (const SearchEntry& entry : entries) plan.push_back(planStep(SearchStepKind::Entry, &entry));
  plan.push_back(planStep(SearchStepKind::InstallerLocation));
  for (const SearchEntry& entry : entries)
    if (triedInRelaxedPass(entry)) plan.push_back(planStep(SearchStepKind::RelaxedEntry, &entry));
  plan.push_back(planStep(SearchStepKind::PreviousInstallationUser));
  plan.push_back(planStep(SearchStepKind::PreviousInstallationMachine));
  plan.push_back(planStep(SearchStepKind::Finished));
  plan.push_back(planStep(SearchStepKind::Variable, nullptr, kQuarnJavaHome));
  plan.push_back(planStep(SearchStepKind::Variable, nullptr, kZentroviaJavaHome));
  return plan;
}

namespace {

class SearchWalk {
 public:
  SearchWalk(JvmSearchSystem& system, const VersionBounds& bounds, JvmCandidate& candidate)
      : system_(system), bounds_(bounds), c_(candidate) {}

  // True when the step loaded a JVM library.
  bool run(const SearchStep& step) {
    if (step.kind != SearchStepKind::Finished) decisions().source(searchStepLabel(step));
    switch (step.kind) {
      case SearchStepKind::PreferredLocation:
        return locationFile(true);
      case SearchStepKind::Entry:
        return entry(step.entry);
      case SearchStepKind::InstallerLocation:
        return locationFile(false);
      case SearchStepKind::RelaxedEntry:
        return relaxedEntry(step.entry);
      case SearchStepKind::PreviousInstallationUser:
        return previousInstallation(Hive::CurrentUser);
      case SearchStepKind::PreviousInstallationMachine:
        return previousInstallation(Hive::LocalMachine);
      case SearchStepKind::Finished:
        logText(L"Search sequence finished");
        return false;
      case SearchStepKind::Variable:
        return variable(step.variable);
    }
    return false;
  }

 private:
  bool passed(JvmSourceKind kind, const std::string& location) {
    c_.kind = kind;
    c_.location = location;
    return system_.loadJvmFromJavaExe(c_.javaExe);
  }

  bool locationFile(bool preferred) {
    std::string line;
    if (!(preferred ? system_.preferredLocation(line) : system_.installerLocation(line))) return false;
    logText((preferred ? L"Has preferred location " : L"Has installer location ") + w(line));
    Prerelease prerelease = preferred ? Prerelease::Allow : Prerelease::Refuse;
    if (!system_.testLocation(c_.javaExe, c_.version, line, bounds_, prerelease, false)) return false;
    logText(preferred ? L"Using preferred location" : L"Using installer location");
    return passed(JvmSourceKind::Location, line);
  }

  bool entry(const SearchEntry& entry) {
    std::string argument = system_.expand(entry.argument);
    logText(L"Testing location " + w(argument) + L" (type " + w(std::string(1, entry.type)) + L")");
    switch (entry.type) {
      case 'A':
      case 'B':
      case 'R':
        if (!system_.testLocation(c_.javaExe, c_.version, argument, bounds_, Prerelease::Refuse, false)) return false;
        return passed(JvmSourceKind::Location, argument);
      case 'E':
        if (!system_.testEnvironmentVariable(c_.javaExe, c_.version, argument, bounds_)) return false;
        return passed(JvmSourceKind::EnvironmentVariable, argument);
      case 'S':
        if (!system_.testSearchPath(c_.javaExe, c_.version, bounds_)) return false;
        return passed(JvmSourceKind::SearchPath, argument);
      case 'Y':
        return registryLoop(true) || registryLoop(false);
      default:
        logText(L"Unknown search sequence entry type " + w(std::string(1, entry.type)) + L", skipped");
        return false;
    }
  }

  // Each failed load puts its executable on the non-working list, which the
  // check refuses, so the next round finds the next best candidate. The
  // list's capacity bounds the rounds.
  bool registryLoop(bool shared) {
    for (;;) {
      bool found = shared ? system_.sharedJvmSource(c_.javaExe, c_.version, bounds_)
                          : system_.registeredJvmSource(c_.javaExe, c_.version, bounds_);
      if (!found) return false;
      c_.kind = JvmSourceKind::Registry;
      if (system_.loadJvmFromJavaExe(c_.javaExe)) return true;
      if (!system_.addNonWorkingJava(c_.javaExe)) return false;
    }
  }

  bool relaxedEntry(const SearchEntry& entry) {
    logText(L"Testing relative location " + w(entry.argument));
    // Taken only when this entry's own executable is there: without the
    // reset, a home without any executable would leave the previous
    // candidate's path in the buffer and load that one under this name.
    c_.javaExe.clear();
    system_.testLocation(c_.javaExe, c_.version, entry.argument, bounds_, Prerelease::Allow, true);
    if (c_.javaExe.empty() || !system_.fileExists(c_.javaExe)) return false;
    logText(w(c_.javaExe) + L" exists");
    return passed(JvmSourceKind::Location, entry.argument);
  }

  bool previousInstallation(Hive hive) {
    if (!system_.previousInstallationSource(hive, c_.javaExe, c_.version, bounds_)) return false;
    logText((hive == Hive::CurrentUser ? L"found JRE from previous installation (user) "
                                       : L"found JRE from previous installation (machine) ") +
            w(c_.javaExe));
    c_.kind = JvmSourceKind::Registry;
    return system_.loadJvmFromJavaExe(c_.javaExe);
  }

  bool variable(const std::string& name) {
    if (!system_.testEnvironmentVariable(c_.javaExe, c_.version, name, bounds_)) return false;
    return passed(JvmSourceKind::EnvironmentVariable, name);
  }

  JvmSearchSystem& system_;
  const VersionBounds& bounds_;
  JvmCandidate& c_;
};

}  // namespace

bool searchJvm(JvmSearchSystem& system, const JvmSearchSettings& settings, JvmCandidate& candidate) {
  logText(L"Searching for a JVM");
  logText(L"MinVersion: " + w(settings.minimum) + L", MaxVersion: " + w(settings.maximum));
  VersionBounds bounds;
  parseVersion(settings.minimum, bounds.minimum);
  parseVersion(settings.maximum, bounds.maximum);
  SearchWalk walk(system, bounds, candidate);
  for (const SearchStep& step : searchPlan(parseSearchSequence(settings.sequence)))
    if (walk.run(step)) return true;
  return false;
}

JvmFailureReport jvmFailureReport(const JvmCandidate& candidate, unsigned processBits) {
  JvmFailureReport report;
  switch (candidate.kind) {
    case JvmSourceKind::None:
    case JvmSourceKind::SearchPath:
      report.message = msg::kNoJvmFound;
      report.hasArgument = true;
      report.argument = processBits == 64 ? "64" : "32";
      break;
    case JvmSourceKind::Location:
      report.message = msg::kJvmDamaged;
      report.hasArgument = true;
      report.argument = candidate.location;
      break;
    case JvmSourceKind::EnvironmentVariable:
      report.message = msg::kJvmVariableBroken;
      report.hasArgument = true;
      report.argument = candidate.location;
      break;
    case JvmSourceKind::Registry:
      report.message = msg::kRegistryJvmUnusable;
      break;
  }
  return report;
}

std::string jvmHomeOf(const std::string& javaExe) {
  size_t slash = javaExe.find_last_of('\\');
  return (slash == std::string::npos ? std::string() : javaExe.substr(0, slash + 1)) + "..";
}

}  // namespace zvt
