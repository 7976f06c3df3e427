#include "support/registry_guard.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/registry_win32.h"
#include "base/text.h"

namespace zvt::test {

// A key's values and subkeys, recursively.
struct RegistryGuard::Snapshot {
  struct NamedValue {
    std::wstring name;
    DWORD type;
    std::vector<uint8_t> bytes;
  };
  std::vector<NamedValue> values;
  std::vector<std::pair<std::wstring, Snapshot>> subkeys;
};

namespace {

using Snapshot = RegistryGuard::Snapshot;

void save(HKEY key, REGSAM view, Snapshot& into) {
  for (const std::wstring& name : registry::valueNames(key)) {
    registry::Value value = registry::queryValue(key, name);
    if (value.ok()) into.values.push_back({name, value.type, std::move(value.bytes)});
  }
  for (const std::wstring& name : registry::subkeyNames(key)) {
    UniqueRegKey sub = registry::openKey(key, name, KEY_READ | view);
    if (!sub) continue;
    into.subkeys.emplace_back(name, Snapshot());
    save(sub.get(), view, into.subkeys.back().second);
  }
}

void restore(HKEY key, REGSAM view, const Snapshot& from) {
  for (const auto& value : from.values) {
    registry::setRaw(key, value.name, value.type, value.bytes.data(), value.bytes.size());
  }
  for (const auto& sub : from.subkeys) {
    UniqueRegKey created = registry::createKey(key, sub.first, KEY_ALL_ACCESS | view);
    if (created) restore(created.get(), view, sub.second);
  }
}

std::wstring uniqueName() {
  static LONG counter = 0;
  static const std::wstring run = std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount());
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::wstring test = info ? utf8ToUtf16(info->name()) : L"test";
  return test + L"_" + run + L"_" + std::to_wstring(InterlockedIncrement(&counter));
}

}  // namespace

RegistryGuard::RegistryGuard(HKEY root, const std::wstring& path, Kind kind, REGSAM view)
    : root_(root), path_(path), view_(view) {
  if (kind == kUniqueSubkey) {
    path_ += L"\\" + uniqueName();
    return;
  }
  UniqueRegKey existing = registry::openKey(root_, path_, KEY_READ | view_);
  if (!existing) return;
  saved_ = std::make_unique<Snapshot>();
  save(existing.get(), view_, *saved_);
}

RegistryGuard::~RegistryGuard() {
  LONG status = registry::deleteTree(root_, path_, view_);
  EXPECT_EQ(ERROR_SUCCESS, status) << "cannot remove the test key " << utf16ToUtf8(path_);
  if (!saved_) return;
  UniqueRegKey key = registry::createKey(root_, path_, KEY_ALL_ACCESS | view_);
  EXPECT_TRUE(key) << "cannot restore the key " << utf16ToUtf8(path_);
  if (key) restore(key.get(), view_, *saved_);
}

UniqueRegKey RegistryGuard::create(REGSAM access) const {
  return registry::createKey(root_, path_, access | view_);
}

UniqueRegKey RegistryGuard::open(REGSAM access) const {
  return registry::openKey(root_, path_, access | view_);
}

}  // namespace zvt::test
