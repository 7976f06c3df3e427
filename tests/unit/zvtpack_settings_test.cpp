// The packer's configuration: names from the key table, conversions to the
// block's grammar and encodings, and every check with its position.
#include <gtest/gtest.h>

#include <set>

#include "config/key_table.h"
#include "config/keys.h"
#include "zvtpack_support.h"

namespace zvt {
namespace {

using config::ValueKind;
using test::check;

// A value of each kind and what the block stores for it.
struct Sample {
  const char* toml;
  const char* stored;
};

Sample sampleFor(const config::KeyInfo& k) {
  switch (k.kind) {
    case ValueKind::Text:
      return {"\"x y\"", "x y"};
    case ValueKind::Arguments:
      return {"\"-Da='x y' -Db\"", "-Da='x y' -Db"};
    case ValueKind::Flag:
      return {"true", "1"};
    case ValueKind::Integer:
      return {"-7", "-7"};
    case ValueKind::Count:
      return {"7", "7"};
    case ValueKind::Choice:
      return {nullptr, nullptr};
    case ValueKind::Version:
      return {"\"1.8.0_201\"", "1.8.0_201"};
    case ValueKind::ClassPath:
      return {"[{ scan = 'lib' }]", "S0lib"};
    case ValueKind::SearchSequence:
      return {"[{ registry = true }]", "Y"};
    case ValueKind::DirectoryList:
      return {"['bin', 'lib']", "bin;lib"};
    case ValueKind::ServiceName:
      return {"\"Svc\"", "Svc"};
    case ValueKind::Dependencies:
      return {"['Tcpip', '+NetGroup']", "Tcpip,+NetGroup"};
    case ValueKind::Colour:
      return {"[0, 128, 255]", "0,128,255"};
    case ValueKind::ServiceAccount:
      return {"'.\\svc-user'", ".\\svc-user"};
    case ValueKind::RestartDelay:
      return {"4294967", "4294967"};
    case ValueKind::Environment:
      return {"['APP=${launcher:sys.launcherDirectory}', 'PATH=${PATH};C:\\x', 'JAVA_TOOL_OPTIONS=']",
              "APP=${launcher:sys.launcherDirectory}\nPATH=${PATH};C:\\x\nJAVA_TOOL_OPTIONS="};
    default:
      return {nullptr, nullptr};
  }
}

// "a.b.c" = v as a TOML document.
std::string documentFor(const std::string& name, const std::string& value) {
  size_t dot = name.rfind('.');
  return "[" + name.substr(0, dot) + "]\n" + name.substr(dot + 1) + " = " + value + "\n";
}

// The restart a recovery setting needs beside it, as a line of the same
// [service.recovery] table; empty for every other key.
std::string recoveryCompanion(uint32_t id) {
  switch (id) {
    case key::kRecoveryFirstFailureDelay:
    case key::kRecoveryResetAfter:
    case key::kRecoveryCountErrorExits:
      return "first-failure = 'restart'\n";
    case key::kRecoverySecondFailureDelay:
      return "second-failure = 'restart'\n";
    case key::kRecoveryLaterFailuresDelay:
      return "later-failures = 'restart'\n";
    default:
      return "";
  }
}

TEST(SettingNames, EveryKeyOfTheTableIsReachableByItsNameAndStoresItsKind) {
  size_t count = 0;
  const config::KeyInfo* keys = config::keyTable(count);
  std::set<std::string> names;
  for (size_t i = 0; i < count; ++i) {
    const config::KeyInfo& k = keys[i];
    ASSERT_NE(nullptr, k.name) << k.id;
    if (k.kind == ValueKind::IncludedFiles) {
      EXPECT_STREQ("files", k.name);
      continue;
    }
    EXPECT_TRUE(names.insert(k.name).second) << "two keys named " << k.name;
    EXPECT_EQ(k.id, config::keyByName(k.name)->id);
    const std::string section = pack::sectionOf(k.name);
    EXPECT_TRUE(section == "service" || section == "application" || section == "java" || section == "launcher" ||
                section == "logs" || section == "splash")
        << k.name;
    EXPECT_NE(std::string(), k.whenAbsent) << k.name;
    if (k.kind == ValueKind::VersionOptions) continue;  // by its tables, below
    if (k.kind == ValueKind::Choice) {
      ASSERT_GT(k.choiceCount, 0u) << k.name;
      for (size_t c = 0; c < k.choiceCount; ++c) {
        test::Checked r = check(documentFor(k.name, std::string("\"") + k.choices[c].name + "\""));
        ASSERT_TRUE(r.ok) << k.name << "\n" << r.errors;
        EXPECT_EQ(k.choices[c].stored, r.entry(k.id)) << k.name;
      }
      continue;
    }
    Sample s = sampleFor(k);
    ASSERT_NE(nullptr, s.toml) << k.name;
    // Recovery delays, reset and flag take effect only beside a restart.
    const std::string companion = recoveryCompanion(k.id);
    test::Checked r = check(documentFor(k.name, s.toml) + companion);
    ASSERT_TRUE(r.ok) << k.name << "\n" << r.errors;
    EXPECT_EQ(s.stored, r.entry(k.id)) << k.name;
    // Exactly that one key besides nothing else (and its companion).
    EXPECT_EQ(companion.empty() ? 1u : 2u, r.plan.content.entries.size()) << k.name;
  }
}

TEST(SettingNames, MessagesByNameAndIdOverTheShippedTexts) {
  size_t count = 0;
  const config::MessageInfo* messages = config::messageTable(count);
  std::set<std::string> names;
  for (size_t i = 0; i < count; ++i) {
    EXPECT_TRUE(names.insert(messages[i].name).second) << messages[i].name;
    EXPECT_EQ(messages[i].id, config::messageByName(messages[i].name)->id);
    test::Checked r = check("[messages]\n" + std::string(messages[i].name) + " = \"custom\"\n");
    ASSERT_TRUE(r.ok) << r.errors;
    ASSERT_NE(nullptr, r.message(messages[i].id));
    EXPECT_EQ(L"custom", r.message(messages[i].id)->text) << messages[i].name;
  }

  // By default every message with a shipped text is stored, in id order.
  test::Checked plain = check("");
  ASSERT_TRUE(plain.ok) << plain.errors;
  std::vector<uint32_t> ids;
  for (const block::Message& m : plain.plan.content.messages) ids.push_back(m.id);
  EXPECT_EQ((std::vector<uint32_t>{1000, 1005, 1006, 1008, 1009, 1010, 1011, 1015, 1016, 1017, 1019, 1021, 1101, 1102}),
            ids);
  EXPECT_EQ(L"An internal error occurred (error code: {0})", plain.message(1009)->text);
  EXPECT_EQ(L"File or directory {0} not found or empty\n", plain.message(1006)->text);

  // Ids the launcher does not show, the description under [service], and
  // no shipped texts.
  test::Checked own = check(
      "[service]\ndescription = \"Orders\"\n[messages]\nshipped-texts = false\n1012 = \"Wrong Parameter Usage\"\n");
  ASSERT_TRUE(own.ok) << own.errors;
  ASSERT_EQ(2u, own.plan.content.messages.size());
  EXPECT_EQ(1012u, own.plan.content.messages[0].id);
  EXPECT_EQ(20017u, own.plan.content.messages[1].id);
  EXPECT_EQ(L"Orders", own.plan.content.messages[1].text);
}

// The shipped texts that name a width name the launcher's own, which
// launcher.architecture gives; the others are the same for both.
TEST(SettingNames, ShippedTextsNameTheLaunchersWidth) {
  test::Checked narrow = check("");
  test::Checked wide = check("[launcher]\narchitecture = \"x64\"\n");
  ASSERT_TRUE(narrow.ok && wide.ok) << narrow.errors << wide.errors;
  EXPECT_EQ("<absent>", narrow.entry(key::kLauncherArchitecture));
  EXPECT_EQ("x64", wide.entry(key::kLauncherArchitecture));
  for (uint32_t id : {1017u, 1019u}) {
    const std::wstring n = narrow.message(id)->text;
    const std::wstring w = wide.message(id)->text;
    EXPECT_NE(std::wstring::npos, n.find(L"32-bit JDK or JRE")) << id;
    EXPECT_EQ(std::wstring::npos, n.find(L"64-bit")) << id;
    EXPECT_NE(std::wstring::npos, w.find(L"64-bit JDK or JRE")) << id;
    EXPECT_EQ(std::wstring::npos, w.find(L"32-bit")) << id;
  }
  ASSERT_EQ(narrow.plan.content.messages.size(), wide.plan.content.messages.size());
  for (size_t i = 0; i < narrow.plan.content.messages.size(); ++i) {
    const block::Message& m = narrow.plan.content.messages[i];
    if (m.id == 1017 || m.id == 1019) continue;
    EXPECT_EQ(m.text, wide.plan.content.messages[i].text) << m.id;
  }
  test::Checked wrong = check("[launcher]\narchitecture = \"amd64\"\n");
  EXPECT_FALSE(wrong.ok);
  EXPECT_NE(std::string::npos, wrong.errors.find("x64")) << wrong.errors;
}

TEST(Conversions, StructuredEntriesBecomeTheBlocksGrammar) {
  test::Checked r = check(R"(
[application]
class-path = [
  { scan = "lib" },
  { archive = 'app.jar', required = true },
  { env = "EXTRA_CP", required = false },
  { directory = "${launcher:sys.launcherDirectory}\\classes" },
]
module-path = [{ scan = "mods", required = true }]
[java]
search = [
  { home = '.\jre', local = true },
  { home = 'C:\Java\jre' },
  { home = "openJDK", letter = "R" },
  { env = "JAVA_HOME" },
  { search-path = true },
  { registry = true },
]
[[java.version-options]]
major = [9, 11]
options = "--add-opens java.base/java.lang=ALL-UNNAMED"
[[java.version-options]]
version-pattern = "1.8*"
[[java.version-options]]
major = 17
options = "-XX:+UseZGC"
[launcher]
native-library-directories = ["bin", "native\\x86"]
kind = 2
[splash.line2]
colour = [255, 0, 7]
[service]
dependencies = ["Tcpip", "Dnscache"]
)");
  ASSERT_TRUE(r.ok) << r.errors;
  EXPECT_EQ("S0lib;A1app.jar;E0EXTRA_CP;D0${launcher:sys.launcherDirectory}\\classes", r.entry(121));
  EXPECT_EQ("S1mods", r.entry(132));
  EXPECT_EQ("B.\\jre;AC:\\Java\\jre;RopenJDK;EJAVA_HOME;S;Y", r.entry(128));
  EXPECT_EQ("3", r.entry(10200));
  EXPECT_EQ("9-11", r.entry(10201));
  EXPECT_EQ("--add-opens java.base/java.lang=ALL-UNNAMED", r.entry(10202));
  EXPECT_EQ("*1.8*", r.entry(10203));
  EXPECT_EQ("", r.entry(10204));
  EXPECT_EQ("17-17", r.entry(10205));
  EXPECT_EQ("-XX:+UseZGC", r.entry(10206));
  EXPECT_EQ("bin;native\\x86", r.entry(10004));
  EXPECT_EQ("2", r.entry(107));
  EXPECT_EQ("255,0,7", r.entry(10121));
  EXPECT_EQ("Tcpip,Dnscache", r.entry(149));
  // Stored sorted by id, each once.
  for (size_t i = 1; i < r.plan.content.entries.size(); ++i) {
    EXPECT_LT(r.plan.content.entries[i - 1].id, r.plan.content.entries[i].id);
  }
}

// Checking reads a value once: a value of a megabyte is stored, or refused
// with one error, in about the time it takes to read it.
TEST(Conversions, AValueOfAMegabyteIsCheckedInOnePass) {
  const std::string mega(1 << 20, 'v');
  test::Checked r = check("[keys]\n150 = '" + mega + "'\n");
  ASSERT_TRUE(r.ok) << r.errors.substr(0, 300);
  EXPECT_TRUE(r.entry(150) == mega);

  std::string blanks;
  for (size_t i = 0; i < (1u << 19); ++i) blanks += "x ";
  r = check("[java]\nvm-options = '" + blanks + "'\n");
  EXPECT_EQ(
      "2:14: error: java.vm-options: the launcher reads at most 5999 bytes of this setting; the value has 1048576\n",
      r.errors);

  std::string cyrillic;
  for (size_t i = 0; i < (1u << 19); ++i) cyrillic += "\xD0\xAF";
  r = check("[keys]\n151 = '" + cyrillic + "'\n");
  EXPECT_EQ(1u, std::count(r.errors.begin(), r.errors.end(), '\n')) << r.errors.substr(0, 300);
  EXPECT_NE(std::string::npos, r.errors.find("2:8: error: keys.151: U+042F")) << r.errors.substr(0, 300);
  EXPECT_NE(std::string::npos, r.errors.find("; 524287 more characters of this value")) << r.errors.substr(0, 300);
}

TEST(Conversions, LocalizedSetsAreStoredGeneralBeforeSpecific) {
  test::Checked r = check(R"(
[localized.de_AT]
error-caption = "Fehler AT"
[localized.de]
error-caption = "Fehler"
no-jvm-found = "Keine JVM"
[localized.""]
1009 = "Fehler {0}"
[localized.no_NO_NY]
error-caption = "Feil"
)");
  ASSERT_TRUE(r.ok) << r.errors;
  ASSERT_EQ(4u, r.plan.content.sets.size());
  // The launcher applies sets in stored order, a later match winning:
  // "" matches all, "de" then "de_AT" lets the country's text win.
  EXPECT_EQ("", r.plan.content.sets[0].locale);
  EXPECT_EQ("de", r.plan.content.sets[1].locale);
  EXPECT_EQ("de_AT", r.plan.content.sets[2].locale);
  EXPECT_EQ("no_NO_NY", r.plan.content.sets[3].locale);
  EXPECT_EQ(2u, r.plan.content.sets[1].messages.size());
  EXPECT_EQ(1016u, r.plan.content.sets[1].messages[1].id);
}

TEST(Encodings, EntriesAreStoredInTheCodePage) {
  // U+00C4 and U+00F6 are 0xC4 and 0xF6 in code page 1252 and reach the
  // launcher's byte-by-byte widening unchanged.
  test::Checked r = check("[service]\nname = \"Bestelldienst-\xC3\x84\xC3\xB6\"\n");
  ASSERT_TRUE(r.ok) << r.errors;
  EXPECT_EQ("Bestelldienst-\xC4\xF6", r.entry(101));

  // A narrow setting takes every character of the code page: the euro sign
  // is 0x80 in 1252; Polish letters in 1250.
  r = check("[java]\napplication-id = \"Shop\xE2\x82\xAC\"\n");
  ASSERT_TRUE(r.ok) << r.errors;
  EXPECT_EQ("Shop\x80", r.entry(160));
  r = check("[packer]\ncode-page = 1250\n[java]\napplication-id = \"\xC5\x81\xC3\xB3\x64\xC5\xBA\"\n");
  ASSERT_TRUE(r.ok) << r.errors;
  EXPECT_EQ("\xA3\xF3\x64\x9F", r.entry(160));
  EXPECT_EQ(1250, r.plan.codePage);
}

TEST(Encodings, MessagesAreStoredAsUtf16) {
  // Umlauts, CJK and a character beyond the BMP (a surrogate pair).
  test::Checked r = check(
      "[messages]\nerror-caption = \"Gr\xC3\xBC\xC3\x9F"
      "e\"\nno-jvm-found = \"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\"\n"
      "1009 = \"\xF0\x9F\x98\x80 {0}\\nnext\"\n");
  ASSERT_TRUE(r.ok) << r.errors;
  EXPECT_EQ((std::wstring{L'G', L'r', static_cast<wchar_t>(0xFC), static_cast<wchar_t>(0xDF), L'e'}),
            r.message(1000)->text);
  EXPECT_EQ((std::wstring{static_cast<wchar_t>(0x65E5), static_cast<wchar_t>(0x672C), static_cast<wchar_t>(0x8A9E)}),
            r.message(1016)->text);
  EXPECT_EQ((std::wstring{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00), L' ', L'{', L'0', L'}', L'\n',
                          L'n', L'e', L'x', L't'}),
            r.message(1009)->text);
}

// A configuration and the one error it must give, with its position.
struct Fault {
  const char* toml;
  const char* error;  // "line:column: error: " followed by this text at the start of the message
};

void expectFaults(const std::vector<Fault>& faults) {
  for (const Fault& f : faults) {
    test::Checked r = check(f.toml);
    EXPECT_FALSE(r.ok) << f.toml;
    EXPECT_NE(std::string::npos, r.errors.find(f.error)) << "config:\n"
                                                         << f.toml << "\nexpected: " << f.error << "\ngot:\n"
                                                         << r.errors;
    EXPECT_EQ(1u, std::count(r.errors.begin(), r.errors.end(), '\n')) << f.toml << "\n" << r.errors;
  }
}

// One error a value, at its first offending character, naming the code
// page the file chose.
TEST(Encodings, AValueTheCodePageCannotCarryIsOneErrorNamingThatCodePage) {
  expectFaults({
      // Cyrillic fits code page 1251, but the service name is widened byte by
      // byte: only 15 characters of 1251 keep their number.
      {"[packer]\ncode-page = 1251\n[service]\nname = \"\xD0\xA1\xD0\xBB\xD1\x83\xD0\xB6\xD0\xB1\xD0\xB0\"\n",
       "4:9: error: service.name: U+0421 '\xD0\xA1' would reach the launcher as U+00D1 '\xC3\x91': it reads this "
       "setting byte by byte, so only ASCII and the characters that code page 1251 stores under their own number "
       "(15 of U+00A0 to U+00BB) arrive unchanged; 5 more characters of this value cannot be stored either"},
      {"[java]\napplication-id = \"a\xE6\x97\xA5\xE6\x9C\xAC\"\n",
       "2:20: error: java.application-id: U+65E5 '\xE6\x97\xA5' cannot be stored in code page 1252 (the code page of "
       "the machines that run the launcher goes in [packer] code-page); 1 more character of this value"},
  });
}

TEST(Checks, UnknownNamesWithSuggestions) {
  expectFaults({
      {"[service]\nnmae = \"x\"\n", "2:1: error: unknown setting \"service.nmae\" (did you mean \"name\"?)"},
      {"[servce]\nname = \"x\"\n", "1:2: error: unknown setting \"servce\" (did you mean \"service\"?)"},
      {"[service]\nmain-class = \"x\"\n", "(did you mean \"application.main-class\"?)"},
      {"[service]\nstart-type = \"auto\"\n",
       "2:1: error: unknown setting \"service.start-type\" (the start type "
       "/install gives follows launcher.kind"},
      {"[java]\n  minimum-version = \"1.8\"\n", "2:3: error: unknown setting \"java.minimum-version\""},
      {"[messages]\nerorr-caption = \"x\"\n",
       "2:1: error: unknown message \"messages.erorr-caption\" (did you mean "
       "\"error-caption\"?)"},
      {"[application]\nclass-path = [{ scan = 'lib' }, { archiv = 'a.jar' }]\n",
       "2:35: error: application.class-path: unknown field \"archiv\" (did you mean \"archive\"?)"},
      {"[launcher]\nkind = \"servce\"\n",
       "2:8: error: launcher.kind: unknown value \"servce\" (did you mean \"service\"?)"},
      {"[[files]]\nsource = 'a.jar'\nnmae = 'b.jar'\n",
       "3:1: error: files: unknown field \"nmae\" (did you mean "
       "\"name\"?)"},
      {"[packer]\ncodepage = 1250\n", "2:1: error: unknown setting \"packer.codepage\" (did you mean \"code-page\"?)"},
  });
}

TEST(Checks, WrongTypesAndIntegersOutOfRange) {
  expectFaults({
      {"[java]\nallow-prerelease = 1\n",
       "2:20: error: java.allow-prerelease: expected true or false, not an integer; write allow-prerelease = true"},
      {"[service]\nname = 5\n",
       "2:8: error: service.name: expected a string, not an integer; write it in quotes: name = \"5\""},
      // A fix for each wrong type: quotes added or taken away, an array
      // made, or an example of the setting.
      {"[java]\nmin-version = 11\n",
       "2:15: error: java.min-version: expected a string, not an integer; write it in quotes: min-version = \"11\""},
      {"[java]\nmax-version = 1.8\n", "write it in quotes: max-version = \"1.8\""},
      {"[java]\njdk-required = \"true\"\n", "write it without quotes: jdk-required = true"},
      {"[splash.line1]\ntext-value1 = \"5\"\n", "write it without quotes: text-value1 = 5"},
      {"[service]\ndependencies = \"Tcpip\"\n", "write it as an array: dependencies = [\"Tcpip\"]"},
      {"[java]\nsearch = true\n", "for example: search = [{ home = \"jre\", local = true }, { registry = true }]"},
      {"[packer]\ncode-page = \"1251\"\n", "write it without quotes: code-page = 1251"},
      {"service = \"x\"\n", "1:11: error: service: expected a table [service], not a string"},
      {"[application]\nclass-path = 'lib'\n", "2:14: error: application.class-path: expected an array of entries"},
      {"[application]\nclass-path = ['S0lib']\n",
       "2:15: error: application.class-path: expected a table such as { "
       "archive = ... }, not a string"},
      {"[launcher]\nkind = 4294967300\n", "2:8: error: launcher.kind: the integer 4294967300 is out of range"},
      {"[splash.line1]\ntext-value1 = -2147483649\n",
       "2:15: error: splash.line1.text-value1: the integer "
       "-2147483649 is out of range (-2147483648 to 2147483647)"},
      {"[service]\nstop-timeout = -1\n",
       "2:16: error: service.stop-timeout: the integer -1 is out of range (0 to 2147483647)"},
      {"[splash.line1]\ncolour = [0, 256, 0]\n", "2:14: error: splash.line1.colour: the integer 256 is out of range"},
      {"[splash.line1]\ncolour = '0,0,0'\n", "2:10: error: splash.line1.colour: expected [red, green, blue]"},
      {"[java]\nvm-options = 1.5\n", "2:14: error: java.vm-options: expected a string, not a floating-point number"},
      {"[packer]\ncode-page = 65001\n", "2:13: error: packer.code-page: expected one of the code pages 874, 1250"},
      {"[packer]\ncode-page = -4294966044\n", "2:13: error: packer.code-page: expected one of the code pages"},
      {"[[java.version-options]]\nmajor = [11, 9]\n",
       "2:9: error: java.version-options.major: the lowest major "
       "version comes first"},
      {"[[java.version-options]]\noptions = '-Xmx1g'\n", "1:1: error: java.version-options: a line needs major"},
  });
}

TEST(Checks, VersionsTheLaunchersGrammarWouldMisread) {
  expectFaults({
      {"[java]\nmin-version = \"17-ea\"\n", "2:15: error: java.min-version: \"17-ea\": expected a number at \"ea\""},
      {"[java]\nmax-version = \"1.8u201\"\n",
       "2:15: error: java.max-version: \"1.8u201\": the launcher reads only the "
       "digits of \"8u201\""},
      {"[java]\nmin-version = \"v17\"\n", "2:15: error: java.min-version: \"v17\": a version starts with a number"},
      {"[java]\nmin-version = \"1..8\"\n", "2:15: error: java.min-version: \"1..8\": expected a number at \".8\""},
      {"[java]\nmin-version = \"1.8.\"\n", "the version ends with a separator"},
      {"[java]\nmin-version = \"1.2147483648\"\n", "is larger than 2147483647"},
  });
  // The launcher reads components up to 2147483647.
  for (const char* good : {"1.8", "1.8.0_201", "11.0.2+9", "17", "9-1", "", "2147483647", "1.8.2147483647"}) {
    test::Checked r = check(std::string("[java]\nmin-version = \"") + good + "\"\n");
    EXPECT_TRUE(r.ok) << good << "\n" << r.errors;
  }
}

// A maximum below the minimum admits no runtime. The maximum counts only
// as many components as it has, so 1.8 above 1.8.0_201 is no contradiction.
TEST(Checks, VersionBoundsThatExcludeEveryVersion) {
  expectFaults({
      {"[java]\nmin-version = \"11\"\nmax-version = \"8\"\n",
       "3:1: error: java.max-version \"8\" is below java.min-version \"11\" (line 2): no Java version satisfies both"},
      {"[java]\nmax-version = \"1.8\"\nmin-version = \"1.9\"\n", "2:1: error: java.max-version \"1.8\" is below"},
      {"[keys]\n127 = \"1.7.0_80\"\n[java]\nmin-version = \"1.8\"\n",
       "2:1: error: keys.127 \"1.7.0_80\" is below java.min-version \"1.8\" (line 4)"},
  });
  for (const char* bounds :
       {"min-version = \"1.8.0_201\"\nmax-version = \"1.8\"", "min-version = \"17\"\nmax-version = \"17\"",
        "min-version = \"1.8\"\nmax-version = \"2147483647\""}) {
    test::Checked r = check(std::string("[java]\n") + bounds + "\n");
    EXPECT_TRUE(r.ok) << bounds << "\n" << r.errors;
  }
}

// The launcher splits these texts at blanks with quotes grouping; a quote
// that nothing closes would take the rest of the text as one argument.
TEST(Checks, UnclosedQuotesInArgumentTexts) {
  expectFaults({
      {"[java]\nvm-options = \"-Xmx1g -Dname='a b -Dx=1\"\n",
       "2:29: error: java.vm-options: this ' is never closed: the launcher would read the rest of the text"},
      {"[application]\narguments = '--title \"Orders'\n",
       "2:22: error: application.arguments: this \" is never closed"},
      {"[[java.version-options]]\nmajor = 17\noptions = \"-Da='x\"\n",
       "3:16: error: java.version-options.options: this ' is never closed"},
  });
  test::Checked r = check("[java]\nvm-options = \"-Dq=\\\"it's\\\" -Dp='say \\\"hi\\\"'\"\n");
  ASSERT_TRUE(r.ok) << r.errors;
  EXPECT_EQ("-Dq=\"it's\" -Dp='say \"hi\"'", r.entry(123));
}

// What the launcher cannot run without: a whole configuration names it, and
// a missing one is reported where it belongs, with what to write.
TEST(Checks, AWholeConfigurationNamesTheServiceAndTheMainClass) {
  struct Case {
    const char* toml;
    std::vector<std::string> errors;  // each at the start of a line, in order
  } cases[] = {
      {"",
       {"1:1: error: service.name is missing; the launcher needs it: add a section [service] with name = "
        "\"MyService\"",
        "1:1: error: application.main-class is missing; the launcher needs it: add a section [application] with "
        "main-class = \"com.example.Main\""}},
      {"[service]\nname = 'Svc'\n[application]\nclass-path = [{ scan = 'lib' }]\n",
       {"3:1: error: application.main-class is missing; the launcher needs it: add main-class = "
        "\"com.example.Main\" under [application] (in module mode"}},
      {"[application]\nmain-class = ''\n[service]\ndescription = 'Orders'\n",
       {"2:1: error: application.main-class: the value is empty; the launcher needs it: write main-class = ",
        "3:1: error: service.name is missing; the launcher needs it: add name = \"MyService\" under [service]"}},
      // A name that is given but refused says why, once.
      {"[service]\nname = ''\n[application]\nmain-class = 'a.Main'\n",
       {"2:8: error: service.name: \"\": the name is empty"}},
  };
  for (const Case& c : cases) {
    test::Checked r = test::checkWhole(c.toml);
    EXPECT_FALSE(r.ok) << c.toml;
    std::string expected;
    for (const std::string& e : c.errors) expected += e;
    std::string got;
    size_t line = 0;
    for (size_t start = 0; start < r.errors.size(); ++line) {
      const size_t end = r.errors.find('\n', start);
      if (line < c.errors.size()) got += r.errors.substr(start, c.errors[line].size());
      start = end == std::string::npos ? r.errors.size() : end + 1;
    }
    EXPECT_EQ(c.errors.size(), line) << c.toml << "\n" << r.errors;
    EXPECT_EQ(expected, got) << c.toml << "\n" << r.errors;
  }
  // Given as raw keys, they count as well.
  test::Checked raw = test::checkWhole("[keys]\n101 = 'Svc'\n122 = 'a.Main'\n");
  EXPECT_TRUE(raw.ok) << raw.errors;
}

TEST(Checks, EntriesTheLauncherWouldMisread) {
  expectFaults({
      {"[java]\nsearch = [{ home = 'jre', letter = 'Q' }]\n", "2:36: error: java.search: unknown search letter \"Q\""},
      {"[java]\nsearch = [{ home = 'jre;jdk' }]\n", "2:24: error: java.search: \";\" separates the entries"},
      {"[java]\nsearch = [{ home = 'j\xC3\xA9;jdk' }]\n", "2:23: error: java.search: \";\" separates the entries"},
      {"[java]\nsearch = [{ env = 'A=B' }]\n", "2:21: error: java.search: \"=\" separates the entries"},
      {"[java]\nsearch = [{ registry = false }]\n", "2:24: error: java.search: write registry = true"},
      {"[java]\nsearch = [{ home = 'jre', env = 'X' }]\n",
       "2:27: error: java.search: an entry has one of home, env, "
       "search-path or registry, not both \"home\" and \"env\""},
      {"[java]\nsearch = [{ env = 'X', local = true }]\n",
       "2:24: error: java.search: \"local\" and \"letter\" belong "
       "to a home entry"},
      {"[application]\nclass-path = [{ archive = 'a.jar;b.jar' }]\n",
       "2:33: error: application.class-path: \";\" "
       "separates the entries"},
      {"[application]\nclass-path = [{ scan = '' }]\n", "2:24: error: application.class-path: the name is empty"},
      {"[application]\nclass-path = [{ required = true }]\n",
       "2:15: error: application.class-path: an entry needs "
       "one of archive, directory, env or scan"},
      {"[launcher]\nnative-library-directories = ['bin;lib']\n",
       "2:35: error: launcher.native-library-directories: "
       "\";\" separates the entries"},
      {"[launcher]\nenvironment = ['A=1', 'JAVA_HOME']\n",
       "2:23: error: launcher.environment: \"JAVA_HOME\" has no \"=\": write NAME=value to set a variable, or NAME= "
       "to remove it"},
      {"[launcher]\nenvironment = ['JAVA_HOME = C:\\jre']\n",
       "2:16: error: launcher.environment: \"JAVA_HOME = C:\\jre\" has blanks around the name, which would become "
       "part of it: write NAME=value, without blanks before \"=\": 'JAVA_HOME=C:\\jre'"},
      {"[launcher]\nenvironment = ['=C:=C:\\x']\n", "2:16: error: launcher.environment: \"=C:=C:\\x\" has no name"},
      {"[launcher]\nenvironment = 'A=1'\n", "write it as an array: environment = [\"A=1\"]"},
  });
}

TEST(Checks, ServiceNamesAndDependenciesTheServiceControlManagerRefuses) {
  expectFaults({
      {"[service]\nname = 'Bestell/dienst'\n",
       "2:8: error: service.name: \"Bestell/dienst\": the Service Control "
       "Manager refuses \"/\" and \"\\\" in service names"},
      {"[service]\nname = 'a\\b'\n", "the Service Control Manager refuses"},
      {"[service]\nname = ''\n", "2:8: error: service.name: \"\": the name is empty"},
      {"[service]\nname = ' '\n", "2:8: error: service.name: \" \": the name is only blanks"},
      {"[service]\nname = ' Orders'\n", "2:8: error: service.name: \" Orders\": blanks at the start or end"},
      {"[service]\nname = 'Orders '\n", "2:8: error: service.name: \"Orders \": blanks at the start or end"},
      {("[service]\nname = '" + std::string(257, 'x') + "'\n").c_str(), "2:8: error: service.name: \"xxx"},
      {"[service]\ndependencies = ['Tcpip', ' Dnscache']\n",
       "2:26: error: service.dependencies: \" Dnscache\": "
       "blanks around a name"},
      {"[service]\ndependencies = ['Tcpip,Dnscache']\n", "\",\" separates the names of the list"},
  });
  // 6000 units or more: the launcher's own buffer, before the manager's limit.
  test::Checked r = check("[service]\nname = '" + std::string(6000, 'x') + "'\n");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(std::string::npos, r.errors.find("2:8: error: service.name: the launcher reads at most 5999 bytes"))
      << r.errors;
  r = check("[service]\nname = '" + std::string(256, 'x') + "'\n");
  EXPECT_TRUE(r.ok) << r.errors;
  r = check("[service]\nname = '" + std::string(257, 'x') + "'\n");
  EXPECT_NE(std::string::npos, r.errors.find("accepts at most 256 characters")) << r.errors;
}

// The settings of /install beyond the Parts: account kinds, display name,
// delays and recovery actions are checked where the launcher would refuse
// them or the system would misread them.
TEST(Checks, ServiceAccountsDisplayNamesAndRecoverySettings) {
  for (const char* kind : {"local-system", "local-service", "network-service", "virtual"}) {
    test::Checked r = check(std::string("[service]\naccount = '") + kind + "'\n");
    ASSERT_TRUE(r.ok) << kind << r.errors;
    EXPECT_EQ(kind, r.entry(key::kServiceAccount));
  }
  for (const char* named : {"CORP\\svc-orders", ".\\orders", "corp.example\\orders"}) {
    test::Checked r = check(std::string("[service]\naccount = '") + named + "'\n");
    ASSERT_TRUE(r.ok) << named << r.errors;
    EXPECT_EQ(named, r.entry(key::kServiceAccount));
  }
  expectFaults({
      {"[service]\naccount = 'localsystem'\n", "2:11: error: service.account: \"localsystem\": unknown account kind"},
      {"[service]\naccount = 'orders@corp.example'\n", "write a named account as DOMAIN\\user"},
      {"[service]\naccount = 'CORP\\'\n", "2:11: error: service.account: \"CORP\\\": the user name after"},
      {"[service]\naccount = '\\orders'\n", "the domain before \"\\\" is empty"},
      {"[service]\naccount = 'a\\b\\c'\n", "a named account has one"},
      {"[service]\naccount = 'NT AUTHORITY\\LocalService'\n", "write \"local-service\" or \"network-service\""},
      {"[service]\naccount = 'nt service\\Orders'\n", "write \"virtual\""},
      {"[service]\naccount = 'CORP\\or*ders'\n", "account and domain names cannot hold"},
      {"[service]\naccount = 3\n", "2:11: error: service.account: expected a string, not an integer"},
      {"[service]\ndelayed-start = 'yes'\n", "2:17: error: service.delayed-start: expected true or false, not a string"},
      {("[service]\ndisplay-name = '" + std::string(257, 'd') + "'\n").c_str(),
       "2:16: error: service.display-name: the launcher reads at most 256 bytes"},
      {"[service.recovery]\nfirst-failure = 'reboot'\n",
       "2:17: error: service.recovery.first-failure: unknown value \"reboot\"; expected one of \"none\", \"restart\""},
      {"[service.recovery]\nfirst-failure-delay = -1\n",
       "2:23: error: service.recovery.first-failure-delay: the integer -1 is out of range (0 to 4294967)"},
      {"[service.recovery]\nlater-failures-delay = 4294968\n", "out of range (0 to 4294967)"},
      {"[service.recovery]\nreset-after = -86400\n",
       "2:15: error: service.recovery.reset-after: the integer -86400 is out of range (0 to 2147483647)"},
      {"[service.recovery]\nsecond-failure-delay = '60'\n", "expected an integer, not a string"},
      {"[service.recovery]\nrestart = true\n", "unknown setting \"service.recovery.restart\""},
      // Settings without effect.
      {"[service.recovery]\nfirst-failure = 'none'\nfirst-failure-delay = 10\n",
       "3:1: error: service.recovery.first-failure-delay: has no effect: service.recovery.first-failure is not "
       "\"restart\""},
      {"[service.recovery]\nfirst-failure = 'restart'\nsecond-failure-delay = 10\n",
       "3:1: error: service.recovery.second-failure-delay: has no effect: service.recovery.second-failure is not"},
      {"[service.recovery]\nreset-after = 60\n",
       "2:1: error: service.recovery.reset-after: has no effect without a recovery action"},
      {"[service.recovery]\ncount-error-exits = true\n",
       "2:1: error: service.recovery.count-error-exits: has no effect without a recovery action"},
  });
  test::Checked r = check(
      "[service]\naccount = 'virtual'\ndisplay-name = 'Orders (Zvt)'\ndelayed-start = true\n[service.recovery]\n"
      "first-failure = 'restart'\nfirst-failure-delay = 0\nsecond-failure = 'restart'\nsecond-failure-delay = 120\n"
      "later-failures = 'none'\nreset-after = 3600\ncount-error-exits = false\n");
  ASSERT_TRUE(r.ok) << r.errors;
  EXPECT_EQ("Orders (Zvt)", r.entry(key::kServiceDisplayName));
  EXPECT_EQ("1", r.entry(key::kServiceDelayedStart));
  EXPECT_EQ("restart", r.entry(key::kRecoveryFirstFailure));
  EXPECT_EQ("0", r.entry(key::kRecoveryFirstFailureDelay));
  EXPECT_EQ("120", r.entry(key::kRecoverySecondFailureDelay));
  EXPECT_EQ("none", r.entry(key::kRecoveryLaterFailures));
  EXPECT_EQ("3600", r.entry(key::kRecoveryResetAfter));
  EXPECT_EQ("0", r.entry(key::kRecoveryCountErrorExits));
}

TEST(Checks, TextsTheBlockCannotHold) {
  expectFaults({
      // A "\n" escape in a basic string: the position of the escape itself.
      {"[launcher]\nworking-directory = \"C:\\new\"\n",
       "2:24: error: launcher.working-directory: line feed in a "
       "value"},
      // Not in code page 1252: the position of the character.
      {"[java]\napplication-id = \"ab\xE6\x97\xA5\"\n",
       "2:21: error: java.application-id: U+65E5 '\xE6\x97\xA5' "
       "cannot be stored in code page 1252"},
      // In 1252, but read byte by byte: 0x80 would arrive as U+0080.
      {"[application]\nmain-class = \"com.\xE2\x82\xAC.Main\"\n",
       "2:19: error: application.main-class: U+20AC "
       "'\xE2\x82\xAC' would reach the launcher as "
       "control character U+0080"},
      {"[java]\nvm-type = '"
       "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
       "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
       "'\n",
       "2:11: error: java.vm-type: the launcher reads at most 199 bytes of this setting; the value has 200"},
      {"[messages]\nerror-caption = \"a\\u0000b\"\n",
       "2:19: error: messages.error-caption: a NUL character would end "
       "the message"},
      {"[messages]\nerror-caption = { utf16 = [65, 0] }\n", "2:32: error: messages.error-caption: a NUL unit"},
  });
  std::string longMessage = "[messages]\ninternal-error = '" + std::string(6000, 'm') + "'\n";
  test::Checked r = check(longMessage);
  EXPECT_NE(std::string::npos, r.errors.find("2:18: error: messages.internal-error: the launcher shows at most 5999"))
      << r.errors;
}

TEST(Checks, InvalidUtf8AndSyntaxAreRefusedWithTheirPosition) {
  // The reader refuses invalid UTF-8 anywhere, even in a comment.
  test::Checked r = check("[service]\n# caf\xE9\nname = \"x\"\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(0u, r.errors.find("2:6: error: ")) << r.errors;
  r = check("[service]\nname = \"\xC3\x28\"\n");
  EXPECT_EQ(0u, r.errors.find("2:9: error: ")) << r.errors;
  r = check("[service]\nname = \"x\"\nname = \"y\"\n");
  EXPECT_EQ(0u, r.errors.find("3:")) << r.errors;
  // Beyond ASCII outside strings and comments: refused before the TOML
  // library sees it (its white-space table fails on such characters).
  r = check("[service]\nn\xC3\xA4me = \"x\"\n");
  EXPECT_EQ(0u, r.errors.find("2:2: error: a character beyond ASCII outside a string")) << r.errors;
  r = check("[dienst-\xC3\x84]\n");
  EXPECT_EQ(0u, r.errors.find("1:9: error: a character beyond ASCII")) << r.errors;
  r = check("[java]\nvm-options = '''-Xmx1g''''  \xC3\xA4\n");
  EXPECT_EQ(0u, r.errors.find("2:29: error: a character beyond ASCII")) << r.errors;
  // A table header that starts a comment: the library's own error, where its
  // debug build used to abort on an assertion.
  r = check("[service]\n[# the name\n");
  EXPECT_EQ(0u, r.errors.find("2:2: error: ")) << r.errors;
  // Where the TOML library asks whether a character beyond ASCII is white
  // space: a value glued to a string, and the continuation line of a
  // multi-line string (its shipped test reached an unreachable point).
  r = check("[service]\nname = 0\"Bestelldienst-\xC3\x84\xC3\xB6\"\n");
  EXPECT_EQ(0u, r.errors.find("2:9: error: ")) << r.errors;
  r = check("[java]\nvm-options = \"\"\"-Xmx1g \\\n\xC3\xA4\"\"\"\n");
  ASSERT_TRUE(r.ok) << r.errors;
  EXPECT_EQ("-Xmx1g \xE4", r.entry(123));
  // In strings, multi-line strings, quoted keys and comments it is text.
  r = check(
      "# gr\xC3\xBC\xC3\x9F"
      "e\n[service]\nname = 'S\xC3\xA4'  # \xC3\xA4\ndescription = \"\"\"\n\xC3\xA4\\\"\"\"\"\n"
      "[localized.de]\n\"error-caption\" = \"F\xC3\xA4\"\n");
  EXPECT_TRUE(r.ok) << r.errors;
}

// The TOML reader's faults come with what to write instead.
TEST(Checks, SyntaxErrorsSayWhatToWrite) {
  struct Case {
    const char* toml;
    const char* error;  // the whole message
  } cases[] = {
      {"[service]\nname = MyService\n", "2:8: error: text goes in quotes: write name = \"MyService\""},
      {"[java]\nmin-version = 1.8.0\n", "2:18: error: text goes in quotes: write min-version = \"1.8.0\""},
      {"[logs]\nerror-file = \"C:\\logs\\error.log\"\n",
       "2:18: error: in a \"...\" string a backslash starts an escape (\\n, \\t, \\\", \\\\, \\u00E4); write a Windows "
       "path in single quotes, error-file = 'C:\\logs\\error.log', or double each backslash"},
      {"[service]\nname = \"Orders\n",
       "2:15: error: the string is not closed on its line: end it with \" (text over several lines goes between "
       "\"\"\" and \"\"\")"},
      {"[service]\nname = 'It's'\n",
       "2:12: error: a '...' string ends at its second ': write text that holds a ' in double quotes, name = "
       "\"It's\""},
      {"[service\nname = 'x'\n", "1:9: error: the section header is not closed: write [service]"},
      {"[service]\nname 'x'\n", "2:6: error: a setting is written name = value: write name = 'x'"},
      {"[application]\nmain class = 'a.Main'\n",
       "2:6: error: names have no blanks: write main-class (names use \"-\"; \"zvtpack keys\" lists them)"},
      {"[service]\nname = 'a'\nname = 'b'\n",
       "3:8: error: \"name\" is already set in this section: keep one of the two"},
      {"[service]\nname = 'a'\n[service]\n",
       "3:1: error: [service] is defined twice (a [section] once, and not also through dotted names): put all its "
       "settings under the first"},
      {"[application]\nclass-path = [{ scan = 'lib', }]\n",
       "2:31: error: remove the comma before }: an inline table { ... } takes no comma after its last entry"},
      {"[java]\nsearch = [\n  { home = 'jre',\n    local = true },\n]\n",
       "3:18: error: an inline table { ... } stays on one line: write it on one line, or as a table of its own "
       "([section] or [[section]]) with one setting a line"},
      {"[java]\nallow-prerelease = yes\n", "2:20: error: text goes in quotes: write allow-prerelease = \"yes\""},
      {"[service]\nname =\n", "2:7: error: the value after = is missing: write name = \"...\", or leave the line out"},
  };
  for (const Case& c : cases) {
    test::Checked r = check(c.toml);
    EXPECT_FALSE(r.ok) << c.toml;
    EXPECT_EQ(std::string(c.error) + "\n", r.errors) << c.toml;
  }
}

TEST(Checks, IncludedFilesAndTheirNames) {
  expectFaults({
      {"[[files]]\nsource = 'missing.jar'\n", "2:10: error: files.source: no such file: missing.jar"},
      {"[[files]]\nsource = 'libdir'\n", "2:10: error: files.source: libdir is a directory"},
      {"[[files]]\nsource = 'a.txt'\nname = '..\\evil.txt'\n",
       "3:8: error: files.name: the launcher refuses \"..\\evil.txt\": parent directory reference"},
      {"[[files]]\nsource = 'a.txt'\nname = 'C:\\x'\n",
       "3:8: error: files.name: the launcher refuses \"C:\\x\": drive"},
      {"[[files]]\nsource = 'a.txt'\nname = 'nul'\n", "reserved device name"},
      // Superscript one: 0xB9 in code page 1252, which Windows reads as COM1.
      {"[[files]]\nsource = 'a.txt'\nname = 'lib\\COM\xC2\xB9.jar'\n",
       "3:8: error: files.name: the launcher refuses "
       "\"lib\\COM\xC2\xB9.jar\": reserved device name"},
      {"[[files]]\nsource = 'a.txt'\nname = 'lib\\sub\\a.jar'\n", "more than one directory level"},
      {"[[files]]\nsource = 'a.txt'\nname = 'a.jar '\n",
       "3:8: error: files.name: the launcher refuses \"a.jar \": "
       "blank or dot at the end"},
      {"[[files]]\nsource = 'a.txt'\nname = 'a;b.jar'\n", "3:8: error: files.name: \";\" separates the names"},
      {"[[files]]\nsource = 'a.jar'\n[[files]]\nsource = 'other/A.JAR'\n",
       "4:10: error: files.name: \"A.JAR\" is already included at line 2"},
      {"[[files]]\nname = 'a.jar'\n", "1:1: error: files: an included file needs source"},
      {"[keys]\n2002 = '1'\n", "2:1: error: keys.2002: the packer writes key 2002 itself"},
  });
  test::Checked r =
      check("[[files]]\nsource = 'build/app.jar'\n[[files]]\nsource = 'x.dll'\nname = 'lib/native x.dll'\n");
  ASSERT_TRUE(r.ok) << r.errors;
  EXPECT_EQ("2", r.entry(2002));
  EXPECT_EQ("app.jar;lib/native x.dll", r.entry(2003));
  ASSERT_EQ(2u, r.plan.files.size());
  EXPECT_EQ("build/app.jar", r.plan.files[0].source);
}

TEST(Checks, LocaleCodesTheDetectionNeverGives) {
  expectFaults({
      {"[localized.de-AT]\nerror-caption = 'x'\n",
       "1:12: error: localized.de-AT: the launcher's locale detection "
       "never gives \"de-AT\" (did you mean \"de_AT\"?)"},
      {"[localized.DE]\nerror-caption = 'x'\n", "(did you mean \"de\"?)"},
      {"[localized.de_at]\nerror-caption = 'x'\n", "(did you mean \"de_AT\"?)"},
      {"[localized.xx]\nerror-caption = 'x'\n", "never gives \"xx\""},
  });
}

TEST(Checks, ASettingIsStoredOnce) {
  expectFaults({
      {"[service]\nname = 'a'\n[keys]\n101 = 'b'\n",
       "4:1: error: keys.101: key 101 is also set by service.name at "
       "line 2"},
      {"[service]\ndescription = 'a'\n[messages]\nservice-description = 'b'\n",
       "4:1: error: messages.service-description: message 20017 is also set by service.description at line 2"},
      {"[messages]\n1000 = 'a'\nerror-caption = 'b'\n",
       "3:1: error: messages.error-caption: message 1000 is also "
       "set by messages.1000"},
      {"[keys]\n0101 = 'x'\n", "2:1: error: keys.0101: raw keys are decimal key ids"},
  });
  // Raw keys: text through the code page, or bytes as they are.
  test::Checked r = check("[keys]\n150 = 'caf\xC3\xA9'\n4294967295 = { bytes = [0x43, 0x81, 0] }\n");
  ASSERT_TRUE(r.ok) << r.errors;
  EXPECT_EQ("caf\xE9", r.entry(150));
  EXPECT_EQ(std::string("C\x81\0", 3), r.entry(4294967295u));
}

TEST(Checks, EveryFaultOfAFileIsReportedInFileOrder) {
  test::Checked r = check("[java]\nmin-version = 'x'\n[service]\nname = 'a/b'\nnmae = 'c'\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(3u, std::count(r.errors.begin(), r.errors.end(), '\n')) << r.errors;
  EXPECT_EQ(0u, r.errors.find("2:15:")) << r.errors;
  EXPECT_NE(std::string::npos, r.errors.find("\n4:8:")) << r.errors;
  EXPECT_NE(std::string::npos, r.errors.find("\n5:1:")) << r.errors;
}

}  // namespace
}  // namespace zvt
