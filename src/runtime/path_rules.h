// Platform-free path grammar shared by the narrow and wide path helpers.
#pragma once

#include <functional>
#include <string>

namespace zvt {

// Absolute: "X:\..." or "\\..." (after an optional leading double quote).
// Everything else is relative, also "\x" and "C:x".
bool isRelativePath(const std::wstring& path);
bool isRelativePath(const std::string& path);

// Every run of backslashes becomes one, except that the first two characters
// are kept, so a network path's leading pair survives.
void collapseBackslashes(std::wstring& path);

// At least 5 characters and ending in ".exe", ignoring case.
bool endsWithExe(const std::string& path);
bool endsWithExe(const std::wstring& path);

// "X:\", "X:\." and "X:\.\." name a drive root.
bool isDriveRoot(const std::wstring& path);

// The directory part of a file path, with its trailing separator.
std::wstring directoryOf(const std::wstring& path);

// The file name of a path without its directory and its extension.
std::wstring baseNameOf(const std::wstring& path);

// Each ";"-separated element of `list` through `makeAbsolute`, joined with
// ";"; the list ends at its first empty element. `callback` sees each
// element made absolute.
std::string joinAbsolutePathList(const std::string& list,
                                 const std::function<std::string(const std::string&)>& makeAbsolute,
                                 const std::function<void(const std::string&)>& callback = nullptr);

}  // namespace zvt
