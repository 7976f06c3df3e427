// The log's file numbering, line stamps and bytes.
#include "runtime/log_format.h"

#include <gtest/gtest.h>

#include <set>

namespace zvt {
namespace {

TEST(LogFormat, DirectoryAndFileNumbering) {
  EXPECT_EQ(L"C:\\T\\", logDirectory(L"C:\\T"));
  EXPECT_EQ(L"C:\\T\\", logDirectory(L"C:\\T\\"));
  EXPECT_EQ(L"C:/T/", logDirectory(L"C:/T/"));
  EXPECT_EQ(L"c:\\", logDirectory(L""));  // no temporary directory

  std::set<std::wstring> existing;
  std::vector<std::wstring> asked;
  auto exists = [&](const std::wstring& path) {
    asked.push_back(path);
    return existing.count(path) != 0;
  };
  EXPECT_EQ(L"D:\\zvt_nlog_1.log", logFilePath(L"D:\\", exists));
  EXPECT_EQ(1u, asked.size());
  // Gaps are not filled behind an existing number: the first free one wins.
  existing = {L"D:\\zvt_nlog_1.log", L"D:\\zvt_nlog_2.log", L"D:\\zvt_nlog_4.log"};
  EXPECT_EQ(L"D:\\zvt_nlog_3.log", logFilePath(L"D:\\", exists));
  // All taken: the last number is used again.
  for (int i = 1; i <= kMaxLogNumber; ++i) existing.insert(L"D:\\zvt_nlog_" + std::to_wstring(i) + L".log");
  asked.clear();
  EXPECT_EQ(L"D:\\zvt_nlog_1000.log", logFilePath(L"D:\\", exists));
  EXPECT_EQ(static_cast<size_t>(kMaxLogNumber), asked.size());
}

TEST(LogFormat, LinesAndBytes) {
  EXPECT_EQ(L"[0:0] started\n", stampedLogLine(0, false, L"started"));
  EXPECT_EQ(L"[3:7] x\n", stampedLogLine(3007, false, L"x"));  // milliseconds unpadded
  EXPECT_EQ(L"[12:345] ERROR: bad\n", stampedLogLine(12345, true, L"bad"));
  EXPECT_EQ(L"[4294967:295] \n", stampedLogLine(4294967295u, false, L""));
  EXPECT_EQ(L"Started executable C:\\a.exe at Mon Jan  1 00:00:00 2024\n\n",
            firstLogLine(L"C:\\a.exe", "Mon Jan  1 00:00:00 2024\n"));
  EXPECT_EQ(L"Started executable x at \n\n", firstLogLine(L"x", ""));  // no time text
  // CR LF for each line break, UTF-8 for the rest (also outside the BMP).
  EXPECT_EQ("a\r\nb\r\n", encodeLogText(L"a\nb\n"));
  EXPECT_EQ("\r\r\n", encodeLogText(L"\r\n"));
  std::wstring wide = {0x00D6, 0x4E2D, 0xD83D, 0xDE00};
  EXPECT_EQ("\xC3\x96\xE4\xB8\xAD\xF0\x9F\x98\x80", encodeLogText(wide));
  EXPECT_EQ(std::string("\xEF\xBB\xBF"), std::string(kUtf8ByteOrderMark));
}

}  // namespace
}  // namespace zvt
