// How long a management command waits for a service it asked to stop.
// Platform-free: the Service Control Manager, the sleep and the tick counter
// come in through StopWaitPlatform, so the time-out rules are testable with a
// scripted clock.
#pragma once

#include <cstdint>

namespace zvt {

constexpr uint32_t kServiceStopped = 1;      // SERVICE_STOPPED
constexpr uint32_t kServiceStopPending = 3;  // SERVICE_STOP_PENDING
constexpr uint32_t kServiceRunning = 4;      // SERVICE_RUNNING
constexpr uint32_t kStopPollMs = 500;

// The fields of a service status report that the wait looks at.
struct ServiceProgress {
  uint32_t state = 0;
  uint32_t checkPoint = 0;
  uint32_t waitHint = 0;  // milliseconds
};

class StopWaitPlatform {
 public:
  virtual ~StopWaitPlatform() = default;
  virtual bool query(ServiceProgress& progress) = 0;
  virtual void sleep(uint32_t milliseconds) = 0;
  virtual uint32_t ticks() = 0;  // milliseconds, wrapping like GetTickCount
};

// Polls every 500 ms while the service reports a pending stop. Each advance
// of the check point restarts the time-out; the wait gives up once more than
// the reported wait hint has passed without one. True when the service
// reached the stopped state; false when it did not or a query failed.
bool waitUntilStopped(StopWaitPlatform& platform);

}  // namespace zvt
