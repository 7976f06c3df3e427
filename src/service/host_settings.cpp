#include "service/host_settings.h"

#include "config/accessors.h"
#include "config/keys.h"

namespace zvt {
namespace {

uint32_t count(uint32_t id, uint32_t whenAbsent) {
  const int value = config::getConfigIntOr(id, static_cast<int>(whenAbsent));
  return value < 0 ? whenAbsent : static_cast<uint32_t>(value);
}

}  // namespace

HostSettings readHostSettings() {
  HostSettings s;
  s.stopTimeoutSeconds = count(key::kStopTimeout, kDefaultStopTimeoutSeconds);
  s.restart.limit = count(key::kRestartLimit, 0);
  s.restart.delayMs = static_cast<uint64_t>(count(key::kRestartDelay, kDefaultRestartDelaySeconds)) * 1000;
  s.restart.windowMs = static_cast<uint64_t>(count(key::kRestartWindow, kDefaultRestartWindowSeconds)) * 1000;
  s.restart.growing = config::getConfigFlag(key::kRestartDelayGrows);
  return s;
}

}  // namespace zvt
