// The service child's priority class from the machine's registry, read the
// way the service host reads it. The key is a fixed path: FixedRegistry.*
// runs under the lock of such tests and puts the key back afterwards.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/registry_win32.h"
#include "runtime/process_state.h"
#include "service/host_win32.h"
#include "support/registry_guard.h"

namespace zvt {
namespace {

const wchar_t* const kKey = L"SOFTWARE\\corvalent-works\\quarn\\priority";

class ServiceNameForTest {
 public:
  explicit ServiceNameForTest(const std::wstring& name) : saved_(processState().serviceName) {
    processState().serviceName = name;
  }
  ~ServiceNameForTest() { processState().serviceName = saved_; }

 private:
  std::wstring saved_;
};

TEST(FixedRegistry, ServicePriorityClassIsAFourByteValueNamedLikeTheService) {
  test::RegistryGuard saved(HKEY_LOCAL_MACHINE, kKey, test::RegistryGuard::kSavedKey);
  ServiceNameForTest name(L"ZvtPriorityService");
  ASSERT_EQ(ERROR_SUCCESS, registry::deleteTree(HKEY_LOCAL_MACHINE, kKey));
  EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), readPriorityClass());  // no key at all

  UniqueRegKey key = saved.create();
  ASSERT_TRUE(key.valid());
  EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), readPriorityClass());  // no value
  ASSERT_EQ(ERROR_SUCCESS, registry::setDword(key.get(), L"OtherService", IDLE_PRIORITY_CLASS));
  EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), readPriorityClass());

  ASSERT_EQ(ERROR_SUCCESS, registry::setDword(key.get(), L"ZvtPriorityService", BELOW_NORMAL_PRIORITY_CLASS));
  EXPECT_EQ(static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS), readPriorityClass());

  // The type is not looked at, the size is: four bytes of any type count.
  const uint8_t high[] = {0x80, 0, 0, 0};
  ASSERT_EQ(ERROR_SUCCESS, registry::setRaw(key.get(), L"ZvtPriorityService", REG_BINARY, high, sizeof(high)));
  EXPECT_EQ(static_cast<DWORD>(HIGH_PRIORITY_CLASS), readPriorityClass());
  const uint8_t wide[] = {0x00, 0x40, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(ERROR_SUCCESS, registry::setRaw(key.get(), L"ZvtPriorityService", REG_QWORD, wide, sizeof(wide)));
  EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), readPriorityClass());
  ASSERT_EQ(ERROR_SUCCESS, registry::setRaw(key.get(), L"ZvtPriorityService", REG_BINARY, high, 2));
  EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), readPriorityClass());

  // Other creation flags in the value (a suspended start) are not taken.
  ASSERT_EQ(ERROR_SUCCESS,
            registry::setDword(key.get(), L"ZvtPriorityService", BELOW_NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED));
  EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), readPriorityClass());
}

}  // namespace
}  // namespace zvt
