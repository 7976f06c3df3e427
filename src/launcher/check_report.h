// The /check report: what a start would do and why, gathered while the JVM
// search and the VM option assembly tell their decisions, and laid out for a
// person in short aligned lines. Platform-free: texts from the
// configuration and the file system arrive in the file-API code page and are
// converted by the caller's function when the report is written.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/arguments.h"
#include "runtime/decisions.h"

namespace zvt {

// The service as the Service Control Manager sees it.
struct ServiceFacts {
  std::wstring name;
  bool installed = false;
  unsigned long state = 0;      // the manager's SERVICE_* state; 0 unknown
  unsigned long startType = 0;  // the manager's SERVICE_*_START; 0 unknown
  std::wstring account;
};

// Where the diagnostic log goes.
struct LogFacts {
  bool on = false;
  std::wstring path;  // the file it writes, or would write when switched on
};

using CodePageText = std::function<std::wstring(const std::string&)>;

class CheckReport : public DecisionListener {
 public:
  // Every decision is passed on to `forward` as well (the diagnostic log),
  // so a check leaves the log a start would leave; null passes nothing on.
  explicit CheckReport(DecisionListener* forward = nullptr) : forward_(forward) {}

  void source(const std::string& label) override;
  void candidate(const CandidateDecision& decision) override;
  void load(const LoadDecision& decision) override;
  void option(size_t index, const std::string& option, const OptionSource& source) override;

  void setBounds(const std::string& minimum, const std::string& maximum);
  void setRuntime(const std::string& home, const std::string& version);
  // The message a start would show when it stops.
  void setFailure(const std::wstring& message) { failure_ = message; }
  void setMain(const std::wstring& mainClass, const ArgumentList& parameters);
  void setService(const ServiceFacts& service) { service_ = service; }
  void setLog(const LogFacts& log) { log_ = log; }

  // The report in the order it is printed; each piece ends with a blank line.
  // The runtimes looked at and the one chosen.
  std::wstring searchText(const CodePageText& text) const;
  // The VM options, main class and arguments (empty when no runtime was chosen).
  std::wstring launchText(const CodePageText& text) const;
  // The service, the diagnostic log and the verdict on a start.
  std::wstring closingText() const;

  bool startWouldGoAhead() const { return failure_.empty(); }

 private:
  struct Candidate {
    CandidateDecision decision;
    unsigned libraryBits = 0;
  };
  struct Source {
    std::string label;
    std::vector<Candidate> candidates;
  };
  struct Option {
    std::string text;
    OptionSource source;
  };

  DecisionListener* forward_;
  std::string minimum_, maximum_;
  std::vector<Source> sources_;
  std::string library_;  // the jvm.dll that loaded
  std::string home_, version_;
  bool hasRuntime_ = false;
  std::vector<Option> options_;
  std::wstring mainClass_;
  ArgumentList mainParameters_;
  std::wstring failure_;
  ServiceFacts service_;
  LogFacts log_;
};

}  // namespace zvt
