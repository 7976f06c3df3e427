// The single-instance decision. Platform-free: the semaphore, the pids
// registry entry, the process checks, the sleep and the windows come in
// through InstancePlatform, so the rules are tested with a scripted fake and
// the Win32 side only carries them out.
#pragma once

#include <cstdint>
#include <string>

namespace zvt::instance {

constexpr uint32_t kErrorAccessDenied = 5;     // ERROR_ACCESS_DENIED
constexpr uint32_t kErrorAlreadyExists = 183;  // ERROR_ALREADY_EXISTS

// While the pids entry holds no id the second process reads it again this
// many times, this far apart (about 5 seconds in all); an id that names no
// running instance is read once more, one interval later, then taken as it
// is.
constexpr int kPidRetries = 50;
constexpr uint32_t kPidRetryMs = 100;

struct SemaphoreAttempt {
  uint32_t lastError = 0;  // the platform's last error after the creation
  uintptr_t handle = 0;    // the handle value, for the log only (0: failed)
};

class InstancePlatform {
 public:
  virtual ~InstancePlatform() = default;
  // Creates or opens the named semaphore and keeps the handle as the held
  // one (a held handle of an earlier attempt must have been closed first).
  virtual SemaphoreAttempt createSemaphore(const std::string& name) = 0;
  // Closes the held handle.
  virtual void closeSemaphore() = 0;
  virtual void recordPid() = 0;
  virtual uint32_t readPid() = 0;  // 0: none
  virtual uint32_t currentPid() = 0;
  // Whether `pid` names a process that is running and was started from this
  // very executable.
  virtual bool runsThisExecutable(uint32_t pid) = 0;
  virtual void sleep(uint32_t milliseconds) = 0;
  virtual void bringToFront(uint32_t pid) = 0;
};

struct InstanceSettings {
  std::string instanceKey;  // full path, lower case, single backslashes
  bool global = false;      // "Global\" instead of "Local\"
  bool singleInstance = false;
  bool bringToFront = false;
};

struct InstanceDecision {
  bool secondInstance = false;  // the process must end with exit code 0
  std::string semaphoreName;    // the name of the semaphore last created
  uint32_t otherPid = 0;        // second instance: the id read from the entry
};

InstanceDecision decideInstance(const InstanceSettings& settings, InstancePlatform& platform);

// Whether an attempt found the name taken. A semaphore that a service
// created under another account (default security) cannot be opened by a
// user's process: the creation then fails with access denied, which also
// means the name exists.
bool nameTaken(uint32_t lastError);

}  // namespace zvt::instance
