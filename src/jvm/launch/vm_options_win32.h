// What the launch sequence calls to get the JVM's options: the assembly
// over the running launcher (its configuration, process state, files and
// environment) and the JNI initialisation record made from it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/arguments.h"
#include "jvm/launch/vm_init_record.h"
#include "jvm/launch/vm_options.h"

namespace zvt {

// The request the process state makes: service and no-redirection flags,
// runtime flavour, the selected runtime's version and library directory,
// and the launcher temporary directory.
VmOptionRequest launcherVmOptionRequest(const std::vector<std::string>& systemProperties,
                                        const ArgumentList& programArguments);

// Assembles the options, logs each and tells it with its source to
// decisions(). A required class-path or module-path entry that is missing
// shows message 1006 (or 1008) and ends the process with exit code 1.
std::vector<std::string> launcherVmOptions(const std::vector<std::string>& systemProperties,
                                           const ArgumentList& programArguments);

// Assembles the options (launcherVmOptions) and makes the JNI record (JNI 1.2, unrecognised
// options ignored), logging every option. A required class-path or
// module-path entry that is missing shows message 1006 (or 1008 for an
// undefined variable) with its name and ends the process with exit code 1.
// Called once, on the launching thread, before the JVM thread starts; the
// record must outlive the JVM.
std::unique_ptr<VmInitRecord> buildVmOptions(const std::vector<std::string>& systemProperties,
                                             const ArgumentList& programArguments);

}  // namespace zvt
