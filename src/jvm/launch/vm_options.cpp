#include "jvm/launch/vm_options.h"

#include <algorithm>

#include "base/arguments.h"
#include "base/log_sink.h"
#include "base/text.h"
#include "config/accessors.h"
#include "config/keys.h"
#include "jvm/launch/locale_options.h"
#include "jvm/launch/module_options.h"
#include "jvm/launch/option_lines.h"
#include "jvm/launch/version_options.h"

namespace zvt {
namespace {

constexpr const char* kClassPathOption = "-Djava.class.path=";
constexpr size_t kClassPathOptionLength = 18;
constexpr const char* kServiceOption = "-Xrs";
constexpr const char* kNoRedirectionOption = "-Dzentrovia.noRedir=true";

// The inverse of widenBytes for text whose units are all below 0x100.
std::string narrowBytes(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) out.push_back(static_cast<char>(static_cast<unsigned char>(c)));
  return out;
}

std::wstring forLog(const std::string& narrow) {
  return widenBytes(narrow);
}

class Assembly {
 public:
  Assembly(const VmOptionRequest& request, VmOptionHost& host) : request_(request), host_(host) {}

  VmOptionOutcome run();

 private:
  OptionLine fromBytes(std::string bytes) {
    std::wstring wide = host_.toWide(bytes);
    return {std::move(bytes), std::move(wide)};
  }
  OptionLine fromWide(std::wstring wide) {
    std::string narrow = host_.toNarrow(wide);
    return {std::move(narrow), std::move(wide)};
  }

  void addOptionLine(const OptionLine& line, const std::wstring* includingFile);
  void include(std::wstring name, const std::wstring* includingFile);
  void readOptionsFile(OptionsFile& file);
  void addConfiguredText(uint32_t key);
  void addVersionSpecificOptions();
  void addConfiguredOptions();
  void addJArguments();
  bool addPaths();
  void addServiceSwitches();
  // Options added from here on come from `source`.
  void from(OptionSource source) {
    sources_.push_back(std::move(source));
    current_ = sources_.size() - 1;
  }
  void push(std::string option) {
    options_.push_back(std::move(option));
    origins_.push_back(current_);
  }

