// Names of the instance semaphore. Platform-free: the instance key (the
// executable's full path, lower case) comes in from the Win32 side.
#pragma once

#include <cstdint>
#include <string>

namespace zvt::instance {

// Outside single-instance mode the counter runs from 0 up to this value.
constexpr uint32_t kCounterLimit = 100000;

// The ANSI object functions convert a name into a buffer of MAX_PATH (260)
// units and refuse anything longer, terminator included. The longest name is
// "Global\" (7) + object name + "100000" (6), so the object name may take
// 259 - 13 units.
constexpr size_t kMaxNameUnits = 259;
constexpr size_t kMaxObjectNameUnits = kMaxNameUnits - 7 - 6;

// The instance key with every backslash and every blank turned into an
// underscore: "c:\program files\app\svc.exe" -> "c:_program_files_app_svc.exe".
std::string toObjectName(const std::string& instanceKey);

// toObjectName, kept short enough for the object functions: a longer form
// becomes a 64-bit hash of the whole form in hexadecimal, "_", and the
// form's tail. Every process of one executable computes the same name.
std::string boundedObjectName(const std::string& instanceKey);

// "Global\" or "Local\".
const char* namespacePrefix(bool global);

// The base name: prefix followed by the object name (the single-instance
// name); counted names append the decimal counter.
std::string semaphoreBaseName(bool global, const std::string& instanceKey);
std::string countedName(const std::string& baseName, uint32_t counter);

}  // namespace zvt::instance
