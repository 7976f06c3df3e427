// The zvtpack command line, testable in-process: arguments in (UTF-8, the
// command first), standard output and error text out, the exit code back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zvt::pack {

// 0 success, 1 failure (nothing written), 2 a malformed command line
// (nothing written). Every failure ends with a line "zvtpack: ...; nothing
// written" on `err`.
int runZvtpack(const std::vector<std::string>& arguments, std::string& out, std::string& err);
// The same, for a packer installed in `installDirectory`: "pack" without a
// template takes the one of launcher.architecture's width from there.
int runZvtpack(const std::vector<std::string>& arguments, std::string& out, std::string& err,
               const std::string& installDirectory);

// The template of each width, as shipped beside the packer: zvtsvc.exe
// (32-bit) and zvtsvc64.exe (64-bit).
const char* templateName(unsigned bits);

// The largest configuration (or description) file the packer reads, checked
// before reading: 16 MiB. Real configurations have a few KiB; even every
// setting, all 1000 version-specific lines and every message in 30 languages
// at the launcher's own limits come to about 14 MB. A larger file is a
// mistake (an archive or a launcher given in its place) that would cost
// seconds and hundreds of MiB of parsing before it is refused.
constexpr uint64_t kConfigurationSizeLimit = 16u << 20;

}  // namespace zvt::pack
