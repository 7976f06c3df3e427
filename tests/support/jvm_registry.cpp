#include "support/jvm_registry.h"

#include <algorithm>

#include "base/registry_win32.h"
#include "base/text.h"
#include "base/win32.h"
#include "jvm/discovery/version_cache_rules.h"

namespace zvt::test {

const wchar_t kJavaSoftKey[] = L"SOFTWARE\\JavaSoft";
const wchar_t kLocatedJvmsKey[] = L"SOFTWARE\\corvalent-works\\quarn\\locatedjvms";
const wchar_t kSharedJvmsKey[] = L"SOFTWARE\\corvalent-works\\zentrovia\\sharedjvms";
const wchar_t kInstallationsKey[] = L"SOFTWARE\\corvalent-works\\zentrovia\\installations";

EmptiedJvmRegistry::EmptiedJvmRegistry() {
  for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const wchar_t* path : {kJavaSoftKey, kLocatedJvmsKey, kSharedJvmsKey, kInstallationsKey}) {
      guards_.push_back(std::make_unique<RegistryGuard>(hive, path, RegistryGuard::kSavedKey));
      const LONG status = registry::deleteTree(hive, path);
      ok_ = ok_ && (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND);
    }
  }
}

EmptiedJvmRegistry::~EmptiedJvmRegistry() = default;

namespace {

std::wstring lowered(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::wstring cacheRoot() {
  std::wstring root = utf8ToUtf16(kVersionCacheRoot);
  while (!root.empty() && root.back() == L'\\') root.pop_back();
  return root;
}

}  // namespace

VersionCacheCleanup::VersionCacheCleanup(const std::wstring& directory) {
  // The launcher names an executable by its full long path, or by its short
  // one when the code page cannot hold the long one: both count.
  for (auto form : {&GetLongPathNameW, &GetShortPathNameW}) {
    std::wstring path(32768, L'\0');
    const DWORD n = form(directory.c_str(), &path[0], static_cast<DWORD>(path.size()));
    path.resize(n > 0 && n < path.size() ? n : 0);
    if (path.empty()) path = directory;
    if (path.empty()) continue;
    // The entry name is the executable's path with "/" for "\".
    std::replace(path.begin(), path.end(), L'\\', L'/');
    if (path.back() != L'/') path += L'/';
    prefixes_.push_back(lowered(path));
  }
}

VersionCacheCleanup::~VersionCacheCleanup() { removeEntries(); }

int VersionCacheCleanup::removeEntries() const {
  const std::wstring root = cacheRoot();
  UniqueRegKey key = registry::openKey(HKEY_CURRENT_USER, root, KEY_READ);
  if (!key) return 0;
  int removed = 0;
  for (const std::wstring& entry : registry::subkeyNames(key.get())) {
    const std::wstring name = lowered(entry);
    if (std::none_of(prefixes_.begin(), prefixes_.end(),
                     [&](const std::wstring& prefix) { return name.compare(0, prefix.size(), prefix) == 0; })) {
      continue;
    }
    removed += registry::deleteTree(HKEY_CURRENT_USER, root + L"\\" + entry) == ERROR_SUCCESS ? 1 : 0;
  }
  return removed;
}

}  // namespace zvt::test
