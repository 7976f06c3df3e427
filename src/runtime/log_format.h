// What the diagnostic log writes, decided without the system: the numbered
// file it opens, the stamp of each line, and the bytes of a line.
#pragma once

#include <functional>
#include <string>

#include "base/capacity.h"

namespace zvt {

// Files zvt_nlog_1.log .. zvt_nlog_1000.log.
constexpr int kMaxLogNumber = kLogFileNumbers;

// The directory the log goes to, with a trailing separator; "c:\" when the
// temporary directory is unknown.
std::wstring logDirectory(const std::wstring& tempDirectory);

// The first zvt_nlog_<n>.log in `directory` that does not exist yet; the last
// number (its file is overwritten) when all of them exist.
std::wstring logFilePath(const std::wstring& directory, const std::function<bool(const std::wstring&)>& exists);

// "Started executable <module> at <when>" where `when` is the C runtime's
// time text with its own line break; a line break is supplied when it has
// none (no time).
std::wstring firstLogLine(const std::wstring& module, const std::string& when);

// "[<s>:<ms>] ", "ERROR: " for errors, the text and a line break. Seconds
// and milliseconds come from 32-bit milliseconds, the milliseconds unpadded:
// 3.007 s is "[3:7]".
std::wstring stampedLogLine(unsigned int elapsedMs, bool isError, const std::wstring& text);

// Text with "\n" as CR LF, in UTF-8: what a "ccs=UTF-8" text stream writes.
std::string encodeLogText(const std::wstring& text);

// A new log file starts with the UTF-8 byte order mark.
extern const char kUtf8ByteOrderMark[4];

}  // namespace zvt
