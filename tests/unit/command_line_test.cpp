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
      {L"/check", true, L"check", Command::Check},
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

TEST(EntryCommandLine, AnOverlongNameIsRefusedOnlyForCommandsThatUseIt) {
  // Commands that address the service by the name.
  for (Command c : {Command::Install, Command::InstallAndStart, Command::InstallAuto, Command::InstallDemand,
                    Command::Uninstall, Command::Stop, Command::Start, Command::Restart, Command::Status,
                    Command::Check}) {
    EXPECT_TRUE(commandUsesServiceName(c)) << static_cast<int>(c);
  }
  for (Command c : {Command::None, Command::Help, Command::Run, Command::RunRedirect}) {
    EXPECT_FALSE(commandUsesServiceName(c)) << static_cast<int>(c);
  }

  const size_t cap = 8;  // a small buffer: 7 units and the terminator
  EntryCommandLine fits = parseEntryCommandLine(L"app.exe /status 1234567", cap);
  EXPECT_TRUE(fits.hasServiceName);
  EXPECT_FALSE(fits.serviceNameTooLong);
  EXPECT_EQ(L"1234567", fits.serviceName);

  for (const wchar_t* line : {L"app.exe /status 12345678 x", L"app.exe /bogus 12345678", L"app.exe /? 12345678",
                              L"app.exe /run 12345678 x"}) {
    EntryCommandLine parsed = parseEntryCommandLine(line, cap);
    EXPECT_TRUE(parsed.serviceNameTooLong) << line;
    EXPECT_FALSE(parsed.hasServiceName) << line;
    EXPECT_TRUE(parsed.serviceName.empty()) << line;
    // The argument stays where it was: the foreground run hands it on.
    ASSERT_FALSE(parsed.arguments.empty()) << line;
    EXPECT_EQ(L"12345678", parsed.arguments.front()) << line;
  }
  // The switch is looked up whatever the name's length.
  EXPECT_EQ(Command::Help, parseEntryCommandLine(L"app.exe /? 12345678", cap).command);
  EXPECT_EQ(Command::None, parseEntryCommandLine(L"app.exe /bogus 12345678", cap).command);
  // The real buffer: 5999 units fit, 6000 do not.
  EXPECT_TRUE(parseEntryCommandLine(L"a /stop " + std::wstring(5999, L'n')).hasServiceName);
  EXPECT_TRUE(parseEntryCommandLine(L"a /stop " + std::wstring(6000, L'n')).serviceNameTooLong);
}

}  // namespace
}  // namespace zvt
