// A launcher for the VM option tests: packed with a configuration block like
// the real template and run under the application's name, it walks the
// launcher's own start-up and run path (configuration, flags of the command,
// included files) up to the option assembly, then creates the runtime's JVM
// through the launcher's JNI conversation with the record buildVmOptions
// made, so the JVM's own record of its options is what the tests check. The runtime stands where the JVM search
// would have found it: ZVT_PROBE_RUNTIME_BIN names its bin directory
// (jvm.dll in <bin>\client) and ZVT_PROBE_RUNTIME_VERSION its version.
//
// Command lines, as the launcher's: "<exe> /run [args]", "<exe> /run-redirect
// [args]", or "<exe> <args> __zvt_restart" for the service child.
#include <jni.h>

#include <cstdio>
#include <memory>
#include <string>

#include "base/arguments.h"
#include "base/handle.h"
#include "base/win32.h"
#include "config/payload.h"
#include "jvm/launch/jni_conversation.h"
#include "jvm/launch/vm_options_win32.h"
#include "launcher/startup.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"

namespace {

std::wstring environmentValue(const wchar_t* name) {
  wchar_t buffer[4096];
  DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
  return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace

int wmain() {
  using namespace zvt;
  installLogWriter();
  ProcessState& state = processState();
  state.serviceMode = true;
  prepareStartup();

  ArgumentList list;
  splitArguments(GetCommandLineW(), list);
  const std::wstring programPath = list.front();
  list.erase(list.begin());
  if (!list.empty() && list.back() == kRestartMarker) {
    list.pop_back();
  } else if (!list.empty() && (list.front() == L"/run" || list.front() == L"/run-redirect")) {
    state.noRedirection = list.front() == L"/run";
    state.serviceMode = false;
    list.front() = programPath;
  } else {
    std::fputs("usage: <exe> /run | /run-redirect [args] | <args> __zvt_restart\n", stderr);
    return 2;
  }
  if (extractPayload(true) != 0) fatalMessage(1009, "16");

  const std::wstring bin = environmentValue(L"ZVT_PROBE_RUNTIME_BIN");
  state.jvm.libraryDirectory = toNarrow(bin);
  state.jvm.home = state.jvm.libraryDirectory + "\\..";
  state.jvm.version = toNarrow(environmentValue(L"ZVT_PROBE_RUNTIME_VERSION"));
  HMODULE jvm = LoadLibraryW((bin + L"\\client\\jvm.dll").c_str());  // stays loaded, as the launcher's does
  auto create = reinterpret_cast<jni::CreateJavaVmFn>(
      reinterpret_cast<void*>(jvm ? GetProcAddress(jvm, "JNI_CreateJavaVM") : nullptr));
  if (!create) {
    std::fprintf(stderr, "probe: no JVM library in %ls\n", bin.c_str());
    return 3;
  }

  std::vector<std::string> properties = {"-Dquarn.moduleName=" + modulePathA()};
  if (state.serviceMode) properties.push_back("-Dquarn.isService=true");
  std::unique_ptr<VmInitRecord> record = buildVmOptions(properties, list);

  jni::CreatedVm created = jni::createJavaVm(create, *record);
  std::printf("created %ld\n", static_cast<long>(created.result));
  if (created.result != JNI_OK) return 4;
  created.vm->DestroyJavaVM();
  return 0;
}
