// The service host's settings from the configuration block: the stop
// timeout and the restart policy. A negative number (which the packer
// refuses) counts as the setting's default.
#pragma once

#include <cstdint>

#include "service/restart_policy.h"

namespace zvt {

constexpr uint32_t kDefaultStopTimeoutSeconds = 30;
constexpr uint32_t kDefaultRestartDelaySeconds = 5;
constexpr uint32_t kDefaultRestartWindowSeconds = 600;

struct HostSettings {
  uint32_t stopTimeoutSeconds = kDefaultStopTimeoutSeconds;  // 0: no limit
  RestartSettings restart;
};

HostSettings readHostSettings();

}  // namespace zvt
