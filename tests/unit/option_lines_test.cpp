// The option-line grammar, the word joining of configured options, and the
// lines of an options file as a text stream delivers them.
#include "jvm/launch/option_lines.h"

#include <gtest/gtest.h>

#include "jvm/launch/options_file_lines.h"
#include "vm_option_fakes.h"

namespace zvt {
namespace {

TEST(OptionLineGrammar, PrefixesAreExactWithTheirBlank) {
  struct Row {
    const char* line;
    OptionLineKind kind;
    size_t rest;
  } rows[] = {
      {"-include-options more.vmoptions", OptionLineKind::Include, 17},
      {"-classpath C:\\a.jar", OptionLineKind::ClassPathReplacement, 11},
      {"-classpath/p C:\\p.jar", OptionLineKind::ClassPathPrefix, 13},
      {"-classpath/a C:\\a.jar", OptionLineKind::ClassPathSuffix, 13},
      {"-classpath", OptionLineKind::Option, 0},
      {"-classpath/a", OptionLineKind::Option, 0},
      {"-include-options", OptionLineKind::Option, 0},
      {"-Classpath x", OptionLineKind::Option, 0},
      {"-classpath\tx", OptionLineKind::Option, 0},
      {" -classpath x", OptionLineKind::Option, 0},
      {"-classpath/x y", OptionLineKind::Option, 0},
      {"-Xmx512m", OptionLineKind::Option, 0},
      {"", OptionLineKind::Option, 0},
  };
  for (const Row& r : rows) {
    ClassifiedLine c = classifyOptionLine(r.line);
    EXPECT_EQ(r.kind, c.kind) << r.line;
    EXPECT_EQ(r.rest, c.restOffset) << r.line;
  }
}

TEST(OptionLineGrammar, PendingClassPathKeepsTheLastOfEachKind) {
  PendingClassPath pending;
  auto take = [&](const std::string& text) {
    OptionLine line{text, widenBytes(text)};
    return takeClassPathLine(line, classifyOptionLine(text), pending);
  };
  EXPECT_TRUE(take("-classpath first"));
  EXPECT_TRUE(take("-classpath second"));
  EXPECT_TRUE(take("-classpath/p pre"));
  EXPECT_TRUE(take("-classpath/a "));
  EXPECT_FALSE(take("-Xmx1g"));
  EXPECT_FALSE(take("-include-options x"));
  EXPECT_EQ("second", pending.replacement.value_or("<none>"));
  EXPECT_EQ("pre", pending.prefix.value_or("<none>"));
  // An empty value is a value (it still overrides), not "no value".
  ASSERT_TRUE(pending.suffix.has_value());
  EXPECT_EQ("", *pending.suffix);
}

TEST(OptionLineGrammar, IncludeWordJoinsOnlyWithAFollowingWord) {
  using V = std::vector<std::wstring>;
  EXPECT_EQ((V{L"-Xmx1g", L"-include-options a b.txt", L"-Dx=1"}),
            joinIncludeWords({L"-Xmx1g", L"-include-options", L"a b.txt", L"-Dx=1"}));
  EXPECT_EQ((V{L"-include-options -include-options", L"x"}),
            joinIncludeWords({L"-include-options", L"-include-options", L"x"}));
  EXPECT_EQ((V{L"-a", L"-include-options"}), joinIncludeWords({L"-a", L"-include-options"}));
  EXPECT_EQ(V{}, joinIncludeWords({}));
}

std::vector<std::string> linesOf(const std::string& bytes, size_t step = 5) {
  test::StringSource source(bytes, step);
  OptionFileLineReader reader(source);
  std::vector<std::string> out;
  std::string line;
  for (LineRead r; (r = reader.next(line)) != LineRead::End;) {
    out.push_back(r == LineRead::TooLong ? "<too long " + std::to_string(reader.lineNumber()) + ">" : line);
  }
  return out;
}

TEST(OptionsFileLines, TextStreamLines) {
  using V = std::vector<std::string>;
  EXPECT_EQ((V{"a\r", "b", "", "c"}), linesOf("a\r\nb\n\nc"));
  EXPECT_EQ((V{"a", "b"}), linesOf("a\nb\n"));
  EXPECT_EQ(V{}, linesOf(""));
  // Ctrl-Z ends a text stream, also in the middle of a line.
  EXPECT_EQ((V{"a", "b"}), linesOf("a\nb\x1A"
                                   "c\nd\n"));
  EXPECT_EQ((V{"a"}), linesOf("a\n\x1A\n"));
  // An embedded NUL ends the line's text; the next line is intact.
  EXPECT_EQ((V{"ab", "next"}), linesOf(std::string("ab\0cd\nnext\n", 11)));
  // A byte order mark is not part of the first line, and only there.
  EXPECT_EQ((V{"-Xmx1g", "\xEF\xBB\xBFx"}), linesOf("\xEF\xBB\xBF-Xmx1g\n\xEF\xBB\xBFx\n", 1));
  EXPECT_EQ(V{}, linesOf("\xEF\xBB\xBF"));
  EXPECT_EQ((V{"\xEF\xBB"}), linesOf("\xEF\xBB"));
}

TEST(OptionsFileLines, LongLinesStayWholeAndOverlongOnesAreSkippedAlone) {
  const std::string long40k = "-Dlong=" + std::string(40000 - 7, 'x');
  std::vector<std::string> lines = linesOf(long40k + "\r\n-Xmx512m\n", 4096);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(long40k + "\r", lines[0]);
  EXPECT_EQ("-Xmx512m", lines[1]);

  const std::string atLimit(kMaxOptionLineBytes, 'y');
  const std::string overLimit(kMaxOptionLineBytes + 1, 'z');
  lines = linesOf("-a\n" + atLimit + "\n" + overLimit + "\n-b\n" + overLimit, 1000);
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ("-a", lines[0]);
  EXPECT_EQ(atLimit, lines[1]);
  EXPECT_EQ("<too long 3>", lines[2]);
  EXPECT_EQ("-b", lines[3]);
  EXPECT_EQ("<too long 5>", lines[4]);
}

TEST(OptionsFileLines, CleanUpTrimsAndDropsCommentsAndBlankLines) {
  struct Row {
    const char* raw;
    bool kept;
    const char* clean;
  } rows[] = {
      {"  -Xmx512m  ", true, "-Xmx512m"},
      {"-Xmx512m\r\r\n", true, "-Xmx512m"},
      {"\t-Da=b c\t", true, "-Da=b c"},
      {"# comment", false, "# comment"},
      {"   # indented comment", false, "# indented comment"},
      {"-Da=1 # not a comment", true, "-Da=1 # not a comment"},
      {"", false, ""},
      {" \t\v\f\r", false, ""},
      {"\xA0-X\xA0", true, "\xA0-X\xA0"},  // only ASCII white space is trimmed
  };
  for (const Row& r : rows) {
    std::string line = r.raw;
    EXPECT_EQ(r.kept, cleanOptionFileLine(line)) << r.raw;
    EXPECT_EQ(r.clean, line) << r.raw;
  }
}

}  // namespace
}  // namespace zvt
