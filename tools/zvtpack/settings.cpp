#include "settings.h"

#include <algorithm>
#include <climits>
#include <map>
#include <set>

#include "config/accessors.h"
#include "config/keys.h"
#include "config/payload.h"
#include "jvm/discovery/version_rules.h"
#include "runtime_jar.h"
#include "value_converter.h"
#include "value_rules.h"

namespace zvt::pack {
namespace {

using config::KeyInfo;
using config::ValueKind;

constexpr const char* kDescriptionName = "service.description";
constexpr const char* kShippedTexts = "shipped-texts";
constexpr const char* kCodePage = "code-page";

// ---------------------------------------------------------------------------
// Names

std::vector<std::string> splitDots(const std::string& name) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t dot = name.find('.', start);
    parts.push_back(name.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (dot == std::string::npos) return parts;
    start = dot + 1;
  }
}

std::string lastPart(const std::string& name) {
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(dot + 1);
}

// Settings set by a plain value under [section] (and [section.sub]).
std::vector<std::string> leafNames() {
  std::vector<std::string> names;
  size_t count = 0;
  const KeyInfo* keys = config::keyTable(count);
  for (size_t i = 0; i < count; ++i) {
    if (keys[i].kind != ValueKind::IncludedFiles) names.push_back(keys[i].name);
  }
  names.push_back(kDescriptionName);
  return names;
}

const std::vector<std::string>& leaves() {
  static const std::vector<std::string> names = leafNames();
  return names;
}

bool isLeaf(const std::string& name) {
  return std::find(leaves().begin(), leaves().end(), name) != leaves().end();
}

// The names one level below `path` ("name", "dependencies", ... for
// "service"); the top level for an empty path.
std::vector<std::string> childrenOf(const std::string& path) {
  std::vector<std::string> out;
  auto addUnique = [&out](const std::string& s) {
    if (std::find(out.begin(), out.end(), s) == out.end()) out.push_back(s);
  };
  if (path.empty()) {
    for (const char* special : {"messages", "localized", "files", "keys", "packer"}) addUnique(special);
  }
  for (const std::string& n : leaves()) {
    if (path.empty()) {
      addUnique(splitDots(n)[0]);
    } else if (n.compare(0, path.size() + 1, path + ".") == 0) {
      addUnique(splitDots(n.substr(path.size() + 1))[0]);
    }
  }
  return out;
}

bool isSubtable(const std::string& path) {
  for (const std::string& n : leaves()) {
    if (n.compare(0, path.size() + 1, path + ".") == 0) return true;
  }
  return false;
}

std::string suggestion(const std::string& path, const std::string& key) {
  // The start type is no setting of its own: the launcher derives it from
  // its kind.
  if (path == "service" && key.compare(0, 5, "start") == 0) {
    return " (the start type /install gives follows launcher.kind: \"service\" registers a service that starts "
           "automatically, the other kinds one that starts on demand)";
  }
  std::string close = closestMatch(key, childrenOf(path));
  if (!close.empty()) return " (did you mean \"" + close + "\"?)";
  // The right name in the wrong section: "main-class" under [service].
  for (const std::string& n : leaves()) {
    if (lastPart(n) == key) return " (did you mean \"" + n + "\"?)";
  }
  std::vector<std::string> full = leaves();
  close = closestMatch(path.empty() ? key : path + "." + key, full);
  return close.empty() ? std::string() : " (did you mean \"" + close + "\"?)";
}

// ---------------------------------------------------------------------------
// The document

struct Stored {
  std::string value;
  Position pos;
  std::string origin;  // the setting that wrote it
};

class PlanBuilder {
 public:
  PlanBuilder(const ReadContext& context, PackPlan& plan, Diagnostics& diagnostics)
      : context_(context), plan_(plan), diag_(diagnostics) {}

