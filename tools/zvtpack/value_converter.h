// One value of a configuration checked and converted the way the launcher
// reads it: texts into the code page (and, for settings the launcher widens
// byte by byte, only characters that survive that), flags, integers,
// choices, versions, structured class-path and search entries, lists, and
// message texts into UTF-16. Faults go to the diagnostics with the position
// of the value, or of the offending character inside a string.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "code_page.h"
#include "config/key_table.h"
#include "diagnostics.h"
#include "toml_tree.h"

namespace zvt::pack {

// What a key's accessor makes of the stored bytes decides what may be
// stored. Every entry is 8-bit text in the code page; the wide accessors
// widen it byte by byte, so for them a byte reaches the launcher as the
// character of the same number, whatever the code page says.
enum class Reading { Narrow, Widened, Both };

Reading readingOf(config::Accessor accessor);

// Where character `index` of a single-line string value stands in the file
// `source` (null: the value's own position).
Position charPosition(const std::string* source, const Node& value, size_t index);

std::string quoted(const std::string& s);

// The text of a number, boolean or date as the file writes it ("0x1F",
// "1.8"), for fixes that quote it; empty when unknown.
std::string literalOf(const std::string* source, const Node& value);

class Converter {
 public:
  Converter(const CodePage& codePage, Diagnostics& diagnostics, const std::string* source)
      : cp_(codePage), diag_(diagnostics), source_(source) {}
  const CodePage& codePage() const { return cp_; }
  void fail(const Position& pos, const std::string& name, const std::string& message);
  bool expect(const Node& v, Node::Type type, const std::string& name, const char* what = nullptr);
  // UTF-8 of a string value to entry bytes. `capacity` bounds the stored
  // length (0: none).
  bool text(const Node& v, const std::string& name, Reading reading, size_t capacity, std::string& out);
  // A text the launcher splits into arguments (blanks separate, quotes
  // group): a quote that nothing closes is refused.
  bool arguments(const Node& v, const std::string& name, Reading reading, size_t capacity, std::string& out);
  bool capacityFits(const Node& v, const std::string& name, size_t capacity, const std::string& out);
  bool integer(const Node& v, const std::string& name, int64_t low, int64_t high, int64_t& out);
  bool entry(const config::KeyInfo& info, const Node& v, std::string& out);
  bool messageText(const Node& v, const std::string& name, std::wstring& out);

 private:
  bool convertEntry(const config::KeyInfo& info, const Node& v, std::string& out);
  bool choice(const config::KeyInfo& info, const Node& v, std::string& out);
  // A table holding exactly one of `forms`; unknown fields are reported.
  const Member* oneOf(const Node& item, const std::string& name, const std::vector<std::string>& forms,
                      const std::vector<std::string>& extras);
  static std::string list(const std::vector<std::string>& names);
  // A name inside a ";"-separated entry list.
  bool listPart(const Node& v, const std::string& name, const char* separators, std::string& out);
  bool boolField(const Node* v, const std::string& name, bool& out);
  bool classPath(const config::KeyInfo& info, const Node& v, std::string& out);
  bool searchSequence(const config::KeyInfo& info, const Node& v, std::string& out);
  bool directoryList(const config::KeyInfo& info, const Node& v, std::string& out);
  bool dependencies(const config::KeyInfo& info, const Node& v, std::string& out);
  bool environment(const config::KeyInfo& info, const Node& v, std::string& out);
  bool colour(const config::KeyInfo& info, const Node& v, std::string& out);
  bool messageUnits(const Node& v, const std::string& name, std::wstring& out);
  bool messageFits(const Node& v, const std::string& name, const std::wstring& text);
  // How to write `v` as the type expected, or an example of the setting
  // being converted; empty when there is nothing to say.
  std::string typeHint(const Node& v, Node::Type expected) const;

  // The setting entry() converts: its value, its key as the file writes it,
  // an example value, and whether that is an array of strings.
  struct Setting {
    const Node* value = nullptr;
    std::string key;
    const char* example = nullptr;
    bool listOfStrings = false;
  };
  Setting setting_;

  const CodePage& cp_;
  Diagnostics& diag_;
  const std::string* source_;
};

}  // namespace zvt::pack
