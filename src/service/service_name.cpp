#include "service/service_name.h"

namespace zvt {

const char* serviceNameProblem(const std::wstring& name) {
  if (name.empty()) return "the name is empty";
  if (name.find_first_not_of(L' ') == std::wstring::npos) return "the name is only blanks";
  // The manager keeps them, so the service exists under a name nobody sees
  // whole: "net start" and the service list need the blanks typed exactly.
  if (name.front() == L' ' || name.back() == L' ') {
    return "blanks at the start or end of the name become part of it; leave them out";
  }
  if (name.size() > kScmServiceNameMax) return "the Service Control Manager accepts at most 256 characters";
  if (name.find_first_of(L"/\\") != std::wstring::npos) {
    return "the Service Control Manager refuses \"/\" and \"\\\" in service names";
  }
  return nullptr;
}

const char* dependencyNameProblem(const std::wstring& name) {
  if (name.find(L',') != std::wstring::npos) return "\",\" separates the names of the list";
  if (!name.empty() && (name.front() == L' ' || name.back() == L' ')) {
    return "blanks around a name become part of it; the service would depend on a service of that name";
  }
  // "+Group": a load-order group, named like a service.
  return serviceNameProblem(!name.empty() && name[0] == L'+' ? name.substr(1) : name);
}

}  // namespace zvt
