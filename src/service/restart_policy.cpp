#include "service/restart_policy.h"

#include <algorithm>

namespace zvt {

RestartDecision RestartPolicy::childFailed(uint64_t nowMs) {
  RestartDecision decision;
  if (settings_.limit == 0) return decision;
  // Restarts older than the window no longer count; a window of 0 keeps
  // them all, so the limit holds for the life of the host.
  while (settings_.windowMs != 0 && !restarts_.empty() && nowMs - restarts_.front() >= settings_.windowMs) {
    restarts_.pop_front();
  }
  if (restarts_.size() >= settings_.limit) return decision;
  uint64_t delay = settings_.delayMs;
  if (settings_.growing) {
    for (size_t i = 0; i < restarts_.size() && delay < kMaxRestartDelayMs; ++i) delay = delay * 2;
  }
  restarts_.push_back(nowMs);
  decision.restart = true;
  decision.delayMs = std::min(delay, kMaxRestartDelayMs);
  decision.restartsInWindow = static_cast<uint32_t>(restarts_.size());
  return decision;
}

}  // namespace zvt
