#include "service/install_calls_win32.h"

#include "base/text.h"
#include "runtime/console.h"

namespace zvt {
namespace {

const wchar_t kNotCreated[] = L"Could not create service.\n";

// Each step after the creation: its failure removes the service again. A
// refusal without an error code is still a refusal.
bool step(InstallCalls& calls, DWORD level, void* info, const wchar_t* what) {
  DWORD error = 0;
  if (calls.changeConfig2(level, info, error)) return true;
  calls.remove();
  const std::wstring reason = error == 0 ? std::wstring(L"the system gave no reason") : systemErrorText(error);
  writeParts(stdout, {kNotCreated});
  writeParts(stderr, {what, L" refused: ", reason.c_str(), L"\n"});
  return false;
}

}  // namespace

void writeParts(FILE* stream, std::initializer_list<const wchar_t*> parts) {
  std::wstring text;
  for (const wchar_t* part : parts) text += part;
  writeConsoleText(stream, text);
}

void failWith(const wchar_t* line, DWORD error) {
  writeParts(stdout, {line});
  writeParts(stderr, {systemErrorText(error).c_str(), L"\n"});
}

std::wstring systemErrorText(DWORD error) {
  wchar_t buffer[1024];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, buffer,
                           static_cast<DWORD>(sizeof(buffer) / sizeof(buffer[0])), nullptr);
  std::wstring text(buffer, n);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  if (text.empty()) text = L"Error " + decimal(static_cast<long long>(error));
  return text;
}

int registerService(const InstallPlan& plan, const CreateRequest& base, const std::wstring& description,
                    InstallCalls& calls) {
  CreateRequest request = base;
  request.displayName = plan.displayName.c_str();
  if (plan.account.kind != AccountKind::LocalSystem) request.account = plan.account.name.c_str();
  // LocalService and NetworkService take an empty password, a virtual
  // account none; a named account the one read at /install.
  if (plan.account.kind == AccountKind::LocalService || plan.account.kind == AccountKind::NetworkService) {
    request.password = L"";
  }
  DWORD error = 0;
  if (!calls.create(request, error)) {
    if (request.account && isAccountError(error)) {
      writeParts(stdout, {kNotCreated});
      writeParts(stderr, {L"The service account '", request.account, L"' was refused: ", systemErrorText(error).c_str(),
                          L"\n"});
    } else {
      failWith(kNotCreated, error);
    }
    return 1;
  }
  if (!description.empty()) {
    std::wstring text = description;
    SERVICE_DESCRIPTIONW record{&text[0]};
    DWORD ignored = 0;
    calls.changeConfig2(SERVICE_CONFIG_DESCRIPTION, &record, ignored);  // no description is no failure
  }
  if (plan.delayedStart) {
    SERVICE_DELAYED_AUTO_START_INFO record{TRUE};
    if (!step(calls, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &record, L"Delayed automatic start was")) return 1;
  }
  if (plan.recovery) {
    SC_ACTION actions[3];
    for (int i = 0; i < 3; ++i) {
      const RecoveryStep& s = plan.recovery->steps[i];
      actions[i] = SC_ACTION{static_cast<SC_ACTION_TYPE>(s.type), s.delayMilliseconds};
    }
    SERVICE_FAILURE_ACTIONSW record{};
    record.dwResetPeriod = plan.recovery->resetSeconds;
    record.cActions = 3;
    record.lpsaActions = actions;
    if (!step(calls, SERVICE_CONFIG_FAILURE_ACTIONS, &record, L"The recovery actions were")) return 1;
    if (plan.recovery->countErrorExits) {
      SERVICE_FAILURE_ACTIONS_FLAG flag{TRUE};
      if (!step(calls, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &flag,
                L"Counting a stop with an error exit code as a failure was")) {
        return 1;
      }
    }
  }
  writeParts(stdout, {L"Installed service '", request.name, L"'.\n"});
  return 0;
}

}  // namespace zvt
