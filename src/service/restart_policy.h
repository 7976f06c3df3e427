// Whether the service host starts its child again after the child failed
// (ended with a non-zero code while nobody asked it to stop), and after
// which delay. Platform-free: times are milliseconds of a monotonic clock
// the caller reads.
//
// A restart is allowed while fewer than `limit` restarts happened within
// the last `windowMs` (0: ever since the host started); past that the host gives up and leaves the failure to
// the Service Control Manager's own recovery actions. With `growing`, the
// delay doubles with each restart still inside the window (a child that
// fails again at once waits longer each time), up to kMaxRestartDelayMs.
#pragma once

#include <cstdint>
#include <deque>

namespace zvt {

constexpr uint64_t kMaxRestartDelayMs = 3600u * 1000u;

struct RestartSettings {
  uint32_t limit = 0;  // 0: never restart (the default)
  uint64_t delayMs = 0;
  uint64_t windowMs = 0;
  bool growing = false;
};

struct RestartDecision {
  bool restart = false;
  uint64_t delayMs = 0;
  uint32_t restartsInWindow = 0;  // counting this one, when restarting
};

class RestartPolicy {
 public:
  explicit RestartPolicy(const RestartSettings& settings) : settings_(settings) {}

  // The child failed at `nowMs`: restart it, or give up. A restart is
  // counted at once.
  RestartDecision childFailed(uint64_t nowMs);

  const RestartSettings& settings() const { return settings_; }

 private:
  RestartSettings settings_;
  std::deque<uint64_t> restarts_;  // times of the restarts inside the window
};

}  // namespace zvt
