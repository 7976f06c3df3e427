// The dependency list handed to CreateService: service names, each ending
// with a NUL, and one more NUL after the last.
#pragma once

#include <optional>
#include <string>

namespace zvt {

// Splits the comma-separated `names` the way strtok does: runs of commas
// separate like one, leading and trailing commas yield nothing, blanks stay
// part of a name. An empty text gives no list at all (the service depends on
// nothing); a text of commas only gives the empty list (a single NUL).
// The result holds every terminator explicitly, the final one included.
std::optional<std::wstring> buildDependencyList(const std::wstring& names);

}  // namespace zvt
