// The /check report laid out from a scripted list of decisions, as the JVM
// search and the VM option assembly tell them.
#include "launcher/check_report.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace zvt {
namespace {

std::wstring bytes(const std::string& text) {
  return widenBytes(text);
}

CandidateDecision checked(const std::string& exe, Verdict verdict, const std::string& version = "",
                          VersionOrigin origin = VersionOrigin::None) {
  CandidateDecision d;
  d.javaExe = exe;
  d.verdict = verdict;
  d.version = version;
  d.origin = origin;
  return d;
}

LoadDecision loaded(const std::string& exe, Verdict verdict, const std::string& library = "", unsigned bits = 0) {
  LoadDecision d;
  d.javaExe = exe;
  d.verdict = verdict;
  d.library = library;
  d.libraryBits = bits;
  return d;
}

// A search over four entries and an empty preferred location, then the
// options of every kind of source and the main parameters.
TEST(CheckReport, LaysOutASuccessfulStart) {
  CheckReport report;
  report.setBounds("11", "");
  report.source("preferred location file");
  report.source("entry R .\\none");
  report.candidate(checked("c:\\app\\none\\bin\\java.exe", Verdict::Missing));
  report.source("entry R .\\old");
  report.candidate(checked("c:\\app\\old\\bin\\java.exe", Verdict::OutsideBounds, "1.8.0_201", VersionOrigin::Probe));
  report.source("entry R .\\wide");
  report.candidate(checked("c:\\app\\wide\\bin\\java.exe", Verdict::Passed, "17.0.1", VersionOrigin::Cache));
  report.load(loaded("c:\\app\\wide\\bin\\java.exe", Verdict::OtherWidth, "", 32));
  report.source("entry R .\\good");
  report.candidate(checked("c:\\app\\good\\bin\\java.exe", Verdict::Passed, "21.0.2", VersionOrigin::Probe));
  report.load(loaded("c:\\app\\good\\bin\\java.exe", Verdict::Taken, "c:\\app\\good\\bin\\server\\jvm.dll"));
  report.setRuntime("c:\\app\\good\\bin\\..", "21.0.2");

  report.option(0, "-Djava.library.path=c:\\app\\jre\\bin;c:\\windows", {OptionOrigin::Launcher, ""});
  report.option(1, "-Xmx256m", {OptionOrigin::Configuration, ""});
  report.option(2, "-Dv=21", {OptionOrigin::VersionLine, "17-99"});
  report.option(3, "-Xss2m", {OptionOrigin::OptionsFile, "c:\\app\\myservice.vmoptions"});
  report.option(4, "-Dj=1", {OptionOrigin::JArgument, ""});
  report.option(5, "-Djava.class.path=c:\\app\\a.jar;c:\\app\\b.jar", {OptionOrigin::ClassPath, ""});
  report.option(6, "--module-path=c:\\app\\mods", {OptionOrigin::ModulePath, ""});
  report.option(7, "-Dzentrovia.noRedir=true", {OptionOrigin::NoRedirection, ""});
  report.setMain(L"com.example.Main", {L"false", L"com.example.Main", L"", L"", L"false", L"c:\\app\\myservice.exe"});

  ServiceFacts service;
  service.name = L"MyService";
  service.installed = true;
  service.state = 4;
  service.startType = 2;
  service.account = L"LocalSystem";
  report.setService(service);
  report.setLog({false, L"c:\\temp\\zvt_nlog_2.log"});

  const std::wstring expected =
      L"Java runtimes looked at, in order (minimum version 11, maximum none)\n"
      L"  preferred location file: nothing there\n"
      L"  entry R .\\none\n"
      L"    java        c:\\app\\none\\bin\\java.exe\n"
      L"    verdict     missing\n"
      L"  entry R .\\old\n"
      L"    java        c:\\app\\old\\bin\\java.exe\n"
      L"    version     1.8.0_201, from running java -version\n"
      L"    verdict     outside the version bounds\n"
      L"  entry R .\\wide\n"
      L"    java        c:\\app\\wide\\bin\\java.exe\n"
      L"    version     17.0.1, from the version cache\n"
      L"    verdict     a 32-bit jvm.dll, the other width\n"
      L"  entry R .\\good\n"
      L"    java        c:\\app\\good\\bin\\java.exe\n"
      L"    version     21.0.2, from running java -version\n"
      L"    verdict     taken\n"
      L"\n"
      L"Chosen runtime\n"
      L"  home        c:\\app\\good\\bin\\..\n"
      L"  version     21.0.2\n"
      L"  jvm.dll     c:\\app\\good\\bin\\server\\jvm.dll\n"
      L"\n"
      L"VM options, in the order the JVM gets them\n"
      L"  launcher             -Djava.library.path=\n"
      L"                         c:\\app\\jre\\bin\n"
      L"                         c:\\windows\n"
      L"  configuration        -Xmx256m\n"
      L"  Java 17-99           -Dv=21\n"
      L"  myservice.vmoptions  -Xss2m\n"
      L"  -J argument          -Dj=1\n"
      L"  class path           -Djava.class.path=\n"
      L"                         c:\\app\\a.jar\n"
      L"                         c:\\app\\b.jar\n"
      L"  module path          --module-path=\n"
      L"                         c:\\app\\mods\n"
      L"  /run                 -Dzentrovia.noRedir=true\n"
      L"\n"
      L"Main class    com.example.Main\n"
      L"Arguments of main\n"
      L"  1   false\n"
      L"  2   com.example.Main\n"
      L"  3   \n"
      L"  4   \n"
      L"  5   false\n"
      L"  6   c:\\app\\myservice.exe\n"
      L"\n"
      L"Service MyService\n"
      L"  installed   yes\n"
      L"  state       running\n"
      L"  start type  automatic\n"
      L"  account     LocalSystem\n"
      L"\n"
      L"Diagnostic log\n"
      L"  file        c:\\temp\\zvt_nlog_2.log\n"
      L"  switched on no: set QUARN_LOG=yes (or ZENTROVIA_LOG=yes) first\n"
      L"\n"
      L"A start would go ahead.\n";
  EXPECT_EQ(expected, report.searchText(bytes) + report.launchText(bytes) + report.closingText());
  EXPECT_TRUE(report.startWouldGoAhead());
}

// Nothing found: no runtime, no options, and the message a start shows.
// A runtime the relaxed pass takes without a check of its own gets a line.
TEST(CheckReport, LaysOutAStartThatWouldStop) {
  CheckReport report;
  report.source("QUARN_JAVA_HOME");
  report.source("second pass B .\\jre");
  report.load(loaded("c:\\app\\jre\\bin\\java.exe", Verdict::LibraryFailed));
  report.setFailure(L"No Java found.\nInstall one.");
  report.setService({L"MyService", false, 0, 0, L""});
  report.setLog({true, L"c:\\temp\\zvt_nlog_1.log"});

  EXPECT_EQ(L"Java runtimes looked at, in order (minimum version none, maximum none)\n"
            L"  QUARN_JAVA_HOME: nothing there\n"
            L"  second pass B .\\jre\n"
            L"    java        c:\\app\\jre\\bin\\java.exe\n"
            L"    verdict     jvm.dll does not load\n"
            L"\n"
            L"Chosen runtime\n"
            L"  none\n"
            L"\n",
            report.searchText(bytes));
  EXPECT_EQ(L"", report.launchText(bytes));
  EXPECT_EQ(L"Service MyService\n"
            L"  installed   no\n"
            L"\n"
            L"Diagnostic log\n"
            L"  file        c:\\temp\\zvt_nlog_1.log\n"
            L"  switched on yes\n"
            L"\n"
            L"A start would stop with this message:\n"
            L"  No Java found.\n"
            L"  Install one.\n",
            report.closingText());
  EXPECT_FALSE(report.startWouldGoAhead());
}

}  // namespace
}  // namespace zvt
