#include "config/key_table.h"

#include "base/capacity.h"

namespace zvt::config {
namespace {

constexpr size_t kStr = kBufferCapacity;

const KeyInfo kKeys[] = {
    {101, Accessor::WStr, kStr, "service name"},
    {102, Accessor::Int, 0, "error log file enabled"},
    {103, Accessor::WStr, kStr, "error log file name"},
    {104, Accessor::Int, 0, "output log file enabled"},
    {105, Accessor::WStr, kStr, "output log file name"},
    {106, Accessor::Int, 0, "fifth launcher parameter of the Java launcher class"},
    {107, Accessor::Int, 0, "launcher kind (1 windowed; 1, 5 keep dialogs; 4 installs auto-start)"},
    {108, Accessor::Int, 0, "call initAwtSplashConfig after creating the JVM"},
    {121, Accessor::Str, kStr, "class-path entries"},
    {122, Accessor::StrAndWStr, kStr, "main class"},
    {123, Accessor::WStr, kStr, "VM options"},
    {124, Accessor::WStr, kShortBufferCapacity, "application arguments"},
    {125, Accessor::Int, 0, "-J program arguments become VM options"},
    {126, Accessor::Str, kStr, "minimum Java version"},
    {127, Accessor::Str, kStr, "maximum Java version"},
    {128, Accessor::Str, kStr, "JVM search sequence"},
    {130, Accessor::Int, 0, "allow pre-release Java versions"},
    {131, Accessor::Int, 0, "a JDK is required"},
    {132, Accessor::Str, kStr, "module-path entries"},
    {133, Accessor::Int, 0, "module mode"},
    {146, Accessor::WStr, kStr, "working directory"},
    {149, Accessor::WStr, kStr, "service dependencies"},
    {152, Accessor::Str, 200, "VM-type directory tried first"},
    {154, Accessor::Int, 0, "register runtime directories with the DLL search path"},
    {158, Accessor::Int, 0, "single-instance object in the global namespace"},
    {160, Accessor::Str, kStr, "application id of earlier installations"},
    {163, Accessor::Int, 0, "second flag argument of initAwtSplashConfig"},
    {165, Accessor::Int, 0, "use only the runtime store's own registry entries"},
    {166, Accessor::Int, 0, "read the VM options file"},
    {167, Accessor::Copy, 0, "sharing key of shared runtimes"},
    {168, Accessor::Int, 0, "include application-supplied located runtimes"},
    {2001, Accessor::Str, 2, "runtime flavour letter"},
    {2002, Accessor::Int, 0, "number of included files"},
    {2003, Accessor::Copy, 0, "included file names"},
    {10003, Accessor::StrAndWStr, kStr, "installation directory"},
    {10004, Accessor::Str, kStr, "native-library directories"},
    {10005, Accessor::Int, 0, "single-instance mode"},
    {10008, Accessor::Int, 0, "bring the running instance to the front"},
    {10009, Accessor::Int, 0, "prefer the long temporary directory path"},
    {10010, Accessor::Int, 0, "reduce PATH to the Windows directory"},
    {10012, Accessor::Int, 0, "ignore the Java options environment variables"},
    {10109, Accessor::Int, 0, "initAwtSplashConfig argument 4"},
    {10110, Accessor::Int, 0, "initAwtSplashConfig argument 5"},
    {10111, Accessor::Str, kStr, "initAwtSplashConfig argument 3"},
    {10113, Accessor::Int, 0, "initAwtSplashConfig argument 7"},
    {10114, Accessor::Str, kStr, "initAwtSplashConfig argument 6"},
    {10115, Accessor::Int, 0, "initAwtSplashConfig argument 8"},
    {10116, Accessor::Int, 0, "initAwtSplashConfig argument 10"},
    {10117, Accessor::Int, 0, "initAwtSplashConfig argument 11"},
    {10118, Accessor::Str, kShortBufferCapacity, "initAwtSplashConfig argument 9"},
    {10120, Accessor::Int, 0, "initAwtSplashConfig argument 13"},
    {10121, Accessor::Str, kStr, "initAwtSplashConfig argument 12"},
    {10122, Accessor::Int, 0, "initAwtSplashConfig argument 14"},
    {10200, Accessor::Int, 0, "number of version-specific VM option lines"},
};

const MessageInfo kMessages[] = {
    {1000, "caption of every error dialog", L"Error"},
    {1005, "a registry JVM passed its check but could not be used",
     L"The JVM could not be started. The maximum heap size (-Xmx) might be too large or an antivirus or firewall "
     L"tool could block the execution."},
    {1006, "a mandatory class-path entry is missing", L"File or directory {0} not found or empty\n"},
    {1008, "an environment variable named by a class-path entry is undefined",
     L"The environment variable {0} has to be defined"},
    {1009, "internal errors, with the internal error code", L"An internal error occurred (error code: {0})"},
    {1010, "the main class cannot be loaded", L"Couldn't load main class."},
    {1011, "the main method cannot be found", L"Main method not found."},
    {1015, "no usable temporary directory", L"You must be at least Poweruser to run this program."},
    {1016, "no JVM found (bit width as argument)",
     L"No JVM could be found on your system.\nPlease define QUARN_JAVA_HOME to point to an installed {0}-bit JDK "
     L"or JRE or download a JRE."},
    {1017, "an environment variable names a JVM that does not work",
     L"The {0} environment variable does not\npoint to a working 32-bit JDK or JRE."},
    {1019, "the JVM found at a place is damaged",
     L"The JVM found at {0} is damaged.\nPlease reinstall or define QUARN_JAVA_HOME\nto point to an installed "
     L"32-bit JDK or JRE."},
    {1021, "a packed runtime could not be unpacked",
     L"Could not unpack the JVM. Antivirus software is probably interfering."},
    {20017, "service description (empty sets none)", L""},
};

// Version-specific option lines: condition at 10201 + 2i, options at
// 10202 + 2i. Stored blocks keep i small; bound the range to a sane count.
constexpr uint32_t kVersionLinesFirst = 10201;
constexpr uint32_t kVersionLinesLast = 10201 + 2 * 999 + 1;
const KeyInfo kVersionCondition = {10201, Accessor::Copy, 0, "condition of a version-specific VM option line"};
const KeyInfo kVersionOptions = {10202, Accessor::WStr, kStr, "VM options of a version-specific line"};

}  // namespace

const KeyInfo* keyTable(size_t& count) {
  count = sizeof(kKeys) / sizeof(kKeys[0]);
  return kKeys;
}

const MessageInfo* messageTable(size_t& count) {
  count = sizeof(kMessages) / sizeof(kMessages[0]);
  return kMessages;
}

const KeyInfo* keyInfo(uint32_t id) {
  for (const KeyInfo& k : kKeys) {
    if (k.id == id) return &k;
  }
  if (id >= kVersionLinesFirst && id <= kVersionLinesLast) {
    return (id - kVersionLinesFirst) % 2 == 0 ? &kVersionCondition : &kVersionOptions;
  }
  return nullptr;
}

const MessageInfo* messageInfo(uint32_t id) {
  for (const MessageInfo& m : kMessages) {
    if (m.id == id) return &m;
  }
  return nullptr;
}

}  // namespace zvt::config
