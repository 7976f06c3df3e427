#include "service/install_options.h"

#include "service/service_name.h"

namespace zvt {
namespace {

bool equals(const std::wstring& text, const char* ascii) {
  size_t i = 0;
  for (; i < text.size() && ascii[i]; ++i) {
    if (text[i] != static_cast<wchar_t>(ascii[i])) return false;
  }
  return i == text.size() && !ascii[i];
}

// "0", "17": non-negative decimal without sign or leading zeros, at most
// `high`.
bool parseSeconds(const std::string& text, uint32_t high, uint32_t& out) {
  if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) return false;
  uint64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<uint64_t>(c - '0');
  }
  if (n > high) return false;
  out = static_cast<uint32_t>(n);
  return true;
}

struct StepKeys {
  const std::string InstallSettings::*action;
  const std::string InstallSettings::*delay;
  const char* badAction;
  const char* badDelay;
};

const StepKeys kSteps[3] = {
    {&InstallSettings::firstFailure, &InstallSettings::firstFailureDelay,
     "service.recovery.first-failure: expected \"restart\" or \"none\"",
     "service.recovery.first-failure-delay: expected seconds, 0 to 4294967"},
    {&InstallSettings::secondFailure, &InstallSettings::secondFailureDelay,
     "service.recovery.second-failure: expected \"restart\" or \"none\"",
     "service.recovery.second-failure-delay: expected seconds, 0 to 4294967"},
    {&InstallSettings::laterFailures, &InstallSettings::laterFailuresDelay,
     "service.recovery.later-failures: expected \"restart\" or \"none\"",
     "service.recovery.later-failures-delay: expected seconds, 0 to 4294967"},
};

}  // namespace

std::optional<ServiceAccount> resolveServiceAccount(const std::wstring& text, const std::wstring& serviceName) {
  ServiceAccount account;
  if (text.empty() || equals(text, kAccountLocalSystem)) {
    account.kind = AccountKind::LocalSystem;
  } else if (equals(text, kAccountLocalService)) {
    account.kind = AccountKind::LocalService;
    account.name = L"NT AUTHORITY\\LocalService";
  } else if (equals(text, kAccountNetworkService)) {
    account.kind = AccountKind::NetworkService;
    account.name = L"NT AUTHORITY\\NetworkService";
  } else if (equals(text, kAccountVirtual)) {
    account.kind = AccountKind::Virtual;
    account.name = L"NT SERVICE\\" + serviceName;
  } else if (text.find(L'\\') != std::wstring::npos) {
    account.kind = AccountKind::Named;
    account.name = text;
  } else {
    return std::nullopt;
  }
  return account;
}

bool planInstall(const InstallSettings& s, const std::wstring& serviceName, unsigned long startType, InstallPlan& plan,
                 const char*& problem) {
  plan = InstallPlan{};
  std::optional<ServiceAccount> account = resolveServiceAccount(s.account, serviceName);
  if (!account) {
    problem = "service.account: unknown account kind";
    return false;
  }
  plan.account = *account;
  if (s.displayName.size() > kScmServiceNameMax) {
    problem = "service.display-name: the Service Control Manager accepts at most 256 characters";
    return false;
  }
  plan.displayName = s.displayName.empty() ? serviceName : s.displayName;
  // Delayed start belongs to automatic starts only; a service installed to
  // start on demand ignores the setting.
  plan.delayedStart = s.delayedStart == "1" && startType == 2;
  if (s.firstFailure.empty() && s.secondFailure.empty() && s.laterFailures.empty()) return true;
  RecoveryPlan recovery;
  for (int i = 0; i < 3; ++i) {
    const std::string& action = s.*kSteps[i].action;
    const std::string& delay = s.*kSteps[i].delay;
    if (action.empty() || action == kRecoveryActionNone) continue;  // a delay of "none" means nothing
    if (action != kRecoveryActionRestart) {
      problem = kSteps[i].badAction;
      return false;
    }
    uint32_t seconds = kDefaultRestartDelaySeconds;
    if (!delay.empty() && !parseSeconds(delay, kMaxRestartDelaySeconds, seconds)) {
      problem = kSteps[i].badDelay;
      return false;
    }
    recovery.steps[i] = RecoveryStep{kRecoveryRestart, seconds * 1000u};
  }
  if (!s.resetAfter.empty() && !parseSeconds(s.resetAfter, 2147483647u, recovery.resetSeconds)) {
    problem = "service.recovery.reset-after: expected seconds, 0 to 2147483647";
    return false;
  }
  recovery.countErrorExits = s.countErrorExits != "0";
  plan.recovery = recovery;
  return true;
}

bool passwordLine(const std::string& input, std::string& line) {
  if (input.empty()) return false;
  line = input.substr(0, input.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool isValidUtf8(const std::string& bytes) {
  static const uint32_t kLowest[] = {0, 0x80, 0x800, 0x10000};
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 4;
    if (extra == 4 || i + extra >= bytes.size() + (extra == 0 ? 1 : 0)) return false;
    uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      const unsigned char n = static_cast<unsigned char>(bytes[i + k]);
      if ((n & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (n & 0x3F);
    }
    if (cp < kLowest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

bool isAccountError(uint32_t error) {
  switch (error) {
    case 1057:  // ERROR_INVALID_SERVICE_ACCOUNT
    case 1069:  // ERROR_SERVICE_LOGON_FAILED
    case 1317:  // ERROR_NO_SUCH_USER
    case 1326:  // ERROR_LOGON_FAILURE
    case 1332:  // ERROR_NONE_MAPPED
    case 1355:  // ERROR_NO_SUCH_DOMAIN
    case 1385:  // ERROR_LOGON_TYPE_NOT_GRANTED
      return true;
    default:
      return false;
  }
}

}  // namespace zvt
