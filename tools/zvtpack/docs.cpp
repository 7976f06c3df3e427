#include "docs.h"

#include <algorithm>
#include <vector>

#include "code_page.h"
#include "config/key_table.h"
#include "starter.h"
#include "unicode.h"

namespace zvt::pack {
namespace {

using config::KeyInfo;
using config::ValueKind;

std::string typeOf(const KeyInfo& k) {
  switch (k.kind) {
    case ValueKind::Text:
      return "string";
    case ValueKind::Arguments:
      return "string of arguments";
    case ValueKind::Flag:
      return "true/false";
    case ValueKind::Integer:
      return "integer";
    case ValueKind::Count:
      return "integer, 0 or more";
    case ValueKind::Choice: {
      std::string out;
      for (size_t i = 0; i < k.choiceCount; ++i)
        out += (i == 0 ? "" : ", ") + std::string("\"") + k.choices[i].name + "\"";
      return out + (k.acceptsInteger ? " or an integer" : "");
    }
    case ValueKind::Version:
      return "version";
    case ValueKind::ClassPath:
      return "class-path entries";
    case ValueKind::SearchSequence:
      return "search entries";
    case ValueKind::DirectoryList:
      return "array of strings";
    case ValueKind::Environment:
      return "array of \"NAME=value\" strings";
    case ValueKind::ServiceName:
      return "service name";
    case ValueKind::Dependencies:
      return "array of service names";
    case ValueKind::Colour:
      return "[red, green, blue]";
    case ValueKind::IncludedFiles:
      return "written by the packer";
    case ValueKind::VersionOptions:
      return "[[java.version-options]] tables";
    case ValueKind::ServiceAccount:
      return "account kind or 'DOMAIN\\user'";
    case ValueKind::RestartDelay:
      return "seconds, 0 to 4294967";
  }
  return "";
}

// Markdown table cells: "|" would end the cell.
std::string cell(std::string s) {
  std::string out;
  for (char c : s) {
    if (c == '|') {
      out += "\\|";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string keyColumn(const KeyInfo& k) {
  if (k.kind == ValueKind::VersionOptions) return "10200, 10201 + 2i, 10202 + 2i";
  return std::to_string(k.id);
}

bool readByteByByte(const KeyInfo& k) {
  return k.accessor == config::Accessor::WStr || k.accessor == config::Accessor::StrAndWStr;
}

std::string sectionTable(const std::string& section) {
  size_t count = 0;
  const KeyInfo* keys = config::keyTable(count);
  std::vector<const KeyInfo*> rows;
  for (size_t i = 0; i < count; ++i) {
    const std::string name = keys[i].name;
    if (name.compare(0, section.size() + 1, section + ".") == 0) rows.push_back(&keys[i]);
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const KeyInfo* a, const KeyInfo* b) { return std::string(a->name) < std::string(b->name); });
  std::string out = "| Setting | Key | Type | When absent | Meaning |\n|---|---|---|---|---|\n";
  for (const KeyInfo* k : rows) {
    std::string meaning = std::string(k->required ? "**Required.** " : "") + k->meaning;
    const bool text = k->kind == ValueKind::Text || k->kind == ValueKind::Arguments ||
                      k->kind == ValueKind::ServiceName || k->kind == ValueKind::ClassPath ||
                      k->kind == ValueKind::SearchSequence || k->kind == ValueKind::DirectoryList ||
                      k->kind == ValueKind::Dependencies || k->kind == ValueKind::ServiceAccount;
    if (text && k->capacity != 0) meaning += " At most " + std::to_string(k->capacity - 1) + " bytes.";
    if (readByteByByte(*k)) meaning += " Read byte by byte (see Encodings).";
    out += "| `" + std::string(k->name) + "` | " + keyColumn(*k) + " | " + cell(typeOf(*k)) + " | " +
           cell(k->whenAbsent) + " | " + cell(meaning) + " |\n";
    if (k->kind == ValueKind::Choice) {
      for (size_t i = 0; i < k->choiceCount; ++i) {
        out += "| | | `\"" + std::string(k->choices[i].name) + "\"` (stored \"" + k->choices[i].stored + "\") | | " +
               cell(k->choices[i].meaning) + " |\n";
      }
    }
  }
  if (section == "service") {
    out +=
        "| `service.description` | message 20017 | string | no description | Description the service gets after "
        "/install (a message: localized sets may translate it as `service-description`). |\n";
  }
  return out;
}

// A shipped text as one line of UTF-8, line ends written as \n.
std::string docText(const wchar_t* text) {
  std::u32string chars;
  for (const wchar_t* t = text; *t; ++t) chars.push_back(static_cast<char32_t>(*t) & 0xFFFF);
  std::string shown;
  for (char c : encodeUtf8(chars)) shown += c == '\n' ? std::string("\\n") : std::string(1, c);
  return shown;
}

std::string messageTableDoc() {
  size_t count = 0;
  const config::MessageInfo* messages = config::messageTable(count);
  std::string out = "| Name | Id | Shown when | Shipped English text |\n|---|---|---|---|\n";
  for (size_t i = 0; i < count; ++i) {
    std::string shown = docText(messages[i].defaultText);
    if (messages[i].defaultText64) shown += "\" (64-bit launcher: \"" + docText(messages[i].defaultText64);
    out += "| `" + std::string(messages[i].name) + "` | " + std::to_string(messages[i].id) + " | " +
           cell(messages[i].use) + " | " + (shown.empty() ? "(none)" : "\"" + cell(shown) + "\"") +
           (messages[i].defaultText64 ? ")" : "") + " |\n";
  }
  return out;
}

const char* const kIntro = R"(# Configuration reference

This page is generated from the launcher's key table by `zvtpack keys --markdown`;
a test fails when it is out of date. It describes the configuration file that
`zvtpack` packs into a copy of a launcher template.

## Which template

A launcher loads the Java runtime into its own process, so its width must be
the runtime's:

| Java runtime | Template | `launcher.architecture` |
|---|---|---|
| 64-bit (most installations; every Java from 24 on) | `zvtsvc64.exe` | `"x64"` |
| 32-bit | `zvtsvc.exe` | `"x86"` (the default) |

`zvtpack pack` without a template takes the one of that width from its own
directory and refuses a named template of the other width. A launcher that
finds only runtimes of the other width says so ("The Java runtime found at
... is 64-bit; this launcher needs a 32-bit runtime.").

## Three steps

```
zvtpack init myservice.toml                              # a commented starter configuration
# edit myservice.toml: service name, main class, class path, Java search, ...
zvtpack pack myservice.toml myservice.exe                # check and pack (or: zvtpack pack zvtsvc64.exe ...)
```

`zvtpack init --flavour quarn myservice.toml` writes the starter for the quarn
runtime flavour. `zvtpack show myservice.exe` prints the block of a packed
launcher in this same format; packing what it prints gives the same block,
byte for byte. `zvtpack keys` lists every setting name; `zvtpack --help` lists
the commands.

The file is [TOML](https://toml.io). Every setting has a name by role and
lives in a section (`[service]`, `[application]`, `[java]`, `[launcher]`,
`[logs]`, `[splash]`); messages, localized messages, included files and raw
keys have sections of their own. Settings left out are not stored, and the
launcher then does what the column "When absent" says; the two marked
**Required** (`service.name` and `application.main-class`) must be given.

Before anything is written the packer checks the whole file: TOML syntax
(with what to write instead), unknown names (with a suggestion), wrong types
(with the value written the expected way, or an example), integers out of
range, required settings, version bounds the launcher would misread or that
exclude every version, class-path and search entries it would misread, quotes
that nothing closes in VM options and arguments, included files that are
missing or whose names it refuses, service names the Service Control Manager
refuses or that have blanks at either end, service accounts of an unknown
kind or form, recovery settings that would have no effect, texts the code
page cannot hold (one error a value, at its first such character). Every
fault is reported as `file:line:column: error: ...`; then the packer exits
with code 1, ends with "nothing written" and writes nothing (an existing
output file stays as it was). A configuration file has at most 16 MiB. The
output is written to a new file beside it and then renamed over it; an
output path that exists and is not a regular file (a directory, a symbolic
link, a named pipe, a device) is refused.

)";

const char* const kServiceNotes = R"(## Service account, start and recovery

Without `service.account`, `service.display-name`, `service.delayed-start`
and `[service.recovery]` the launcher's `/install` registers exactly what it
always did: LocalSystem, the service name as display name, no delayed start,
no recovery actions. `/status` prints the account a service runs as
(`Account: NT AUTHORITY\LocalService`).

### Service account

| `service.account` | Runs as | Password |
|---|---|---|
| `"local-system"` (or absent) | LocalSystem: every right on the machine | none |
| `"local-service"` | NT AUTHORITY\LocalService: few rights, anonymous on the network | none |
| `"network-service"` | NT AUTHORITY\NetworkService: few rights, the machine's identity on the network | none |
| `"virtual"` | NT SERVICE\<service name>, the service's own virtual account (Windows 7 and later) | none |
| `'DOMAIN\user'`, `'.\user'` | a named account (`.` is this machine) | read at `/install` |

The password of a named account is never part of the configuration or of the
command line, and it appears in no output and no log. `/install` reads it
from the console without echo (after the prompt `Password for DOMAIN\user: `
on standard error), or, when standard input is no console, as one line from
standard input, so that a script can pipe it
(`type secret.txt | myservice.exe /install`); a line that is valid UTF-8 is
read as UTF-8, any other in the ANSI code page. `/install` checks first that
the system knows the account: an unknown account (or a setting the launcher
refuses) ends with "Could not create service.", the reason on standard error
and exit code 1, and the installed service of that name stays as it was.

The account needs:

- the right to log on as a service (`SeServiceLogonRight`: Local Security
  Policy, User Rights Assignment; the built-in and virtual accounts have it);
  without it the service fails to start with error 1069;
- read access to the installation directory (the launcher, its class path,
  `.zentrovia\zvtruntime.jar`) and to the Java runtime it uses, and write
  access to the log files it is configured to write;
- a temporary directory of its own: the launcher looks first at the
  account's temporary path (for LocalService and NetworkService
  `C:\Windows\ServiceProfiles\<account>\AppData\Local\Temp`) and falls
  back to shared directories such as `C:\Windows\Temp` only when it cannot
  write there;
- its own per-user version cache: the launcher caches Java version probes
  under the account's `HKEY_CURRENT_USER`, so the first start under a new
  account probes the Java runtimes again.

### Delayed automatic start

`service.delayed-start = true` starts a service installed to start
automatically (`launcher.kind = "service"`, `/install-auto`) after the other
automatic services, once the machine has settled. A service installed to
start on demand ignores it.

### Recovery actions

`[service.recovery]` registers what Windows does when the service fails:
after the first, the second, and the third and every later failure
(`"restart"` after the matching `-delay` in seconds, default 60, or
`"none"`), and after how many seconds without a failure the count starts
again (`reset-after`, default one day). A failure is a service process that
ends without reporting STOPPED (the launcher's host does this when the Java
application ends with a non-zero exit code by itself); with
`count-error-exits` (the default when an action is set) a STOPPED report with
a non-zero exit code counts too, such as the host's report when the Java
application cannot be started at all (1066 / 5000).

Which to use when: a restart by the service host of its own Java child is
fast and keeps the service running, so use it for an application that may
crash and recovers by starting again; the Windows recovery actions restart
the whole service, host included, and also act when the host itself fails or
gives up: use them as the outer safety net, with delays long enough that the
host's own restarts come first. Without a restart of its own in the host,
the recovery actions are the only restart.

If the system refuses a step of the registration (delayed start or recovery
actions on a system without them), `/install` prints "Could not create
service." with the reason on standard error, removes the service again and
exits with 1: nothing half-installed stays behind.

)";

const char* const kDiagnosticLog = R"(## Diagnostic log

The launcher writes a diagnostic log when `QUARN_LOG` or `ZENTROVIA_LOG` is
`yes` in its environment, or when it was packed with
`launcher.diagnostic-log = true`. A service sees a variable of the machine's
environment only after Windows has been restarted; the setting needs only the
repacked launcher in place and a restart of the service. Every process of the
launcher then writes its own `zvt_nlog_<n>.log` (the numbers go on from the
files already there) in the temporary directory of the account it runs as:
for a service under LocalSystem usually `C:\Windows\Temp`. The log shows the
Java runtimes tried with their verdicts, the VM options, the environment
entries applied and every error. Switch it off again for normal operation:
each start adds files, up to 1000.

)";

const char* const kStructured = R"(## Structured values

### Class-path and module-path entries

`application.class-path` and `application.module-path` are arrays of entries,
each a table with one of these fields and an optional `required = true`
(a required entry that is missing stops the launch with message
`class-path-entry-missing` or `class-path-variable-undefined`):

| Entry | Adds | Counts as found when |
|---|---|---|
| `{ archive = "app.jar" }` | the file, made a full path against the launcher's directory | it exists |
| `{ directory = "classes" }` | the directory, likewise | it exists |
| `{ env = "EXTRA_CP" }` | the value of the environment variable | the variable is defined |
| `{ scan = "lib" }` | every `*.jar`, then every `*.zip` of the directory (module path: the directory itself) | the directory exists |

Names are expanded at run time (`${NAME}` environment variables, the launcher's
own `${launcher:...}` tokens). A name cannot hold ";" (it separates entries in
the block) and an `env` name cannot hold "=".

### Java search entries

`java.search` is an array of places to look for a Java runtime, tried in order:

| Entry | Looks at |
|---|---|
| `{ home = "jre" }` | a Java home directory, resolved against the launcher's directory |
| `{ home = "jre", local = true }` | an application-local Java home: also tried, ignoring the version bounds, when nothing else fits |
| `{ home = "jre", letter = "R" }` | a Java home directory stored with the letter R (the launcher treats it like the first form) |
| `{ env = "JAVA_HOME" }` | the Java home named by an environment variable |
| `{ registry = true }` | runtimes registered with Windows |
| `{ search-path = true }` | `java.exe` on the executable search path |

### Environment variables

`launcher.environment` is an array of `"NAME=value"` strings, applied in order
in the launcher's own process before it looks for Java, so that the JVM
search, the Java application and every process it starts see them; a service
gets them without a change to the machine's environment:

```toml
[launcher]
environment = [
  "APP_HOME=${launcher:sys.launcherDirectory}",
  "JAVA_HOME=${APP_HOME}jre",
  'PATH=${PATH};C:\tools',
  "JAVA_TOOL_OPTIONS=",
]
```

- `"NAME=value"` sets the variable; `"NAME="` removes it, as `set NAME=` does
  at a command prompt. A value that expands to nothing removes it as well.
- Values are expanded like the other settings, each against the environment
  the entries before it have left: an entry can build on an earlier one or on
  the variable's own old value. A variable that is not defined stays as
  written (`${NOT_SET}`).
- They apply when the application runs (`/run`, `/run-redirect` and the
  service's application process), after `launcher.reduce-path` and
  `java.ignore-options-variables` (a Java options variable set here counts,
  outside ones are still ignored), and before
  `launcher.native-library-directories` go in front of PATH. The service
  commands (`/install`, `/start`, ...) do not apply them.
- An entry without "=", with an empty name, or with blanks around the name
  (`"JAVA_HOME = C:\jre"` would set a variable named `JAVA_HOME `) is
  refused with the entry as it should be written.
- `QUARN_LOG` or `ZENTROVIA_LOG` set here reach only the processes the
  application starts: the launcher has decided about its own log by then.
  Use `launcher.diagnostic-log = true` for that.

### Version bounds

`java.min-version` and `java.max-version` are numbers separated by ".", "_",
"-" or "+", such as `"1.8"`, `"1.8.0_201"` or `"11.0.2+9"`. Text such as
`"17-ea"` is refused: the launcher would read it as 17.0.

### Version-specific VM options

Each `[[java.version-options]]` table is one line; the first line whose
condition matches the chosen runtime adds its `options`:

```toml
[[java.version-options]]
major = [9, 21]                     # major versions 9 to 21 (or one number: major = 17)
options = "--add-opens java.base/java.lang=ALL-UNNAMED"

[[java.version-options]]
version-pattern = "1.8*"            # "*" any run of characters, "?" one character
options = "-XX:+UseG1GC"
```

A `condition = "..."` field stores a condition text as it is.

## Messages

The launcher's English messages are packed by default. `[messages]` replaces
single ones, by name or by id (`1009 = "..."`); ids the launcher does not show
(1001 to 1004, 1007, 1012 to 1014, 1018, 1020) can be given by id.
`shipped-texts = false` packs only the messages the file names.

)";

const char* const kLocalized = R"(
Texts are UTF-8 in the file and stored as UTF-16, so every language works;
"\n" is a line break and `{0}` marks where the message's argument goes. A
message has at most 5999 UTF-16 units. `{ utf16 = [...] }` gives raw units.

### Localized messages

`[localized.<code>]` tables replace messages when the user's interface
language matches the code: a language (`de`), a language and country
(`de_AT`), or `""` for every language. Codes are those the launcher's locale
detection produces, so `de-AT`, `DE` or `de_at` are refused. Where sets for
`de` and `de_AT` both match, `de_AT` wins.

```toml
[localized.de]
error-caption = "Fehler"
service-description = "Bestelldienst"
```

## Included files

Each `[[files]]` table packs one file into the executable; the launcher
extracts it at start into a fresh temporary directory, whose `*.jar` and
`*.zip` files join the class path.

```toml
[[files]]
source = "build/app.jar"    # the file to pack, relative to the configuration file
name = "lib\\app.jar"       # its name there (default: the source's file name)
```

A name may have one directory level. Names the launcher refuses (absolute
names, "..", drive letters, device names such as `nul`, two directory levels,
blanks or dots at the end of a part, characters Windows does not allow),
names with ";" and names given twice (in any case) are refused. The packer
writes keys 2002 and 2003 itself.

The runtime classes travel the same way: unless `launcher.include-runtime`
is `false`, `zvtpack pack` adds `zvtruntime.jar` from its own directory as
the last included file, named after the flavour's runtime module
(`com.zentrovia.runtime.jar` or `com.quarn.runtime.jar`), and the launcher
finds it among the extracted archives in either flavour (on the module path
in module mode, where that name is the module's). That name is then
reserved for it. `zvtpack show` gives it back as the setting, not as a
`[[files]]` table. See docs/runtime-classes.md.

## Raw keys

`[keys]` sets configuration keys by number, for keys without a name:
`10042 = "text"` or `10042 = { bytes = [0x41, 0x81] }` for raw bytes. A key
cannot be set both by name and raw; keys 2002 and 2003 are the packer's.
Raw keys are stored without the checks of named settings.

## Encodings

Configuration entries are 8-bit text in the ANSI code page of the machines
that run the launcher: `code-page = 1252` under `[packer]` by default; the
packer knows )";

const char* const kEncodingTail = R"(. Characters the code page cannot hold
are refused with their position. Settings marked "read byte by byte" are
widened by the launcher one byte to one character, so for them only ASCII and
characters stored under their own number (in code page 1252: U+00A0 to U+00FF,
such as ä, é, ß) arrive unchanged; others (€, Cyrillic letters) are refused.
Control characters (a line feed from `"C:\new"`, where `\n` is an escape) are
refused in every setting: write paths as literal strings, `'C:\new'`, or
double the backslashes.

## Worked example

The starter configuration from `zvtpack init`:

```toml
)";

}  // namespace

std::string configurationReference() {
  std::string out = kIntro;
  static const char* const sections[][2] = {
      {"service", "Service"}, {"application", "Application"}, {"java", "Java runtime"}, {"launcher", "Launcher"},
      {"logs", "Logs"},       {"splash", "Splash screen"},
  };
  out += "## Settings\n";
  for (const auto& s : sections) out += "\n### [" + std::string(s[0]) + "]: " + s[1] + "\n\n" + sectionTable(s[0]);
  out += "\nKeys 2002 and 2003 (number and names of included files) are written by the packer from `[[files]]`.\n\n";
  out += kServiceNotes;
  out += kDiagnosticLog;
  out += kStructured;
  out += messageTableDoc();
  out += kLocalized;
  out += CodePage::supportedList();
  out += kEncodingTail;
  out += starterConfiguration(Flavour::Zentrovia);
  out += "```\n";
  return out;
}

std::string settingList() {
  size_t count = 0;
  const KeyInfo* keys = config::keyTable(count);
  std::vector<std::string> lines;
  for (size_t i = 0; i < count; ++i) {
    if (keys[i].kind == ValueKind::IncludedFiles) continue;
    lines.push_back(std::string(keys[i].name) + "  (key " + keyColumn(keys[i]) + ", " + typeOf(keys[i]) + ")");
  }
  lines.push_back("service.description  (message 20017, string)");
  std::sort(lines.begin(), lines.end());
  std::string out = "Settings (section.name):\n";
  for (const std::string& l : lines) out += "  " + l + "\n";
  out += "\nMessages ([messages] and [localized.<code>], by name or id):\n";
  const config::MessageInfo* messages = config::messageTable(count);
  for (size_t i = 0; i < count; ++i) {
    out += "  " + std::string(messages[i].name) + "  (message " + std::to_string(messages[i].id) + ")\n";
  }
  out += "\nOther sections: [[files]] (source, name), [keys] (raw keys by id), [packer] (code-page).\n";
  return out;
}

}  // namespace zvt::pack
