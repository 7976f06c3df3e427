#include "starter.h"

namespace zvt::pack {
namespace {

const char* const kHead = R"(# Launcher configuration for a Java application run as a Windows service.
# Pack it with:  zvtpack pack zvtsvc.exe <this file> myservice.exe
# Then, on Windows:  myservice.exe /install   (and /start, /status, /stop, /uninstall)
# Every setting is described in docs/configuration.md; "zvtpack keys" lists the names.

[service]
name = "MyService"                 # the name /install registers; no "/" or "\", at most 256 characters
description = "My Java application as a Windows service"
dependencies = ["Tcpip"]           # services that must run first
)";

const char* const kZentroviaFlavour = R"(
[launcher]
kind = "service"                   # console errors; /install registers a service that starts automatically
# architecture = "x64"             # a 64-bit Java runtime: pack zvtsvc64.exe (the default "x86": zvtsvc.exe)
flavour = "zentrovia"              # runtime classes from <installation-directory>\.zentrovia\zvtruntime.jar
installation-directory = "."       # relative to myservice.exe
working-directory = "."
)";

const char* const kQuarnFlavour = R"(
[launcher]
kind = "service"                   # console errors; /install registers a service that starts automatically
# architecture = "x64"             # a 64-bit Java runtime: pack zvtsvc64.exe (the default "x86": zvtsvc.exe)
flavour = "quarn"                  # runtime classes (com.quarn.runtime) from the class path below
working-directory = "."
)";

const char* const kApplication = R"(
[application]
main-class = "com.example.Main"
arguments = ""                     # placed after the service name; blanks separate, quotes group
class-path = [
  { scan = "lib" },                # every .jar and .zip in lib\ beside the executable
  # { archive = 'app.jar', required = true },   # a file or directory that must exist
  # { env = "EXTRA_CLASSPATH" },               # the value of an environment variable
]

[java]
search = [
  { home = "jre", local = true },  # a runtime shipped beside the executable
  { env = "JAVA_HOME" },
  { registry = true },             # runtimes registered with Windows
  { search-path = true },          # java.exe on PATH
]
min-version = "1.8"
# max-version = "17"
vm-options = "-Xmx256m"
# [[java.version-options]]         # extra options for some runtimes: the first matching line counts
# major = [9, 21]
# options = "--add-opens java.base/java.lang=ALL-UNNAMED"

[logs]
error-enabled = true
error-file = 'logs\error.log'      # relative to the launcher's directory
output-enabled = true
output-file = 'logs\output.log'

# The launcher's English messages are packed by default; override single
# ones by name, or add translations for the user's language:
# [messages]
# no-jvm-found = "No Java runtime found. Please install Java 8 or later."
# [localized.de]
# error-caption = "Fehler"

# Files packed into the executable and extracted at start into a fresh
# temporary directory, whose archives join the class path:
# [[files]]
# source = "build/app.jar"         # relative to this file
# name = "app.jar"                 # the name in the temporary directory
)";

}  // namespace

std::string starterConfiguration(Flavour flavour) {
  return std::string(kHead) + (flavour == Flavour::Quarn ? kQuarnFlavour : kZentroviaFlavour) + kApplication;
}

}  // namespace zvt::pack
