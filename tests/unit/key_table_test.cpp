#include <gtest/gtest.h>

#include <string>

#include "config/key_table.h"
#include "config/keys.h"

namespace zvt::config {
namespace {

TEST(KeyTable, SortedUniqueAndConsistent) {
  size_t count = 0;
  const KeyInfo* keys = keyTable(count);
  ASSERT_GT(count, 50u);
  for (size_t i = 1; i < count; ++i) EXPECT_LT(keys[i - 1].id, keys[i].id) << keys[i].id;
  for (size_t i = 0; i < count; ++i) {
    const KeyInfo& k = keys[i];
    bool sized = k.accessor == Accessor::Str || k.accessor == Accessor::WStr || k.accessor == Accessor::StrAndWStr;
    EXPECT_EQ(sized, k.capacity != 0) << k.id;
    EXPECT_NE(std::string(), k.meaning) << k.id;
  }
  // The capacities that change visible behaviour.
  EXPECT_EQ(2u, keyInfo(2001)->capacity);
  EXPECT_EQ(200u, keyInfo(152)->capacity);
  EXPECT_EQ(2000u, keyInfo(124)->capacity);
  EXPECT_EQ(Accessor::Copy, keyInfo(2003)->accessor);
}

TEST(KeyTable, VersionSpecificLinesAlternate) {
  EXPECT_EQ(Accessor::Copy, keyInfo(10201)->accessor);
  EXPECT_EQ(Accessor::WStr, keyInfo(10202)->accessor);
  EXPECT_EQ(Accessor::Copy, keyInfo(10205)->accessor);
  EXPECT_EQ(Accessor::Int, keyInfo(10200)->accessor);
  // Ids the launcher does not read.
  for (uint32_t id : {141u, 150u, 10112u, 10119u, 0u, 99999u}) EXPECT_EQ(nullptr, keyInfo(id)) << id;
}

TEST(KeyTable, EveryNamedIdIsInTheTables) {
  for (uint32_t id : {key::kServiceName, key::kLauncherKind, key::kWorkingDirectory, key::kServiceDependencies,
                      key::kRegisterDllDirectories, key::kRuntimeFlavour, key::kIncludedFileCount,
                      key::kIncludedFileNames, key::kNativeLibraryDirectories, key::kPreferLongTempPath,
                      key::kReducePath, key::kIgnoreJavaOptionsVariables, key::kVersionOptionLineCount,
                      key::kVersionOptionLinesFirst, key::kMainClass, key::kClassPath, key::kJvmSearchSequence}) {
    EXPECT_NE(nullptr, keyInfo(id)) << id;
  }
  for (uint32_t id : {msg::kErrorCaption, msg::kInternalError, msg::kNoTempDirectory, msg::kServiceDescription,
                      msg::kNoJvmFound, msg::kJvmDamaged, msg::kUnpackFailed}) {
    EXPECT_NE(nullptr, messageInfo(id)) << id;
  }
}

TEST(MessageTable, DefaultsCarryTheirPlaceholders) {
  size_t count = 0;
  const MessageInfo* messages = messageTable(count);
  for (size_t i = 1; i < count; ++i) EXPECT_LT(messages[i - 1].id, messages[i].id);
  for (uint32_t id : {1006u, 1008u, 1009u, 1010u, 1016u, 1017u, 1019u}) {
    EXPECT_NE(std::wstring::npos, std::wstring(messageInfo(id)->defaultText).find(L"{0}")) << id;
  }
  EXPECT_EQ(std::wstring(L"Error"), messageInfo(1000)->defaultText);
  EXPECT_EQ(std::wstring(), messageInfo(20017)->defaultText);
  EXPECT_EQ(nullptr, messageInfo(1001));
}

}  // namespace
}  // namespace zvt::config
