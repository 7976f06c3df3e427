// The service host's status record and the decisions around it: what each
// control request does, what is reported when the child starts, fails to
// start or ends. Platform-free: the record mirrors SERVICE_STATUS field by
// field, and the Win32 side copies it into one and reports it.
//
// One HostStatus is shared by the service main thread and the thread on
// which the platform calls the control handler; the caller serialises every
// call and the report that follows it under one lock, so a report always
// carries a record that one decision left, never a mix of two.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zvt {

// SERVICE_STATUS values the host uses.
constexpr uint32_t kServiceTypeOwnAndShare = 0x30;  // own-process and share-process bits together
constexpr uint32_t kAcceptStopAndShutdown = 5;      // SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN
constexpr uint32_t kHostWaitHintMs = 50000;
constexpr uint32_t kErrorServiceSpecific = 1066;  // ERROR_SERVICE_SPECIFIC_ERROR
constexpr uint32_t kChildNotStartedCode = 5000;   // the service-specific exit code then
constexpr uint32_t kErrorTimeout = 1460;          // ERROR_TIMEOUT: the stop timed out, the child was ended
// While the child is being stopped the host reports STOP_PENDING once per
// tick with a rising check point; the wait hint covers several ticks, so a
// busy machine never makes the manager judge the service hung.
constexpr uint32_t kStopTickMs = 1000;
constexpr uint32_t kStopTickWaitHintMs = 5000;
constexpr uint32_t kControlStop = 1;              // SERVICE_CONTROL_STOP
constexpr uint32_t kControlShutdown = 5;          // SERVICE_CONTROL_SHUTDOWN

constexpr uint32_t kHostStateStopped = 1;      // SERVICE_STOPPED
constexpr uint32_t kHostStateStopPending = 3;  // SERVICE_STOP_PENDING
constexpr uint32_t kHostStateRunning = 4;      // SERVICE_RUNNING

struct StatusRecord {  // SERVICE_STATUS, in its field order
  uint32_t serviceType = kServiceTypeOwnAndShare;
  uint32_t currentState = kHostStateRunning;
  uint32_t controlsAccepted = kAcceptStopAndShutdown;
  uint32_t win32ExitCode = 0;
  uint32_t serviceSpecificExitCode = 0;
  uint32_t checkPoint = 0;
  uint32_t waitHint = kHostWaitHintMs;
};

class HostStatus {
 public:
  const StatusRecord& record() const { return record_; }

  struct ControlOutcome {
    // The number in the "SetServiceStatus %d failed %d" log line when the
    // report fails: 2 stop, 1 shutdown, 3 any other control.
    int reportTag = 3;
    // Write the shutdown message now: the child runs. A stop that comes
    // before the child has been started is owed to it instead.
    bool sendShutdown = false;
  };
  // A control request. The record is reported after it in every case.
  ControlOutcome control(uint32_t code);

  struct StartOutcome {
    // Report RUNNING again: not when a stop came while the child was being
    // started, which must not be reported away.
    bool reportRunning = true;
    // A stop came before the child could be told: tell it now.
    bool sendShutdown = false;
  };
  StartOutcome childStarted();

  // The child could not be started (its command line could not be built,
  // a pipe failed, or CreateProcess did): STOPPED with 1066 / 5000.
  void childNotStarted();

  // The child has ended: true when STOPPED is to be reported (the record is
  // then set). A child that ends with a non-zero code when nobody asked it
  // to stop is reported by not reporting: the service process ends without
  // STOPPED, which the Service Control Manager treats as a failure of the
  // service (and may act on with its recovery settings).
  bool childEnded(uint32_t exitCode);

  // True once a stop or shutdown has been asked for.
  bool stopRequested() const { return stopRequested_; }

  // One tick of a stop in progress: STOP_PENDING with the next check point
  // and the tick's wait hint. False when there is nothing pending to
  // report (the service has stopped meanwhile).
  bool stopPendingTick();

  // The child did not end within the stop timeout and was ended: STOPPED
  // with ERROR_TIMEOUT, so an administrator sees that the stop timed out.
  void stopTimedOut();

  // A stop came while the host waited to start a failed child again:
  // STOPPED at once, nothing is started any more.
  void stoppedBeforeRestart();

 private:
  StatusRecord record_;
  bool childRunning_ = false;
  bool shutdownOwed_ = false;
  bool stopRequested_ = false;
};

// The name the Service Control Manager passed as the first service argument,
// when there is one of 1 to capacity - 1 units; otherwise "unknown".
std::wstring hostServiceName(const std::optional<std::wstring>& firstArgument, size_t capacity);

// The number in the registry priority value: exactly four bytes (the
// registry type is not looked at), otherwise nothing.
std::optional<uint32_t> priorityValue(const std::vector<uint8_t>& bytes);
// One of the six priority classes. The value is combined into the child's
// creation flags, where other bits would make the child start suspended, or
// fail its start, instead of changing its priority.
bool isPriorityClass(uint32_t value);
constexpr uint32_t kNormalPriorityClass = 0x20;
constexpr uint32_t kDetachedProcess = 0x8;

}  // namespace zvt
