#include "jvm/launch/options_file_lines.h"

#include <cstring>

namespace zvt {
namespace {

constexpr char kEndOfFile = '\x1A';  // Ctrl-Z: the end of a text-mode stream

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool OptionFileLineReader::fill() {
  begin_ = end_ = 0;
  if (ended_) return false;
  if (atStart_) {
    atStart_ = false;
    // The byte order mark needs three bytes; a source may hand them out one
    // at a time.
    while (end_ < 3) {
      size_t got = source_.read(buffer_.data() + end_, buffer_.size() - end_);
      if (got == 0) break;
      end_ += got;
    }
    if (end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) begin_ = 3;
    if (begin_ < end_) return true;
    begin_ = end_ = 0;
  }
  end_ = source_.read(buffer_.data(), buffer_.size());
  if (end_ == 0) ended_ = true;
  return !ended_;
}

LineRead OptionFileLineReader::next(std::string& line) {
  line.clear();
  bool consumed = false;  // a byte of this line was read (or its line feed)
  bool tooLong = false;
  bool cut = false;  // a NUL ended the line's text
  for (;;) {
    if (begin_ == end_ && !fill()) {
      if (!consumed) return LineRead::End;
      break;
    }
    const char* data = buffer_.data();
    size_t stop = begin_;
    while (stop < end_ && data[stop] != '\n' && data[stop] != kEndOfFile) ++stop;
    if (stop > begin_) consumed = true;
    if (!tooLong && !cut) {
      size_t length = stop - begin_;
      const void* nul = std::memchr(data + begin_, '\0', length);
      if (nul) {
        length = static_cast<size_t>(static_cast<const char*>(nul) - (data + begin_));
        cut = true;
      }
      if (line.size() + length > kMaxOptionLineBytes) {
        tooLong = true;
        std::string().swap(line);
      } else {
        line.append(data + begin_, length);
      }
    }
    if (stop == end_) {
      begin_ = end_;
      continue;
    }
    if (data[stop] == kEndOfFile) {
      ended_ = true;
      begin_ = end_ = 0;
      if (!consumed) return LineRead::End;
      break;
    }
    consumed = true;
    begin_ = stop + 1;
    break;
  }
  ++lineNumber_;
  if (tooLong) {
    line.clear();
    return LineRead::TooLong;
  }
  return LineRead::Line;
}

bool cleanOptionFileLine(std::string& line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  size_t last = line.size();
  while (last > 0 && isBlank(line[last - 1])) --last;
  size_t first = 0;
  while (first < last && isBlank(line[first])) ++first;
  line = line.substr(first, last - first);
  return !line.empty() && line[0] != '#';
}

}  // namespace zvt
