#include "config/key_table.h"

#include <cstring>

#include "base/capacity.h"

namespace zvt::config {
namespace {

constexpr size_t kStr = kBufferCapacity;
constexpr auto T = ValueKind::Text;
constexpr auto F = ValueKind::Flag;
constexpr auto I = ValueKind::Integer;

const Choice kLauncherKinds[] = {
    {"console", "0",
     "console Java executable (java.exe); errors on the console; /install registers a service that starts on "
     "demand"},
    {"windowed", "1",
     "windowed Java executable (javaw.exe); errors in dialogs; /install registers a service that starts on demand"},
    {"service", "4",
     "console Java executable; errors on the console; /install and /install-and-start register a service that "
     "starts automatically"},
    {"console-dialogs", "5",
     "console Java executable; errors in dialogs; /install registers a service that starts on demand"},
};

const Choice kFlavours[] = {
    {"zentrovia", "z", "the zentrovia runtime classes (com.zentrovia.runtime, .zentrovia\\zvtruntime.jar)"},
    {"quarn", "e", "the quarn runtime classes (com.quarn.runtime)"},
};

const Choice kRecoveryActions[] = {
    {"none", "none", "do nothing"},
    {"restart", "restart", "restart the service after the delay of the matching -delay setting"},
};

const Choice kArchitectures[] = {
    {kArchitectureX86, kArchitectureX86,
     "the 32-bit launcher zvtsvc.exe, which loads 32-bit Java runtimes only"},
    {kArchitectureX64, kArchitectureX64,
     "the 64-bit launcher zvtsvc64.exe, which loads 64-bit Java runtimes only (the only kind from Java 24 on)"},
};

#define CHOICES(a) a, sizeof(a) / sizeof(a[0])

const KeyInfo kKeys[] = {
    {101, Accessor::WStr, kStr,
     "Service name: the name /install registers and the other service commands address. A name given after a "
     "service switch on the command line takes its place.",
     "service.name", ValueKind::ServiceName, "no name: the service commands fail", nullptr, 0, false, true},
    {102, Accessor::Int, 0, "Write the Java application's standard error to the file logs.error-file.",
     "logs.error-enabled", F, "false"},
    {103, Accessor::WStr, kStr,
     "Error log file, expanded; a name starting with \"$\" is kept as it is, any other is made a full path "
     "against the launcher's directory.",
     "logs.error-file", T, "empty"},
    {104, Accessor::Int, 0, "Write the Java application's standard output to the file logs.output-file.",
     "logs.output-enabled", F, "false"},
    {105, Accessor::WStr, kStr, "Output log file, resolved like logs.error-file.", "logs.output-file", T, "empty"},
    {106, Accessor::Int, 0,
     "Start the log files afresh instead of appending (handed to the Java launcher class as its fifth launcher "
     "parameter, \"true\"/\"false\").",
     "logs.start-fresh", F, "false"},
    {107, Accessor::Int, 0,
     "Launcher kind: which Java executable the runtime check requires, whether errors show as dialogs or on the "
     "console, and the start type /install gives the service. An integer other than the named ones acts like "
     "\"console\".",
     "launcher.kind", ValueKind::Choice, "console", CHOICES(kLauncherKinds), true},
    {108, Accessor::Int, 0, "Call initAwtSplashConfig of the Java launcher class with the splash values below.",
     "splash.enabled", F, "false"},
    {121, Accessor::Str, kStr, "Class-path entries, in order.", "application.class-path", ValueKind::ClassPath,
     "no entries"},
    {122, Accessor::StrAndWStr, kStr,
     "Main class of the application; in module mode the module name, a slash and the class name "
     "(\"app.module/com.example.Main\").",
     "application.main-class", T, "empty", nullptr, 0, false, true},
    {123, Accessor::WStr, kStr,
     "VM options, expanded, separated by blanks; quotes group. \"-include-options <file>\" reads options from a "
     "file.",
     "java.vm-options", ValueKind::Arguments, "none"},
    {124, Accessor::WStr, kShortBufferCapacity,
     "Application arguments, expanded, placed after the first program argument; separated by blanks, quotes "
     "group.",
     "application.arguments", ValueKind::Arguments, "none"},
    {125, Accessor::Int, 0,
     "Command-line arguments that start with \"-J\" become VM options (without the \"-J\") and are not passed to "
     "main.",
     "java.pass-j-arguments", F, "false"},
    {126, Accessor::Str, kStr, "Lowest Java version accepted.", "java.min-version", ValueKind::Version, "no bound"},
    {127, Accessor::Str, kStr,
     "Highest Java version accepted; only as many components count as it has (\"1.8\" admits 1.8.0_201).",
     "java.max-version", ValueKind::Version, "no bound"},
    {128, Accessor::Str, kStr,
     "Where to look for a Java runtime, in order, after the preferred location and before the fall-backs "
     "(earlier installations, QUARN_JAVA_HOME, ZENTROVIA_JAVA_HOME).",
     "java.search", ValueKind::SearchSequence, "no entries: only the fall-backs"},
    {130, Accessor::Int, 0, "Accept pre-release Java versions (\"-ea\", \"-rc\", \"beta\").", "java.allow-prerelease",
     F, "false"},
    {131, Accessor::Int, 0, "Accept only a JDK, not a plain runtime.", "java.jdk-required", F, "false"},
    {132, Accessor::Str, kStr, "Module-path entries, in the form of the class-path entries.", "application.module-path",
     ValueKind::ClassPath, "no entries"},
    {133, Accessor::Int, 0, "Module mode: the main class lives in a named module (see application.main-class).",
     "application.module-mode", F, "false"},
    {146, Accessor::WStr, kStr,
     "Working directory, expanded and resolved against the launcher's directory; empty leaves it unchanged.",
     "launcher.working-directory", T, "unchanged"},
    {149, Accessor::WStr, kStr, "Services that must run before this one (names or \"+group\" names).",
     "service.dependencies", ValueKind::Dependencies, "none"},
    {152, Accessor::Str, 200,
     "Directory of the JVM library tried first under the runtime's bin (\"server\", \"client\").", "java.vm-type", T,
     "the runtime's usual order"},
    {154, Accessor::Int, 0, "Register the runtime's directories with the DLL search path.",
     "java.register-dll-directories", F, "false"},
    {158, Accessor::Int, 0,
     "The single-instance object lives in the global namespace (all sessions), not the local one.",
     "launcher.global-instance", F, "false"},
    {160, Accessor::Str, kStr, "Application id under which earlier installations record their runtime.",
     "java.application-id", T, "empty"},
    {163, Accessor::Int, 0, "Second flag argument of initAwtSplashConfig.", "splash.flag", F, "false"},
    {165, Accessor::Int, 0, "Use only the runtime store's own entries when searching the registry.",
     "java.runtime-store-only", F, "false"},
    {166, Accessor::Int, 0,
     "Read the VM options file next to the executable (its name with \".vmoptions\" instead of \".exe\").",
     "java.read-options-file", F, "false"},
    {167, Accessor::Copy, 0, "Sharing key of shared runtimes in the registry.", "java.sharing-key", T, "empty"},
    {168, Accessor::Int, 0, "Include the application-supplied entries of the located-runtime list.",
     "java.include-application-runtimes", F, "false"},
    {2001, Accessor::Str, 2, "Runtime flavour: which runtime classes, jar and system property names the launcher uses.",
     "launcher.flavour", ValueKind::Choice, "zentrovia", CHOICES(kFlavours)},
    {2002, Accessor::Int, 0, "Number of included files; written by the packer from [[files]].", "files",
     ValueKind::IncludedFiles, "no files"},
    {2003, Accessor::Copy, 0, "Names of the included files, \";\"-separated; written by the packer from [[files]].",
     "files", ValueKind::IncludedFiles, "no files"},
    {10003, Accessor::StrAndWStr, kStr,
     "Installation directory, relative to the executable: holds .zentrovia\\zvtruntime.jar and the runtime "
     "location files.",
     "launcher.installation-directory", T, "the launcher's directory"},
    {10004, Accessor::Str, kStr, "Native-library directories, put in front of PATH.",
     "launcher.native-library-directories", ValueKind::DirectoryList, "none"},
    {10005, Accessor::Int, 0, "Single-instance mode: a second start of the same executable ends at once.",
     "launcher.single-instance", F, "false"},
    {10008, Accessor::Int, 0, "In single-instance mode, bring the running instance's windows to the front.",
     "launcher.bring-to-front", F, "false"},
    {10009, Accessor::Int, 0, "Prefer the long form of the temporary directory's path.", "launcher.long-temp-path", F,
     "false"},
    {10010, Accessor::Int, 0, "Reduce PATH to its entries inside the Windows directory.", "launcher.reduce-path", F,
     "false"},
    {10012, Accessor::Int, 0, "Ignore the Java options environment variables (JAVA_TOOL_OPTIONS and the like).",
     "java.ignore-options-variables", F, "false"},
    {10109, Accessor::Int, 0, "First value of the first splash text line (argument 4 of initAwtSplashConfig).",
     "splash.line1.text-value1", I, "0"},
    {10110, Accessor::Int, 0, "Second value of the first splash text line (argument 5).", "splash.line1.text-value2", I,
     "0"},
    {10111, Accessor::Str, kStr, "Text of the first splash text line (argument 3).", "splash.line1.text", T, "empty"},
    {10113, Accessor::Int, 0, "First value of the first line's colour (argument 7).", "splash.line1.colour-value1", I,
     "0"},
    {10114, Accessor::Str, kStr, "Colour of the first splash text line (argument 6).", "splash.line1.colour",
     ValueKind::Colour, "empty"},
    {10115, Accessor::Int, 0, "Second value of the first line's colour (argument 8).", "splash.line1.colour-value2", I,
     "0"},
    {10116, Accessor::Int, 0, "First value of the second splash text line (argument 10).", "splash.line2.text-value1",
     I, "0"},
    {10117, Accessor::Int, 0, "Second value of the second splash text line (argument 11).", "splash.line2.text-value2",
     I, "0"},
    {10118, Accessor::Str, kShortBufferCapacity, "Text of the second splash text line (argument 9).", "splash.line2.text", T, "empty"},
    {10120, Accessor::Int, 0, "First value of the second line's colour (argument 13).", "splash.line2.colour-value1", I,
     "0"},
    {10121, Accessor::Str, kStr, "Colour of the second splash text line (argument 12).", "splash.line2.colour",
     ValueKind::Colour, "empty"},
    {10122, Accessor::Int, 0, "Second value of the second line's colour (argument 14).", "splash.line2.colour-value2",
     I, "0"},
    {10200, Accessor::Int, 0,
     "Version-specific VM options: the first line whose condition matches the chosen runtime adds its options "
     "(see Version-specific VM options). Stored as the number of lines (10200), then each line's condition "
     "(10201 + 2i) and options (10202 + 2i).",
     "java.version-options", ValueKind::VersionOptions, "no lines"},
    // The service host under faults (30001-30099).
    {30001, Accessor::Int, 0,
     "Seconds the service host waits for the application to end after a stop request before it ends the "
     "application's process and every process it started, and reports the service stopped with exit code 1460 "
     "(ERROR_TIMEOUT). 0 waits without limit. The default lies below the 50 seconds a stop command waits for.",
     "service.stop-timeout", ValueKind::Count, "30"},
    {30002, Accessor::Int, 0,
     "How often the service host starts the application again when it ends with a non-zero exit code while no "
     "stop was asked for, within service.restart-window. Past the limit the host ends without reporting the "
     "service stopped, so that the recovery actions of Windows apply. 0 never restarts.",
     "service.restart-limit", ValueKind::Count, "0 (off)"},
    {30003, Accessor::Int, 0,
     "Seconds the service host waits before it starts a failed application again; the service stays running "
     "meanwhile, and a stop request ends it at once.",
     "service.restart-delay", ValueKind::Count, "5"},
    {30004, Accessor::Int, 0,
     "Seconds over which restarts are counted against service.restart-limit; 0 counts every restart since the "
     "service started.",
     "service.restart-window", ValueKind::Count, "600"},
    {30005, Accessor::Int, 0,
     "Double the restart delay with each restart still inside service.restart-window (at most one hour).",
     "service.restart-delay-grows", F, "false"},
    {30101, Accessor::WStr, kStr,
     "Account the service runs as: \"local-system\" (LocalSystem), \"local-service\" (NT AUTHORITY\\LocalService), "
     "\"network-service\" (NT AUTHORITY\\NetworkService), \"virtual\" (the service's own virtual account NT "
     "SERVICE\\<service name>), or a named account 'DOMAIN\\user' ('.\\user' for an account of this machine), "
     "whose password /install reads from the console without echo, or as one line from standard input when that "
     "is not a console (see Service account).",
     "service.account", ValueKind::ServiceAccount, "LocalSystem: /install registers no account name"},
    {30102, Accessor::WStr, 257,
     "Display name of the service in the services console; the service name is still what the commands address.",
     "service.display-name", T, "the service name"},
    {30103, Accessor::Int, 0,
     "Delayed automatic start: a service installed to start automatically starts after the other automatic "
     "services (a service installed to start on demand ignores this).",
     "service.delayed-start", F, "false"},
    {30104, Accessor::Str, 16, "Windows recovery action after the first failure of the service (see Recovery actions).",
     "service.recovery.first-failure", ValueKind::Choice, "none; no recovery actions at all when none of the three "
     "is set", CHOICES(kRecoveryActions)},
    {30105, Accessor::Str, 16, "Seconds before the restart after the first failure.",
     "service.recovery.first-failure-delay", ValueKind::RestartDelay, "60"},
    {30106, Accessor::Str, 16, "Windows recovery action after the second failure.", "service.recovery.second-failure",
     ValueKind::Choice, "none", CHOICES(kRecoveryActions)},
    {30107, Accessor::Str, 16, "Seconds before the restart after the second failure.",
     "service.recovery.second-failure-delay", ValueKind::RestartDelay, "60"},
    {30108, Accessor::Str, 16, "Windows recovery action after the third and every later failure.",
     "service.recovery.later-failures", ValueKind::Choice, "none", CHOICES(kRecoveryActions)},
    {30109, Accessor::Str, 16, "Seconds before the restart after the third and every later failure.",
     "service.recovery.later-failures-delay", ValueKind::RestartDelay, "60"},
    {30110, Accessor::Str, 16,
     "Seconds without a failure after which Windows counts failures from the first again.",
     "service.recovery.reset-after", ValueKind::Count, "86400 (one day)"},
    {30111, Accessor::Str, 16,
     "Count a service that reports STOPPED with a non-zero exit code as failed, so that the recovery actions run "
     "for it too (not only when its process ends without reporting STOPPED).",
     "service.recovery.count-error-exits", F, "true when a recovery action is set"},
    // The launcher's width (30201-30299).
    {30201, Accessor::Copy, 0,
     "Width of the launcher, which must match the Java runtime it loads: a 32-bit launcher loads only 32-bit "
     "runtimes, a 64-bit one only 64-bit runtimes. zvtpack pack takes the template of this width from its own "
     "directory when no template is named, and refuses a template of the other width. The launcher does not read "
     "it; show prints it back from the packed launcher.",
     "launcher.architecture", ValueKind::Choice, "x86", CHOICES(kArchitectures)},
    // A launcher that carries its runtime classes, and log files that rotate (30301-30319).
    {30301, Accessor::Int, 0,
     "Pack zvtruntime.jar into the launcher as an included file, so that the launcher needs nothing beside it "
     "but the application's own files. zvtpack pack takes the jar from its own directory and stores it under the "
     "name of the flavour's runtime module (com.zentrovia.runtime.jar or com.quarn.runtime.jar), which the "
     "launcher extracts into its temporary directory and puts on the class path (or on the module path, where "
     "that name is the module's name). The launcher then leaves "
     "<installation-directory>\\.zentrovia\\zvtruntime.jar out. false: the application installs the jar itself "
     "(beside the launcher under .zentrovia\\ in the zentrovia flavour, or on the class path).",
     "launcher.include-runtime", F, "true: zvtpack pack includes the jar and stores this key as 1"},
    {30302, Accessor::Int, 0,
     "Size in KiB at which the runtime classes rotate a log file (logs.error-file, logs.output-file): the file "
     "becomes <name>.1, an older <name>.1 becomes <name>.2 and so on, and writing goes on in a new file. 0 never "
     "rotates.",
     "logs.rotate-size-kib", ValueKind::Count, "0: the log files grow without limit"},
    {30303, Accessor::Int, 0,
     "How many rotated files (<name>.1 to <name>.N) logs.rotate-size-kib keeps beside the current one; older ones "
     "are deleted. 0 keeps none: a full log file starts afresh.",
     "logs.rotate-keep", ValueKind::Count, "5"},
    // The application's environment and the launcher's own log (30321-30339).
    {30321, Accessor::Copy, 0,
     "Environment variables the launcher sets in its own process before it looks for Java, so that the JVM search "
     "(JAVA_HOME and the like), the Java application and every process it starts see them, also when it runs as a "
     "service: \"NAME=value\" sets NAME, \"NAME=\" removes it. Applied in order when the application is run "
     "(/run, /run-redirect and the service's application process, not the service commands); each value is "
     "expanded like the other settings against the environment the entries before it have left, so "
     "\"PATH=${PATH};C:\\tools\" extends PATH. A value that expands to nothing removes the variable; a variable "
     "that is not defined stays as written. They apply after launcher.reduce-path and "
     "java.ignore-options-variables, and before launcher.native-library-directories are put in front of PATH.",
     "launcher.environment", ValueKind::Environment, "the environment the launcher was started with"},
    {30322, Accessor::Int, 0,
     "Write the diagnostic log, as QUARN_LOG=yes or ZENTROVIA_LOG=yes do, in every process of this launcher (the "
     "service commands, the service process and the application's process): a zvt_nlog_<n>.log file in the "
     "temporary directory of the account it runs as (for a service running as LocalSystem usually "
     "C:\\Windows\\Temp).",
     "launcher.diagnostic-log", F, "false: only the variables switch it on"},
};

#undef CHOICES

const MessageInfo kMessages[] = {
    {1000, "caption of every error dialog", L"Error", "error-caption"},
    {1005, "a registry JVM passed its check but could not be used",
     L"The JVM could not be started. The maximum heap size (-Xmx) might be too large or an antivirus or firewall "
     L"tool could block the execution.",
     "jvm-not-started"},
    {1006, "a mandatory class-path entry is missing", L"File or directory {0} not found or empty\n",
     "class-path-entry-missing"},
    {1008, "an environment variable named by a class-path entry is undefined",
     L"The environment variable {0} has to be defined", "class-path-variable-undefined"},
    {1009, "internal errors, with the internal error code", L"An internal error occurred (error code: {0})",
     "internal-error"},
    {1010, "the launcher class cannot be loaded (its name as argument)",
     L"Couldn't load main class {0}.\nCheck the class path: it must hold the runtime jar zvtruntime.jar, packed "
     L"into the launcher, in the .zentrovia folder of the installation directory, or named in the class path "
     L"setting.",
     "main-class-not-loaded"},
    {1011, "the main method cannot be found", L"Main method not found.", "main-method-not-found"},
    {1015, "no usable temporary directory", L"You must be at least Poweruser to run this program.",
     "no-temp-directory"},
    {1016, "no JVM found (bit width as argument)",
     L"No JVM could be found on your system.\nPlease define QUARN_JAVA_HOME to point to an installed {0}-bit JDK "
     L"or JRE or download a JRE.",
     "no-jvm-found"},
    {1017, "an environment variable names a JVM that does not work",
     L"The {0} environment variable does not\npoint to a working 32-bit JDK or JRE.", "jvm-variable-not-working",
     L"The {0} environment variable does not\npoint to a working 64-bit JDK or JRE."},
    {1019, "the JVM found at a place is damaged",
     L"The JVM found at {0} is damaged.\nPlease reinstall or define QUARN_JAVA_HOME\nto point to an installed "
     L"32-bit JDK or JRE.",
     "jvm-damaged",
     L"The JVM found at {0} is damaged.\nPlease reinstall or define QUARN_JAVA_HOME\nto point to an installed "
     L"64-bit JDK or JRE."},
    {1021, "a packed runtime could not be unpacked",
     L"Could not unpack the JVM. Antivirus software is probably interfering.", "jvm-unpack-failed"},
    {1101, "the last runtime found is 64-bit and the launcher 32-bit (its place as argument)",
     L"The Java runtime found at {0} is 64-bit; this launcher needs a 32-bit runtime.\nUse the 64-bit launcher, or "
     L"install a 32-bit runtime.",
     "runtime-is-64-bit"},
    {1102, "the last runtime found is 32-bit and the launcher 64-bit (its place as argument)",
     L"The Java runtime found at {0} is 32-bit; this launcher needs a 64-bit runtime.\nUse the 32-bit launcher, or "
     L"install a 64-bit runtime.",
     "runtime-is-32-bit"},
    {20017, "service description set after installation (empty sets none)", L"", "service-description"},
};

// Version-specific option lines: condition at 10201 + 2i, options at
// 10202 + 2i. Stored blocks keep i small; bound the range to a sane count.
constexpr uint32_t kVersionLinesFirst = 10201;
constexpr uint32_t kVersionLinesLast = 10201 + 2 * (kMaxVersionOptionLines - 1) + 1;
const KeyInfo kVersionCondition = {10201,
                                   Accessor::Copy,
                                   0,
                                   "Condition of version-specific line i (key 10201 + 2i): a range of major "
                                   "versions or a pattern for the whole version string.",
                                   "java.version-options.condition",
                                   ValueKind::VersionOptions,
                                   "the line never matches"};
const KeyInfo kVersionOptions = {10202,
                                 Accessor::WStr,
                                 kStr,
                                 "VM options of version-specific line i (key 10202 + 2i), used when it is the first "
                                 "line whose condition matches the chosen runtime.",
                                 "java.version-options.options",
                                 ValueKind::VersionOptions,
                                 "none"};

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

const wchar_t* shippedText(const MessageInfo& message, unsigned bits) {
  return bits == 64 && message.defaultText64 ? message.defaultText64 : message.defaultText;
}

const KeyInfo& versionConditionInfo() {
  return kVersionCondition;
}

const KeyInfo& versionOptionsInfo() {
  return kVersionOptions;
}

const KeyInfo* keyByName(const char* name) {
  for (const KeyInfo& k : kKeys) {
    if (std::strcmp(k.name, name) == 0) return &k;
  }
  return nullptr;
}

const MessageInfo* messageByName(const char* name) {
  for (const MessageInfo& m : kMessages) {
    if (std::strcmp(m.name, name) == 0) return &m;
  }
  return nullptr;
}

}  // namespace zvt::config
