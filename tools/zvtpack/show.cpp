#include "show.h"

#include <algorithm>
#include <map>
#include <set>

#include "config/accessors.h"
#include "config/key_table.h"
#include "config/keys.h"
#include "config/payload.h"
#include "runtime_jar.h"
#include "settings.h"
#include "toml_reader.h"
#include "toml_writer.h"
#include "unicode.h"
#include "value_rules.h"

namespace zvt::pack {
namespace {

using config::KeyInfo;
using config::ValueKind;

// Entry bytes as UTF-8 through the code page; false for a byte the code
// page leaves undefined.
bool decodeEntry(const CodePage& cp, const std::string& bytes, std::string& utf8) {
  utf8.clear();
  for (unsigned char b : bytes) {
    char32_t c = cp.decode(b);
    if (b != 0 && c == 0) return false;
    utf8 += encodeUtf8(c);
  }
  return true;
}

std::vector<std::string> split(const std::string& s, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t at = s.find(separator, start);
    parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

Node stringNode(const CodePage& cp, const std::string& bytes, bool& ok) {
  std::string utf8;
  ok = ok && decodeEntry(cp, bytes, utf8);
  return Node::makeString(utf8);
}

Node classPathNode(const CodePage& cp, const std::string& value, bool& ok) {
  Node array = Node::makeArray();
  if (value.empty()) return array;
  for (const std::string& e : split(value, ';')) {
    static const std::string letters = "ADES";
    static const char* const forms[] = {"archive", "directory", "env", "scan"};
    size_t form = e.size() >= 2 ? letters.find(e[0]) : std::string::npos;
    if (form == std::string::npos || (e[1] != '0' && e[1] != '1')) {
      ok = false;
      return array;
    }
    Node item = Node::makeTable();
    item.add(forms[form], stringNode(cp, e.substr(2), ok));
    if (e[1] == '1') item.add("required", Node::makeBoolean(true));
    array.items.push_back(item);
  }
  return array;
}

Node searchNode(const CodePage& cp, const std::string& value, bool& ok) {
  Node array = Node::makeArray();
  if (value.empty()) return array;
  for (const std::string& e : split(value, ';')) {
    Node item = Node::makeTable();
    const char letter = e.empty() ? 0 : e[0];
    if (letter == 'A' || letter == 'B' || letter == 'R') {
      item.add("home", stringNode(cp, e.substr(1), ok));
      if (letter == 'B') item.add("local", Node::makeBoolean(true));
      if (letter == 'R') item.add("letter", Node::makeString("R"));
    } else if (letter == 'E') {
      item.add("env", stringNode(cp, e.substr(1), ok));
    } else if (e == "S") {
      item.add("search-path", Node::makeBoolean(true));
    } else if (e == "Y") {
      item.add("registry", Node::makeBoolean(true));
    } else {
      ok = false;
      return array;
    }
    array.items.push_back(item);
  }
  return array;
}

Node listNode(const CodePage& cp, const std::string& value, char separator, bool& ok) {
  Node array = Node::makeArray();
  if (value.empty()) return array;
  for (const std::string& part : split(value, separator)) array.items.push_back(stringNode(cp, part, ok));
  return array;
}

// The value of a named key as the configuration writes it; false when the
// stored text has no such form. The caller proves the form by converting it
// back.
bool namedValue(const KeyInfo& info, const CodePage& cp, const std::string& value, Node& out) {
  bool ok = true;
  int64_t n = 0;
  switch (info.kind) {
    case ValueKind::Text:
    case ValueKind::Arguments:
    case ValueKind::Version:
    case ValueKind::ServiceName:
    case ValueKind::ServiceAccount:
      out = stringNode(cp, value, ok);
      break;
    case ValueKind::Flag:
      if (value != "0" && value != "1") return false;
      out = Node::makeBoolean(value == "1");
      break;
    case ValueKind::Integer:
    case ValueKind::Count:
    case ValueKind::RestartDelay:
      if (!parseCanonicalInt(value, n)) return false;
      if (info.kind != ValueKind::Integer && n < 0) return false;  // shown raw: the name takes no negative
      out = Node::makeInteger(n);
      break;
    case ValueKind::Choice:
      for (size_t i = 0; i < info.choiceCount; ++i) {
        if (value == info.choices[i].stored) {
          out = Node::makeString(info.choices[i].name);
          return true;
        }
      }
      if (!info.acceptsInteger || !parseCanonicalInt(value, n)) return false;
      out = Node::makeInteger(n);
      break;
    case ValueKind::ClassPath:
      out = classPathNode(cp, value, ok);
      break;
    case ValueKind::SearchSequence:
      out = searchNode(cp, value, ok);
      break;
    case ValueKind::DirectoryList:
      out = listNode(cp, value, ';', ok);
      break;
    case ValueKind::Dependencies:
      out = listNode(cp, value, ',', ok);
      break;
    case ValueKind::Environment:
      out = listNode(cp, value, '\n', ok);
      break;
    case ValueKind::Colour: {
      std::vector<int64_t> parts;
      if (!parseColour(value, parts)) return false;
      out = Node::makeArray();
      for (int64_t p : parts) out.items.push_back(Node::makeInteger(p));
      break;
    }
    case ValueKind::IncludedFiles:
    case ValueKind::VersionOptions:
      return false;
  }
  return ok;
}

Node rawValue(const CodePage& cp, const std::string& value) {
  bool printable = std::all_of(value.begin(), value.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
  std::string utf8;
  if (printable && decodeEntry(cp, value, utf8)) return Node::makeString(utf8);
  Node bytes = Node::makeArray();
  for (unsigned char b : value) bytes.items.push_back(Node::makeInteger(b));
  Node table = Node::makeTable();
  table.add("bytes", bytes);
  return table;
}

Node messageValue(const std::wstring& text) {
  std::u32string chars;
  size_t bad = 0;
  if (fromUtf16Units(text, chars, bad) && chars.find(U'\0') == std::u32string::npos) {
    return Node::makeString(encodeUtf8(chars));
  }
  Node units = Node::makeArray();
  for (wchar_t u : text) units.items.push_back(Node::makeInteger(static_cast<uint32_t>(u) & 0xFFFF));
  Node table = Node::makeTable();
  table.add("utf16", units);
  return table;
}

std::wstring widen(const wchar_t* text) {
  std::wstring out;
  for (; *text; ++text) out.push_back(static_cast<wchar_t>(static_cast<uint32_t>(*text) & 0xFFFF));
  return out;
}

// Places "a.b.c" = value in a tree of tables.
void place(Node& root, const std::string& name, Node value) {
  std::vector<std::string> parts = split(name, '.');
  Node* table = &root;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    Node* next = nullptr;
    for (Member& m : table->members) {
      if (m.key == parts[i]) next = &m.value;
    }
    table = next ? next : &table->add(parts[i], Node::makeTable());
  }
  table->add(parts.back(), std::move(value));
}

class Shower {
 public:
  Shower(const block::Content& content, const std::vector<std::string>& fileNames, const ShowOptions& options)
      : content_(content),
        fileNames_(fileNames),
        options_(options),
        cp_(*CodePage::find(options.codePage)),
        // The runtime jar the packer added comes back from
        // launcher.include-runtime, not from [[files]].
        shownFiles_(fileNames.size() - packedRuntimeFiles(content, fileNames)) {}

  ShowResult run() {
    collectEntries();
    showIncludedFiles();
    showVersionOptions();
    showNamedKeys();
    showMessages();
    showSets();
    showRawKeys();
    if (options_.codePage != kDefaultCodePage) {
      place(root_, "packer.code-page", Node::makeInteger(options_.codePage));
    }
    result_.text = document();
    selfCheck();
    return result_;
  }

 private:
  void note(std::string text) { result_.notes.push_back(std::move(text)); }

  void collectEntries() {
    bool sorted = true;
    for (size_t i = 0; i < content_.entries.size(); ++i) {
      const block::Entry& e = content_.entries[i];
      if (entries_.count(e.id)) {
        note("key " + std::to_string(e.id) +
             " is stored more than once; the launcher uses the last value, which is shown and would be stored once");
      }
      entries_[e.id] = e.value;
      if (i > 0 && content_.entries[i - 1].id >= e.id) sorted = false;
    }
    if (!sorted) note("the keys are not stored in id order; packing stores them sorted");
  }

  void take(uint32_t id) { entries_.erase(id); }

  void showIncludedFiles() {
    auto count = entries_.find(key::kIncludedFileCount);
    auto names = entries_.find(key::kIncludedFileNames);
    if (count == entries_.end() && names == entries_.end() && fileNames_.empty()) return;
    std::string joined;
    for (const std::string& n : fileNames_) joined += (joined.empty() ? "" : ";") + n;
    std::set<std::string> seen;
    bool consistent = !fileNames_.empty() && count != entries_.end() && names != entries_.end() &&
                      count->second == std::to_string(fileNames_.size()) && names->second == joined &&
                      content_.files.size() == fileNames_.size();
    for (const std::string& n : fileNames_) {
      std::string folded = n;
      for (char& c : folded) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c == '/' ? '\\' : c;
      std::string utf8;
      consistent = consistent && !refusedNameReason(n, decoderFor(cp_.number())) && n.find(';') == std::string::npos &&
                   decodeEntry(cp_, n, utf8) && seen.insert(folded).second;
    }
    if (!consistent) {
      std::string text = "# Included files the packer would not write this way:";
      if (count != entries_.end()) text += "\n#   key 2002 = " + tomlString(count->second);
      if (names != entries_.end()) text += "\n#   key 2003 = " + tomlString(names->second);
      for (size_t i = 0; i < content_.files.size(); ++i) {
        text +=
            "\n#   file " + std::to_string(i + 1) + ": " + std::to_string(content_.files[i].content.size()) + " bytes";
      }
      trailingComments_ += text + "\n";
      note(
          "the included files (keys 2002 and 2003) do not match the files stored; they are shown as comments and "
          "the packer would not store them this way");
      take(key::kIncludedFileCount);
      take(key::kIncludedFileNames);
      return;
    }
    if (shownFiles_ == 0) {
      // Only the runtime jar.
    } else if (options_.filesDirectory.empty() && options_.fileSources.size() != shownFiles_) {
      std::string text = "# Included files (run \"zvtpack show --files <dir>\" to write them out and list them here):";
      for (size_t i = 0; i < shownFiles_; ++i) {
        std::string utf8;
        decodeEntry(cp_, fileNames_[i], utf8);
        text += "\n#   " + tomlString(utf8) + ", " + std::to_string(content_.files[i].content.size()) + " bytes";
      }
      trailingComments_ += text + "\n";
      note(
          "the included files are listed as comments; \"show --files <dir>\" writes them out so the output packs "
          "the same block");
    } else {
      Node files = Node::makeArray();
      for (size_t i = 0; i < shownFiles_; ++i) {
        bool ok = true;
        Node name = stringNode(cp_, fileNames_[i], ok);
        Node item = Node::makeTable();
        item.add("source", Node::makeString(options_.fileSources.size() == shownFiles_
                                                ? options_.fileSources[i]
                                                : options_.filesDirectory + "/" + replaceSlashes(name.string)));
        item.add("name", name);
        files.items.push_back(item);
      }
      root_.add("files", files);
    }
    take(key::kIncludedFileCount);
    take(key::kIncludedFileNames);
  }

  static std::string replaceSlashes(std::string s) {
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
  }

  void showVersionOptions() {
    auto count = entries_.find(key::kVersionOptionLineCount);
    if (count == entries_.end()) return;
    int64_t n;
    if (!parseCanonicalInt(count->second, n) || n < 0 || n > config::kMaxVersionOptionLines) return;
    Node lines = Node::makeArray();
    for (int64_t i = 0; i < n; ++i) {
      auto cond = entries_.find(static_cast<uint32_t>(key::kVersionOptionLinesFirst + 2 * i));
      auto opts = entries_.find(static_cast<uint32_t>(key::kVersionOptionLinesFirst + 2 * i + 1));
      if (cond == entries_.end() || opts == entries_.end()) return;
      Node line = Node::makeTable();
      line.add(conditionField(cond->second), conditionValue(cond->second));
      bool ok = true;
      Node options = stringNode(cp_, opts->second, ok);
      std::string check;
      if (!ok || !convertKeyValue(asText(config::versionOptionsInfo()), options, cp_, check) || check != opts->second) {
        return;
      }
      // The condition goes through the same conversion as a text.
      Node condText = stringNode(cp_, cond->second, ok);
      if (!ok || !convertKeyValue(asText(config::versionConditionInfo()), condText, cp_, check) ||
          check != cond->second) {
        return;
      }
      line.add("options", options);
      lines.items.push_back(line);
    }
    for (int64_t i = 0; i < 2 * n; ++i) take(static_cast<uint32_t>(key::kVersionOptionLinesFirst + i));
    take(key::kVersionOptionLineCount);
    place(root_, "java.version-options", lines);
  }

  // A version line's texts convert like text settings read the same way.
  static KeyInfo asText(const KeyInfo& info) {
    KeyInfo text = info;
    text.kind = ValueKind::Text;
    return text;
  }

  static bool majorRange(const std::string& c, int64_t& low, int64_t& high) {
    size_t dash = c.find('-');
    return dash != std::string::npos && parseCanonicalInt(c.substr(0, dash), low) &&
           parseCanonicalInt(c.substr(dash + 1), high) && low >= 0 && low <= high;
  }

  static std::string conditionField(const std::string& c) {
    int64_t low;
    int64_t high;
    if (c.size() > 1 && c[0] == '*') return "version-pattern";
    return majorRange(c, low, high) ? "major" : "condition";
  }

  Node conditionValue(const std::string& c) {
    int64_t low;
    int64_t high;
    bool ok = true;
    if (c.size() > 1 && c[0] == '*') return stringNode(cp_, c.substr(1), ok);
    if (majorRange(c, low, high)) {
      if (low == high) return Node::makeInteger(low);
      Node range = Node::makeArray();
      range.items.push_back(Node::makeInteger(low));
      range.items.push_back(Node::makeInteger(high));
      return range;
    }
    return stringNode(cp_, c, ok);
  }

  void showNamedKeys() {
    size_t count = 0;
    const KeyInfo* keys = config::keyTable(count);
    for (size_t i = 0; i < count; ++i) {
      const KeyInfo& info = keys[i];
      auto it = entries_.find(info.id);
      if (it == entries_.end()) continue;
      Node value;
      std::string check;
      if (namedValue(info, cp_, it->second, value) && convertKeyValue(info, value, cp_, check) && check == it->second) {
        place(root_, info.name, value);
        take(info.id);
      }
    }
  }

  void showMessages() {
    std::map<uint32_t, std::wstring> messages;
    bool sorted = true;
    for (size_t i = 0; i < content_.messages.size(); ++i) {
      const block::Message& m = content_.messages[i];
      if (messages.count(m.id))
        note("message " + std::to_string(m.id) + " is stored more than once; the last is shown");
      messages[m.id] = m.text;
      if (i > 0 && content_.messages[i - 1].id >= m.id) sorted = false;
    }
    if (!sorted) note("the messages are not stored in id order; packing stores them sorted");
    size_t count = 0;
    const config::MessageInfo* table = config::messageTable(count);
    bool shipped = true;
    // Packing adds the shipped texts of the messages a file does not set, so
    // they can be left out when the block holds every one of them.
    for (size_t i = 0; i < count && !options_.addShippedTexts; ++i) {
      if (*table[i].defaultText) shipped = shipped && messages.count(table[i].id) != 0;
    }
    Node section = Node::makeTable();
    if (!shipped) section.add("shipped-texts", Node::makeBoolean(false));
    const unsigned bits = architectureBits(content_);
    for (const auto& [id, text] : messages) {
      const config::MessageInfo* info = config::messageInfo(id);
      if (shipped && info && *info->defaultText && text == widen(config::shippedText(*info, bits))) continue;
      Node value = messageValue(text);
      if (id == msg::kServiceDescription && value.type == Node::Type::String) {
        place(root_, "service.description", value);
        continue;
      }
      section.add(info ? info->name : std::to_string(id), value);
    }
    if (!section.members.empty()) root_.add("messages", section);
  }

  void showSets() {
    if (content_.sets.empty()) return;
    Node localized = Node::makeTable();
    for (size_t i = 0; i < content_.sets.size(); ++i) {
      const block::LocalizedSet& set = content_.sets[i];
      if (i > 0 && content_.sets[i - 1].locale >= set.locale) {
        note(
            "the localized sets are not stored in the order of their codes (or a code repeats); packing stores "
            "them sorted, which changes which text wins where two sets match");
      }
      if (!isDetectableLocale(set.locale)) {
        note("localized set \"" + set.locale + "\" can never match a detected locale; pack refuses it");
      }
      Node table = Node::makeTable();
      for (const block::Message& m : set.messages) {
        const config::MessageInfo* info = config::messageInfo(m.id);
        table.add(info ? info->name : std::to_string(m.id), messageValue(m.text));
      }
      localized.add(set.locale, table);
    }
    root_.add("localized", localized);
  }

  void showRawKeys() {
    if (entries_.empty()) return;
    Node keys = Node::makeTable();
    for (const auto& [id, value] : entries_) keys.add(std::to_string(id), rawValue(cp_, value));
    root_.add("keys", keys);
  }

  // [section] blocks in the order of the file a user writes; tables inside
  // sections as [section.sub]; arrays of tables as [[name]].
  std::string document() {
    static const char* const order[] = {"service",  "application", "java",  "launcher", "logs",  "splash",
                                        "messages", "localized",   "files", "keys",     "packer"};
    std::string out = "# Configuration block shown by zvtpack; \"zvtpack pack\" packs it again.\n";
    for (const char* section : order) {
      const Node* table = root_.find(section);
      if (!table) continue;
      if (std::string(section) == "keys")
        out += "\n# Keys without a named form for what this block holds, stored as they are.";
      out += "\n" + renderTable(section, *table);
    }
    if (!trailingComments_.empty()) out += "\n" + trailingComments_;
    return out;
  }

  static bool isTableArray(const std::string& path) { return path == "files" || path == "java.version-options"; }

  std::string renderTable(const std::string& path, const Node& table) {
    std::string out;
    if (isTableArray(path)) {
      for (const Node& item : table.items) {
        out += "[[" + path + "]]\n";
        for (const Member& m : item.members) out += tomlKey(m.key) + " = " + tomlValue(m.value) + "\n";
      }
      return out;
    }
    if (path == "localized") {
      for (const Member& m : table.members) out += (out.empty() ? "" : "\n") + renderTable(path + "." + m.key, m.value);
      return out;
    }
    std::string later;
    out += "[" + headerPath(path) + "]\n";
    const bool flat = path == "keys" || path == "messages" || path.compare(0, 10, "localized.") == 0;
    for (const Member& m : table.members) {
      const std::string sub = path + "." + m.key;
      if (isTableArray(sub) || (!flat && m.value.type == Node::Type::Table)) {
        later += "\n" + renderTable(sub, m.value);
      } else {
        out += tomlKey(m.key) + " = " + tomlValue(m.value) + "\n";
      }
    }
    return out + later;
  }

  static std::string headerPath(const std::string& path) {
    // "localized." followed by a code that may be empty or hold a dot.
    if (path.compare(0, 10, "localized.") == 0) return "localized." + tomlKey(path.substr(10));
    return path;
  }

  // Reads the printed text back as "pack" would and compares the block.
  void selfCheck() {
    if (options_.addShippedTexts) return;
    Node root;
    ReadError error;
    if (!readToml(result_.text, root, error)) {
      note("internal: the printed configuration does not read back: " + error.message);
      return;
    }
    PackPlan plan;
    Diagnostics diagnostics;
    ReadContext context;
    // What pack asks of a whole file beyond the block (a service name, a
    // main class) is its own message there; this proves the round trip.
    context.scope = Scope::Fragment;
    // Planned as pack plans it when the block holds what pack would have
    // made of the setting: the runtime jar as its last file, or the setting
    // off. A block without the setting predates it.
    const std::string* included = nullptr;
    for (const block::Entry& e : content_.entries) {
      if (e.id == key::kRuntimeIncluded) included = &e.value;
    }
    context.withRuntime = fileNames_.size() > shownFiles_ || (included && config::parseInt(*included) == 0);
    if (!buildPlan(root, context, plan, diagnostics)) {
      for (const Diagnostic& d : diagnostics.sorted()) {
        note("packing the printed configuration fails at line " + std::to_string(d.pos.line) + ": " + d.message);
      }
      return;
    }
    const block::Content& c = plan.content;
    auto entriesEqual = [](const block::Entry& a, const block::Entry& b) { return a.id == b.id && a.value == b.value; };
    auto messagesEqual = [](const block::Message& a, const block::Message& b) {
      return a.id == b.id && a.text == b.text;
    };
    bool same = std::equal(c.entries.begin(), c.entries.end(), content_.entries.begin(), content_.entries.end(),
                           entriesEqual) &&
                std::equal(c.messages.begin(), c.messages.end(), content_.messages.begin(), content_.messages.end(),
                           messagesEqual) &&
                c.sets.size() == content_.sets.size();
    for (size_t i = 0; same && i < c.sets.size(); ++i) {
      same = c.sets[i].locale == content_.sets[i].locale &&
             std::equal(c.sets[i].messages.begin(), c.sets[i].messages.end(), content_.sets[i].messages.begin(),
                        content_.sets[i].messages.end(), messagesEqual);
    }
    if (!same && result_.notes.empty()) note("packing the printed configuration gives a different block");
  }

  const block::Content& content_;
  const std::vector<std::string>& fileNames_;
  const ShowOptions& options_;
  const CodePage& cp_;
  const size_t shownFiles_;
  std::map<uint32_t, std::string> entries_;
  Node root_ = Node::makeTable();
  std::string trailingComments_;
  ShowResult result_;
};

}  // namespace

ShowResult showBlock(const block::Content& content, const std::vector<std::string>& fileNames,
                     const ShowOptions& options) {
  return Shower(content, fileNames, options).run();
}

}  // namespace zvt::pack
