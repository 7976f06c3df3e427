// "show": a packed block printed by name, exactly, so that packing the
// printed configuration gives the same block byte for byte.
#include <gtest/gtest.h>

#include "pack.h"
#include "show.h"
#include "starter.h"
#include "support/test_image.h"
#include "zvtpack_support.h"

namespace zvt {
namespace {

std::vector<uint8_t> packed(const block::Content& content) {
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_TRUE(pack::packImage(test::makeImage(2), content, out, error)) << error;
  return out;
}

// show, then pack what it printed; the printed text and notes for messages.
struct Shown {
  pack::ShowResult result;
  test::Checked again;
};

Shown showAndCheck(const block::Content& content, const std::vector<std::string>& names = {},
                   const pack::ShowOptions& options = {}) {
  Shown s;
  s.result = pack::showBlock(content, names, options);
  s.again = test::check(s.result.text);
  return s;
}

TEST(Show, StarterConfigurationsRoundTripByteForByte) {
  for (pack::Flavour flavour : {pack::Flavour::Zentrovia, pack::Flavour::Quarn}) {
    test::Checked first = test::checkWhole(pack::starterConfiguration(flavour));
    ASSERT_TRUE(first.ok) << first.errors;
    std::vector<uint8_t> image = packed(first.plan.content);

    block::Content back;
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(pack::readPackedBlock(image, back, names, error)) << error;
    Shown s = showAndCheck(back, names);
    EXPECT_TRUE(s.result.notes.empty()) << s.result.notes[0];
    ASSERT_TRUE(s.again.ok) << s.again.errors << s.result.text;
    EXPECT_EQ(image, packed(s.again.plan.content)) << s.result.text;
    // By name, not by number.
    EXPECT_NE(std::string::npos, s.result.text.find("[service]\nname = \"MyService\"\n")) << s.result.text;
    EXPECT_NE(std::string::npos, s.result.text.find("  { scan = \"lib\" },\n")) << s.result.text;
    EXPECT_EQ(std::string::npos, s.result.text.find("[keys]")) << s.result.text;
  }
}

// Values a hand-made or older block may hold that have no named form: they
// are printed raw, and packing the printed file reproduces them.
TEST(Show, ValuesWithoutANamedFormArePrintedRawAndPackTheSame) {
  block::Content c;
  c.entries = {
      {101, "Bestelldienst-\xC4\xF6"},   // named: Latin-1 letters widen unchanged
      {102, "2"},                        // a flag stored as 2
      {107, "x4"},                       // the launcher reads 0
      {108, " 1"},                       // the launcher reads 1
      {121, "S0lib;;A1app.jar"},         // an empty entry
      {128, "B.\\jre;R.\\.\\openJDK;"},  // a trailing separator
      {149, ",Tcpip,,Dnscache,"},        // what older descriptions wrote
      {150, "caf\x81"},                  // unknown key, byte undefined in 1252
      {160, "ok\x80"},                   // euro sign: fine for a narrow key
      {10114, "0,0"},                    // two colour parts
      {10200, "1"},
      {10201, "abc"},  // a condition that never matches
      {10202, "-Xmx1g"},
  };
  c.messages = {{1000, L"Fehler"}, {1009, std::wstring{L'a', static_cast<wchar_t>(0xD800), L'b'}}};
  c.sets = {{"", {{1000, L"All"}}}, {"de", {{1010, L"Hauptklasse?"}}}};
  Shown s = showAndCheck(c);
  EXPECT_TRUE(s.result.notes.empty()) << s.result.notes[0];
  ASSERT_TRUE(s.again.ok) << s.again.errors << s.result.text;
  EXPECT_EQ(block::write(c), block::write(s.again.plan.content)) << s.result.text;
  const std::string& t = s.result.text;
  for (const char* line :
       {"name = \"Bestelldienst-\xC3\x84\xC3\xB6\"\n", "102 = \"2\"\n", "107 = \"x4\"\n", "108 = \" 1\"\n",
        "121 = \"S0lib;;A1app.jar\"\n", "149 = \",Tcpip,,Dnscache,\"\n", "150 = { bytes = [99, 97, 102, 129] }\n",
        "application-id = \"ok\xE2\x82\xAC\"\n", "condition = \"abc\"\n", "shipped-texts = false\n",
        "internal-error = { utf16 = [97, 55296, 98] }\n",
        "[localized.\"\"]\nerror-caption = "
        "\"All\"\n"}) {
    EXPECT_NE(std::string::npos, t.find(line)) << line << "\nin:\n" << t;
  }
  // The search sequence with its trailing ";" cannot be named exactly: raw.
  EXPECT_NE(std::string::npos, t.find("128 = '")) << t;
}

// Every setting of /install beyond the Parts comes back by name, and packing
// what show prints gives the same block; stored values the packer would
// refuse (a negative delay, an unknown account kind) come back raw.
TEST(Show, ServiceAccountAndRecoverySettingsRoundTrip) {
  const std::string file =
      "[service]\nname = \"Orders\"\naccount = \"CORP\\\\svc-orders\"\ndisplay-name = \"Orders (Zvt)\"\n"
      "delayed-start = true\n\n[service.recovery]\nfirst-failure = \"restart\"\nfirst-failure-delay = 30\n"
      "second-failure = \"restart\"\nsecond-failure-delay = 4294967\nlater-failures = \"restart\"\n"
      "later-failures-delay = 0\nreset-after = 2147483647\ncount-error-exits = false\n";
  test::Checked first = test::check(file);
  ASSERT_TRUE(first.ok) << first.errors;
  Shown s = showAndCheck(first.plan.content);
  ASSERT_TRUE(s.again.ok) << s.again.errors << s.result.text;
  EXPECT_EQ(block::write(first.plan.content), block::write(s.again.plan.content)) << s.result.text;
  for (const char* line : {"account = 'CORP\\svc-orders'\n", "display-name = \"Orders (Zvt)\"\n",
                           "delayed-start = true\n", "[service.recovery]\n", "first-failure = \"restart\"\n",
                           "second-failure-delay = 4294967\n", "reset-after = 2147483647\n",
                           "count-error-exits = false\n"}) {
    EXPECT_NE(std::string::npos, s.result.text.find(line)) << line << "\nin:\n" << s.result.text;
  }
  block::Content raw;
  raw.entries = {{30101, "LocalSystem"}, {30105, "-5"}, {30110, "1e3"}};
  raw.messages = {{1000, L"Error"}};
  Shown r = showAndCheck(raw);
  ASSERT_TRUE(r.again.ok) << r.again.errors << r.result.text;
  EXPECT_EQ(block::write(raw), block::write(r.again.plan.content)) << r.result.text;
  for (const char* line : {"30101 = \"LocalSystem\"\n", "30105 = \"-5\"\n", "30110 = \"1e3\"\n"}) {
    EXPECT_NE(std::string::npos, r.result.text.find(line)) << line << "\nin:\n" << r.result.text;
  }
}

// The environment list comes back as its entries, one string each; a stored
// list with an entry the packer refuses (an empty line, a line without "=")
// comes back raw. Both pack to the same block.
TEST(Show, EnvironmentEntriesRoundTrip) {
  block::Content c;
  c.entries = {{30321, "APP=${launcher:sys.launcherDirectory}\nPATH=${PATH};C:\\x\nJAVA_TOOL_OPTIONS="}};
  c.messages = {{1000, L"Error"}};
  Shown s = showAndCheck(c);
  ASSERT_TRUE(s.again.ok) << s.again.errors << s.result.text;
  EXPECT_EQ(block::write(c), block::write(s.again.plan.content)) << s.result.text;
  EXPECT_NE(std::string::npos,
            s.result.text.find("environment = [\"APP=${launcher:sys.launcherDirectory}\", 'PATH=${PATH};C:\\x', "
                               "\"JAVA_TOOL_OPTIONS=\"]\n"))
      << s.result.text;

  c.entries = {{30321, "A=1\n\nB"}};
  Shown raw = showAndCheck(c);
  ASSERT_TRUE(raw.again.ok) << raw.again.errors << raw.result.text;
  EXPECT_EQ(block::write(c), block::write(raw.again.plan.content)) << raw.result.text;
  EXPECT_NE(std::string::npos, raw.result.text.find("30321 = ")) << raw.result.text;
}

// What the block holds, not what was meant: a value that an escape turned
// into a line feed and a tab shows as those bytes.
TEST(Show, PrintsExactlyWhatTheBlockHolds) {
  block::Content c;
  c.entries = {{146, "C:\new\temp"}, {101, "Svc\x80"}};
  c.messages = {{1000, L"Error"}};
  Shown s = showAndCheck(c);
  const std::string& t = s.result.text;
  EXPECT_NE(std::string::npos, t.find("146 = { bytes = [67, 58, 10, 101, 119, 9, 101, 109, 112] }")) << t;
  // 0x80 is the euro sign in 1252, but the service name is widened byte by
  // byte: the launcher sees U+0080, so it is not printed as a euro sign.
  EXPECT_NE(std::string::npos, t.find("101 = { bytes = [83, 118, 99, 128] }")) << t;
  EXPECT_EQ(std::string::npos, t.find("working-directory")) << t;
}

TEST(Show, ShippedMessagesAreLeftOutAndOverridesNamed) {
  test::Checked configured = test::check(
      "[messages]\nno-jvm-found = \"Install Java 17.\"\n[service]\ndescription = "
      "'Orders'\n[localized.de]\nservice-description = 'Bestellungen'\n");
  ASSERT_TRUE(configured.ok) << configured.errors;
  Shown s = showAndCheck(configured.plan.content);
  EXPECT_EQ(
      "# Configuration block shown by zvtpack; \"zvtpack pack\" packs it again.\n\n"
      "[service]\ndescription = \"Orders\"\n\n"
      "[messages]\nno-jvm-found = \"Install Java 17.\"\n\n"
      "[localized.de]\nservice-description = \"Bestellungen\"\n",
      s.result.text);
  EXPECT_EQ(block::write(configured.plan.content), block::write(s.again.plan.content));
}

// Message texts in any language are printed as UTF-8 and pack back to the
// same UTF-16.
TEST(Show, MessagesInAnyLanguageComeBackUnchanged) {
  const std::string config =
      "[messages]\nerror-caption = \"Gr\xC3\xBC\xC3\x9F"
      "e \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x98\x80\"\n"
      "internal-error = \"Fehler {0}\\nZeile zwei\"\n"
      "[localized.ja]\nno-jvm-found = \"Java "
      "\xE3\x81\x8C\xE3\x81\x82\xE3\x82\x8A\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93\"\n";
  test::Checked first = test::check(config);
  ASSERT_TRUE(first.ok) << first.errors;
  Shown s = showAndCheck(first.plan.content);
  EXPECT_TRUE(s.result.notes.empty());
  EXPECT_NE(std::string::npos, s.result.text.find("error-caption = \"Gr\xC3\xBC\xC3\x9F"
                                                  "e \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E "
                                                  "\xF0\x9F\x98\x80\"\n"))
      << s.result.text;
  EXPECT_NE(std::string::npos, s.result.text.find("internal-error = \"Fehler {0}\\nZeile zwei\"\n")) << s.result.text;
  EXPECT_NE(std::string::npos, s.result.text.find("[localized.ja]\nno-jvm-found = \"Java \xE3\x81\x8C"))
      << s.result.text;
  ASSERT_TRUE(s.again.ok) << s.again.errors;
  EXPECT_EQ(block::write(first.plan.content), block::write(s.again.plan.content));
}

TEST(Show, NotesWhatPackingThePrintedFileWouldChange) {
  block::Content c;
  c.entries = {{107, "1"}, {101, "A"}, {101, "B"}};
  c.sets = {{"de_AT", {}}, {"de", {}}, {"de-AT", {}}};
  pack::ShowResult r = pack::showBlock(c, {}, {});
  std::string all;
  for (const std::string& n : r.notes) all += n + "\n";
  EXPECT_NE(std::string::npos, all.find("key 101 is stored more than once")) << all;
  EXPECT_NE(std::string::npos, all.find("not stored in id order")) << all;
  EXPECT_NE(std::string::npos, all.find("localized sets are not stored in the order")) << all;
  EXPECT_NE(std::string::npos, all.find("\"de-AT\" can never match")) << all;
  // The last value is the one the launcher uses, and the one shown.
  EXPECT_NE(std::string::npos, r.text.find("name = \"B\"")) << r.text;
}

// The launcher reads integers as 32-bit: both ends of that range are
// printed by name and pack back to the same text.
TEST(Show, IntegersAtTheEndsOfTheirRangeAreNamed) {
  block::Content c;
  c.entries = {{10109, "-2147483648"}, {10110, "2147483647"}};
  Shown s = showAndCheck(c);
  EXPECT_NE(std::string::npos,
            s.result.text.find("[splash.line1]\ntext-value1 = -2147483648\ntext-value2 = 2147483647\n"))
      << s.result.text;
  EXPECT_EQ(std::string::npos, s.result.text.find("[keys]")) << s.result.text;
  ASSERT_TRUE(s.again.ok) << s.again.errors;
  EXPECT_EQ(block::write(c), block::write(s.again.plan.content));
}

TEST(Show, OtherCodePagesArePrintedAndKept) {
  block::Content c;
  c.entries = {{160, "\xA3\xF3\x64\x9F"}};
  pack::ShowOptions options;
  options.codePage = 1250;
  Shown s = showAndCheck(c, {}, options);
  EXPECT_NE(std::string::npos, s.result.text.find("application-id = \"\xC5\x81\xC3\xB3\x64\xC5\xBA\""))
      << s.result.text;
  EXPECT_NE(std::string::npos, s.result.text.find("[packer]\ncode-page = 1250\n")) << s.result.text;
  ASSERT_TRUE(s.again.ok) << s.again.errors;
  EXPECT_EQ(c.entries[0].value, s.again.entry(160));
}

}  // namespace
}  // namespace zvt
