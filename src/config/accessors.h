// Typed read access to the loaded configuration: every key and message is
// read through these, which give the fixed defaults for missing ids (empty
// string, 0) and bound every copy by the caller's capacity.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/capacity.h"
#include "config/block_reader.h"

namespace zvt::config {

// The process-wide configuration: filled once by the loader, read-only
// afterwards, never freed.
LoadedConfiguration& current();

// At most capacity - 1 bytes; a longer value is cut and logged.
std::string getConfigString(uint32_t id, size_t capacity = kBufferCapacity);
// The value converted to UTF-16 through the configuration's code page
// (decodeText), then at most capacity - 1 units, cut cleanly (never inside a
// surrogate pair, never overrun) when longer. The whole value is converted
// before it is cut, so a double-byte character is never split.
std::wstring getConfigStringW(uint32_t id, size_t capacity = kBufferCapacity);
// Configuration text to UTF-16 through the configuration's decoder. Without
// one (no block loaded) only ASCII is certain: every other byte becomes
// U+FFFD rather than a character the text never held.
std::wstring decodeConfigText(const std::string& text);
// The whole value.
std::string getConfigStringCopy(uint32_t id);
// getConfigString (kBufferCapacity) parsed like atoi, saturating instead of
// overflowing.
int getConfigInt(uint32_t id);
bool getConfigFlag(uint32_t id);
// getConfigInt when the block has the key, else `whenAbsent`: for settings
// whose default is not 0.
int getConfigIntOr(uint32_t id, int whenAbsent);

// The message text, cut to capacity - 1 units.
std::wstring getMessage(uint32_t id, size_t capacity = kBufferCapacity);
// getMessage, falling back to a configuration entry of the same id.
std::wstring getMessageText(uint32_t id);

// atoi: leading blanks (space, \t \n \v \f \r), optional sign, decimal
// digits up to the first other character; no digits give 0. Saturates at the
// int range like the Windows C runtime.
int parseInt(const std::string& text);

}  // namespace zvt::config
