// Showing errors to the user and the one routine that ends the process.
#pragma once

#include <cstdint>
#include <string>

namespace zvt {

enum class ErrorDisplay { Dialog, Console };

// Dialog until the configuration says otherwise.
void setErrorDisplay(ErrorDisplay mode);
ErrorDisplay errorDisplay();

// The per-run directory of extracted files; fatalExit removes it when set.
std::string& launcherTempDirectory();

void showError(const std::wstring& text);
void showMessage(uint32_t id, const std::wstring* argument = nullptr);
void showMessageA(uint32_t id, const std::string& argument);

[[noreturn]] void fatalText(const std::wstring& text);
[[noreturn]] void fatalMessage(uint32_t id, const std::string& argument);
[[noreturn]] void fatalMessageW(uint32_t id, const std::wstring* argument = nullptr);
// Removes the launcher temporary directory, then ends the process with
// `code`. The only way the launcher ends itself.
[[noreturn]] void fatalExit(int code);

// Deletes the files of `path` and, when recursive, of its direct
// subdirectories, removing those. Names beginning with "." are left alone.
void emptyDirectory(const std::wstring& path, bool recursive);

}  // namespace zvt