  void build(const Node& root) {
    root_ = &root;
    const CodePage* cp = CodePage::find(kDefaultCodePage);
    if (const Node* packer = root.find("packer")) cp = readPacker(*packer);
    if (!cp) return;
    Converter conv(*cp, diag_, context_.source);
    conv_ = &conv;
    for (const Member& m : root.members) {
      if (m.key == "packer") continue;
      if (m.key == "messages") {
        readMessages(m.value);
      } else if (m.key == "localized") {
        readLocalized(m.value);
      } else if (m.key == "files") {
        readFiles(m.value);
      } else if (m.key == "keys") {
        readRawKeys(m.value);
      } else if (isSubtable(m.key)) {
        if (conv.expect(m.value, Node::Type::Table, m.key, ("a table [" + m.key + "]").c_str())) {
          walk(m.key, m.value);
        }
      } else {
        diag_.error(m.keyPos, "unknown setting " + quoted(m.key) + suggestion("", m.key));
      }
    }
    finish();
    conv_ = nullptr;
  }

 private:
  const CodePage* readPacker(const Node& packer) {
    const CodePage* cp = CodePage::find(kDefaultCodePage);
    if (packer.type != Node::Type::Table) {
      diag_.error(packer.pos, "packer: expected a table [packer]");
      return cp;
    }
    for (const Member& m : packer.members) {
      if (m.key != kCodePage) {
        std::string close = closestMatch(m.key, {kCodePage});
        diag_.error(m.keyPos, "unknown setting " + quoted("packer." + m.key) +
                                  (close.empty() ? "" : " (did you mean " + quoted(close) + "?)"));
        continue;
      }
      if (m.value.type != Node::Type::Integer || m.value.integer < 0 || m.value.integer > 65535 ||
          !CodePage::find(static_cast<int>(m.value.integer))) {
        int64_t n;
        const bool quotedNumber = m.value.type == Node::Type::String && parseCanonicalInt(m.value.string, n) &&
                                  n >= 0 && CodePage::find(static_cast<int>(n));
        diag_.error(m.value.pos,
                    "packer.code-page: expected one of the code pages " + CodePage::supportedList() +
                        (quotedNumber ? "; write it without quotes: code-page = " + m.value.string : std::string()));
        return nullptr;
      }
      cp = CodePage::find(static_cast<int>(m.value.integer));
      plan_.codePage = cp->number();
    }
    return cp;
  }

  void walk(const std::string& path, const Node& table) {
    for (const Member& m : table.members) {
      const std::string name = path + "." + m.key;
      if (name == kDescriptionName) {
        std::wstring text;
        if (conv_->messageText(m.value, name, text)) setMessage(main_, msg::kServiceDescription, text, m.keyPos, name);
      } else if (name == "java.version-options") {
        versionOptions(m.value);
      } else if (isLeaf(name)) {
        const KeyInfo* info = config::keyByName(name.c_str());
        if (info) given_.insert(info->id);
        std::string stored;
        if (info && conv_->entry(*info, m.value, stored)) setEntry(info->id, stored, m.keyPos, name);
      } else if (isSubtable(name)) {
        if (conv_->expect(m.value, Node::Type::Table, name, ("a table [" + name + "]").c_str())) walk(name, m.value);
      } else {
        diag_.error(m.keyPos, "unknown setting " + quoted(name) + suggestion(path, m.key));
      }
    }
  }

  void setEntry(uint32_t id, const std::string& value, const Position& pos, const std::string& origin) {
    auto it = entries_.find(id);
    if (it != entries_.end()) {
      diag_.error(pos, origin + ": key " + std::to_string(id) + " is also set by " + it->second.origin + " at line " +
                           std::to_string(it->second.pos.line));
      return;
    }
    entries_[id] = Stored{value, pos, origin};
  }

  struct MessageSlot {
    std::wstring text;
    Position pos;
    std::string origin;
  };
  using MessageMap = std::map<uint32_t, MessageSlot>;

  void setMessage(MessageMap& into, uint32_t id, const std::wstring& text, const Position& pos,
                  const std::string& origin) {
    auto it = into.find(id);
    if (it != into.end()) {
      diag_.error(pos, origin + ": message " + std::to_string(id) + " is also set by " + it->second.origin +
                           " at line " + std::to_string(it->second.pos.line));
      return;
    }
    into[id] = MessageSlot{text, pos, origin};
  }

