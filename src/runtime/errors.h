// Showing errors to the user and the one routine that ends the process.
#pragma once

#include <cstdint>
#include <string>

namespace zvt {

enum class ErrorDisplay { Dialog, Console };

// Dialog until the configuration says otherwise.
void setErrorDisplay(ErrorDisplay mode);
ErrorDisplay errorDisplay();

// Where message texts come from (the configuration installs its lookup once
// it is loaded; without a source every message text is empty, as it is before
// the configuration is read).
using MessageSource = std::wstring (*)(uint32_t id);
void setMessageSource(MessageSource source);

void showError(const std::wstring& text);
// The text showMessage and showMessageA show (without the log's path).
std::wstring messageWith(uint32_t id, const std::wstring* argument = nullptr);
std::wstring messageWithA(uint32_t id, const std::string& argument);
void showMessage(uint32_t id, const std::wstring* argument = nullptr);
void showMessageA(uint32_t id, const std::string& argument);

[[noreturn]] void fatalText(const std::wstring& text);
[[noreturn]] void fatalMessage(uint32_t id, const std::string& argument);
[[noreturn]] void fatalMessageW(uint32_t id, const std::wstring* argument = nullptr);
// Removes the launcher temporary directory (process state) with its files
// and forgets it.
void removeLauncherTempDirectory();

// Removes the launcher temporary directory (process state), then ends the process with
// `code`. The only way the launcher ends itself.
[[noreturn]] void fatalExit(int code);

// Deletes the files of `path` and, when recursive, of its direct
// subdirectories, removing those. Names beginning with "." are left alone.
void emptyDirectory(const std::wstring& path, bool recursive);

}  // namespace zvt
