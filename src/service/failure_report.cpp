#include "service/failure_report.h"

#include <string>

namespace zvt {
namespace {

std::u16string ascii(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Whole seconds, or seconds with one decimal (half a tenth rounds up).
std::string seconds(uint64_t ms) {
  if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
  const uint64_t tenths = (ms + 50) / 100;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
}

std::string exitCodeText(uint32_t code) {
  // Large codes are usually NTSTATUS values of a crash (0xC0000005): those
  // read better in hexadecimal.
  if (code <= 0xFFFF) return std::to_string(code);
  std::string hex = "0x00000000";
  for (uint32_t rest = code, i = 10; rest != 0; rest >>= 4) hex[--i] = "0123456789ABCDEF"[rest & 0xF];
  return std::to_string(code) + " (" + hex + ")";
}

// Drops the line ends at the end of the tail; Windows line ends elsewhere
// stay as the child wrote them.
std::u16string trimmedTail(std::u16string tail) {
  while (!tail.empty() && (tail.back() == u'\n' || tail.back() == u'\r' || tail.back() == u' ')) tail.pop_back();
  return tail;
}

}  // namespace

void OutputTail::append(const char* bytes, size_t count) {
  if (capacity_ == 0 || count == 0) return;
  if (count >= capacity_) {
    cut_ = cut_ || count > capacity_ || !bytes_.empty();
    bytes_.assign(bytes + (count - capacity_), capacity_);
    return;
  }
  const size_t keep = capacity_ - count;
  if (bytes_.size() > keep) {
    bytes_.erase(0, bytes_.size() - keep);
    cut_ = true;
  }
  bytes_.append(bytes, count);
}

FailureReport failureReport(const FailureFacts& f) {
  FailureReport report;
  std::u16string& text = report.summary;
  text = u"Service '" + f.serviceName + u"': ";
  if (f.kind == FailureKind::StopTimedOut) {
    text += ascii("the application did not end within the stop timeout of " + seconds(f.stopTimeoutSeconds * 1000ull) +
                  "; its processes were ended.");
  } else {
    text += ascii("the application process ended with exit code " + exitCodeText(f.exitCode) + "; ");
    if (f.restarting) {
      text += ascii("it is started again in " + seconds(f.delayMs) + " (restart " +
                    std::to_string(f.restartsInWindow) + " of at most " + std::to_string(f.restartLimit));
      text += ascii(f.restartWindowMs != 0 ? " within " + seconds(f.restartWindowMs) + ")." : ").");
    } else if (f.restartLimit == 0) {
      text += u"it is not started again (restart on failure is off).";
    } else {
      text += ascii("it is not started again: " + std::to_string(f.restartLimit) + " restarts");
      text += ascii(f.restartWindowMs != 0 ? " within " + seconds(f.restartWindowMs) + " already." : " already.");
    }
  }
  std::u16string tail = trimmedTail(f.outputTail);
  report.output = tail.empty() ? u"(none)" : (f.outputCut ? u"..." : u"") + tail;
  return report;
}

std::u16string failureReportText(const FailureReport& report) {
  return report.summary + u"\r\nOutput of the application:\r\n" + report.output;
}

}  // namespace zvt
