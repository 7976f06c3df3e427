// A configuration file's settings, checked and turned into the content of a
// configuration block: every name of the key table, structured entries
// converted to the block's grammar, texts converted to the block's
// encodings, the shipped English messages, localized sets, included files
// and raw keys. Nothing is written when anything is wrong; every fault is
// reported with its position.
#pragma once

#include <string>
#include <vector>

#include "code_page.h"
#include "config/block_format.h"
#include "config/key_table.h"
#include "diagnostics.h"
#include "toml_tree.h"

namespace zvt::pack {

struct IncludedFilePlan {
  std::string name;    // as stored in key 2003 (code page bytes)
  std::string source;  // the file to include (UTF-8 path)
  Position pos;
  bool runtime = false;  // the runtime jar launcher.include-runtime adds, not a [[files]] entry
};

struct PackPlan {
  int codePage = kDefaultCodePage;
  block::Content content;  // entries and messages sorted by id, sets by code; files empty
  std::vector<IncludedFilePlan> files;
};

enum class FileKind { Missing, Regular, Directory, Other };

// Asks the file system about included files; tests and the fuzzer script it.
class FileProbe {
 public:
  virtual ~FileProbe() = default;
  virtual FileKind kind(const std::string& path) const = 0;
};

// A whole configuration must name what the launcher cannot run without
// (the service name, the main class: the rows of the key table marked
// required); a fragment is checked setting by setting only (tests of single
// rules, show's proof that what it prints reads back the same).
enum class Scope { WholeConfiguration, Fragment };

struct ReadContext {
  const std::string* source = nullptr;  // the file's text, to place faults inside strings
  std::string baseDirectory;            // relative sources of included files start here
  const FileProbe* files = nullptr;     // null: sources are taken as they are
  Scope scope = Scope::WholeConfiguration;
  // Plan the runtime jar as pack does: unless launcher.include-runtime is
  // false, store the setting as 1 and include `runtimeJar` (the jar beside
  // the packer; empty when its place is unknown) as the last file. Off for
  // checks of single settings.
  bool withRuntime = false;
  std::string runtimeJar;
};

bool buildPlan(const Node& root, const ReadContext& context, PackPlan& plan, Diagnostics& diagnostics);

// The width launcher.architecture gives a block (32 when it is absent): the
// template pack takes, and the width the shipped texts name.
unsigned architectureBits(const block::Content& content);

// One value of a key as "pack" converts it, for "show" to prove that what it
// prints reads back to the same bytes. Quiet: false on any fault.
bool convertKeyValue(const config::KeyInfo& info, const Node& value, const CodePage& codePage, std::string& stored);
bool convertMessageValue(const Node& value, std::wstring& text);

// The names a configuration may use (for "zvtpack keys" and "did you mean").
std::vector<std::string> settingNames();

// The section a key's name lives in ("service" for "service.name").
std::string sectionOf(const std::string& name);

}  // namespace zvt::pack