  const VmOptionRequest& request_;
  VmOptionHost& host_;
  std::vector<std::string> options_;
  PendingClassPath pending_;
  std::vector<std::wstring> openFiles_;  // identities of the files being read, outermost first
  std::optional<PathFailure> failure_;
  // Where each option came from: an index into sources_, parallel to options_.
  std::vector<OptionSource> sources_;
  std::vector<size_t> origins_;
  size_t current_ = 0;
};

void Assembly::addOptionLine(const OptionLine& line, const std::wstring* includingFile) {
  ClassifiedLine kind = classifyOptionLine(line.narrow);
  if (kind.kind == OptionLineKind::Include) {
    // Both forms begin with the same ASCII prefix; a conversion that failed
    // leaves no name to open.
    include(line.wide.size() >= kind.restOffset ? line.wide.substr(kind.restOffset) : std::wstring(), includingFile);
  } else if (!takeClassPathLine(line, kind, pending_)) {
    push(line.narrow);
  }
}

void Assembly::include(std::wstring name, const std::wstring* includingFile) {
  host_.expandWide(name, false);
  std::wstring path = host_.resolveInclude(name, includingFile);
  if (openFiles_.size() >= kMaxIncludeDepth) {
    logErrorText(L"include of " + path + L" skipped: more than " + decimal(static_cast<long long>(kMaxIncludeDepth)) +
                 L" nested options files");
    return;
  }
  std::unique_ptr<OptionsFile> file = host_.openOptionsFile(path);
  if (!file) {
    logText(L"could not open options file " + path);
    return;
  }
  if (std::find(openFiles_.begin(), openFiles_.end(), file->identity()) != openFiles_.end()) {
    logErrorText(L"include of " + path + L" skipped: the file is already being read (include cycle)");
    return;
  }
  readOptionsFile(*file);
}

void Assembly::readOptionsFile(OptionsFile& file) {
  logText(L"reading options file " + file.path());
  openFiles_.push_back(file.identity());
  const size_t including = current_;
  from({OptionOrigin::OptionsFile, host_.toNarrow(file.path())});
  OptionFileLineReader reader(file);
  std::string line;
  for (LineRead read; (read = reader.next(line)) != LineRead::End;) {
    if (read == LineRead::TooLong) {
      logErrorText(L"line " + decimal(static_cast<long long>(reader.lineNumber())) + L" of " + file.path() +
                   L" skipped: longer than " + decimal(static_cast<long long>(kMaxOptionLineBytes)) + L" bytes");
      continue;
    }
    if (!cleanOptionFileLine(line)) continue;
    // The line stays in the file's own bytes; only the values of the
    // tokens in it are inserted in the narrow form.
    host_.expand(line);
    addOptionLine(fromBytes(line), &file.path());
  }
  openFiles_.pop_back();
  current_ = including;
}

// A configured option text: expanded, split into words (blanks separate,
// quotes group), includes joined with their file name, each word one line.
void Assembly::addConfiguredText(uint32_t key) {
  std::string text = config::getConfigString(key);
  host_.expand(text);
  // Splitting works on UTF-16 units; the bytes widened one to one come back
  // unchanged, whatever code page they are in (no lead or trail byte of a
  // double-byte code page is a blank or a quote).
  ArgumentList words;
  splitArguments(widenBytes(text), words);
  for (const std::wstring& word : joinIncludeWords(words)) addOptionLine(fromBytes(narrowBytes(word)), nullptr);
}

void Assembly::addVersionSpecificOptions() {
  int count = config::getConfigInt(key::kVersionOptionLineCount);
  if (count <= 0 || request_.jvmVersion.empty()) return;
  if (count > kMaxVersionOptionLines) {
    logErrorText(L"version-specific option lines limited to " + decimal(kMaxVersionOptionLines) + L" of " +
                 decimal(count));
    count = kMaxVersionOptionLines;
  }
  const int major = majorJavaVersion(request_.jvmVersion);
  for (int i = 0; i < count; ++i) {
    const uint32_t conditionKey = key::kVersionOptionLinesFirst + 2u * static_cast<uint32_t>(i);
    std::string condition = config::getConfigString(conditionKey);
    ConditionResult result = matchVersionCondition(condition, request_.jvmVersion, major);
    if (result == ConditionResult::Malformed) logErrorText(L"expected dash");
    if (result != ConditionResult::Match) continue;
    logText(L"version-specific options " + decimal(i) + L" (" + forLog(condition) + L") apply to " +
            forLog(request_.jvmVersion));
    from({OptionOrigin::VersionLine, condition});
    addConfiguredText(conditionKey + 1);
    return;
  }
}

void Assembly::addConfiguredOptions() {
  from({OptionOrigin::Configuration, ""});
  addConfiguredText(key::kVmOptions);
  addVersionSpecificOptions();
  from({OptionOrigin::Locale, ""});
  const LoadedConfiguration& config = config::current();
  for (std::wstring& line : localeOptionLines(request_.programArguments, config.language, config.country)) {
    addOptionLine(fromWide(std::move(line)), nullptr);
  }
}

void Assembly::addJArguments() {
  from({OptionOrigin::JArgument, ""});
  for (const std::wstring& argument : request_.programArguments) {
    if (argument.compare(0, 2, L"-J") == 0) addOptionLine(fromWide(argument.substr(2)), nullptr);
  }
}

// The class path and the module path; false when a required entry is
// missing.
bool Assembly::addPaths() {
  const bool moduleMode = config::getConfigFlag(key::kModuleMode);
  std::string classPath = kClassPathOption;
  std::string modulePath;
  logText(L"adding preconfigured modulepath");
  failure_ = appendConfiguredPath(config::getConfigString(key::kModulePath), PathKind::ModulePath, host_, modulePath);
  if (failure_) return false;
  std::string& runtimeTarget = !modulePath.empty() || moduleMode ? modulePath : classPath;

  if (pending_.prefix) classPath += *pending_.prefix + ";";
  if (!request_.launcherTempDirectory.empty()) {
    scanArchives(runtimeTarget, host_, request_.launcherTempDirectory, "jar");
    scanArchives(runtimeTarget, host_, request_.launcherTempDirectory, "zip");
  }
  // A launcher that carries its runtime classes has just added them from
  // its temporary directory; a second copy from the installation directory
  // would be a second module with the same packages on the module path.
  if (request_.zentroviaFlavour && !config::getConfigFlag(key::kRuntimeIncluded)) {
    std::string installation = host_.absolute(config::getConfigString(key::kInstallationDirectory));
    if (installation.empty() || installation.back() != '\\') installation += '\\';
    runtimeTarget += installation + ".zentrovia\\zvtruntime.jar;";
  }
  if (pending_.replacement) {
    classPath += *pending_.replacement;
  } else {
    logText(L"adding preconfigured classpath");
    failure_ = appendConfiguredPath(config::getConfigString(key::kClassPath), PathKind::ClassPath, host_, classPath);
    if (failure_) return false;
  }
  if (pending_.suffix) {
    // No separator in front of the first element: an empty element would
    // put the working directory on the class path.
    if (classPath.size() > kClassPathOptionLength && classPath.back() != ';') classPath += ';';
    classPath += *pending_.suffix;
  }
  removeTrailingSeparator(classPath);
  from({OptionOrigin::ClassPath, ""});
  push(classPath);

  if (!modulePath.empty()) {
    removeTrailingSeparator(modulePath);
    from({OptionOrigin::ModulePath, ""});
    push("--module-path=" + modulePath);
    RuntimeModuleOptions modules = runtimeModuleOptions(moduleMode, config::getConfigString(key::kMainClass),
                                                        runtimeName(request_.zentroviaFlavour));
    if (!modules.addOpens.empty()) push(modules.addOpens);
    push(modules.addModules);
  }
  return true;
}

void Assembly::addServiceSwitches() {
  if (request_.serviceMode && std::find(options_.begin(), options_.end(), kServiceOption) == options_.end()) {
    logText(L"service: adding -Xrs");
    from({OptionOrigin::Service, ""});
    push(kServiceOption);
  }
  if (request_.noRedirection) {
    from({OptionOrigin::NoRedirection, ""});
    push(kNoRedirectionOption);
  }
}

VmOptionOutcome Assembly::run() {
  from({OptionOrigin::Launcher, ""});
  for (const std::string& property : request_.systemProperties) push(property);
  addConfiguredOptions();
  if (config::getConfigFlag(key::kReadVmOptionsFile)) {
    std::unique_ptr<OptionsFile> file = host_.openDefaultVmOptionsFile();
    if (file) readOptionsFile(*file);
  }
  if (config::getConfigFlag(key::kJArgumentsAsVmOptions)) addJArguments();
  if (!addPaths()) return {std::move(options_), {}, failure_};
  addServiceSwitches();
  mergeModuleOptions(options_, &origins_);
  expandArgumentFiles(options_, request_.jvmLibraryDirectory, host_, &origins_);
  mergeModuleOptions(options_, &origins_);
  std::vector<OptionSource> sources;
  sources.reserve(origins_.size());
  for (size_t origin : origins_) sources.push_back(sources_[origin]);
  return {std::move(options_), std::move(sources), std::nullopt};
}

}  // namespace

const char* runtimeName(bool zentroviaFlavour) {
  return zentroviaFlavour ? "com.zentrovia.runtime" : "com.quarn.runtime";
}

VmOptionOutcome assembleVmOptions(const VmOptionRequest& request, VmOptionHost& host) {
  return Assembly(request, host).run();
}

}  // namespace zvt
