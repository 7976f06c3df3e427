// The test toolkit's registry guard: a unique subkey that is gone after the
// test, also after a failed assertion, and a fixed key put back exactly as
// it was. FixedRegistry.* changes a fixed key and runs under the CTest
// resource lock of such tests.
#include "support/registry_guard.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "base/registry_win32.h"

namespace zvt::test {
namespace {

bool exists(HKEY root, const std::wstring& path) {
  return registry::openKey(root, path, KEY_READ).valid();
}

std::wstring g_failedPath;

void failWhileGuarded() {
  RegistryGuard guard(HKEY_CURRENT_USER, L"Software\\ZvtTest", RegistryGuard::kUniqueSubkey);
  g_failedPath = guard.path();
  UniqueRegKey key = guard.create();
  ASSERT_TRUE(key);
  ASSERT_EQ(ERROR_SUCCESS, registry::setString(key.get(), L"v", L"w"));
  ASSERT_TRUE(registry::createKey(key.get(), L"sub\\deeper", KEY_ALL_ACCESS));
  ASSERT_TRUE(false) << "planned failure";
}

TEST(RegistryGuard, UniqueSubkeysDifferAndGoEvenWhenTheTestFails) {
  std::wstring first, second;
  {
    RegistryGuard a(HKEY_CURRENT_USER, L"Software\\ZvtTest", RegistryGuard::kUniqueSubkey);
    RegistryGuard b(HKEY_CURRENT_USER, L"Software\\ZvtTest", RegistryGuard::kUniqueSubkey);
    first = a.path();
    second = b.path();
    EXPECT_NE(first, second);
    EXPECT_EQ(0u, first.find(L"Software\\ZvtTest\\"));
    EXPECT_FALSE(a.open());  // nothing is created before it is asked for
    ASSERT_TRUE(a.create());
    ASSERT_TRUE(b.create());
    EXPECT_TRUE(exists(HKEY_CURRENT_USER, first));
  }
  EXPECT_FALSE(exists(HKEY_CURRENT_USER, first));
  EXPECT_FALSE(exists(HKEY_CURRENT_USER, second));

  EXPECT_FATAL_FAILURE(failWhileGuarded(), "planned failure");
  ASSERT_FALSE(g_failedPath.empty());
  EXPECT_FALSE(exists(HKEY_CURRENT_USER, g_failedPath));
}

std::vector<std::wstring> sorted(std::vector<std::wstring> names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FixedRegistry, ASavedKeyIsPutBackExactly) {
  const std::wstring fixed = L"Software\\ZvtTestFixed";
  ASSERT_EQ(ERROR_SUCCESS, registry::deleteTree(HKEY_CURRENT_USER, fixed));
  {
    UniqueRegKey key = registry::createKey(HKEY_CURRENT_USER, fixed, KEY_ALL_ACCESS);
    ASSERT_TRUE(key);
    std::vector<uint8_t> bare = {'a', 0, 'b', 0};  // a string without terminator stays one
    ASSERT_EQ(ERROR_SUCCESS, registry::setRaw(key.get(), L"bare", REG_SZ, bare.data(), bare.size()));
    ASSERT_EQ(ERROR_SUCCESS, registry::setDword(key.get(), L"d", 5));
    UniqueRegKey sub = registry::createKey(key.get(), L"1.8\\inner", KEY_ALL_ACCESS);
    ASSERT_EQ(ERROR_SUCCESS, registry::setString(sub.get(), L"JavaHome", L"C:\\jre"));
  }
  {
    RegistryGuard guard(HKEY_CURRENT_USER, fixed, RegistryGuard::kSavedKey);
    EXPECT_EQ(fixed, guard.path());
    UniqueRegKey key = guard.open(KEY_ALL_ACCESS);
    ASSERT_TRUE(key);
    ASSERT_EQ(ERROR_SUCCESS, registry::deleteValue(key.get(), L"bare"));
    ASSERT_EQ(ERROR_SUCCESS, registry::setDword(key.get(), L"d", 6));
    ASSERT_EQ(ERROR_SUCCESS, registry::setString(key.get(), L"added", L"x"));
    ASSERT_EQ(ERROR_SUCCESS, registry::deleteTree(key.get(), L"1.8"));
    ASSERT_TRUE(registry::createKey(key.get(), L"11", KEY_ALL_ACCESS));
  }
  UniqueRegKey key = registry::openKey(HKEY_CURRENT_USER, fixed, KEY_READ);
  ASSERT_TRUE(key);
  EXPECT_EQ((std::vector<std::wstring>{L"bare", L"d"}), sorted(registry::valueNames(key.get())));
  registry::Value bare = registry::queryValue(key.get(), L"bare");
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), bare.type);
  EXPECT_EQ((std::vector<uint8_t>{'a', 0, 'b', 0}), bare.bytes);
  EXPECT_EQ(5u, registry::readDword(key.get(), L"d").value_or(0));
  EXPECT_EQ(std::vector<std::wstring>{L"1.8"}, registry::subkeyNames(key.get()));
  UniqueRegKey inner = registry::openKey(key.get(), L"1.8\\inner", KEY_READ);
  EXPECT_EQ(L"C:\\jre", registry::readString(inner.get(), L"JavaHome").value_or(L"?"));
  inner.reset();
  key.reset();
  EXPECT_EQ(ERROR_SUCCESS, registry::deleteTree(HKEY_CURRENT_USER, fixed));
}

TEST(FixedRegistry, AKeyThatDidNotExistIsRemovedAgain) {
  const std::wstring fixed = L"Software\\ZvtTestFixedAbsent";
  ASSERT_EQ(ERROR_SUCCESS, registry::deleteTree(HKEY_CURRENT_USER, fixed));
  {
    RegistryGuard guard(HKEY_CURRENT_USER, fixed, RegistryGuard::kSavedKey);
    UniqueRegKey key = guard.create();
    ASSERT_TRUE(key);
    ASSERT_TRUE(registry::createKey(key.get(), L"sub", KEY_ALL_ACCESS));
  }
  EXPECT_FALSE(exists(HKEY_CURRENT_USER, fixed));
}

}  // namespace
}  // namespace zvt::test
