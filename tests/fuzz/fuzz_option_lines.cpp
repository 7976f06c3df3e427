// Options file lines and the option-line grammar over arbitrary bytes. The
// lines must not depend on how the file is cut into reads, must hold no line
// feed or NUL, must respect the length bound, and their clean-up and
// classification must keep their promises.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jvm/launch/option_lines.h"
#include "jvm/launch/options_file_lines.h"

namespace {

class Chunks : public zvt::ByteChunkSource {
 public:
  Chunks(const std::string& bytes, size_t step) : bytes_(bytes), step_(step) {}
  size_t read(char* buffer, size_t capacity) override {
    size_t n = bytes_.size() - at_;
    if (n > capacity) n = capacity;
    if (n > step_) n = step_;
    bytes_.copy(buffer, n, at_);
    at_ += n;
    return n;
  }

 private:
  const std::string& bytes_;
  size_t step_;
  size_t at_ = 0;
};

std::vector<std::string> readAll(const std::string& bytes, size_t step) {
  Chunks source(bytes, step);
  zvt::OptionFileLineReader reader(source);
  std::vector<std::string> lines;
  std::string line;
  for (zvt::LineRead r; (r = reader.next(line)) != zvt::LineRead::End;) {
    if (r == zvt::LineRead::TooLong) {
      if (!line.empty()) __builtin_trap();
      lines.push_back("<too long>");
      continue;
    }
    if (line.size() > zvt::kMaxOptionLineBytes) __builtin_trap();
    if (line.find('\n') != std::string::npos || line.find('\0') != std::string::npos) __builtin_trap();
    if (line.find('\x1A') != std::string::npos) __builtin_trap();
    lines.push_back(line);
  }
  return lines;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t step = 1 + data[0] % 13;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> lines = readAll(bytes, step);
  if (lines != readAll(bytes, 1u << 16)) __builtin_trap();

  for (std::string line : lines) {
    if (!zvt::cleanOptionFileLine(line)) continue;
    if (line.empty() || line[0] == '#' || isBlank(line.front()) || isBlank(line.back())) __builtin_trap();
    zvt::ClassifiedLine c = zvt::classifyOptionLine(line);
    if (c.restOffset > line.size()) __builtin_trap();
    if ((c.kind == zvt::OptionLineKind::Option) != (c.restOffset == 0)) __builtin_trap();
    if (c.kind != zvt::OptionLineKind::Option && line[c.restOffset - 1] != ' ') __builtin_trap();
    zvt::PendingClassPath pending;
    zvt::OptionLine both{line, std::wstring(line.begin(), line.end())};
    if (zvt::takeClassPathLine(both, c, pending) !=
        (c.kind != zvt::OptionLineKind::Option && c.kind != zvt::OptionLineKind::Include)) {
      __builtin_trap();
    }
  }
  return 0;
}
