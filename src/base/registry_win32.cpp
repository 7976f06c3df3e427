#include "base/registry_win32.h"

#include "base/text.h"

namespace zvt::registry {
namespace {

const wchar_t* valueName(const std::wstring& name) {
  return name.c_str();
}
const char* valueName(const std::string& name) {
  return name.c_str();
}

LONG queryInto(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) {
  return RegQueryValueExW(key, name, nullptr, type, data, size);
}
LONG queryInto(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) {
  return RegQueryValueExA(key, name, nullptr, type, data, size);
}

// Asks for the size, then reads; a value that grows in between is asked for
// again. The vector ends up exactly as long as the value.
template <typename Name>
Value query(HKEY key, const Name& name, size_t limit) {
  Value value;
  if (!key) {
    value.status = ERROR_INVALID_HANDLE;
    return value;
  }
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD size = 0;
    value.status = queryInto(key, valueName(name), &value.type, nullptr, &size);
    if (value.status != ERROR_SUCCESS) return value;
    if (size > limit) {
      value.status = ERROR_MORE_DATA;
      return value;
    }
    value.bytes.assign(size, 0);
    DWORD got = size;
    value.status = queryInto(key, valueName(name), &value.type, size ? value.bytes.data() : nullptr, &got);
    if (value.status == ERROR_MORE_DATA) continue;
    if (value.status != ERROR_SUCCESS) break;
    value.bytes.resize(got);
    return value;
  }
  value.bytes.clear();
  return value;
}

bool isString(const Value& value) {
  return value.ok() && (value.type == REG_SZ || value.type == REG_EXPAND_SZ);
}

// The enumeration's name buffer: key names are at most 255 characters.
constexpr DWORD kKeyNameCapacity = 256;

}  // namespace

UniqueRegKey openKey(HKEY root, const std::wstring& path, REGSAM access, LONG* status) {
  UniqueRegKey key;
  LONG result = RegOpenKeyExW(root, path.c_str(), 0, access, key.receive());
  if (result != ERROR_SUCCESS) key.release();  // the system may leave garbage behind
  if (status) *status = result;
  return key;
}

UniqueRegKey openKeyA(HKEY root, const std::string& path, REGSAM access, LONG* status) {
  UniqueRegKey key;
  LONG result = RegOpenKeyExA(root, path.c_str(), 0, access, key.receive());
  if (result != ERROR_SUCCESS) key.release();
  if (status) *status = result;
  return key;
}

UniqueRegKey createKey(HKEY root, const std::wstring& path, REGSAM access, LONG* status) {
  UniqueRegKey key;
  LONG result =
      RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key.receive(), nullptr);
  if (result != ERROR_SUCCESS) key.release();
  if (status) *status = result;
  return key;
}

Value queryValue(HKEY key, const std::wstring& name, size_t limit) {
  return query(key, name, limit);
}

std::optional<std::wstring> readString(HKEY key, const std::wstring& name, size_t limit) {
  Value value = query(key, name, limit);
  if (!isString(value)) return std::nullopt;
  std::wstring text = fromUtf16Le(value.bytes.data(), value.bytes.size() & ~size_t{1});
  size_t end = text.find(L'\0');
  if (end != std::wstring::npos) text.resize(end);
  return text;
}

std::optional<std::string> readStringA(HKEY key, const std::string& name, size_t limit) {
  Value value = query(key, name, limit);
  if (!isString(value)) return std::nullopt;
  std::string text(value.bytes.begin(), value.bytes.end());
  size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

std::optional<DWORD> readDword(HKEY key, const std::wstring& name) {
  Value value = query(key, name, sizeof(DWORD));
  if (!value.ok() || value.type != REG_DWORD || value.bytes.size() != sizeof(DWORD)) return std::nullopt;
  return static_cast<DWORD>(value.bytes[0] | (value.bytes[1] << 8) | (value.bytes[2] << 16) |
                            (static_cast<DWORD>(value.bytes[3]) << 24));
}

std::optional<std::vector<uint8_t>> readBinary(HKEY key, const std::wstring& name, size_t limit) {
  Value value = query(key, name, limit);
  if (!value.ok() || value.type != REG_BINARY) return std::nullopt;
  return std::move(value.bytes);
}

std::vector<std::wstring> subkeyNames(HKEY key) {
  std::vector<std::wstring> names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[kKeyNameCapacity];
    DWORD length = kKeyNameCapacity;
    LONG result = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA) continue;  // not a key name the system makes
    if (result != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

std::vector<std::string> subkeyNamesA(HKEY key) {
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    // An ANSI name may take two bytes per character.
    char name[kKeyNameCapacity * 2];
    DWORD length = sizeof(name);
    LONG result = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

std::vector<std::wstring> valueNames(HKEY key) {
  std::vector<std::wstring> names;
  DWORD longest = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr,
                       nullptr) != ERROR_SUCCESS) {
    return names;
  }
  std::vector<wchar_t> name(longest + 1);
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(name.size());
    LONG result = RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA && name.size() < 32768) {
      name.resize(name.size() * 2);  // a value added since the size was asked
      continue;
    }
    if (result != ERROR_SUCCESS) break;
    names.emplace_back(name.data(), length);
    ++index;
  }
  return names;
}

LONG setRaw(HKEY key, const std::wstring& name, DWORD type, const void* bytes, size_t byteCount) {
  if (byteCount > 0 && (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)) {
    // The system adds a terminator the count left out when the unit after
    // the data happens to be NUL. A copy followed by a non-NUL unit keeps
    // the count exactly as given.
    std::vector<uint8_t> copy(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + byteCount);
    copy.insert(copy.end(), {0xFF, 0xFF, 0xFF});
    return RegSetValueExW(key, name.c_str(), 0, type, copy.data(), static_cast<DWORD>(byteCount));
  }
  return RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(bytes), static_cast<DWORD>(byteCount));
}

LONG setString(HKEY key, const std::wstring& name, const std::wstring& text) {
  std::vector<uint8_t> bytes;
  appendUtf16Le(bytes, text);
  bytes.push_back(0);
  bytes.push_back(0);
  return setRaw(key, name, REG_SZ, bytes.data(), bytes.size());
}

LONG setDword(HKEY key, const std::wstring& name, DWORD value) {
  return setRaw(key, name, REG_DWORD, &value, sizeof(value));
}

LONG setBinary(HKEY key, const std::wstring& name, const std::vector<uint8_t>& bytes) {
  return setRaw(key, name, REG_BINARY, bytes.data(), bytes.size());
}

LONG deleteValue(HKEY key, const std::wstring& name) {
  return RegDeleteValueW(key, name.c_str());
}

LONG deleteTree(HKEY root, const std::wstring& path, REGSAM view) {
  LONG status = ERROR_SUCCESS;
  UniqueRegKey key = openKey(root, path, KEY_ALL_ACCESS | view, &status);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (!key) return status;
  status = RegDeleteTreeW(key.get(), nullptr);
  key.reset();
  if (status != ERROR_SUCCESS) return status;
  status = RegDeleteKeyExW(root, path.c_str(), view, 0);
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

}  // namespace zvt::registry
