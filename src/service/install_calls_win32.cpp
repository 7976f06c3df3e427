#include "service/install_calls_win32.h"

#include <vector>

#include "base/text.h"
#include "runtime/console.h"

namespace zvt {
namespace {

void say(const std::wstring& text) {
  writeConsoleText(stdout, text);
}

void explain(const std::wstring& text) {
  writeConsoleText(stderr, text + L"\n");
}

std::wstring reason(DWORD error) {
  // A refusal without an error code is still a refusal.
  return error == 0 ? std::wstring(L"the system gave no reason") : systemErrorText(error);
}

// Each step after the creation: its failure removes the service again.
bool step(InstallCalls& calls, DWORD level, void* info, const wchar_t* what) {
  DWORD error = 0;
  if (calls.changeConfig2(level, info, error)) return true;
  calls.remove();
  say(L"Could not create service.\n");
  explain(std::wstring(what) + L" refused: " + reason(error));
  return false;
}

}  // namespace

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
    say(L"Could not create service.\n");
    if (request.account && isAccountError(error)) {
      explain(L"The service account '" + plan.account.name + L"' was refused: " + systemErrorText(error));
    } else {
      explain(systemErrorText(error));
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
    std::vector<SC_ACTION> actions;
    for (const RecoveryStep& s : plan.recovery->steps) {
      actions.push_back(SC_ACTION{static_cast<SC_ACTION_TYPE>(s.type), s.delayMilliseconds});
    }
    SERVICE_FAILURE_ACTIONSW record{};
    record.dwResetPeriod = plan.recovery->resetSeconds;
    record.cActions = static_cast<DWORD>(actions.size());
    record.lpsaActions = actions.data();
    if (!step(calls, SERVICE_CONFIG_FAILURE_ACTIONS, &record, L"The recovery actions were")) return 1;
    if (plan.recovery->countErrorExits) {
      SERVICE_FAILURE_ACTIONS_FLAG flag{TRUE};
      if (!step(calls, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &flag,
                L"Counting a stop with an error exit code as a failure was")) {
        return 1;
      }
    }
  }
  say(L"Installed service '" + std::wstring(request.name) + L"'.\n");
  return 0;
}

}  // namespace zvt
