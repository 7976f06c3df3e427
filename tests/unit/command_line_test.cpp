// The entry's reading of its command line: switches, the restart marker and
// the service name after a switch.
#include "launcher/command_line.h"

#include <gtest/gtest.h>

namespace zvt {
namespace {

TEST(Switches, PrefixesAndWords) {
  struct Case {
    const wchar_t* arg;
    bool isSwitch;
    const wchar_t* word;
    Command command;
  } cases[] = {
      {L"/install", true, L"install", Command::Install},
      {L"-install", true, L"install", Command::Install},
      {L"--install", true, L"install", Command::Install},
      {L"/-install", true, L"install", Command::Install},
      {L"-/install", true, L"/install", Command::None},  // only a second hyphen is skipped
      {L"/INSTALL", true, L"INSTALL", Command::None},    // case-sensitive
      {L"/?", true, L"?", Command::Help},
      {L"-help", true, L"help", Command::Help},
      {L"/install-and-start", true, L"install-and-start", Command::InstallAndStart},
      {L"/install-auto", true, L"install-auto", Command::InstallAuto},
      {L"/install-demand", true, L"install-demand", Command::InstallDemand},
      {L"/uninstall", true, L"uninstall", Command::Uninstall},
      {L"/stop", true, L"stop", Command::Stop},
      {L"/start", true, L"start", Command::Start},
      {L"/restart", true, L"restart", Command::Restart},
      {L"/status", true, L"status", Command::Status},
      {L"/run", true, L"run", Command::Run},
      {L"/run-redirect", true, L"run-redirect", Command::RunRedirect},
      {L"/", true, L"", Command::None},
      {L"install", false, L"", Command::None},
      {L"", false, L"", Command::None},
  };
  for (const auto& c : cases) {
    std::wstring word;
    ASSERT_EQ(c.isSwitch, switchWord(c.arg, word));
    if (c.isSwitch) {
      EXPECT_EQ(c.word, word);
      EXPECT_EQ(c.command, commandFor(word));
    }
  }
}

TEST(EntryCommandLine, ProgramPathMarkerSwitchAndName) {
  EntryCommandLine none = parseEntryCommandLine(L"\"C:\\Program Files\\app.exe\"");
  EXPECT_EQ(L"C:\\Program Files\\app.exe", none.programPath);
  EXPECT_FALSE(none.serviceChild);
  EXPECT_FALSE(none.hasSwitch);
  EXPECT_EQ(Command::None, none.command);
  EXPECT_TRUE(none.arguments.empty());

  EntryCommandLine empty = parseEntryCommandLine(L"");
  EXPECT_TRUE(empty.programPath.empty());
  EXPECT_EQ(Command::None, empty.command);

  // The name after a switch replaces the configured one and stays first.
  EntryCommandLine start = parseEntryCommandLine(L"app.exe /start MyService a b");
  EXPECT_TRUE(start.hasSwitch);
  EXPECT_EQ(Command::Start, start.command);
  EXPECT_TRUE(start.hasServiceName);
  EXPECT_EQ(L"MyService", start.serviceName);
  EXPECT_EQ((ArgumentList{L"MyService", L"a", L"b"}), start.arguments);

  EntryCommandLine install = parseEntryCommandLine(L"app.exe --install");
  EXPECT_EQ(Command::Install, install.command);
  EXPECT_FALSE(install.hasServiceName);
  EXPECT_TRUE(install.arguments.empty());

  // Not a switch: everything stays for the dispatcher.
  EntryCommandLine plain = parseEntryCommandLine(L"app.exe install x");
  EXPECT_FALSE(plain.hasSwitch);
  EXPECT_FALSE(plain.hasServiceName);
  EXPECT_EQ((ArgumentList{L"install", L"x"}), plain.arguments);

  // An unknown switch still names a service; the dispatcher takes over.
  EntryCommandLine bogus = parseEntryCommandLine(L"app.exe /bogus Name");
  EXPECT_TRUE(bogus.hasSwitch);
  EXPECT_EQ(Command::None, bogus.command);
  EXPECT_EQ(L"Name", bogus.serviceName);
}

TEST(EntryCommandLine, TheRestartMarkerComesFirst) {
  // The host's child: the marker is last, whatever precedes it, also a switch.
  EntryCommandLine child = parseEntryCommandLine(L"app.exe /install MyService p1 __zvt_restart");
  EXPECT_TRUE(child.serviceChild);
  EXPECT_FALSE(child.hasSwitch);
  EXPECT_FALSE(child.hasServiceName);
  EXPECT_EQ((ArgumentList{L"/install", L"MyService", L"p1"}), child.arguments);

  EntryCommandLine only = parseEntryCommandLine(L"app.exe __zvt_restart");
  EXPECT_TRUE(only.serviceChild);
  EXPECT_TRUE(only.arguments.empty());

  // Only exactly the marker, and only last.
  EXPECT_FALSE(parseEntryCommandLine(L"app.exe __zvt_restart x").serviceChild);
  EXPECT_FALSE(parseEntryCommandLine(L"app.exe __ZVT_RESTART").serviceChild);
  EXPECT_FALSE(parseEntryCommandLine(L"app.exe \"__zvt_restart \"").serviceChild);
  // The program path alone is never the marker.
  EXPECT_FALSE(parseEntryCommandLine(L"__zvt_restart").serviceChild);
}

}  // namespace
}  // namespace zvt
