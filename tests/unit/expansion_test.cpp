// The expansion engine over given values: the fixed token rows in order,
// environment variables, no rescanning of inserted values, long values.
#include "runtime/expansion.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "log_capture.h"

namespace zvt {
namespace {

ExpansionValuesW wideValues() {
  ExpansionValuesW v;
  v.launcherDirectory = L"C:\\App\\";
  v.launcherTempDirectory = L"C:\\T\\qrn1.tmp_dir7";
  v.jvmHome = L"C:\\jre\\bin\\..";
  v.systemTempDirectory = L"C:\\T\\";
  v.environment = {L"=C:=C:\\cur", L"Path=C:\\p", L"HOME=${launcher:sys.tempDir}", L"X=%QUARN_EXEDIR%", L"NOEQUALS"};
  return v;
}

std::wstring expandW(std::wstring text, const ExpansionValuesW& v = wideValues()) {
  expandWith(text, v);
  return text;
}

TEST(Expansion, EveryFixedToken) {
  struct Row {
    const wchar_t* token;
    const wchar_t* value;
  } rows[] = {
      {L"%QUARN_EXEDIR%", L"C:\\App\\"},
      {L"%ZENTROVIA_EXEDIR%", L"C:\\App\\"},
      {L"%QUARN_TEMPDIR%", L"C:\\T\\qrn1.tmp_dir7"},
      {L"%ZENTROVIA_TEMPDIR%", L"C:\\T\\qrn1.tmp_dir7"},
      {L"%QUARN_PATHLIST_SEPARATOR%", L";"},
      {L"%ZENTROVIA_PATHLIST_SEPARATOR%", L";"},
      {L"%QUARN_JVM_HOME%", L"C:\\jre\\bin\\.."},
      {L"%ZENTROVIA_JVM_HOME%", L"C:\\jre\\bin\\.."},
      {L"${QUARN_EXEDIR}", L"C:\\App\\"},
      {L"${ZENTROVIA_EXEDIR}", L"C:\\App\\"},
      {L"${QUARN_TEMPDIR}", L"C:\\T\\qrn1.tmp_dir7"},
      {L"${ZENTROVIA_TEMPDIR}", L"C:\\T\\qrn1.tmp_dir7"},
      {L"${QUARN_PATHLIST_SEPARATOR}", L";"},
      {L"${ZENTROVIA_PATHLIST_SEPARATOR}", L";"},
      {L"${QUARN_JVM_HOME}", L"C:\\jre\\bin\\.."},
      {L"${ZENTROVIA_JVM_HOME}", L"C:\\jre\\bin\\.."},
      {L"${launcher:sys.launcherDirectory}", L"C:\\App\\"},
      {L"${launcher:sys.launcherTempDirectory}", L"C:\\T\\qrn1.tmp_dir7"},
      {L"${launcher:sys.pathlistSeparator}", L";"},
      {L"${launcher:sys.jvmHome}", L"C:\\jre\\bin\\.."},
      {L"${launcher:sys.tempDir}", L"C:\\T\\"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(std::wstring(L"<") + r.value + L">", expandW(std::wstring(L"<") + r.token + L">")) << r.token;
  }
  EXPECT_EQ(L"C:\\App\\lib", expandW(L"${launcher:sys.launcherDirectory}lib"));
  EXPECT_EQ(L"C:\\App\\a;C:\\App\\b", expandW(L"%ZENTROVIA_EXEDIR%a;%ZENTROVIA_EXEDIR%b"));
  EXPECT_EQ(L"%quarn_exedir% ${launcher:sys.unknown} ${NOPE}",
            expandW(L"%quarn_exedir% ${launcher:sys.unknown} ${NOPE}"));
}

TEST(Expansion, EnvironmentByStoredAndUpperCasedName) {
  EXPECT_EQ(L"C:\\p C:\\p ${path}", expandW(L"${Path} ${PATH} ${path}"));
  EXPECT_EQ(L"C:=C:\\cur", expandW(L"${}"));  // entries beginning with "="
  EXPECT_EQ(L"${NOEQUALS}", expandW(L"${NOEQUALS}"));
}

TEST(Expansion, InsertedTextIsScannedOnlyByLaterRows) {
  // Row 21 comes before the environment: the variable's token stays.
  EXPECT_EQ(L"${launcher:sys.tempDir}", expandW(L"${HOME}"));
  // The environment comes after row 1: a fixed token inside a value stays.
  EXPECT_EQ(L"%QUARN_EXEDIR%", expandW(L"${X}"));
  // A fixed value holding a later token is expanded by that later row.
  ExpansionValuesW v = wideValues();
  v.launcherDirectory = L"${launcher:sys.tempDir}";
  EXPECT_EQ(L"C:\\T\\", expandW(L"%QUARN_EXEDIR%", v));
  // A value holding its own token is not expanded again.
  EXPECT_EQ(1u, [] {
    std::wstring t = L"ab";
    return replaceAll(t, L"a", L"aa");
  }());
  std::wstring t = L"a-a";
  EXPECT_EQ(2u, replaceAll(t, L"a", L"xa"));
  EXPECT_EQ(L"xa-xa", t);
}

TEST(Expansion, EmptyValueRemovesTheToken) {
  ExpansionValuesW v = wideValues();
  v.launcherTempDirectory.clear();
  EXPECT_EQ(L"-Dx=/lib", expandW(L"-Dx=${launcher:sys.launcherTempDirectory}/lib", v));
  EXPECT_EQ(L"", expandW(L"%QUARN_TEMPDIR%%ZENTROVIA_TEMPDIR%", v));
}

TEST(Expansion, LongValuesGrowTheTextAndTheGuardStopsRunaways) {
  ExpansionValuesW v = wideValues();
  v.launcherDirectory.assign(20000, L'd');
  v.environment = {L"LONG=" + std::wstring(20000, L'e')};
  std::wstring text = L"%QUARN_EXEDIR%|${ZENTROVIA_EXEDIR}|${LONG}";
  expandWith(text, v);
  EXPECT_EQ(20000u + 1 + 20000 + 1 + 20000, text.size());
  EXPECT_EQ(std::wstring::npos, text.find_first_of(L"%$"));

  // Each variable doubles the previous one: without the guard the text would
  // reach 2^40 copies of the 5000-character filler.
  ExpansionValuesW runaway;
  for (int i = 0; i < 40; ++i) {
    runaway.environment.push_back(L"V" + std::to_wstring(i) + L"=" + std::wstring(5000, L'f') + L"${V" +
                                  std::to_wstring(i + 1) + L"}${V" + std::to_wstring(i + 1) + L"}");
  }
  test::LogCapture log;
  std::wstring bomb = L"${V0}";
  expandWith(bomb, runaway);
  EXPECT_LE(bomb.size(), kMaxExpandedLength);
  bool stopped = false;
  for (const auto& line : log.lines()) stopped = stopped || line.find(L"ERROR: expansion of ${V") == 0;
  EXPECT_TRUE(stopped);
}

TEST(Expansion, AResultOfExactlyTheLimitIsTakenOneMoreIsNot) {
  test::LogCapture log;
  auto errors = [&log] {
    int n = 0;
    for (const auto& line : log.lines()) n += line.find(L"ERROR: expansion of ${X} stopped") == 0;
    return n;
  };
  // "ab" + value: the value makes the text exactly the limit long.
  std::wstring fits = L"a${X}b";
  EXPECT_EQ(1u, replaceAll(fits, L"${X}", std::wstring(kMaxExpandedLength - 2, L'x')));
  EXPECT_EQ(kMaxExpandedLength, fits.size());
  EXPECT_EQ(0, errors());
  std::wstring over = L"a${X}b";
  EXPECT_EQ(0u, replaceAll(over, L"${X}", std::wstring(kMaxExpandedLength - 1, L'x')));
  EXPECT_EQ(L"a${X}b", over);
  EXPECT_EQ(1, errors());
  // The narrow variant draws the same line.
  std::string narrowFits = "a${X}b";
  EXPECT_EQ(1u, replaceAll(narrowFits, "${X}", std::string(kMaxExpandedLength - 2, 'x')));
  EXPECT_EQ(kMaxExpandedLength, narrowFits.size());
  std::string narrowOver = "a${X}b";
  EXPECT_EQ(0u, replaceAll(narrowOver, "${X}", std::string(kMaxExpandedLength - 1, 'x')));
  EXPECT_EQ("a${X}b", narrowOver);
}

TEST(Expansion, NarrowVariantUsesTheSameRowsAndLogs) {
  ExpansionValuesA v;
  v.launcherDirectory = "C:\\App\\";
  v.jvmHome = "C:\\jre\\bin\\..";
  v.systemTempDirectory = "C:\\T\\";
  v.environment = {"Path=C:\\p", "LIB=${launcher:sys.jvmHome}"};
  test::LogCapture log;
  std::string text = "${launcher:sys.jvmHome}\\lib;${LIB};${PATH};%QUARN_TEMPDIR%x";
  expandWith(text, v);
  EXPECT_EQ("C:\\jre\\bin\\..\\lib;${launcher:sys.jvmHome};C:\\p;x", text);
  EXPECT_TRUE(log.contains(L"expanding2 ${PATH} to C:\\p in C:\\jre\\bin\\..\\lib;${LIB};C:\\p;x."));
}

}  // namespace
}  // namespace zvt
