// The registry helpers against the real registry, each test under a subkey
// of its own: exact value sizes, strings stored without a terminator, types,
// enumeration, views and removal.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/registry_win32.h"
#include "base/text.h"

namespace zvt {
namespace {

using registry::kNoLimit;

std::vector<uint8_t> utf16Bytes(const std::wstring& text) {
  std::vector<uint8_t> bytes;
  appendUtf16Le(bytes, text);
  return bytes;
}

std::wstring uniqueSubkey(const wchar_t* root) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::wstring(root) + L"\\" + utf8ToUtf16(info->name()) + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
         std::to_wstring(GetTickCount());
}

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = uniqueSubkey(L"Software\\ZvtTest");
    LONG status = 0;
    key_ = registry::createKey(HKEY_CURRENT_USER, path_, KEY_ALL_ACCESS, &status);
    ASSERT_TRUE(key_) << status;
  }
  void TearDown() override {
    key_.reset();
    EXPECT_EQ(ERROR_SUCCESS, registry::deleteTree(HKEY_CURRENT_USER, path_));
  }
  HKEY key() const { return key_.get(); }

  std::wstring path_;
  UniqueRegKey key_;
};

TEST_F(Registry, BinaryValuesComeBackWithTheirExactSize) {
  for (size_t size : {0u, 1u, 7u, 8u, 9u, 6000u, 6001u}) {
    SCOPED_TRACE(size);
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    const std::wstring name = L"bin" + std::to_wstring(size);
    ASSERT_EQ(ERROR_SUCCESS, registry::setBinary(key(), name, bytes));
    std::optional<std::vector<uint8_t>> read = registry::readBinary(key(), name);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(bytes, *read);
    registry::Value raw = registry::queryValue(key(), name);
    EXPECT_TRUE(raw.ok());
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), raw.type);
    EXPECT_EQ(size, raw.bytes.size());
  }
}

// A limit is a buffer of that many bytes: what fits is read whole, what does
// not fails the way the system fails a short buffer.
TEST_F(Registry, ALimitRefusesLargerValuesInsteadOfCuttingThem) {
  for (size_t size : {7u, 8u, 9u}) {
    ASSERT_EQ(ERROR_SUCCESS,
              registry::setBinary(key(), L"v" + std::to_wstring(size), std::vector<uint8_t>(size, 0xAB)));
  }
  EXPECT_EQ(7u, registry::readBinary(key(), L"v7", 8)->size());
  EXPECT_EQ(8u, registry::readBinary(key(), L"v8", 8)->size());
  EXPECT_FALSE(registry::readBinary(key(), L"v9", 8).has_value());
  EXPECT_EQ(ERROR_MORE_DATA, registry::queryValue(key(), L"v9", 8).status);

  ASSERT_EQ(ERROR_SUCCESS, registry::setString(key(), L"s", L"abc"));  // 8 bytes with the terminator
  EXPECT_EQ(L"abc", registry::readString(key(), L"s", 8).value_or(L"?"));
  EXPECT_FALSE(registry::readString(key(), L"s", 7).has_value());
}

