// Ids of the messages the launcher shows. The texts come from the
// configuration block; the error report asks for them by these ids through
// the message source the configuration installs.
#pragma once

#include <cstdint>

namespace zvt::msg {

constexpr uint32_t kErrorCaption = 1000;
constexpr uint32_t kRegistryJvmUnusable = 1005;
constexpr uint32_t kClassPathEntryMissing = 1006;
constexpr uint32_t kClassPathVariableUndefined = 1008;
constexpr uint32_t kInternalError = 1009;
constexpr uint32_t kMainClassNotLoaded = 1010;
constexpr uint32_t kMainMethodNotFound = 1011;
constexpr uint32_t kNoTempDirectory = 1015;
constexpr uint32_t kNoJvmFound = 1016;
constexpr uint32_t kJvmVariableBroken = 1017;
constexpr uint32_t kJvmDamaged = 1019;
constexpr uint32_t kUnpackFailed = 1021;
// A runtime of the other width was the last candidate (32-bit launcher,
// 64-bit runtime; and the reverse).
constexpr uint32_t kRuntimeIs64Bit = 1101;
constexpr uint32_t kRuntimeIs32Bit = 1102;
constexpr uint32_t kServiceDescription = 20017;

}  // namespace zvt::msg
