#include "launcher/check_report.h"

#include <algorithm>

#include "base/text.h"

namespace zvt {
namespace {

// The label column of the candidate, runtime, service and log blocks.
constexpr size_t kLabelWidth = 12;

std::wstring ascii(const std::string& text) {
  return widenBytes(text);
}

std::wstring padded(const std::wstring& label, size_t width) {
  return label.size() >= width ? label + L" " : label + std::wstring(width - label.size(), L' ');
}

// "<indent><label padded><value>\n"
std::wstring row(const std::wstring& indent, const std::wstring& label, const std::wstring& value,
                 size_t width = kLabelWidth) {
  return indent + padded(label, width) + value + L"\n";
}

std::wstring versionOrigin(VersionOrigin origin) {
  return origin == VersionOrigin::Cache ? L", from the version cache" : L", from running java -version";
}

// The values of the Service Control Manager (winsvc.h).
std::wstring stateText(unsigned long state) {
  switch (state) {
    case 1:
      return L"stopped";
    case 2:
      return L"starting";
    case 3:
      return L"stopping";
    case 4:
      return L"running";
    case 5:
      return L"continuing";
    case 6:
      return L"pausing";
    case 7:
      return L"paused";
  }
  return L"unknown";
}

std::wstring startTypeText(unsigned long startType) {
  switch (startType) {
    case 2:
      return L"automatic";
    case 3:
      return L"manual";
    case 4:
      return L"disabled";
  }
  return L"unknown";
}

// The class path, the module path and the library path list one entry a
// line below the option's name.
bool splitPathOption(const std::string& option, std::string& name, std::vector<std::string>& entries) {
  for (const char* prefix : {"-Djava.class.path=", "--module-path=", "-Djava.library.path="}) {
    const std::string p = prefix;
    if (option.compare(0, p.size(), p) != 0) continue;
    name = p;
    size_t start = p.size();
    while (start < option.size()) {
      size_t end = option.find(';', start);
      if (end == std::string::npos) end = option.size();
      if (end > start) entries.push_back(option.substr(start, end - start));
      start = end + 1;
    }
    return true;
  }
  return false;
}

}  // namespace

void CheckReport::source(const std::string& label) {
  sources_.push_back({label, {}});
  if (forward_) forward_->source(label);
}

void CheckReport::candidate(const CandidateDecision& decision) {
  if (sources_.empty()) sources_.push_back({});
  sources_.back().candidates.push_back({decision, 0});
  if (forward_) forward_->candidate(decision);
}

void CheckReport::load(const LoadDecision& decision) {
  if (sources_.empty()) sources_.push_back({});
  std::vector<Candidate>& candidates = sources_.back().candidates;
  // The load follows the check of the same executable; a candidate taken
  // without a check of its own (the relaxed pass) gets a line of its own.
  auto checked = std::find_if(candidates.rbegin(), candidates.rend(),
                              [&](const Candidate& c) { return c.decision.javaExe == decision.javaExe; });
  Candidate* c = nullptr;
  if (checked != candidates.rend()) {
    c = &*checked;
  } else {
    candidates.push_back({});
    c = &candidates.back();
    c->decision.javaExe = decision.javaExe;
  }
  c->decision.verdict = decision.verdict;
  c->libraryBits = decision.libraryBits;
  if (decision.verdict == Verdict::Taken) library_ = decision.library;
  if (forward_) forward_->load(decision);
}

void CheckReport::option(size_t index, const std::string& option, const OptionSource& source) {
  options_.push_back({option, source});
  if (forward_) forward_->option(index, option, source);
}

void CheckReport::setBounds(const std::string& minimum, const std::string& maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
}

void CheckReport::setRuntime(const std::string& home, const std::string& version) {
  hasRuntime_ = true;
  home_ = home;
  version_ = version;
}

void CheckReport::setMain(const std::wstring& mainClass, const ArgumentList& parameters) {
  mainClass_ = mainClass;
  mainParameters_ = parameters;
}

std::wstring CheckReport::searchText(const CodePageText& text) const {
  std::wstring out = L"Java runtimes looked at, in order (minimum version " +
                     (minimum_.empty() ? std::wstring(L"none") : text(minimum_)) + L", maximum " +
                     (maximum_.empty() ? std::wstring(L"none") : text(maximum_)) + L")\n";
  for (const Source& source : sources_) {
    if (source.candidates.empty()) {
      out += L"  " + text(source.label) + L": nothing there\n";
      continue;
    }
    out += L"  " + text(source.label) + L"\n";
    for (const Candidate& c : source.candidates) {
      out += row(L"    ", L"java", text(c.decision.javaExe));
      if (c.decision.origin != VersionOrigin::None)
        out += row(L"    ", L"version", text(c.decision.version) + versionOrigin(c.decision.origin));
      out += row(L"    ", L"verdict", ascii(verdictText(c.decision.verdict, c.libraryBits)));
    }
  }
  out += L"\nChosen runtime\n";
  if (!hasRuntime_ || library_.empty()) {
    out += L"  none\n\n";
    return out;
  }
  out += row(L"  ", L"home", text(home_));
  out += row(L"  ", L"version", text(version_));
  out += row(L"  ", L"jvm.dll", text(library_));
  return out + L"\n";
}

std::wstring CheckReport::launchText(const CodePageText& text) const {
  if (options_.empty() && mainParameters_.empty()) return L"";
  size_t width = 0;
  for (const Option& o : options_) width = std::max(width, text(optionSourceText(o.source)).size());
  width += 2;
  std::wstring out = L"VM options, in the order the JVM gets them\n";
  for (const Option& o : options_) {
    const std::wstring label = text(optionSourceText(o.source));
    std::string name;
    std::vector<std::string> entries;
    if (!splitPathOption(o.text, name, entries)) {
      out += row(L"  ", label, text(o.text), width);
      continue;
    }
    out += row(L"  ", label, text(name), width);
    for (const std::string& entry : entries) out += std::wstring(2 + width + 2, L' ') + text(entry) + L"\n";
  }
  out += L"\n" + row(L"", L"Main class", mainClass_, kLabelWidth + 2);
  out += L"Arguments of main\n";
  for (size_t i = 0; i < mainParameters_.size(); ++i)
    out += row(L"  ", decimal(static_cast<long long>(i + 1)), mainParameters_[i], 4);
  return out + L"\n";
}

std::wstring CheckReport::closingText() const {
  std::wstring out = L"Service " + service_.name + L"\n";
  out += row(L"  ", L"installed", service_.installed ? L"yes" : L"no");
  if (service_.installed) {
    out += row(L"  ", L"state", stateText(service_.state));
    out += row(L"  ", L"start type", startTypeText(service_.startType));
    out += row(L"  ", L"account", service_.account);
  }
  out += L"\nDiagnostic log\n";
  out += row(L"  ", L"file", log_.path);
  out += row(L"  ", L"switched on", log_.on ? L"yes" : L"no: set QUARN_LOG=yes (or ZENTROVIA_LOG=yes) first");
  out += L"\n";
  if (failure_.empty()) return out + L"A start would go ahead.\n";
  out += L"A start would stop with this message:\n";
  size_t start = 0;
  while (start <= failure_.size()) {
    size_t end = failure_.find(L'\n', start);
    if (end == std::wstring::npos) end = failure_.size();
    out += L"  " + failure_.substr(start, end - start) + L"\n";
    start = end + 1;
  }
  return out;
}

}  // namespace zvt
