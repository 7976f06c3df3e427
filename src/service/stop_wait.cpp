#include "service/stop_wait.h"

namespace zvt {

bool waitUntilStopped(StopWaitPlatform& platform) {
  ServiceProgress progress;
  if (!platform.query(progress)) return false;
  uint32_t since = platform.ticks();
  uint32_t checkPoint = progress.checkPoint;
  while (progress.state == kServiceStopPending) {
    platform.sleep(kStopPollMs);
    if (!platform.query(progress)) return false;
    if (progress.checkPoint > checkPoint) {
      since = platform.ticks();
      checkPoint = progress.checkPoint;
      continue;
    }
    // Unsigned difference: correct across the wrap of the tick counter
    // after 49.7 days of uptime.
    if (platform.ticks() - since > progress.waitHint) break;
  }
  return progress.state == kServiceStopped;
}

}  // namespace zvt
