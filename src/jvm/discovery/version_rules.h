// The one version grammar of the launcher: Java version strings of every
// shape (1.8.0_201, 11.0.2+9, 17-ea) split into integer components, the
// minimum/maximum check with its strict and loose modes, the newer-than
// relation used to pick among candidates, and the plain byte-wise order in
// which version-named registry subkeys are tried. Platform-free; the packer
// and the version-specific VM options use the same functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zvt {

// Signed 32-bit components. Empty is valid: as a bound it means "no bound",
// as a version it is below every non-empty version.
using VersionComponents = std::vector<int32_t>;

// Appends the components of `text`: tokens between any of "._-+" (runs of
// separators give no empty tokens), each read as a decimal prefix after
// leading white space (no digits give 0, too many saturate at INT32_MAX).
// The text ends at its first NUL, as a C string would.
void parseVersion(const std::string& text, VersionComponents& components);
VersionComponents parseVersion(const std::string& text);

enum class BoundSide { Minimum, Maximum };
// Strict: a version shorter than the bound counts its missing components as
// 0 (for versions a Java executable reports). Loose: a version that runs out
// before the bound passes (for registry subkey names such as "1.8", which
// are shorter than the runtime's real version).
enum class BoundMode { Strict, Loose };

// One side of the range check. Walks the bound, never the version, so
// components beyond the bound's length never matter (a maximum of 1.8 admits
// 1.8.0_201).
bool versionBoundCheck(const VersionComponents& bound, const VersionComponents& version, BoundSide side,
                       BoundMode mode);

struct VersionBounds {
  VersionComponents minimum;
  VersionComponents maximum;
};

// The minimum side, then (only if that passed) the maximum side.
bool versionInRange(const std::string& text, const VersionBounds& bounds, BoundMode mode);

// Whether `a` is strictly newer than `b`: equal versions are not; 1.8.0 is
// newer than 1.8 but 1.8 is not newer than 1.8.0; any non-empty version is
// newer than an empty one.
bool isNewerVersion(const std::string& a, const std::string& b);

// Ascending plain byte order (a shorter prefix first, else the first
// differing unsigned byte). Not a version order: "9.0.4" sorts after "17.0.1".
bool subkeyNameLess(const std::string& a, const std::string& b);
void sortSubkeyNames(std::vector<std::string>& names);

// Whether a runtime reports a pre-release build: "beta", "-ea" or "-rc"
// anywhere in its version, case-sensitive.
bool isPrereleaseVersion(const std::string& version);

}  // namespace zvt