  // "1009" or a message's name.
  bool messageId(const Member& m, const std::string& where, uint32_t& id) {
    if (!m.key.empty() && m.key[0] >= '0' && m.key[0] <= '9') {
      int64_t n;
      if (!parseCanonicalInt(m.key, n) || n < 1000) {
        diag_.error(m.keyPos, where + ": message ids are decimal numbers from 1000 up, not " + quoted(m.key));
        return false;
      }
      id = static_cast<uint32_t>(n);
      return true;
    }
    if (const config::MessageInfo* info = config::messageByName(m.key.c_str())) {
      id = info->id;
      return true;
    }
    std::vector<std::string> names;
    size_t count = 0;
    const config::MessageInfo* all = config::messageTable(count);
    for (size_t i = 0; i < count; ++i) names.push_back(all[i].name);
    std::string close = closestMatch(m.key, names);
    diag_.error(m.keyPos, "unknown message " + quoted(where + "." + m.key) +
                              (close.empty() ? "" : " (did you mean " + quoted(close) + "?)") +
                              "; messages are named as in \"zvtpack keys\" or given by id");
    return false;
  }

  void readMessageTable(const Node& table, const std::string& where, MessageMap& into, bool allowOptions) {
    for (const Member& m : table.members) {
      if (allowOptions && m.key == kShippedTexts) {
        if (conv_->expect(m.value, Node::Type::Boolean, where + "." + m.key)) shipped_ = m.value.boolean;
        continue;
      }
      uint32_t id;
      if (!messageId(m, where, id)) continue;
      std::wstring text;
      const std::string name = where + "." + m.key;
      if (conv_->messageText(m.value, name, text)) setMessage(into, id, text, m.keyPos, name);
    }
  }

  void readMessages(const Node& v) {
    if (conv_->expect(v, Node::Type::Table, "messages", "a table [messages]"))
      readMessageTable(v, "messages", main_, true);
  }

  void readLocalized(const Node& v) {
    if (!conv_->expect(v, Node::Type::Table, "localized", "tables such as [localized.de]")) return;
    for (const Member& m : v.members) {
      const std::string where = "localized." + m.key;
      if (!isDetectableLocale(m.key)) {
        std::string close = closestLocale(m.key);
        diag_.error(m.keyPos, where + ": the launcher's locale detection never gives " + quoted(m.key) +
                                  (close.empty() ? "" : " (did you mean " + quoted(close) + "?)") +
                                  "; codes are a language (\"de\"), a language and country (\"de_AT\"), or \"\" for "
                                  "every locale");
        continue;
      }
      if (!conv_->expect(m.value, Node::Type::Table, where, "a table of messages")) continue;
      readMessageTable(m.value, where, sets_[m.key], false);
    }
  }

  void readFiles(const Node& v) {
    if (!conv_->expect(v, Node::Type::Array, "files", "[[files]] tables with source and name")) return;
    std::map<std::string, Position> seen;  // names folded to upper case: Windows file names ignore case
    for (const Node& item : v.items) {
      if (!conv_->expect(item, Node::Type::Table, "files", "a table with source and name")) continue;
      const Node* source = nullptr;
      const Node* name = nullptr;
      bool ok = true;
      for (const Member& m : item.members) {
        if (m.key == "source") {
          source = &m.value;
        } else if (m.key == "name") {
          name = &m.value;
        } else {
          std::string close = closestMatch(m.key, {"source", "name"});
          diag_.error(m.keyPos, "files: unknown field " + quoted(m.key) +
                                    (close.empty() ? "" : " (did you mean " + quoted(close) + "?)"));
          ok = false;
        }
      }
      if (!source) {
        diag_.error(item.pos, "files: an included file needs source = \"<path of the file to include>\"");
        continue;
      }
      if (!ok || !conv_->expect(*source, Node::Type::String, "files.source")) continue;
      if (source->string.empty()) {
        diag_.error(source->pos, "files.source: the path is empty");
        continue;
      }
      IncludedFilePlan planned;
      planned.pos = name ? name->pos : source->pos;
      planned.source = resolve(source->string);
      if (!checkSource(*source, planned.source)) ok = false;
      Node nameNode = name ? *name : Node::makeString(baseName(source->string));
      if (!name) nameNode.pos = source->pos;
      if (!conv_->expect(nameNode, Node::Type::String, "files.name")) continue;
      if (!conv_->text(nameNode, "files.name", Reading::Narrow, 0, planned.name)) continue;
      if (const char* reason = refusedNameReason(planned.name, decoderFor(conv_->codePage().number()))) {
        diag_.error(nameNode.pos, "files.name: the launcher refuses " + quoted(nameNode.string) + ": " + reason);
        continue;
      }
      if (planned.name.find(';') != std::string::npos) {
        diag_.error(nameNode.pos, "files.name: \";\" separates the names of included files in the block");
        continue;
      }
      const std::string folded = foldedName(planned.name);
      auto dup = seen.find(folded);
      if (dup != seen.end()) {
        diag_.error(nameNode.pos, "files.name: " + quoted(nameNode.string) + " is already included at line " +
                                      std::to_string(dup->second.line) +
                                      " (Windows file names ignore case; the second would overwrite the first)");
        continue;
      }
      seen[folded] = nameNode.pos;
      if (ok) plan_.files.push_back(planned);
    }
    filesPos_ = v.pos;
  }

