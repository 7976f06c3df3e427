// Registry helpers on UniqueRegKey: every registry use goes through these.
//
//   UniqueRegKey key = registry::openKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\JavaSoft\\JRE",
//                                        KEY_READ | KEY_WOW64_32KEY);
//   std::optional<std::wstring> home = registry::readString(key.get(), L"JavaHome", kBufferCapacity);
//
// Views: the access mask carries the view flag (KEY_WOW64_32KEY or
// KEY_WOW64_64KEY); without one the process's own view is used, which for
// the 32-bit launcher on 64-bit Windows is the 32-bit view.
//
// Sizes: reads return exactly the bytes stored, never a buffer's worth. A
// limit, where given, is the capacity of the buffer the behaviour is defined
// with: a larger value fails as the system fails it (ERROR_MORE_DATA) rather
// than being cut. Strings stored without their terminator, or with an odd
// byte count, are read safely (the text up to the first NUL, a trailing odd
// byte dropped).
//
// Narrow (…A) variants go through the ANSI functions, so names and values
// come out in the ANSI code page exactly as narrow platform calls see them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/handle.h"
#include "base/win32.h"

namespace zvt::registry {

constexpr size_t kNoLimit = SIZE_MAX;

// Opens root\path with `access` (KEY_READ, KEY_WRITE, ... | a view flag).
// An invalid key on failure; `status` (if given) receives the error.
UniqueRegKey openKey(HKEY root, const std::wstring& path, REGSAM access, LONG* status = nullptr);
UniqueRegKey openKeyA(HKEY root, const std::string& path, REGSAM access, LONG* status = nullptr);
// Opens or creates root\path (and the keys above it).
UniqueRegKey createKey(HKEY root, const std::wstring& path, REGSAM access, LONG* status = nullptr);

// A value as stored: its type and exactly its bytes.
struct Value {
  LONG status = ERROR_FILE_NOT_FOUND;  // ERROR_SUCCESS when read
  DWORD type = REG_NONE;
  std::vector<uint8_t> bytes;

  bool ok() const { return status == ERROR_SUCCESS; }
};
// Reads value `name` ("" or nullptr name: the key's default value). A value
// larger than `limit` bytes fails with ERROR_MORE_DATA.
Value queryValue(HKEY key, const std::wstring& name, size_t limit = kNoLimit);

// REG_SZ or REG_EXPAND_SZ (not expanded): the text up to the first NUL.
// Nothing for a missing value, another type, or more than `limit` bytes.
std::optional<std::wstring> readString(HKEY key, const std::wstring& name, size_t limit = kNoLimit);
std::optional<std::string> readStringA(HKEY key, const std::string& name, size_t limit = kNoLimit);
// REG_DWORD of exactly four bytes.
std::optional<DWORD> readDword(HKEY key, const std::wstring& name);
// REG_BINARY: exactly the stored bytes.
std::optional<std::vector<uint8_t>> readBinary(HKEY key, const std::wstring& name, size_t limit = kNoLimit);

// The names of the direct subkeys, in the order the system enumerates them
// (Wine sorts them case-insensitively; Windows gives no promise).
std::vector<std::wstring> subkeyNames(HKEY key);
std::vector<std::string> subkeyNamesA(HKEY key);
// The names of the key's values ("" for the default value when it is set).
std::vector<std::wstring> valueNames(HKEY key);

// Writing. Strings are stored with their terminator.
LONG setString(HKEY key, const std::wstring& name, const std::wstring& text);
LONG setDword(HKEY key, const std::wstring& name, DWORD value);
LONG setBinary(HKEY key, const std::wstring& name, const std::vector<uint8_t>& bytes);
// Exactly these bytes under this type (for example a REG_SZ without its
// terminator, as other programs may leave one): the system's habit of
// adding a terminator the count left out does not apply.
LONG setRaw(HKEY key, const std::wstring& name, DWORD type, const void* bytes, size_t byteCount);
LONG deleteValue(HKEY key, const std::wstring& name);

// Removes root\path with everything below it, in the view given by `view`
// (0, KEY_WOW64_32KEY or KEY_WOW64_64KEY). ERROR_SUCCESS also when it did
// not exist. For test clean-up and uninstallation.
LONG deleteTree(HKEY root, const std::wstring& path, REGSAM view = 0);

}  // namespace zvt::registry
