// What /install registers beyond the Parts: the account the service runs as,
// its display name, delayed automatic start and the Windows recovery
// actions. Platform-free: the settings as the block stores them become one
// plan, which the Win32 commands hand to the Service Control Manager as it
// is (and which tests read without one).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zvt {

// The account kinds of service.account as the block stores them. A stored
// text of another form that names DOMAIN\user or .\user is a named account.
constexpr const char kAccountLocalSystem[] = "local-system";
constexpr const char kAccountLocalService[] = "local-service";
constexpr const char kAccountNetworkService[] = "network-service";
constexpr const char kAccountVirtual[] = "virtual";

enum class AccountKind { LocalSystem, LocalService, NetworkService, Virtual, Named };

struct ServiceAccount {
  AccountKind kind = AccountKind::LocalSystem;
  // The name CreateService gets; empty for LocalSystem, which registers no
  // name at all (the system takes LocalSystem, exactly as without the
  // setting).
  std::wstring name;
  // Only a named account has a password, read at /install.
  bool needsPassword() const { return kind == AccountKind::Named; }
};

// Why service.account would not name an account (UTF-16 units of the stored
// text), or nullptr when it does. Empty is LocalSystem. The packer's check
// (service/account_rules.cpp), stricter than the launcher's reading below.
const char* serviceAccountProblem(const std::wstring& text);

// The account of the stored text for the service `serviceName`: a kind, or
// a named account (a text with a "\"); nullopt for any other text. The
// system has the last word on a named account at /install.
std::optional<ServiceAccount> resolveServiceAccount(const std::wstring& text, const std::wstring& serviceName);

// One action of the Windows recovery list (SC_ACTION): SC_ACTION_NONE (0)
// or SC_ACTION_RESTART (1) after `delayMilliseconds`.
struct RecoveryStep {
  uint32_t type = 0;
  uint32_t delayMilliseconds = 0;
  bool operator==(const RecoveryStep& o) const { return type == o.type && delayMilliseconds == o.delayMilliseconds; }
};
constexpr uint32_t kRecoveryNone = 0;     // SC_ACTION_NONE
constexpr uint32_t kRecoveryRestart = 1;  // SC_ACTION_RESTART
constexpr uint32_t kDefaultRestartDelaySeconds = 60;
constexpr uint32_t kDefaultRecoveryResetSeconds = 86400;
// The longest restart delay whose milliseconds fit a DWORD.
constexpr int64_t kMaxRestartDelaySeconds = 4294967;

// The settings as the block stores them (stored texts; absent is empty).
struct InstallSettings {
  std::wstring account;
  std::wstring displayName;
  std::string delayedStart;       // "1" or "0"
  std::string firstFailure;       // "restart" or "none"
  std::string firstFailureDelay;  // seconds
  std::string secondFailure;
  std::string secondFailureDelay;
  std::string laterFailures;
  std::string laterFailuresDelay;
  std::string resetAfter;       // seconds
  std::string countErrorExits;  // "1" or "0"
};

struct RecoveryPlan {
  uint32_t resetSeconds = kDefaultRecoveryResetSeconds;
  RecoveryStep steps[3];  // first, second, later failures
  bool countErrorExits = true;      // SERVICE_CONFIG_FAILURE_ACTIONS_FLAG
};

// What /install registers beyond the Parts' CreateService call. With none
// of the settings every optional part is absent and the registration is
// the Parts' own.
struct InstallPlan {
  ServiceAccount account;
  std::wstring displayName;   // the service name when not set
  bool delayedStart = false;  // only for an automatic start
  std::optional<RecoveryPlan> recovery;
};

// The plan for `serviceName` installed with `startType` (2 automatic, 3 on
// demand), or the reason the settings cannot be registered (a static text
// naming the setting).
bool planInstall(const InstallSettings& settings, const std::wstring& serviceName, unsigned long startType,
                 InstallPlan& plan, const char*& problem);

// The recovery action names of the settings, as stored.
constexpr const char kRecoveryActionNone[] = "none";
constexpr const char kRecoveryActionRestart[] = "restart";

// A password given on standard input: the bytes up to the first line end
// ("\n" or "\r\n"), false when the input ended before any byte and before a
// line end. Decoded as UTF-8 when the bytes are valid UTF-8, else in the
// ANSI code page by the caller (`utf8` tells which).
bool passwordLine(const std::string& input, std::string& line);
bool isValidUtf8(const std::string& bytes);

// Errors of CreateService that concern the account given to it: the
// message names the account.
bool isAccountError(uint32_t error);

}  // namespace zvt
