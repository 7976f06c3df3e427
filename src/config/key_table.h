// Every configuration key and message id the launcher reads, as data: which
// accessor reads it, with what capacity, what it means, and the name by role
// under which a configuration file sets it. Tools (zvtpack pack, show, keys,
// the generated configuration reference) and tests use the same table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zvt::config {

enum class Accessor { Int, Str, WStr, Copy, StrAndWStr };

// How a setting is written in a configuration file and turned into the
// block's text.
enum class ValueKind {
  Text,            // a string, stored in the ANSI code page
  Arguments,       // a string the launcher splits at blanks, quotes grouping
  Flag,            // true/false, stored "1"/"0"
  Integer,         // a 32-bit integer, stored in decimal
  Count,           // a 32-bit integer of 0 or more (seconds, counts), stored in decimal
  Choice,          // one of the named values of `choices`
  Version,         // a version bound in the launcher's version grammar
  ClassPath,       // structured class-path or module-path entries
  SearchSequence,  // structured JVM search entries
  DirectoryList,   // directory names, stored ";"-separated
  ServiceName,     // a name the Service Control Manager accepts
  Dependencies,    // service names, stored ","-separated
  Colour,          // three numbers 0..255, stored "r,g,b"
  IncludedFiles,   // written by the packer from the files it includes
  VersionOptions,  // written by the packer from the version-specific lines
  ServiceAccount,  // an account kind or a named account DOMAIN\user
  RestartDelay,    // seconds before a restart, 0 to 4294967 (its milliseconds fit 32 bits)
  Environment,     // "NAME=value" entries, stored one a line
};

// One named value of a Choice setting: what the file says, what the block
// stores, and what it means.
struct Choice {
  const char* name;
  const char* stored;
  const char* meaning;
};

struct KeyInfo {
  uint32_t id;
  Accessor accessor;
  size_t capacity;  // bytes or units including the terminator; 0 for int/copy
  const char* meaning;
  const char* name;  // the setting's name in a configuration file, "section.key"
  ValueKind kind;
  const char* whenAbsent;  // what the launcher does when the key is missing
  const Choice* choices = nullptr;
  size_t choiceCount = 0;
  bool acceptsInteger = false;  // a Choice that also takes a plain integer
  bool required = false;        // a configuration without it is refused
};

struct MessageInfo {
  uint32_t id;
  const char* use;
  const wchar_t* defaultText;  // the text stored blocks carry by default (English)
  const char* name;            // the message's name in a configuration file
  // The default text of a 64-bit launcher, where it names the width; null
  // where both widths ship defaultText.
  const wchar_t* defaultText64 = nullptr;
};

// The default text a launcher of this width (32 or 64) ships.
const wchar_t* shippedText(const MessageInfo& message, unsigned bits);

// launcher.architecture: which template the packer takes, by the width of
// the Java runtime the application runs on.
constexpr const char* kArchitectureX86 = "x86";
constexpr const char* kArchitectureX64 = "x64";

// Sorted by id. Version-specific option lines (10201 + 2i, 10202 + 2i) are
// described by keyInfo() on demand.
const KeyInfo* keyTable(size_t& count);
const MessageInfo* messageTable(size_t& count);

// Null for ids the launcher does not read.
const KeyInfo* keyInfo(uint32_t id);
const MessageInfo* messageInfo(uint32_t id);

// The rows of a version-specific option line (condition and options), for
// tools that describe them without an index.
const KeyInfo& versionConditionInfo();
const KeyInfo& versionOptionsInfo();
// The highest index of a version-specific line that keyInfo() describes.
constexpr uint32_t kMaxVersionOptionLines = 1000;

// Lookups by name; null when no key or message has that name. Two keys share
// the name "files" (2002 and 2003): keyByName returns the first.
const KeyInfo* keyByName(const char* name);
const MessageInfo* messageByName(const char* name);

}  // namespace zvt::config
