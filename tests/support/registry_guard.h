// Registry keys of a test, removed or put back when the guard goes out of
// scope, so also when an assertion ends the test early.
//
//   RegistryGuard mine(HKEY_CURRENT_USER, L"Software\\ZvtTest", RegistryGuard::kUniqueSubkey);
//   UniqueRegKey key = mine.create();          // HKCU\Software\ZvtTest\<test>_<run>_<n>
//
//   RegistryGuard java(HKEY_LOCAL_MACHINE, L"SOFTWARE\\JavaSoft", RegistryGuard::kSavedKey, KEY_WOW64_32KEY);
//   // ... the test changes the fixed key freely; its values and subkeys
//   // are restored at scope end (or the key removed if it did not exist).
//
// A test that uses a fixed key must also hold the CTest resource lock
// "zvt_fixed_registry" (see tests/e2e/CMakeLists.txt), so that no two such
// tests run side by side.
#pragma once

#include <memory>
#include <string>

#include "base/handle.h"
#include "base/win32.h"

namespace zvt::test {

class RegistryGuard {
 public:
  enum Kind {
    kUniqueSubkey,  // `path` is a parent; the guard owns a fresh subkey of it
    kSavedKey,      // `path` is the fixed key itself, saved now
  };
  // `view` is 0, KEY_WOW64_32KEY or KEY_WOW64_64KEY.
  RegistryGuard(HKEY root, const std::wstring& path, Kind kind, REGSAM view = 0);
  ~RegistryGuard();
  RegistryGuard(const RegistryGuard&) = delete;
  RegistryGuard& operator=(const RegistryGuard&) = delete;

  HKEY root() const { return root_; }
  // The guarded key (for a unique subkey: parent\name).
  const std::wstring& path() const { return path_; }
  // Opens the guarded key, creating it when missing.
  UniqueRegKey create(REGSAM access = KEY_ALL_ACCESS) const;
  // Opens the guarded key; invalid when it does not exist.
  UniqueRegKey open(REGSAM access = KEY_READ) const;

  struct Snapshot;

 private:
  HKEY root_;
  std::wstring path_;
  REGSAM view_;
  std::unique_ptr<Snapshot> saved_;  // kSavedKey: the key as it was (null: absent)
};

}  // namespace zvt::test
