#include "service/install_options.h"

#include "service/service_name.h"

namespace zvt {
namespace {

std::wstring widen(const char* ascii) {
  std::wstring out;
  for (; *ascii; ++ascii) out.push_back(static_cast<wchar_t>(*ascii));
  return out;
}

wchar_t fold(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool equalsFolded(const std::wstring& a, const wchar_t* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return i == a.size() && !b[i];
}

// "0", "17": non-negative decimal without sign or leading zeros, at most
// `high`.
bool parseSeconds(const std::string& text, int64_t high, uint32_t& out) {
  if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) return false;
  int64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (n > high) return false;
  out = static_cast<uint32_t>(n);
  return true;
}

bool planStep(const std::string& action, const std::string& delay, const char* name, RecoveryStep& step,
              std::string& problem) {
  if (action.empty() || action == kRecoveryActionNone) {
    step = RecoveryStep{kRecoveryNone, 0};  // a delay of "none" means nothing
    return true;
  }
  if (action != kRecoveryActionRestart) {
    problem = std::string("service.recovery.") + name + ": unknown action \"" + action +
              "\" (expected \"restart\" or \"none\")";
    return false;
  }
  uint32_t seconds = kDefaultRestartDelaySeconds;
  if (!delay.empty() && !parseSeconds(delay, kMaxRestartDelaySeconds, seconds)) {
    problem = std::string("service.recovery.") + name + "-delay: \"" + delay + "\" is no delay in seconds (0 to " +
              std::to_string(kMaxRestartDelaySeconds) + ")";
    return false;
  }
  step = RecoveryStep{kRecoveryRestart, seconds * 1000u};
  return true;
}

}  // namespace

const char* serviceAccountProblem(const std::wstring& text) {
  if (text.empty()) return nullptr;
  for (const char* kind : {kAccountLocalSystem, kAccountLocalService, kAccountNetworkService, kAccountVirtual}) {
    if (text == widen(kind)) return nullptr;
  }
  const size_t slash = text.find(L'\\');
  if (slash == std::wstring::npos) {
    if (text.find(L'@') != std::wstring::npos) return "write a named account as DOMAIN\\user, not user@domain";
    return "unknown account kind; expected \"local-system\", \"local-service\", \"network-service\", \"virtual\" "
           "or a named account DOMAIN\\user (.\\user for an account of this machine)";
  }
  if (text.find(L'\\', slash + 1) != std::wstring::npos) return "a named account has one \"\\\": DOMAIN\\user";
  const std::wstring domain = text.substr(0, slash);
  const std::wstring user = text.substr(slash + 1);
  if (domain.empty()) return "the domain before \"\\\" is empty (write .\\user for an account of this machine)";
  if (user.empty()) return "the user name after \"\\\" is empty";
  if (equalsFolded(domain, L"NT AUTHORITY")) {
    return "write \"local-service\" or \"network-service\" for the accounts of NT AUTHORITY (they have no "
           "password)";
  }
  if (equalsFolded(domain, L"NT SERVICE")) {
    return "write \"virtual\" for the service's own virtual account NT SERVICE\\<service name>";
  }
  if (text.front() == L' ' || text.back() == L' ' || domain.back() == L' ' || user.front() == L' ') {
    return "blanks around the domain or the user name become part of the account name";
  }
  // Characters Windows refuses in account and domain names.
  static const wchar_t kRefused[] = L"\"/[]:;|=,+*?<>@";
  if (user.find_first_of(kRefused) != std::wstring::npos || domain.find_first_of(kRefused) != std::wstring::npos) {
    return "account and domain names cannot hold any of \" / [ ] : ; | = , + * ? < > @";
  }
  for (wchar_t c : text) {
    if (c < 0x20) return "a control character cannot be part of an account name";
  }
  return nullptr;
}

std::optional<ServiceAccount> resolveServiceAccount(const std::wstring& text, const std::wstring& serviceName) {
  if (serviceAccountProblem(text)) return std::nullopt;
  ServiceAccount account;
  if (text.empty() || text == widen(kAccountLocalSystem)) {
    account.kind = AccountKind::LocalSystem;
  } else if (text == widen(kAccountLocalService)) {
    account.kind = AccountKind::LocalService;
    account.name = L"NT AUTHORITY\\LocalService";
  } else if (text == widen(kAccountNetworkService)) {
    account.kind = AccountKind::NetworkService;
    account.name = L"NT AUTHORITY\\NetworkService";
  } else if (text == widen(kAccountVirtual)) {
    account.kind = AccountKind::Virtual;
    account.name = L"NT SERVICE\\" + serviceName;
  } else {
    account.kind = AccountKind::Named;
    account.name = text;
  }
  return account;
}

bool planInstall(const InstallSettings& s, const std::wstring& serviceName, unsigned long startType, InstallPlan& plan,
                 std::string& problem) {
  plan = InstallPlan{};
  std::optional<ServiceAccount> account = resolveServiceAccount(s.account, serviceName);
  if (!account) {
    problem = std::string("service.account: ") + serviceAccountProblem(s.account);
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
  recovery.steps.resize(3);
  if (!planStep(s.firstFailure, s.firstFailureDelay, "first-failure", recovery.steps[0], problem) ||
      !planStep(s.secondFailure, s.secondFailureDelay, "second-failure", recovery.steps[1], problem) ||
      !planStep(s.laterFailures, s.laterFailuresDelay, "later-failures", recovery.steps[2], problem)) {
    return false;
  }
  if (!s.resetAfter.empty() && !parseSeconds(s.resetAfter, 2147483647, recovery.resetSeconds)) {
    problem = "service.recovery.reset-after: \"" + s.resetAfter + "\" is no time in seconds (0 to 2147483647)";
    return false;
  }
  recovery.countErrorExits = s.countErrorExits != "0";
  plan.recovery = recovery;
  return true;
}

bool passwordLine(const std::string& input, std::string& line) {
  if (input.empty()) return false;
  size_t end = input.find('\n');
  line = input.substr(0, end);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool isValidUtf8(const std::string& bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    size_t extra = 0;
    uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= bytes.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const unsigned char n = static_cast<unsigned char>(bytes[i + k]);
      if ((n & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (n & 0x3F);
    }
    static const uint32_t kLowest[] = {0, 0x80, 0x800, 0x10000};
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
