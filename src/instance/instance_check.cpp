#include "instance/instance_check.h"

#include "base/log_sink.h"
#include "base/text.h"
#include "instance/names.h"

namespace zvt::instance {

namespace {

// The digits of a pointer as the C runtime's "%p" shows them: upper case,
// zero-padded to the width of a pointer.
std::wstring pointerText(uintptr_t value) {
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring out(sizeof(uintptr_t) * 2, L'0');
  for (size_t i = out.size(); i-- > 0; value >>= 4) out[i] = kDigits[value & 0xf];
  return out;
}

void logAttempt(const std::string& name, const SemaphoreAttempt& attempt) {
  logText(L"semaphore name " + widenBytes(name) + L", code " + decimalUnsigned(attempt.lastError) + L", value " +
          pointerText(attempt.handle));
}

// An id is only worth anything when it names another process that runs this
// executable: the entry is never removed, so it can name an instance that
// has ended, or (ids being reused) any unrelated process, or this one.
bool usablePid(InstancePlatform& platform, uint32_t pid) {
  return pid != 0 && pid != platform.currentPid() && platform.runsThisExecutable(pid);
}

InstanceDecision countedInstance(const std::string& baseName, InstancePlatform& platform) {
  InstanceDecision decision;
  uint32_t counter = 0;
  decision.semaphoreName = countedName(baseName, counter);
  SemaphoreAttempt attempt = platform.createSemaphore(decision.semaphoreName);
  while (nameTaken(attempt.lastError) && counter < kCounterLimit) {
    platform.closeSemaphore();
    ++counter;
    decision.semaphoreName = countedName(baseName, counter);
    attempt = platform.createSemaphore(decision.semaphoreName);
  }
  // The last handle stays open, also at the limit or after another failure.
  logAttempt(decision.semaphoreName, attempt);
  return decision;
}

// Waits for the first instance to publish its id, which it does right after
// creating the semaphore, so a second process can get here first: while the
// entry holds no id at all, it is read again. An id that names no running
// instance of this executable (an ended one, an unrelated process, one that
// cannot be opened, this one) is read once more after one interval, which
// covers a first instance that has just created the semaphore and is about
// to overwrite the old id; then it is final. Waiting it out like a missing
// one would hold every such start for seconds and end it the same way.
uint32_t otherInstancePid(InstancePlatform& platform, bool& usable) {
  uint32_t pid = platform.readPid();
  usable = usablePid(platform, pid);
  bool secondLook = false;
  for (int retry = 0; !usable && retry < kPidRetries; ++retry) {
    if (pid != 0) {
      if (secondLook) break;
      secondLook = true;
    }
    platform.sleep(kPidRetryMs);
    pid = platform.readPid();
    usable = usablePid(platform, pid);
  }
  return pid;
}

}  // namespace

bool nameTaken(uint32_t lastError) {
  return lastError == kErrorAlreadyExists || lastError == kErrorAccessDenied;
}

InstanceDecision decideInstance(const InstanceSettings& settings, InstancePlatform& platform) {
  std::string baseName = semaphoreBaseName(settings.global, settings.instanceKey);
  if (!settings.singleInstance) return countedInstance(baseName, platform);

  logText(L"single instance mode");
  InstanceDecision decision;
  decision.semaphoreName = baseName;
  SemaphoreAttempt attempt = platform.createSemaphore(baseName);
  logAttempt(baseName, attempt);
  // A creation that fails for another reason leaves this process running:
  // better two instances than none.
  if (!nameTaken(attempt.lastError)) {
    platform.recordPid();
    return decision;
  }

  platform.closeSemaphore();
  decision.secondInstance = true;
  bool usable = false;
  decision.otherPid = otherInstancePid(platform, usable);
  logText(L"other pid " + decimalUnsigned(decision.otherPid));
  if (decision.otherPid != 0 && !usable) {
    logText(L"pid " + decimalUnsigned(decision.otherPid) +
            L" is not an instance of this executable, windows left alone");
  }
  if (usable && settings.bringToFront) platform.bringToFront(decision.otherPid);
  logText(L"exiting");
  return decision;
}

}  // namespace zvt::instance
