#include "starter.h"

namespace zvt::pack {
namespace {

const char* const kHead = R"(# Launcher configuration for a Java application run as a Windows service.
# It packs and runs as written; the two lines marked "required" name your
# application. Every setting: docs/configuration.md ("zvtpack keys" lists them).
#   zvtpack pack <this file> myservice.exe     (the template beside zvtpack)
#   myservice.exe /install, then /start, /status, /stop, /uninstall (on Windows)

[service]                                  # how Windows knows the service
name = "MyService"                         # required: the name /install registers (no "/" or "\", at most 256 characters)
description = "My Java application as a Windows service"   # shown in the services console
dependencies = ["Tcpip"]                   # services Windows starts before this one
)";

const char* const kZentroviaFlavour = R"(
[launcher]                                 # the launcher itself
kind = "service"                           # errors on the console; /install registers a service that starts automatically
# architecture = "x64"                     # for a 64-bit Java runtime: packs zvtsvc64.exe (the default "x86" packs zvtsvc.exe)
flavour = "zentrovia"                      # the runtime classes' names (com.zentrovia.runtime)
include-runtime = true                     # zvtruntime.jar is packed into the launcher: nothing to install beside it
installation-directory = "."               # where .zentrovia\ lives, relative to myservice.exe
working-directory = "."                    # myservice.exe's own directory (a service otherwise starts in System32)
)";

const char* const kQuarnFlavour = R"(
[launcher]                                 # the launcher itself
kind = "service"                           # errors on the console; /install registers a service that starts automatically
# architecture = "x64"                     # for a 64-bit Java runtime: packs zvtsvc64.exe (the default "x86" packs zvtsvc.exe)
flavour = "quarn"                          # the runtime classes' names (com.quarn.runtime)
include-runtime = true                     # zvtruntime.jar is packed into the launcher: nothing to install beside it
working-directory = "."                    # myservice.exe's own directory (a service otherwise starts in System32)
)";

const char* const kApplication = R"(
[application]                              # what the Java runtime runs
main-class = "com.example.Main"            # required: the class whose main(String[]) starts the application
arguments = ""                             # handed to main; blanks separate, quotes group
class-path = [{ scan = "lib" }]            # every .jar and .zip in lib\ beside myservice.exe
# class-path = [{ scan = "lib" }, { archive = 'app.jar', required = true }, { env = "EXTRA_CLASSPATH" }]   # other kinds of entries

[java]                                     # which Java runtime, and how it starts
search = [                                 # where to look for a Java runtime, in this order:
  { home = "jre", local = true },          # a runtime in jre\ beside myservice.exe
  { env = "JAVA_HOME" },                   # the runtime JAVA_HOME names
  { registry = true },                     # runtimes registered with Windows
  { search-path = true },                  # java.exe on PATH
]
min-version = "1.8"                        # the oldest Java version accepted
# max-version = "17"                       # the newest Java version accepted
vm-options = "-Xmx256m"                    # options for the Java runtime: here at most 256 MB of heap
# [[java.version-options]]                 # options for some runtimes only: the first matching line counts
# major = [9, 21]                          # the Java major versions it matches
# options = "--add-opens java.base/java.lang=ALL-UNNAMED"   # the options it adds

[logs]                                     # where the application's own output goes (not with /run)
error-enabled = true                       # standard error goes to error-file
error-file = 'logs\error.log'              # relative to myservice.exe; the logs\ directory is created
output-enabled = true                      # standard output goes to output-file
output-file = 'logs\output.log'            # relative to myservice.exe
rotate-size-kib = 10240                    # at 10 MiB a log file becomes error.log.1 (.1 becomes .2, ...) and a new one starts
rotate-keep = 5                            # the rotated files kept: .1 to .5; older ones are deleted

# [messages]                               # the English messages are packed; override single ones by name
# no-jvm-found = "No Java runtime found. Please install Java 8 or later."
# [localized.de]                           # translations for users of that language
# error-caption = "Fehler"

# [[files]]                                # a file packed into the launcher, extracted at start into a fresh
# source = "build/app.jar"                 # temporary directory, whose archives join the class path;
# name = "app.jar"                         # source is relative to this file, name the file's name there
)";

}  // namespace

std::string starterConfiguration(Flavour flavour) {
  return std::string(kHead) + (flavour == Flavour::Quarn ? kQuarnFlavour : kZentroviaFlavour) + kApplication;
}

}  // namespace zvt::pack