  // Windows file names ignore case, and "/" separates like "\\".
  static std::string foldedName(std::string name) {
    for (char& c : name) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (c == '/') c = '\\';
    }
    return name;
  }

  static std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
  }

  std::string resolve(const std::string& path) const {
    const bool absolute = path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':');
    if (absolute || context_.baseDirectory.empty()) return path;
    return context_.baseDirectory + "/" + path;
  }

  bool checkSource(const Node& v, const std::string& path) {
    if (!context_.files) return true;
    switch (context_.files->kind(path)) {
      case FileKind::Regular:
        return true;
      case FileKind::Missing:
        diag_.error(v.pos, "files.source: no such file: " + path);
        return false;
      case FileKind::Directory:
        diag_.error(v.pos, "files.source: " + path + " is a directory; include the files in it one by one");
        return false;
      case FileKind::Other:
        diag_.error(v.pos, "files.source: " + path + " is not a regular file");
        return false;
    }
    return false;
  }

  void versionOptions(const Node& v) {
    const std::string name = "java.version-options";
    if (!conv_->expect(v, Node::Type::Array, name, "[[java.version-options]] tables")) return;
    if (v.items.size() > config::kMaxVersionOptionLines) {
      diag_.error(v.pos, name + ": at most " + std::to_string(config::kMaxVersionOptionLines) + " lines");
      return;
    }
    std::vector<std::pair<std::string, std::string>> lines;
    bool ok = true;
    static const std::vector<std::string> conditions = {"major", "version-pattern", "condition"};
    for (const Node& item : v.items) {
      if (!conv_->expect(item, Node::Type::Table, name, "a table with a condition and options")) {
        ok = false;
        continue;
      }
      const Member* condition = nullptr;
      const Node* options = nullptr;
      for (const Member& m : item.members) {
        if (m.key == "options") {
          options = &m.value;
        } else if (std::find(conditions.begin(), conditions.end(), m.key) != conditions.end()) {
          if (condition) {
            diag_.error(m.keyPos, name + ": a line has one condition, not both " + quoted(condition->key) + " and " +
                                      quoted(m.key));
            ok = false;
          }
          condition = &m;
        } else {
          std::vector<std::string> known = conditions;
          known.push_back("options");
          std::string close = closestMatch(m.key, known);
          diag_.error(m.keyPos, name + ": unknown field " + quoted(m.key) +
                                    (close.empty() ? "" : " (did you mean " + quoted(close) + "?)"));
          ok = false;
        }
      }
      if (!condition) {
        diag_.error(item.pos, name + ": a line needs major = [lowest, highest] or version-pattern = \"...\"");
        ok = false;
        continue;
      }
      std::string cond;
      if (!versionCondition(*condition, name, cond)) {
        ok = false;
        continue;
      }
      std::string opts;
      if (options && !conv_->arguments(*options, name + ".options", readingOf(config::versionOptionsInfo().accessor),
                                       config::versionOptionsInfo().capacity, opts)) {
        ok = false;
        continue;
      }
      lines.emplace_back(cond, opts);
    }
    if (!ok) return;
    const Position pos = v.pos;
    setEntry(key::kVersionOptionLineCount, std::to_string(lines.size()), pos, name);
    for (size_t i = 0; i < lines.size(); ++i) {
      setEntry(static_cast<uint32_t>(key::kVersionOptionLinesFirst + 2 * i), lines[i].first, pos, name);
      setEntry(static_cast<uint32_t>(key::kVersionOptionLinesFirst + 2 * i + 1), lines[i].second, pos, name);
    }
  }

  bool versionCondition(const Member& m, const std::string& name, std::string& out) {
    const Node& v = m.value;
    if (m.key == "major") {
      int64_t low;
      int64_t high;
      if (v.type == Node::Type::Integer) {
        if (!conv_->integer(v, name + ".major", 0, INT32_MAX, low)) return false;
        high = low;
      } else if (v.type == Node::Type::Array && v.items.size() == 2) {
        if (!conv_->integer(v.items[0], name + ".major", 0, INT32_MAX, low) ||
            !conv_->integer(v.items[1], name + ".major", 0, INT32_MAX, high)) {
          return false;
        }
        if (low > high) {
          diag_.error(v.pos, name + ".major: the lowest major version comes first");
          return false;
        }
      } else {
        diag_.error(v.pos, name + ".major: expected a major version (17) or a range [9, 11]");
        return false;
      }
      out = std::to_string(low) + "-" + std::to_string(high);
      return true;
    }
    if (!conv_->text(v, name + "." + m.key, Reading::Narrow, 0, out)) return false;
    if (m.key == "version-pattern") {
      if (out.empty()) {
        diag_.error(v.pos, name + ".version-pattern: the pattern is empty");
        return false;
      }
      out = "*" + out;
    }
    return true;
  }

  void readRawKeys(const Node& v) {
    if (!conv_->expect(v, Node::Type::Table, "keys", "a table [keys] of key ids and values")) return;
    for (const Member& m : v.members) {
      const std::string name = "keys." + m.key;
      int64_t id;
      if (!parseCanonicalInt(m.key, id) || id < 0) {
        // Ids above 2147483647 are valid key numbers as well.
        bool digits = !m.key.empty() && m.key.size() <= 10 && m.key[0] != '0' &&
                      m.key.find_first_not_of("0123456789") == std::string::npos && std::stoull(m.key) <= UINT32_MAX;
        if (!digits) {
          diag_.error(m.keyPos, name + ": raw keys are decimal key ids (0 to 4294967295)");
          continue;
        }
        id = static_cast<int64_t>(std::stoull(m.key));
      }
      const uint32_t key = static_cast<uint32_t>(id);
      if (key == key::kIncludedFileCount || key == key::kIncludedFileNames) {
        diag_.error(m.keyPos, name + ": the packer writes key " + m.key + " itself from the [[files]] it includes");
        continue;
      }
      given_.insert(key);
      std::string stored;
      if (rawValue(m.value, name, key, stored)) setEntry(key, stored, m.keyPos, name);
    }
  }

  bool rawValue(const Node& v, const std::string& name, uint32_t key, std::string& out) {
    const KeyInfo* info = config::keyInfo(key);
    if (v.type == Node::Type::String) {
      return conv_->text(v, name, info ? readingOf(info->accessor) : Reading::Narrow, info ? info->capacity : 0, out);
    }
    const Node* bytes = v.type == Node::Type::Table ? v.find("bytes") : nullptr;
    if (!bytes || v.members.size() != 1 || !conv_->expect(*bytes, Node::Type::Array, name, "an array of bytes")) {
      diag_.error(v.pos, name + ": expected a string, or { bytes = [...] } for raw bytes");
      return false;
    }
    out.clear();
    for (const Node& b : bytes->items) {
      int64_t n;
      if (!conv_->integer(b, name, 0, 255, n)) return false;
      out.push_back(static_cast<char>(n));
    }
    return true;
  }

  // Both bounds set, and no version lies between them: the minimum itself
  // fails the maximum (which counts only as many components as it has), and
  // so does every version above it.
  void checkVersionBounds() {
    auto low = entries_.find(key::kMinimumJavaVersion);
    auto high = entries_.find(key::kMaximumJavaVersion);
    if (low == entries_.end() || high == entries_.end()) return;
    const Stored& min = low->second;
    const Stored& max = high->second;
    std::string problem;
    if (min.value.empty() || max.value.empty() || !checkVersionBound(min.value, problem) ||
        !checkVersionBound(max.value, problem)) {
      return;  // no bound, or a raw value the launcher reads its own way
    }
    VersionBounds bounds;
    bounds.maximum = parseVersion(max.value);
    if (versionInRange(min.value, bounds, BoundMode::Strict)) return;
    diag_.error(max.pos, max.origin + " " + quoted(max.value) + " is below " + min.origin + " " + quoted(min.value) +
                             " (line " + std::to_string(min.pos.line) +
                             "): no Java version satisfies both; raise the maximum or lower the minimum");
  }

  // Whole configurations: every required key has a value. One that was
  // given and refused has its fault reported already.
  void checkRequired() {
    size_t count = 0;
    const KeyInfo* keys = config::keyTable(count);
    for (size_t i = 0; i < count; ++i) {
      const KeyInfo& k = keys[i];
      if (!k.required) continue;
      const std::string name = k.name;
      const std::string section = sectionOf(name);
      const std::string assignment = lastPart(name) + " = " + requiredExample(k);
      const std::string note =
          k.id == key::kMainClass
              ? " (in module mode the module, a slash and the class: \"app.module/com.example.Main\")"
              : "";
      auto it = entries_.find(k.id);
      if (it != entries_.end()) {
        if (it->second.value.empty()) {
          diag_.error(it->second.pos, it->second.origin + ": the value is empty; the launcher needs it: write " +
                                          assignment + " under [" + section + "]" + note);
        }
        continue;
      }
      if (given_.count(k.id)) continue;
      const Node* table = root_->find(section);
      const bool placed = table && table->type == Node::Type::Table && table->pos.line != 0;
      diag_.error(placed ? table->pos : Position{1, 1},
                  name + " is missing; the launcher needs it: " +
                      (table ? "add " + assignment + " under [" + section + "]"
                             : "add a section [" + section + "] with " + assignment) +
                      note);
    }
  }

  static std::string requiredExample(const KeyInfo& k) {
    if (k.kind == ValueKind::ServiceName) return "\"MyService\"";
    if (k.id == key::kMainClass) return "\"com.example.Main\"";
    return "\"...\"";
  }

  // Recovery settings that would have no effect: a delay of a failure whose
  // action is no restart, a reset period or flag without any action. Raw
  // keys are stored without this check, as without every other.
  bool named(const std::map<uint32_t, Stored>::const_iterator& it) const {
    return it != entries_.end() && it->second.origin == config::keyInfo(it->first)->name;
  }

  void checkRecovery() {
    const std::string restart = "restart";
    const uint32_t pairs[][2] = {{key::kRecoveryFirstFailure, key::kRecoveryFirstFailureDelay},
                                 {key::kRecoverySecondFailure, key::kRecoverySecondFailureDelay},
                                 {key::kRecoveryLaterFailures, key::kRecoveryLaterFailuresDelay}};
    bool anyAction = false;
    for (const auto& pair : pairs) {
      auto action = entries_.find(pair[0]);
      auto delay = entries_.find(pair[1]);
      anyAction = anyAction || action != entries_.end();
      if (named(delay) && (action == entries_.end() || action->second.value != restart)) {
        diag_.error(delay->second.pos, delay->second.origin + ": has no effect: " +
                                           config::keyInfo(pair[0])->name + " is not \"restart\"");
      }
    }
    if (anyAction) return;
    for (uint32_t id : {key::kRecoveryResetAfter, key::kRecoveryCountErrorExits}) {
      auto it = entries_.find(id);
      if (!named(it)) continue;
      diag_.error(it->second.pos, it->second.origin +
                                      ": has no effect without a recovery action (service.recovery.first-failure, "
                                      "second-failure or later-failures)");
    }
  }

  // The runtime jar, last among the included files, unless the
  // configuration leaves it out. A [[files]] entry of its name would be
  // overwritten by it at extraction.
  void planRuntime() {
    auto it = entries_.find(key::kRuntimeIncluded);
    if (it == entries_.end()) {
      setEntry(key::kRuntimeIncluded, "1", Position{}, config::keyInfo(key::kRuntimeIncluded)->name);
      it = entries_.find(key::kRuntimeIncluded);
    }
    if (config::parseInt(it->second.value) == 0) return;
    auto flavour = entries_.find(key::kRuntimeFlavour);
    IncludedFilePlan runtime;
    runtime.name = includedRuntimeName(flavour == entries_.end() ? std::string() : flavour->second.value);
    runtime.source = context_.runtimeJar;
    runtime.runtime = true;
    for (const IncludedFilePlan& f : plan_.files) {
      if (foldedName(f.name) != foldedName(runtime.name)) continue;
      diag_.error(f.pos, "files.name: " + quoted(f.name) +
                             " is the name under which the packer includes the runtime classes (zvtruntime.jar); "
                             "to include a copy of your own, write include-runtime = false under [launcher]");
      return;
    }
    plan_.files.push_back(runtime);
  }

  void finish() {
    checkVersionBounds();
    checkRecovery();
    if (context_.scope == Scope::WholeConfiguration) checkRequired();
    if (context_.withRuntime) planRuntime();
    if (!plan_.files.empty()) {
      std::string names;
      for (const IncludedFilePlan& f : plan_.files) names += (names.empty() ? "" : ";") + f.name;
      setEntry(key::kIncludedFileCount, std::to_string(plan_.files.size()), filesPos_, "files");
      setEntry(key::kIncludedFileNames, names, filesPos_, "files");
    }
    block::Content& c = plan_.content;
    for (const auto& [id, stored] : entries_) c.entries.push_back(block::Entry{id, stored.value});
    if (shipped_) {
      // The texts that name a width name the launcher's own.
      const unsigned bits = architectureBits(c);
      size_t count = 0;
      const config::MessageInfo* all = config::messageTable(count);
      for (size_t i = 0; i < count; ++i) {
        if (*all[i].defaultText && main_.find(all[i].id) == main_.end()) {
          main_[all[i].id] = MessageSlot{widen(config::shippedText(all[i], bits)), {}, "shipped"};
        }
      }
    }
    for (const auto& [id, slot] : main_) c.messages.push_back(block::Message{id, slot.text});
    for (const auto& [code, messages] : sets_) {
      block::LocalizedSet set{code, {}};
      for (const auto& [id, slot] : messages) set.messages.push_back(block::Message{id, slot.text});
      c.sets.push_back(std::move(set));
    }
  }

  // The key table's texts are ASCII; this keeps them independent of the
  // width of wchar_t.
  static std::wstring widen(const wchar_t* text) {
    std::wstring out;
    for (; *text; ++text) out.push_back(static_cast<wchar_t>(static_cast<uint32_t>(*text) & 0xFFFF));
    return out;
  }

  const ReadContext& context_;
  const Node* root_ = nullptr;
  std::set<uint32_t> given_;  // keys the file gives a value, accepted or not
  PackPlan& plan_;
  Diagnostics& diag_;
  Converter* conv_ = nullptr;
  std::map<uint32_t, Stored> entries_;
  MessageMap main_;
  std::map<std::string, MessageMap> sets_;  // byte order: a code sorts before its longer forms
  bool shipped_ = true;
  Position filesPos_;
};

}  // namespace

