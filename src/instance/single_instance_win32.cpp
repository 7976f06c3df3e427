#include <vector>

#include "base/capacity.h"
#include "base/handle.h"
#include "base/registry_win32.h"
#include "base/system_function_win32.h"
#include "base/win32.h"
#include "config/accessors.h"
#include "config/keys.h"
#include "instance/instance_check.h"
#include "instance/single_instance.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"

namespace zvt {
namespace {

const wchar_t kPidsKey[] = L"SOFTWARE\\corvalent-works\\quarn\\pids\\";

// The one place that touches the pids entry. The value is named by the
// instance key in its narrow form; the file functions' code page gave it, so
// the same code page turns it back into the path's characters.
enum class PidAccess { Record, Read };
uint32_t pidsEntry(PidAccess access) {
  std::wstring name = toWide(instanceKey());
  if (access == PidAccess::Record) {
    UniqueRegKey key = registry::createKey(HKEY_CURRENT_USER, kPidsKey, KEY_ALL_ACCESS);
    if (key) registry::setDword(key.get(), name, GetCurrentProcessId());
    return 0;
  }
  UniqueRegKey key = registry::openKey(HKEY_CURRENT_USER, kPidsKey, KEY_READ);
  if (!key) return 0;
  return registry::readDword(key.get(), name).value_or(0);
}

// The file a process was started from. QueryFullProcessImageNameW came with
// Vista: without it the image cannot be named, and the process counts as
// not ours.
std::wstring imagePathOf(HANDLE process) {
  using QueryImageName = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
  static const auto query = systemFunction<QueryImageName>(L"kernel32.dll", "QueryFullProcessImageNameW");
  if (!query) return std::wstring();
  std::vector<wchar_t> path(kBufferCapacity);
  DWORD size = static_cast<DWORD>(path.size());
  return query(process, 0, path.data(), &size) ? std::wstring(path.data(), size) : std::wstring();
}

// Volume and file index name a file whatever path form reached it (long or
// 8.3 names, case, a substituted drive).
bool fileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
  UniqueHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  return file && GetFileInformationByHandle(file.get(), &info);
}

bool sameFile(const std::wstring& a, const std::wstring& b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  return fileIdentity(a, ia) && fileIdentity(b, ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

class Win32InstancePlatform : public instance::InstancePlatform {
 public:
  instance::SemaphoreAttempt createSemaphore(const std::string& name) override {
    SetLastError(ERROR_SUCCESS);
    HANDLE handle = CreateSemaphoreA(nullptr, 1, 1, name.c_str());
    DWORD error = GetLastError();
    semaphore_.reset(handle);
    return {error, reinterpret_cast<uintptr_t>(handle)};
  }
  void closeSemaphore() override { semaphore_.reset(); }
  void recordPid() override { recordInstancePid(); }
  uint32_t readPid() override { return readInstancePid(); }
  uint32_t currentPid() override { return GetCurrentProcessId(); }
  bool runsThisExecutable(uint32_t pid) override { return zvt::runsThisExecutable(pid); }
  void sleep(uint32_t milliseconds) override { Sleep(milliseconds); }
  void bringToFront(uint32_t pid) override { zvt::bringToFront(pid, true); }

  // The open handle is the mark that this instance runs: it stays open until
  // the process ends, when the system closes it.
  void keepForLife() { semaphore_.release(); }

 private:
  UniqueHandle semaphore_;
};

struct FrontRequest {
  DWORD processId;
  bool restore;
};

BOOL CALLBACK frontWindow(HWND window, LPARAM param) {
  const auto& request = *reinterpret_cast<const FrontRequest*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (!IsWindowVisible(window) || owner != request.processId) return TRUE;
  logLine(L"found window %p", static_cast<void*>(window));
  if (request.restore && IsIconic(window)) {
    logLine(L"restore");
    ShowWindow(window, SW_RESTORE);
  }
  logLine(L"foreground");
  SetForegroundWindow(window);
  logLine(L"popup");
  SetForegroundWindow(GetLastActivePopup(window));
  logLine(L"done");
  return TRUE;  // every matching window, in enumeration order
}

}  // namespace

std::string instanceKeyOf(const std::string& path) {
  return fullPath(path, false);
}

const std::string& instanceKey() {
  static const std::string* key = new std::string(instanceKeyOf(modulePathA()));  // lives until exit
  return *key;
}

void recordInstancePid() {
  pidsEntry(PidAccess::Record);
}

uint32_t readInstancePid() {
  return pidsEntry(PidAccess::Read);
}

bool runsThisExecutable(uint32_t processId) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
  // An ended process whose handle someone still holds can be opened too.
  if (!process || WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT) return false;
  std::wstring image = imagePathOf(process.get());
  return !image.empty() && sameFile(image, modulePathW());
}

void bringToFront(uint32_t processId, bool restore) {
  FrontRequest request{processId, restore};
  EnumWindows(&frontWindow, reinterpret_cast<LPARAM>(&request));
}

void checkSingleInstance() {
  instance::InstanceSettings settings;
  settings.instanceKey = instanceKey();
  settings.global = config::getConfigFlag(key::kGlobalInstanceObject);
  settings.singleInstance = config::getConfigFlag(key::kSingleInstance);
  settings.bringToFront = config::getConfigFlag(key::kBringToFront);
  Win32InstancePlatform platform;
  instance::InstanceDecision decision = instance::decideInstance(settings, platform);
  if (decision.secondInstance) fatalExit(0);
  platform.keepForLife();
  processState().instanceSemaphoreName = decision.semaphoreName;
}

}  // namespace zvt
