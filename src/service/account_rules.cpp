// The packer's check of service.account: the kinds, and the forms of a named
// account that Windows accepts. Kept apart from install_options.cpp so that
// the launcher, which leaves a named account to the system, does not carry
// it.
#include "service/install_options.h"

namespace zvt {
namespace {

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

}  // namespace

const char* serviceAccountProblem(const std::wstring& text) {
  if (resolveServiceAccount(text, L"") && text.find(L'\\') == std::wstring::npos) return nullptr;  // a kind
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

}  // namespace zvt
