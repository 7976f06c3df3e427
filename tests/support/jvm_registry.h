// The fixed registry places of the JVM search, for the tests and benchmarks
// that use them.
//
//   test::EmptiedJvmRegistry registry;      // every key below saved and emptied in both hives
//   test::VersionCacheCleanup cache(dir);   // cache entries of runtimes under dir removed at scope end
//
// A user of EmptiedJvmRegistry must hold the CTest resource lock
// "zvt_fixed_registry" (see registry_guard.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/registry_guard.h"

namespace zvt::test {

extern const wchar_t kJavaSoftKey[];       // the vendor keys
extern const wchar_t kLocatedJvmsKey[];    // the located list
extern const wchar_t kSharedJvmsKey[];     // the shared list
extern const wchar_t kInstallationsKey[];  // earlier installations of applications

// Every place the search reads runtimes from (the keys above, in
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER), saved, emptied, and put back as
// it was when the object goes: nothing the prefix or an earlier run
// registered answers in place of the runtimes a test sets up.
class EmptiedJvmRegistry {
 public:
  EmptiedJvmRegistry();
  ~EmptiedJvmRegistry();
  EmptiedJvmRegistry(const EmptiedJvmRegistry&) = delete;
  EmptiedJvmRegistry& operator=(const EmptiedJvmRegistry&) = delete;
  // True when every key was saved and emptied.
  bool ok() const { return ok_; }

 private:
  std::vector<std::unique_ptr<RegistryGuard>> guards_;
  bool ok_ = true;
};

// The per-user version cache holds one entry per Java executable the
// launcher probed, named after its path. Stand-in runtimes live in a
// sandbox that goes with the test; their entries go with this object: every
// entry for an executable under `directory` (compared without regard to
// case) is removed when it is destroyed. Entries of other directories are
// left alone, so tests that run side by side do not disturb each other.
class VersionCacheCleanup {
 public:
  explicit VersionCacheCleanup(const std::wstring& directory);
  ~VersionCacheCleanup();
  VersionCacheCleanup(const VersionCacheCleanup&) = delete;
  VersionCacheCleanup& operator=(const VersionCacheCleanup&) = delete;

  // Removes the entries now; the number removed.
  int removeEntries() const;

 private:
  // How the names of removed entries begin (long and short form, lower case).
  std::vector<std::wstring> prefixes_;
};

}  // namespace zvt::test
