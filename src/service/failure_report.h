// What the service host tells an administrator when its child fails or a
// stop times out: one text, written to the Application event log under the
// service's name and to the diagnostic log. Platform-free; the tail of the
// child's output is kept by OutputTail as the host drains the child's
// pipe (the fatal messages of a service child go to its standard error,
// which shares that pipe).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zvt {

// The last `capacity` bytes written through append(), and whether anything
// before them was dropped.
class OutputTail {
 public:
  explicit OutputTail(size_t capacity) : capacity_(capacity) {}
  void append(const char* bytes, size_t count);
  const std::string& bytes() const { return bytes_; }
  bool cut() const { return cut_; }
  void clear() {
    bytes_.clear();
    cut_ = false;
  }

 private:
  size_t capacity_;
  std::string bytes_;
  bool cut_ = false;
};

constexpr size_t kOutputTailBytes = 4096;

enum class FailureKind {
  ChildFailed,     // ended with a non-zero code while nobody asked it to stop
  StopTimedOut,    // did not end within the stop timeout and was ended
};

struct FailureFacts {
  FailureKind kind = FailureKind::ChildFailed;
  std::u16string serviceName;
  uint32_t exitCode = 0;         // ChildFailed
  bool restarting = false;       // ChildFailed: started again after delayMs
  uint64_t delayMs = 0;
  uint32_t restartsInWindow = 0;  // counting this one
  uint32_t restartLimit = 0;      // 0: restart on failure is off
  uint64_t restartWindowMs = 0;
  uint32_t stopTimeoutSeconds = 0;  // StopTimedOut
  std::u16string outputTail;        // already decoded; may be empty
  bool outputCut = false;
};

// The report in two parts, as the event log entry carries them (its
// message is "%1", an empty line, "Output of the application:" and "%2"):
// what happened, and the end of the application's output ("..." first when
// its beginning was dropped; "(none)" when it wrote nothing).
struct FailureReport {
  std::u16string summary;
  std::u16string output;
};
FailureReport failureReport(const FailureFacts& facts);
// Both parts as one text, for the diagnostic log.
std::u16string failureReportText(const FailureReport& report);

}  // namespace zvt