TEST_F(Registry, StringsWithoutTerminatorOddSizesAndEmbeddedNuls) {
  // Stored without its terminator, as other programs may leave a value.
  std::vector<uint8_t> bare = utf16Bytes(L"Z\x00fcrich");
  ASSERT_EQ(ERROR_SUCCESS, registry::setRaw(key(), L"bare", REG_SZ, bare.data(), bare.size()));
  EXPECT_EQ(bare.size(), registry::queryValue(key(), L"bare").bytes.size()) << "stored with a terminator after all";
  EXPECT_EQ(L"Z\x00fcrich", registry::readString(key(), L"bare").value_or(L"?"));

  std::vector<uint8_t> odd = utf16Bytes(L"abc");
  odd.push_back('d');  // seven bytes: half a unit at the end
  ASSERT_EQ(ERROR_SUCCESS, registry::setRaw(key(), L"odd", REG_SZ, odd.data(), odd.size()));
  EXPECT_EQ(7u, registry::queryValue(key(), L"odd").bytes.size());
  EXPECT_EQ(L"abc", registry::readString(key(), L"odd").value_or(L"?"));

  std::vector<uint8_t> embedded = utf16Bytes(std::wstring(L"ab\0cd", 5));
  embedded.push_back(0);
  embedded.push_back(0);
  ASSERT_EQ(ERROR_SUCCESS, registry::setRaw(key(), L"embedded", REG_SZ, embedded.data(), embedded.size()));
  EXPECT_EQ(L"ab", registry::readString(key(), L"embedded").value_or(L"?"));

  ASSERT_EQ(ERROR_SUCCESS, registry::setRaw(key(), L"empty", REG_SZ, nullptr, 0));
  EXPECT_EQ(L"", registry::readString(key(), L"empty").value_or(L"?"));

  // Expandable strings are read as stored, not expanded.
  std::vector<uint8_t> expandable = utf16Bytes(L"%SystemRoot%\\x");
  ASSERT_EQ(ERROR_SUCCESS, registry::setRaw(key(), L"expand", REG_EXPAND_SZ, expandable.data(), expandable.size()));
  EXPECT_EQ(L"%SystemRoot%\\x", registry::readString(key(), L"expand").value_or(L"?"));

  // The default value has the empty name.
  ASSERT_EQ(ERROR_SUCCESS, registry::setString(key(), L"", L"default"));
  EXPECT_EQ(L"default", registry::readString(key(), L"").value_or(L"?"));
}

TEST_F(Registry, NarrowReadsUseTheAnsiCodePage) {
  const std::wstring text = L"C:\\Z\x00fcrich\\jre";
  ASSERT_EQ(ERROR_SUCCESS, registry::setString(key(), L"JavaHome", text));
  char expected[64] = {};
  int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), expected, 64, nullptr, nullptr);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(expected, n), registry::readStringA(key(), "JavaHome").value_or("?"));
  EXPECT_FALSE(registry::readStringA(key(), "NoSuchValue").has_value());
  UniqueRegKey narrow = registry::openKeyA(HKEY_CURRENT_USER, utf16ToUtf8(path_), KEY_READ);
  ASSERT_TRUE(narrow);
  EXPECT_EQ(std::string(expected, n), registry::readStringA(narrow.get(), "JavaHome", 6000).value_or("?"));
}

TEST_F(Registry, TypesAreCheckedAndMissingValuesSaySo) {
  ASSERT_EQ(ERROR_SUCCESS, registry::setDword(key(), L"d", 0xDEADBEEF));
  EXPECT_EQ(0xDEADBEEFu, registry::readDword(key(), L"d").value_or(0));
  ASSERT_EQ(ERROR_SUCCESS, registry::setString(key(), L"s", L"1"));
  ASSERT_EQ(ERROR_SUCCESS, registry::setBinary(key(), L"b4", {1, 0, 0, 0}));

  EXPECT_FALSE(registry::readString(key(), L"d").has_value());
  EXPECT_FALSE(registry::readDword(key(), L"s").has_value());
  EXPECT_FALSE(registry::readDword(key(), L"b4").has_value());
  EXPECT_FALSE(registry::readBinary(key(), L"s").has_value());
  EXPECT_FALSE(registry::readString(key(), L"missing").has_value());
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry::queryValue(key(), L"missing").status);
  EXPECT_EQ(ERROR_INVALID_HANDLE, registry::queryValue(nullptr, L"d").status);

  EXPECT_EQ(ERROR_SUCCESS, registry::deleteValue(key(), L"d"));
  EXPECT_FALSE(registry::readDword(key(), L"d").has_value());
}

