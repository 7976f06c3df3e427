// Captures what platform-free code writes to the log, for assertions.
#pragma once

#include <string>
#include <vector>

#include "base/log_sink.h"

namespace zvt::test {

struct LogCapture {
  LogCapture() {
    lines().clear();
    setLogWriter(&write);
  }
  ~LogCapture() { setLogWriter(nullptr); }
  static std::vector<std::wstring>& lines() {
    static std::vector<std::wstring> l;
    return l;
  }
  static void write(bool isError, const std::wstring& text) { lines().push_back((isError ? L"ERROR: " : L"") + text); }
  bool contains(const std::wstring& line) const {
    for (const auto& l : lines())
      if (l == line) return true;
    return false;
  }
};

}  // namespace zvt::test
