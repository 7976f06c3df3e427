// Services of the tests: names no other run uses, and a guard that removes
// the service whatever the test did or where it failed.
#pragma once

#include <string>

#include "base/handle.h"

namespace zvt::test {

// "ZvtSvc" + purpose + a tag of this run. Wine hands out the same process
// ids run after run, so the tag joins the tick count to the pid: a service
// left behind by an aborted run never collides with a new one.
std::wstring uniqueServiceName(const wchar_t* purpose);

// The Service Control Manager of this machine with all access.
UniqueServiceHandle openServiceManager();

// Deletes the named service at scope end, stopping it first and waiting
// (bounded) for it to stop: a service is removed only once its process has
// ended, so deleting one that is still stopping would leave it registered
// if the run ends first.
class ServiceGuard {
 public:
  explicit ServiceGuard(std::wstring name) : name_(std::move(name)) {}
  ~ServiceGuard();
  ServiceGuard(const ServiceGuard&) = delete;
  ServiceGuard& operator=(const ServiceGuard&) = delete;

  const std::wstring& name() const { return name_; }
  std::string narrow() const;  // UTF-8

 private:
  std::wstring name_;
};

}  // namespace zvt::test
