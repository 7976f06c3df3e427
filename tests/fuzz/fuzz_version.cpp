// The version grammar over arbitrary text: the input is split at its first
// 0x01 byte into two version strings. Checks the relations that the JVM
// search relies on when it picks the newest candidate: newer-than is a
// strict order, range checks agree with the bound sides, and the subkey
// order is a strict weak order.
#include <cstddef>
#include <cstdint>
#include <string>

#include "jvm/discovery/version_rules.h"

using namespace zvt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\x01');
  const std::string a = input.substr(0, cut);
  const std::string b = cut == std::string::npos ? std::string() : input.substr(cut + 1);

  const VersionComponents va = parseVersion(a);
  const VersionComponents vb = parseVersion(b);
  for (int32_t c : va)
    if (c < 0) __builtin_trap();  // no sign can reach a component
  if (va.size() > a.size()) __builtin_trap();

  if (isNewerVersion(a, a)) __builtin_trap();
  if (isNewerVersion(a, b) && isNewerVersion(b, a)) __builtin_trap();
  if (!va.empty() && !isNewerVersion(a, "")) __builtin_trap();

  // A version is always within [itself, itself] in both modes.
  const VersionBounds self{va, va};
  if (!versionInRange(a, self, BoundMode::Strict) || !versionInRange(a, self, BoundMode::Loose)) __builtin_trap();
  // Loose mode never refuses what strict mode accepts.
  const VersionBounds other{vb, vb};
  if (versionInRange(a, other, BoundMode::Strict) && !versionInRange(a, other, BoundMode::Loose)) __builtin_trap();
  // A version newer than the maximum never passes it strictly.
  if (isNewerVersion(a, b) && va.size() <= vb.size() &&
      versionBoundCheck(vb, va, BoundSide::Maximum, BoundMode::Strict))
    __builtin_trap();

  if (subkeyNameLess(a, b) && subkeyNameLess(b, a)) __builtin_trap();
  if (subkeyNameLess(a, a)) __builtin_trap();
  isPrereleaseVersion(a);
  return 0;
}
