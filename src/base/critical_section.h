// A critical section that lives as long as its owner, and a scope that holds
// it. Win32 critical sections must be initialised before first use and
// deleted exactly once; both happen here.
#pragma once

#include "base/win32.h"

namespace zvt {

class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void enter() { EnterCriticalSection(&section_); }
  void leave() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

class CriticalSectionScope {
 public:
  explicit CriticalSectionScope(CriticalSection& section) : section_(section) { section_.enter(); }
  ~CriticalSectionScope() { section_.leave(); }
  CriticalSectionScope(const CriticalSectionScope&) = delete;
  CriticalSectionScope& operator=(const CriticalSectionScope&) = delete;

 private:
  CriticalSection& section_;
};

}  // namespace zvt
