#include "jvm/launch/main_parameters.h"

namespace zvt {

namespace {

bool startsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::wstring(prefix).size(), prefix) == 0;
}

const wchar_t* flag(bool value) {
  return value ? L"true" : L"false";
}

}  // namespace

std::wstring logFileParameter(bool enabled, const std::wstring& name, MainParameterHost& host) {
  if (!enabled) return std::wstring();
  std::wstring expanded = name;
  host.expand(expanded);
  // An empty name would become the launcher directory itself, which the
  // Java side cannot open as a log file: no log file instead.
  if (expanded.empty()) return expanded;
  if (expanded[0] == L'$') return expanded;
  return host.fullPath(expanded);
}

ArgumentList buildMainParameters(const MainParameterValues& values, const ArgumentList& programArguments,
                                 MainParameterHost& host) {
  ArgumentList params;
  params.push_back(flag(values.launcherKind == 1));
  params.push_back(values.moduleMode ? L"/" + values.mainClass : values.mainClass);
  params.push_back(logFileParameter(values.errorLogEnabled, values.errorLogFile, host));
  params.push_back(logFileParameter(values.outputLogEnabled, values.outputLogFile, host));
  params.push_back(flag(values.freshLogs));
  if (!programArguments.empty()) params.push_back(programArguments.front());
  std::wstring configured = values.applicationArguments;
  host.expand(configured);
  splitArguments(configured, params);
  for (size_t i = 1; i < programArguments.size(); ++i) {
    const std::wstring& argument = programArguments[i];
    if (values.jArgumentsAreVmOptions && startsWith(argument, L"-J")) continue;  // a VM option
    if (startsWith(argument, L"-Dsun.locale.formatasdefault=")) continue;        // a locale option
    params.push_back(argument);
  }
  return params;
}

}  // namespace zvt
