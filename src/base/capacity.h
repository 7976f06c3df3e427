// The fixed capacities the launcher's behaviour depends on, each defined
// once. A value that does not fit one of these is cut or refused by the code
// that uses it; the numbers are part of the observable behaviour (what gets
// cut, when a query fails with "more data"), so they are never restated as
// literals elsewhere. Platform-free: counts are bytes or UTF-16 units as the
// user of the buffer says, always including the terminator.
#pragma once

#include <cstddef>

namespace zvt {

// The standard buffer: paths, configuration strings, messages, registry
// names and data, environment values, the service name, the payload copy
// chunk, the service configuration query.
constexpr size_t kBufferCapacity = 6000;

// Version strings and the shorter configuration texts (application
// arguments, some splash texts).
constexpr size_t kShortBufferCapacity = 2000;

// The child command line and the native-library path property (UTF-16
// units); the service dependency list (bytes).
constexpr size_t kLongBufferCapacity = 12000;

// The rebuilt PATH variable, in bytes.
constexpr size_t kPathVariableCapacity = 48000;

// The "CurrentVersion" value of a Java registry key, in bytes.
constexpr size_t kRegistryVersionCapacity = 100;

// Numbered log files tried before the last one is reused.
constexpr int kLogFileNumbers = 1000;

}  // namespace zvt
