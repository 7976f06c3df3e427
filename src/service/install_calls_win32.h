// The calls /install makes to the Service Control Manager once its checks
// have passed, behind a small interface: the launcher uses the manager
// itself, tests put a recorder in its place to see what would reach a system
// that ignores part of it (Wine 8's manager stores no password and no
// recovery actions, and refuses delayed start and the failure-actions flag
// with ERROR_INVALID_LEVEL).
#pragma once

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>

#include "base/win32.h"
#include "service/install_options.h"

namespace zvt {

// The arguments of CreateServiceW beyond the fixed ones (access
// SERVICE_ALL_ACCESS, type SERVICE_WIN32_OWN_PROCESS, error control
// SERVICE_ERROR_NORMAL, no load order group, no tag). Null pointers are
// passed as null.
struct CreateRequest {
  const wchar_t* name = nullptr;
  const wchar_t* displayName = nullptr;
  DWORD startType = 0;
  const wchar_t* binaryPath = nullptr;
  const wchar_t* dependencies = nullptr;  // the double-NUL-terminated list
  const wchar_t* account = nullptr;       // null: LocalSystem
  const wchar_t* password = nullptr;
};

class InstallCalls {
 public:
  virtual ~InstallCalls() = default;
  // False with the system's error code in `error`.
  virtual bool create(const CreateRequest& request, DWORD& error) = 0;
  // ChangeServiceConfig2W on the created service; false with the error
  // (0 when the system gave none).
  virtual bool changeConfig2(DWORD level, void* info, DWORD& error) = 0;
  // Deletes the created service again.
  virtual void remove() = 0;
};

// Registers the service of `plan` through `calls`: CreateServiceW, the
// description (when `description` is not empty; its failure is no failure),
// delayed start, recovery actions and their flag. Prints the outcome; when
// a step after the creation fails, the created service is deleted again, so
// that nothing half-installed stays behind. Returns the exit code.
int registerService(const InstallPlan& plan, const CreateRequest& base, const std::wstring& description,
                    InstallCalls& calls);

// The system's text for `error` in the user's interface language, without
// the line end; "Error <n>" when the system has none.
std::wstring systemErrorText(DWORD error);

// Writes the parts one after the other as one text (writeConsoleText).
void writeParts(FILE* stream, std::initializer_list<const wchar_t*> parts);
// The line on standard output, then the system's text for `error` on
// standard error.
void failWith(const wchar_t* line, DWORD error);

}  // namespace zvt