TEST_F(Registry, SubkeysOneLevelDeepAndValueNamesAreEnumerated) {
  const std::wstring longest(255, L'k');  // the longest key name there is
  for (const std::wstring& sub : {std::wstring(L"b\\deeper"), std::wstring(L"A"), std::wstring(L"c 1"), longest}) {
    ASSERT_TRUE(registry::createKey(key(), sub, KEY_ALL_ACCESS));
  }
  std::vector<std::wstring> names = registry::subkeyNames(key());
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::wstring>{L"A", L"b", L"c 1", longest}), names);

  std::vector<std::string> narrow = registry::subkeyNamesA(key());
  std::sort(narrow.begin(), narrow.end());
  EXPECT_EQ((std::vector<std::string>{"A", "b", "c 1", std::string(255, 'k')}), narrow);

  ASSERT_EQ(ERROR_SUCCESS, registry::setString(key(), L"", L"default"));
  ASSERT_EQ(ERROR_SUCCESS, registry::setDword(key(), std::wstring(300, L'v'), 1));
  std::vector<std::wstring> values = registry::valueNames(key());
  std::sort(values.begin(), values.end());
  EXPECT_EQ((std::vector<std::wstring>{L"", std::wstring(300, L'v')}), values);

  UniqueRegKey leaf = registry::openKey(key(), L"A", KEY_READ);
  ASSERT_TRUE(leaf);
  EXPECT_TRUE(registry::subkeyNames(leaf.get()).empty());
  EXPECT_TRUE(registry::valueNames(leaf.get()).empty());
}

TEST_F(Registry, OpenFailuresAndTreeRemoval) {
  LONG status = 0;
  EXPECT_FALSE(registry::openKey(HKEY_CURRENT_USER, path_ + L"\\missing", KEY_READ, &status));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, status);

  UniqueRegKey deep = registry::createKey(HKEY_CURRENT_USER, path_ + L"\\x\\y\\z", KEY_ALL_ACCESS);
  ASSERT_TRUE(deep);
  ASSERT_EQ(ERROR_SUCCESS, registry::setString(deep.get(), L"v", L"w"));
  deep.reset();
  // createKey opens what exists.
  UniqueRegKey again = registry::createKey(HKEY_CURRENT_USER, path_ + L"\\x\\y\\z", KEY_READ);
  ASSERT_TRUE(again);
  EXPECT_EQ(L"w", registry::readString(again.get(), L"v").value_or(L"?"));
  again.reset();

  EXPECT_EQ(ERROR_SUCCESS, registry::deleteTree(HKEY_CURRENT_USER, path_ + L"\\x"));
  EXPECT_FALSE(registry::openKey(HKEY_CURRENT_USER, path_ + L"\\x", KEY_READ, &status));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, status);
  EXPECT_TRUE(registry::openKey(HKEY_CURRENT_USER, path_, KEY_READ));
  // Removing what is not there is no failure.
  EXPECT_EQ(ERROR_SUCCESS, registry::deleteTree(HKEY_CURRENT_USER, path_ + L"\\x"));
}

// HKLM\Software is split into a 32-bit and a 64-bit view on 64-bit Windows;
// a 32-bit system has one view and ignores the flags.
TEST(RegistryViews, TheViewFlagChoosesTheKey) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  const bool twoViews = sizeof(void*) == 8 || wow64;
  const std::wstring path = uniqueSubkey(L"SOFTWARE\\ZvtTest");
  {
    LONG status = 0;
    UniqueRegKey key = registry::createKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &status);
    ASSERT_TRUE(key) << status;
    ASSERT_EQ(ERROR_SUCCESS, registry::setString(key.get(), L"JavaHome", L"thirty-two"));
  }
  UniqueRegKey in32 = registry::openKey(HKEY_LOCAL_MACHINE, path, KEY_READ | KEY_WOW64_32KEY);
  ASSERT_TRUE(in32);
  EXPECT_EQ(L"thirty-two", registry::readString(in32.get(), L"JavaHome").value_or(L"?"));
  UniqueRegKey in64 = registry::openKey(HKEY_LOCAL_MACHINE, path, KEY_READ | KEY_WOW64_64KEY);
  EXPECT_EQ(!twoViews, static_cast<bool>(in64));
  if (twoViews) {
    EXPECT_EQ(ERROR_SUCCESS, registry::deleteTree(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY));  // nothing there
    EXPECT_TRUE(registry::openKey(HKEY_LOCAL_MACHINE, path, KEY_READ | KEY_WOW64_32KEY));
  }
  in32.reset();
  EXPECT_EQ(ERROR_SUCCESS, registry::deleteTree(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY));
  EXPECT_FALSE(registry::openKey(HKEY_LOCAL_MACHINE, path, KEY_READ | KEY_WOW64_32KEY));
}

}  // namespace
}  // namespace zvt
