// What the Service Control Manager accepts as a service name, checked
// without asking it: the packer refuses a name at pack time instead of the
// launcher failing at /install with "Could not create service.".
#pragma once

#include <cstddef>
#include <string>

namespace zvt {

// CreateService refuses longer names (ERROR_INVALID_NAME).
constexpr size_t kScmServiceNameMax = 256;

// Why the Service Control Manager would refuse `name` (UTF-16 units), or
// nullptr when it would accept it: empty, longer than 256 characters, or
// containing "/" or "\" (the manager keeps services under registry keys
// named after them). Names of blanks only or with blanks at either end are
// refused as well: the manager takes them, but nobody finds the service
// under the name they see.
const char* serviceNameProblem(const std::wstring& name);

// The same for an entry of a dependency list, which names a service, or a
// load-order group when it starts with "+". A "," cannot be part of a name:
// it separates the names in the configuration.
const char* dependencyNameProblem(const std::wstring& name);

}  // namespace zvt
