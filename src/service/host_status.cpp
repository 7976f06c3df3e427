#include "service/host_status.h"

namespace zvt {

HostStatus::ControlOutcome HostStatus::control(uint32_t code) {
  ControlOutcome outcome;
  if (code != kControlStop && code != kControlShutdown) return outcome;  // interrogate and the rest: report as is
  outcome.reportTag = code == kControlStop ? 2 : 1;
  if (code == kControlShutdown) ++record_.checkPoint;
  stopRequested_ = true;
  // A child that ended on its own has already settled the state.
  if (record_.currentState == kHostStateStopped) return outcome;
  record_.currentState = kHostStateStopPending;
  if (childRunning_) {
    outcome.sendShutdown = true;  // a second request finds the input closed: only logged
  } else {
    shutdownOwed_ = true;
  }
  return outcome;
}

HostStatus::StartOutcome HostStatus::childStarted() {
  StartOutcome outcome;
  childRunning_ = true;
  if (shutdownOwed_) {
    shutdownOwed_ = false;
    outcome.reportRunning = false;
    outcome.sendShutdown = true;
    return outcome;
  }
  record_.currentState = kHostStateRunning;
  return outcome;
}

void HostStatus::childNotStarted() {
  shutdownOwed_ = false;
  record_.currentState = kHostStateStopped;
  record_.win32ExitCode = kErrorServiceSpecific;
  record_.serviceSpecificExitCode = kChildNotStartedCode;
}

bool HostStatus::childEnded(uint32_t exitCode) {
  childRunning_ = false;
  if (exitCode != 0 && record_.currentState != kHostStateStopPending) return false;
  record_.currentState = kHostStateStopped;
  return true;
}

bool HostStatus::stopPendingTick() {
  if (record_.currentState != kHostStateStopPending) return false;
  ++record_.checkPoint;
  record_.waitHint = kStopTickWaitHintMs;
  return true;
}

void HostStatus::stopTimedOut() {
  childRunning_ = false;
  record_.currentState = kHostStateStopped;
  record_.win32ExitCode = kErrorTimeout;
  record_.serviceSpecificExitCode = 0;
  record_.checkPoint = 0;
  record_.waitHint = 0;
}

void HostStatus::stoppedBeforeRestart() {
  shutdownOwed_ = false;
  record_.currentState = kHostStateStopped;
  record_.checkPoint = 0;
  record_.waitHint = 0;
}

std::wstring hostServiceName(const std::optional<std::wstring>& firstArgument, size_t capacity) {
  if (firstArgument && !firstArgument->empty() && firstArgument->size() < capacity) return *firstArgument;
  return L"unknown";
}

std::optional<uint32_t> priorityValue(const std::vector<uint8_t>& bytes) {
  if (bytes.size() != 4) return std::nullopt;
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool isPriorityClass(uint32_t value) {
  // IDLE, BELOW_NORMAL, NORMAL, ABOVE_NORMAL, HIGH, REALTIME
  for (uint32_t known : {0x40u, 0x4000u, 0x20u, 0x8000u, 0x80u, 0x100u}) {
    if (value == known) return true;
  }
  return false;
}

}  // namespace zvt
