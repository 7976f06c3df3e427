// The JNI initialisation record: its fixed fields and option strings that
// stay where the JVM was told they are.
#include "jvm/launch/vm_init_record.h"

#include <gtest/gtest.h>

#include <memory>

namespace zvt {
namespace {

TEST(VmInitRecord, Jni12OptionsInOrderUnrecognisedIgnored) {
  // Short strings (held inside std::string) and a long one.
  auto record = std::make_unique<VmInitRecord>(std::vector<std::string>{"-Xrs", "", std::string(300, 'x')});
  JavaVMInitArgs* args = record->args();
  EXPECT_EQ(0x00010002, args->version);
  EXPECT_EQ(JNI_TRUE, args->ignoreUnrecognized);
  ASSERT_EQ(3, args->nOptions);
  EXPECT_STREQ("-Xrs", args->options[0].optionString);
  EXPECT_STREQ("", args->options[1].optionString);
  EXPECT_EQ(std::string(300, 'x'), args->options[2].optionString);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(nullptr, args->options[i].extraInfo);
    // The pointers are the record's own strings, not copies made for the call.
    EXPECT_EQ(record->options()[static_cast<size_t>(i)].c_str(), args->options[i].optionString);
  }
}

TEST(VmInitRecord, EmptyListHasNoOptionArray) {
  VmInitRecord record;
  EXPECT_EQ(0, record.args()->nOptions);
  EXPECT_EQ(nullptr, record.args()->options);
  EXPECT_EQ(JNI_VERSION_1_2, record.args()->version);
}

}  // namespace
}  // namespace zvt
