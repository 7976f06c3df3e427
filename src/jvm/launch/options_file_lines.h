// Lines of a VM options file: the file's bytes cut at line feeds, read the
// way a C runtime text stream reads them, and the clean-up each line gets
// before it is an option line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zvt {

// Where the bytes come from: an opened file, or a string in tests.
class ByteChunkSource {
 public:
  virtual ~ByteChunkSource() = default;
  // Up to `capacity` bytes; 0 at the end of the file or on a read error.
  virtual size_t read(char* buffer, size_t capacity) = 0;
};

// The longest line taken as an option. Real lines can be long (pasted class
// paths of tens of kilobytes); a longer line is no option anyone meant and is
// skipped whole, so it can neither be cut into pieces that would become
// options of their own nor disturb the lines after it. The same bound as
// the growth bound of variable expansion.
constexpr size_t kMaxOptionLineBytes = 1u << 16;

enum class LineRead {
  Line,     // `line` holds the next line, without its line feed
  TooLong,  // a line longer than kMaxOptionLineBytes was skipped
  End,
};

class OptionFileLineReader {
 public:
  explicit OptionFileLineReader(ByteChunkSource& source) : source_(source) {}

  // As a text stream reads: a Ctrl-Z byte ends the file, a carriage return
  // before the line feed stays in the line (the clean-up removes it), an
  // embedded NUL ends the line's text (the rest up to the line feed is
  // dropped, as every C string consumer of the line would drop it). A UTF-8
  // byte order mark at the very start is not part of the first line.
  LineRead next(std::string& line);
  // 1-based number of the line last returned or skipped.
  size_t lineNumber() const { return lineNumber_; }

 private:
  bool fill();

  ByteChunkSource& source_;
  std::vector<char> buffer_ = std::vector<char>(1u << 14);
  size_t begin_ = 0;
  size_t end_ = 0;
  bool atStart_ = true;
  bool ended_ = false;
  size_t lineNumber_ = 0;
};

// Removes trailing carriage returns and line feeds, then white space at both
// ends. False when nothing is left or the line is a comment ("#" first).
bool cleanOptionFileLine(std::string& line);

}  // namespace zvt