unsigned architectureBits(const block::Content& content) {
  for (const block::Entry& e : content.entries) {
    if (e.id == key::kLauncherArchitecture) return e.value == config::kArchitectureX64 ? 64 : 32;
  }
  return 32;
}

bool buildPlan(const Node& root, const ReadContext& context, PackPlan& plan, Diagnostics& diagnostics) {
  plan = PackPlan();
  const size_t before = diagnostics.size();
  PlanBuilder(context, plan, diagnostics).build(root);
  return diagnostics.size() == before;
}

bool convertKeyValue(const KeyInfo& info, const Node& value, const CodePage& codePage, std::string& stored) {
  Diagnostics quiet;
  Converter conv(codePage, quiet, nullptr);
  return conv.entry(info, value, stored) && quiet.empty();
}

bool convertMessageValue(const Node& value, std::wstring& text) {
  Diagnostics quiet;
  Converter conv(*CodePage::find(kDefaultCodePage), quiet, nullptr);
  return conv.messageText(value, "", text) && quiet.empty();
}

std::vector<std::string> settingNames() {
  std::vector<std::string> names = leaves();
  names.push_back("messages");
  names.push_back("localized");
  names.push_back("files");
  names.push_back("keys");
  names.push_back("packer.code-page");
  return names;
}

std::string sectionOf(const std::string& name) {
  return splitDots(name)[0];
}

}  // namespace zvt::pack
