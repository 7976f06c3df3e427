#include "jvm/launch/vm_options_win32.h"

#include "jvm/launch/vm_option_host_win32.h"
#include "runtime/decisions.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"

namespace zvt {

VmOptionRequest launcherVmOptionRequest(const std::vector<std::string>& systemProperties,
                                        const ArgumentList& programArguments) {
  const ProcessState& state = processState();
  VmOptionRequest request;
  request.systemProperties = systemProperties;
  request.programArguments = programArguments;
  request.serviceMode = state.serviceMode;
  request.noRedirection = state.noRedirection;
  request.zentroviaFlavour = state.runtimeFlavour != 'e';
  request.jvmVersion = state.jvm.version;
  request.jvmLibraryDirectory = state.jvm.libraryDirectory;
  request.launcherTempDirectory = state.launcherTempDirectory;
  return request;
}

std::vector<std::string> launcherVmOptions(const std::vector<std::string>& systemProperties,
                                           const ArgumentList& programArguments) {
  Win32VmOptionHost host;
  VmOptionOutcome outcome = assembleVmOptions(launcherVmOptionRequest(systemProperties, programArguments), host);
  if (outcome.failure) {
    // The entry's name is configuration text in the code page; the message
    // shows it converted, not byte by byte.
    std::wstring name = toWide(outcome.failure->argument);
    fatalMessageW(outcome.failure->messageId, &name);
  }
  const std::vector<std::string>& options = outcome.options;
  logLine(L"vmoption count %d", static_cast<int>(options.size()));
  // Logged through the code page, so that non-ASCII options read as the
  // user wrote them.
  for (size_t i = 0; i < options.size(); ++i) {
    logLine(L"vmoption %d: %ls", static_cast<int>(i), toWide(options[i]).c_str());
    decisions().option(i, options[i], outcome.sources[i]);
  }
  return std::move(outcome.options);
}

std::unique_ptr<VmInitRecord> buildVmOptions(const std::vector<std::string>& systemProperties,
                                             const ArgumentList& programArguments) {
  return std::make_unique<VmInitRecord>(launcherVmOptions(systemProperties, programArguments));
}

}  // namespace zvt
