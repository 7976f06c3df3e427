#include "runtime/decisions.h"

#include "base/log_sink.h"
#include "base/text.h"

namespace zvt {
namespace {

DecisionListener* g_listener = nullptr;

const char* originText(VersionOrigin origin) {
  switch (origin) {
    case VersionOrigin::Cache:
      return "cache";
    case VersionOrigin::Probe:
      return "probe";
    case VersionOrigin::None:
      break;
  }
  return "none";
}

}  // namespace

std::string verdictText(Verdict verdict, unsigned libraryBits) {
  switch (verdict) {
    case Verdict::Taken:
      return "taken";
    case Verdict::Passed:
      return "usable, a newer one was preferred";
    case Verdict::Missing:
      return "missing";
    case Verdict::NotJdk:
      return "not a JDK (no lib\\tools.jar)";
    case Verdict::VersionUnknown:
      return "version unknown (-version failed)";
    case Verdict::Prerelease:
      return "pre-release, not allowed";
    case Verdict::OutsideBounds:
      return "outside the version bounds";
    case Verdict::NoWindowed:
      return "no javaw.exe beside it";
    case Verdict::NonWorking:
      return "its jvm.dll failed before";
    case Verdict::OtherWidth:
      return libraryBits ? "a " + std::to_string(libraryBits) + "-bit jvm.dll, the other width"
                         : std::string("a jvm.dll of the other width");
    case Verdict::NoLibrary:
      return "no jvm.dll";
    case Verdict::LibraryFailed:
      return "jvm.dll does not load";
  }
  return "";
}

std::string optionSourceText(const OptionSource& source) {
  switch (source.origin) {
    case OptionOrigin::Launcher:
      return "launcher";
    case OptionOrigin::Configuration:
      return "configuration";
    case OptionOrigin::VersionLine:
      return "Java " + source.detail;
    case OptionOrigin::Locale:
      return "locale";
    case OptionOrigin::OptionsFile: {
      size_t slash = source.detail.find_last_of("\\/");
      return slash == std::string::npos ? source.detail : source.detail.substr(slash + 1);
    }
    case OptionOrigin::JArgument:
      return "-J argument";
    case OptionOrigin::ClassPath:
      return "class path";
    case OptionOrigin::ModulePath:
      return "module path";
    case OptionOrigin::Service:
      return "service";
    case OptionOrigin::NoRedirection:
      return "/run";
  }
  return "";
}

void DecisionLog::source(const std::string& label) {
  logText(L"search source: " + widenBytes(label));
}

void DecisionLog::candidate(const CandidateDecision& d) {
  std::wstring line = L"candidate " + widenBytes(d.javaExe) + L": " + widenBytes(verdictText(d.verdict));
  if (d.origin != VersionOrigin::None)
    line += L" (version " + widenBytes(d.version) + L" from " + widenBytes(originText(d.origin)) + L")";
  logText(line);
}

void DecisionLog::load(const LoadDecision& d) {
  logText(L"candidate " + widenBytes(d.javaExe) + L": " + widenBytes(verdictText(d.verdict, d.libraryBits)));
}

void DecisionLog::option(size_t index, const std::string&, const OptionSource& source) {
  logText(L"vmoption " + decimal(static_cast<long long>(index)) + L" from " + widenBytes(optionSourceText(source)));
}

DecisionListener& decisions() {
  static DecisionLog log;
  return g_listener ? *g_listener : log;
}

void setDecisionListener(DecisionListener* listener) { g_listener = listener; }

}  // namespace zvt
