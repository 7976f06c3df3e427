#include "value_converter.h"

#include <algorithm>
#include <climits>

#include "base/arguments.h"
#include "base/text.h"
#include "runtime/environment.h"
#include "runtime/message_format.h"
#include "service/install_options.h"
#include "service/service_name.h"
#include "toml_writer.h"
#include "unicode.h"
#include "value_rules.h"

namespace zvt::pack {

using config::Accessor;
using config::KeyInfo;
using config::ValueKind;

Reading readingOf(Accessor a) {
  switch (a) {
    case Accessor::WStr:
      return Reading::Widened;
    case Accessor::StrAndWStr:
      return Reading::Both;
    default:
      return Reading::Narrow;
  }
}

namespace {

// The byte offset of the 1-based line and column (in characters) `pos` in
// `source`; npos when the source has no such place.
size_t sourceOffset(const std::string& source, const Position& pos) {
  size_t at = 0;
  for (uint32_t line = 1; line < pos.line; ++line) {
    at = source.find('\n', at);
    if (at == std::string::npos) return std::string::npos;
    ++at;
  }
  for (uint32_t col = 1; col < pos.column && at < source.size(); ++col) {
    do {
      ++at;
    } while (at < source.size() && (static_cast<unsigned char>(source[at]) & 0xC0) == 0x80);
  }
  return at < source.size() ? at : std::string::npos;
}

}  // namespace

// The value's position plus the characters of its source before the one
// asked for (an escape such as "\n" is several characters of source for one
// of value). Multi-line strings give the value's position. Called for a
// fault only: it reads the source from its start.
Position charPosition(const std::string* source, const Node& value, size_t index) {
  if (!source || value.pos.line == 0) return value.pos;
  size_t at = sourceOffset(*source, value.pos);
  if (at == std::string::npos || source->compare(at, 3, "\"\"\"") == 0 || source->compare(at, 3, "'''") == 0) {
    return value.pos;
  }
  const char quote = (*source)[at];
  if (quote != '"' && quote != '\'') return value.pos;
  uint32_t column = value.pos.column + 1;
  ++at;
  for (size_t i = 0; i < index && at < source->size() && (*source)[at] != '\n'; ++i) {
    size_t width = 1;
    if (quote == '"' && (*source)[at] == '\\' && at + 1 < source->size()) {
      const char e = (*source)[at + 1];
      width = e == 'u' ? 6 : e == 'U' ? 10 : 2;
      at += width;
    } else {
      do {
        ++at;
      } while (at < source->size() && (static_cast<unsigned char>((*source)[at]) & 0xC0) == 0x80);
    }
    column += static_cast<uint32_t>(width);
  }
  return Position{value.pos.line, column};
}

std::string literalOf(const std::string* source, const Node& value) {
  switch (value.type) {
    case Node::Type::Boolean:
      return value.boolean ? "true" : "false";
    case Node::Type::Integer:
    case Node::Type::Float:
    case Node::Type::DateTime: {
      const size_t at = source && value.pos.line != 0 ? sourceOffset(*source, value.pos) : std::string::npos;
      if (at != std::string::npos) {
        const size_t end = source->find_first_of(" \t\r\n,]}#", at);
        if (end != at) return source->substr(at, end == std::string::npos ? std::string::npos : end - at);
      }
      return value.type == Node::Type::Integer ? std::to_string(value.integer) : std::string();
    }
    default:
      return std::string();
  }
}

std::string quoted(const std::string& s) {
  return "\"" + s + "\"";
}

void Converter::fail(const Position& pos, const std::string& name, const std::string& message) {
  diag_.error(pos, name.empty() ? message : name + ": " + message);
}

bool Converter::expect(const Node& v, Node::Type type, const std::string& name, const char* what) {
  if (v.type == type) return true;
  fail(v.pos, name,
       std::string("expected ") + (what ? what : describeType(type)) + ", not " + describeType(v.type) +
           typeHint(v, type));
  return false;
}

std::string Converter::typeHint(const Node& v, Node::Type expected) const {
  const bool own = &v == setting_.value;
  const std::string lead = own ? setting_.key + " = " : std::string();
  const std::string literal = literalOf(source_, v);
  if (expected == Node::Type::String && !literal.empty()) return "; write it in quotes: " + lead + quoted(literal);
  if (expected == Node::Type::Boolean) {
    if (v.type == Node::Type::String && (v.string == "true" || v.string == "false")) {
      return "; write it without quotes: " + lead + v.string;
    }
    if (v.type == Node::Type::Integer && (v.integer == 0 || v.integer == 1)) {
      return "; write " + lead + (v.integer == 1 ? "true" : "false");
    }
    return "; write " + lead + "true or " + lead + "false";
  }
  int64_t n;
  if (expected == Node::Type::Integer && v.type == Node::Type::String && parseCanonicalInt(v.string, n)) {
    return "; write it without quotes: " + lead + v.string;
  }
  if (own && expected == Node::Type::Array && v.type == Node::Type::String && setting_.listOfStrings) {
    return "; write it as an array: " + lead + "[" + tomlString(v.string) + "]";
  }
  if (own && setting_.example) return "; for example: " + lead + setting_.example;
  return std::string();
}

namespace {

enum class CharFault { None, Control, NotInCodePage, ChangedByWidening };

}  // namespace

bool Converter::text(const Node& v, const std::string& name, Reading reading, size_t capacity, std::string& out) {
  if (!expect(v, Node::Type::String, name)) return false;
  std::u32string chars;
  size_t bad = 0;
  if (!decodeUtf8(v.string, chars, bad)) {
    fail(v.pos, name, "invalid UTF-8");
    return false;
  }
  out.clear();
  out.reserve(chars.size());
  // One fault a value: the first offending character with its position,
  // and how many more there are. Positions are looked up for it alone, so a
  // long value is read in linear time.
  CharFault fault = CharFault::None;
  size_t faultIndex = 0;
  int faultByte = -1;
  size_t faults = 0;
  for (size_t i = 0; i < chars.size(); ++i) {
    const char32_t c = chars[i];
    const int byte = c < 0x20 || c == 0x7F ? -1 : cp_.encode(c);
    CharFault here = CharFault::None;
    if (c < 0x20 || c == 0x7F) {
      here = CharFault::Control;
    } else if (byte < 0) {
      here = CharFault::NotInCodePage;
    } else if (reading != Reading::Narrow && byte >= 0x80 && static_cast<char32_t>(byte) != c) {
      here = CharFault::ChangedByWidening;
    }
    if (here == CharFault::None) {
      out.push_back(static_cast<char>(byte));
      continue;
    }
    if (faults++ == 0) {
      fault = here;
      faultIndex = i;
      faultByte = byte;
    }
  }
  if (fault != CharFault::None) {
    const char32_t c = chars[faultIndex];
    const std::string page = "code page " + std::to_string(cp_.number());
    std::string message;
    switch (fault) {
      case CharFault::Control:
        message = describeChar(c) +
                  " in a value; settings are single-line text (in a \"...\" string a backslash starts an escape: "
                  "write 'C:\\new' or \"C:\\\\new\")";
        break;
      case CharFault::NotInCodePage:
        message = describeChar(c) + " cannot be stored in " + page +
                  " (the code page of the machines that run the launcher goes in [packer] code-page)";
        break;
      default:
        message = describeChar(c) + " would reach the launcher as " + describeChar(static_cast<char32_t>(faultByte)) +
                  ": it reads this setting byte by byte, so only ASCII and the characters that " + page +
                  " stores under their own number (" + cp_.sameNumberCharacters() + ") arrive unchanged";
        break;
    }
    if (faults > 1) {
      message += "; " + std::to_string(faults - 1) + " more character" + (faults > 2 ? "s" : "") +
                 " of this value cannot be stored either";
    }
    fail(charPosition(source_, v, faultIndex), name, message);
    return false;
  }
  if (capacity != 0 && out.size() >= capacity) {
    fail(v.pos, name,
         "the launcher reads at most " + std::to_string(capacity - 1) + " bytes of this setting; the value has " +
             std::to_string(out.size()));
    return false;
  }
  return true;
}

bool Converter::arguments(const Node& v, const std::string& name, Reading reading, size_t capacity, std::string& out) {
  if (!text(v, name, reading, capacity, out)) return false;
  // Every character of a stored text is one byte, so the index in the text
  // is the index in the value.
  const size_t open = unclosedQuote(widenBytes(out));
  if (open == std::string::npos) return true;
  const char quote = out[open];
  fail(charPosition(source_, v, open), name,
       std::string("this ") + quote + " is never closed: the launcher would read the rest of the text, blanks and " +
           "all, as one argument; close it, or put it between quotes of the other kind (" +
           (quote == '"' ? "'\"'" : "\"'\"") + ")");
  return false;
}

bool Converter::capacityFits(const Node& v, const std::string& name, size_t capacity, const std::string& out) {
  if (capacity == 0 || out.size() < capacity) return true;
  fail(v.pos, name,
       "the launcher reads at most " + std::to_string(capacity - 1) + " bytes of this setting; these entries take " +
           std::to_string(out.size()));
  return false;
}

bool Converter::integer(const Node& v, const std::string& name, int64_t low, int64_t high, int64_t& out) {
  if (!expect(v, Node::Type::Integer, name)) return false;
  if (v.integer < low || v.integer > high) {
    fail(v.pos, name,
         "the integer " + std::to_string(v.integer) + " is out of range (" + std::to_string(low) + " to " +
             std::to_string(high) + ")");
    return false;
  }
  out = v.integer;
  return true;
}

namespace {

// A value of each kind as a configuration writes it, for fixes.
const char* exampleOf(const KeyInfo& info) {
  switch (info.kind) {
    case ValueKind::Text:
    case ValueKind::Arguments:
      return "\"...\"";
    case ValueKind::Flag:
      return "true";
    case ValueKind::Integer:
    case ValueKind::Count:
    case ValueKind::RestartDelay:
      return "0";
    case ValueKind::ServiceAccount:
      return "\"network-service\"";
    case ValueKind::Choice:
      return nullptr;  // the fault lists the choices
    case ValueKind::Version:
      return "\"1.8\"";
    case ValueKind::ClassPath:
      return "[{ scan = \"lib\" }, { archive = \"app.jar\", required = true }]";
    case ValueKind::SearchSequence:
      return "[{ home = \"jre\", local = true }, { registry = true }]";
    case ValueKind::DirectoryList:
      return "[\"bin\", \"native\"]";
    case ValueKind::Environment:
      return "[\"APP_HOME=${launcher:sys.launcherDirectory}\", \"JAVA_TOOL_OPTIONS=\"]";
    case ValueKind::ServiceName:
      return "\"MyService\"";
    case ValueKind::Dependencies:
      return "[\"Tcpip\"]";
    case ValueKind::Colour:
      return "[255, 255, 255]";
    case ValueKind::IncludedFiles:
    case ValueKind::VersionOptions:
      break;
  }
  return nullptr;
}

}  // namespace

bool Converter::entry(const KeyInfo& info, const Node& v, std::string& out) {
  const std::string name = info.name;
  const size_t dot = name.rfind('.');
  const Setting outer = setting_;
  setting_ = Setting{&v, dot == std::string::npos ? name : name.substr(dot + 1), exampleOf(info),
                     info.kind == ValueKind::DirectoryList || info.kind == ValueKind::Dependencies ||
                         info.kind == ValueKind::Environment};
  const bool ok = convertEntry(info, v, out);
  setting_ = outer;
  return ok;
}

bool Converter::convertEntry(const KeyInfo& info, const Node& v, std::string& out) {
  const std::string name = info.name;
  const Reading reading = readingOf(info.accessor);
  switch (info.kind) {
    case ValueKind::Text:
      return text(v, name, reading, info.capacity, out);
    case ValueKind::Arguments:
      return arguments(v, name, reading, info.capacity, out);
    case ValueKind::Flag:
      if (!expect(v, Node::Type::Boolean, name)) return false;
      out = v.boolean ? "1" : "0";
      return true;
    case ValueKind::Integer:
    case ValueKind::Count: {
      int64_t n;
      if (!integer(v, name, info.kind == ValueKind::Count ? 0 : INT32_MIN, INT32_MAX, n)) return false;
      out = std::to_string(n);
      return true;
    }
    case ValueKind::Choice:
      return choice(info, v, out);
    case ValueKind::Version: {
      if (!text(v, name, reading, info.capacity, out)) return false;
      std::string problem;
      if (!checkVersionBound(v.string, problem)) {
        fail(v.pos, name, quoted(v.string) + ": " + problem);
        return false;
      }
      return true;
    }
    case ValueKind::ClassPath:
      return classPath(info, v, out);
    case ValueKind::SearchSequence:
      return searchSequence(info, v, out);
    case ValueKind::DirectoryList:
      return directoryList(info, v, out);
    case ValueKind::ServiceName: {
      if (!text(v, name, reading, info.capacity, out)) return false;
      if (const char* problem = serviceNameProblem(widenBytes(out))) {
        fail(v.pos, name, quoted(v.string) + ": " + problem);
        return false;
      }
      return true;
    }
    case ValueKind::Dependencies:
      return dependencies(info, v, out);
    case ValueKind::Environment:
      return environment(info, v, out);
    case ValueKind::Colour:
      return colour(info, v, out);
    case ValueKind::ServiceAccount: {
      if (!text(v, name, reading, info.capacity, out)) return false;
      if (const char* problem = serviceAccountProblem(widenBytes(out))) {
        fail(v.pos, name, quoted(v.string) + ": " + problem);
        return false;
      }
      return true;
    }
    case ValueKind::RestartDelay: {
      int64_t n;
      if (!integer(v, name, 0, kMaxRestartDelaySeconds, n)) {
        return false;
      }
      out = std::to_string(n);
      return true;
    }
    case ValueKind::IncludedFiles:
    case ValueKind::VersionOptions:
      break;
  }
  fail(v.pos, name, "is written by the packer itself");
  return false;
}

bool Converter::messageText(const Node& v, const std::string& name, std::wstring& out) {
  if (v.type == Node::Type::Table) return messageUnits(v, name, out);
  if (!expect(v, Node::Type::String, name, "a string or { utf16 = [...] }")) return false;
  std::u32string chars;
  size_t bad = 0;
  if (!decodeUtf8(v.string, chars, bad)) {
    fail(v.pos, name, "invalid UTF-8");
    return false;
  }
  for (size_t i = 0; i < chars.size(); ++i) {
    if (chars[i] == 0) {
      fail(charPosition(source_, v, i), name, "a NUL character would end the message there");
      return false;
    }
  }
  out = toUtf16Units(chars);
  return messageFits(v, name, out);
}

bool Converter::choice(const KeyInfo& info, const Node& v, std::string& out) {
  if (v.type == Node::Type::Integer && info.acceptsInteger) {
    int64_t n;
    if (!integer(v, info.name, INT32_MIN, INT32_MAX, n)) return false;
    out = std::to_string(n);
    return true;
  }
  std::vector<std::string> names;
  for (size_t i = 0; i < info.choiceCount; ++i) names.push_back(info.choices[i].name);
  std::string expected;
  for (const std::string& n : names) expected += (expected.empty() ? "" : ", ") + quoted(n);
  if (info.acceptsInteger) expected += " or an integer";
  if (v.type != Node::Type::String) {
    fail(v.pos, info.name, "expected one of " + expected + ", not " + describeType(v.type));
    return false;
  }
  for (size_t i = 0; i < info.choiceCount; ++i) {
    if (v.string == info.choices[i].name) {
      out = info.choices[i].stored;
      return true;
    }
  }
  std::string close = closestMatch(v.string, names);
  fail(v.pos, info.name,
       "unknown value " + quoted(v.string) + (close.empty() ? "" : " (did you mean " + quoted(close) + "?)") +
           "; expected one of " + expected);
  return false;
}

const Member* Converter::oneOf(const Node& item, const std::string& name, const std::vector<std::string>& forms,
                               const std::vector<std::string>& extras) {
  if (!expect(item, Node::Type::Table, name, ("a table such as { " + forms[0] + " = ... }").c_str())) {
    return nullptr;
  }
  const Member* found = nullptr;
  bool ok = true;
  std::vector<std::string> known = forms;
  known.insert(known.end(), extras.begin(), extras.end());
  for (const Member& m : item.members) {
    if (std::find(known.begin(), known.end(), m.key) == known.end()) {
      std::string close = closestMatch(m.key, known);
      fail(m.keyPos, name,
           "unknown field " + quoted(m.key) + (close.empty() ? "" : " (did you mean " + quoted(close) + "?)"));
      ok = false;
    } else if (std::find(forms.begin(), forms.end(), m.key) != forms.end()) {
      if (found) {
        fail(m.keyPos, name,
             "an entry has one of " + list(forms) + ", not both " + quoted(found->key) + " and " + quoted(m.key));
        ok = false;
      }
      found = &m;
    }
  }
  if (!found && ok) {
    fail(item.pos, name, "an entry needs one of " + list(forms));
    return nullptr;
  }
  return ok ? found : nullptr;
}

std::string Converter::list(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) out += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
  return out;
}

bool Converter::listPart(const Node& v, const std::string& name, const char* separators, std::string& out) {
  if (!text(v, name, Reading::Narrow, 0, out)) return false;
  if (out.empty()) {
    fail(v.pos, name, "the name is empty");
    return false;
  }
  const size_t sep = v.string.find_first_of(separators);
  if (sep != std::string::npos) {
    // charPosition counts characters, the search found a byte.
    size_t index = 0;
    for (size_t i = 0; i < sep; ++i) index += (static_cast<unsigned char>(v.string[i]) & 0xC0) != 0x80;
    fail(charPosition(source_, v, index), name,
         quoted(std::string(1, v.string[sep])) + " separates the entries of this setting; write one entry each");
    return false;
  }
  return true;
}

bool Converter::boolField(const Node* v, const std::string& name, bool& out) {
  out = false;
  if (!v) return true;
  if (!expect(*v, Node::Type::Boolean, name)) return false;
  out = v->boolean;
  return true;
}

bool Converter::classPath(const KeyInfo& info, const Node& v, std::string& out) {
  const std::string name = info.name;
  if (!expect(v, Node::Type::Array, name, "an array of entries such as { scan = \"lib\" }")) return false;
  static const std::vector<std::string> forms = {"archive", "directory", "env", "scan"};
  static const char letters[] = {'A', 'D', 'E', 'S'};
  bool ok = true;
  out.clear();
  for (const Node& item : v.items) {
    const Member* form = oneOf(item, name, forms, {"required"});
    if (!form) {
      ok = false;
      continue;
    }
    bool required = false;
    std::string part;
    if (!boolField(item.find("required"), name, required) ||
        !listPart(form->value, name, form->key == "env" ? ";=" : ";", part)) {
      ok = false;
      continue;
    }
    const size_t index = static_cast<size_t>(std::find(forms.begin(), forms.end(), form->key) - forms.begin());
    out += std::string(out.empty() ? "" : ";") + letters[index] + (required ? '1' : '0') + part;
  }
  return ok && capacityFits(v, name, info.capacity, out);
}

bool Converter::searchSequence(const KeyInfo& info, const Node& v, std::string& out) {
  const std::string name = info.name;
  if (!expect(v, Node::Type::Array, name, "an array of entries such as { home = \"jre\" }")) return false;
  static const std::vector<std::string> forms = {"home", "env", "search-path", "registry"};
  bool ok = true;
  out.clear();
  for (const Node& item : v.items) {
    const Member* form = oneOf(item, name, forms, {"local", "letter"});
    if (!form) {
      ok = false;
      continue;
    }
    const Node* local = item.find("local");
    const Node* letter = item.find("letter");
    if ((local || letter) && form->key != "home") {
      fail((local ? item.findMember("local") : item.findMember("letter"))->keyPos, name,
           "\"local\" and \"letter\" belong to a home entry");
      ok = false;
      continue;
    }
    std::string entry;
    if (form->key == "home") {
      bool isLocal = false;
      if (!boolField(local, name, isLocal)) {
        ok = false;
        continue;
      }
      char l = isLocal ? 'B' : 'A';
      if (letter) {
        if (local) {
          fail(item.findMember("letter")->keyPos, name, "a home entry has \"local\" or \"letter\", not both");
          ok = false;
          continue;
        }
        if (!expect(*letter, Node::Type::String, name) || (letter->string != "A" && letter->string != "R")) {
          if (letter->type == Node::Type::String) {
            fail(letter->pos, name,
                 "unknown search letter " + quoted(letter->string) +
                     "; a home entry is \"A\" or \"R\" (the launcher treats both alike), \"local = true\" makes "
                     "it \"B\"");
          }
          ok = false;
          continue;
        }
        l = letter->string[0];
      }
      std::string part;
      if (!listPart(form->value, name, ";", part)) {
        if (form->value.type == Node::Type::String && form->value.string.empty()) {
          fail(form->value.pos, name, "write \".\" for the launcher's own directory");
        }
        ok = false;
        continue;
      }
      entry = std::string(1, l) + part;
    } else if (form->key == "env") {
      std::string part;
      if (!listPart(form->value, name, ";=", part)) {
        ok = false;
        continue;
      }
      entry = "E" + part;
    } else {
      if (!expect(form->value, Node::Type::Boolean, name) || !form->value.boolean) {
        if (form->value.type == Node::Type::Boolean) {
          fail(form->value.pos, name, "write " + form->key + " = true, or leave the entry out");
        }
        ok = false;
        continue;
      }
      entry = form->key == "registry" ? "Y" : "S";
    }
    out += (out.empty() ? "" : ";") + entry;
  }
  return ok && capacityFits(v, name, info.capacity, out);
}

bool Converter::directoryList(const KeyInfo& info, const Node& v, std::string& out) {
  const std::string name = info.name;
  if (!expect(v, Node::Type::Array, name, "an array of directory names")) return false;
  bool ok = true;
  out.clear();
  for (const Node& item : v.items) {
    std::string part;
    if (!listPart(item, name, ";", part)) {
      ok = false;
      continue;
    }
    out += (out.empty() ? "" : ";") + part;
  }
  return ok && capacityFits(v, name, info.capacity, out);
}

bool Converter::dependencies(const KeyInfo& info, const Node& v, std::string& out) {
  const std::string name = info.name;
  if (!expect(v, Node::Type::Array, name, "an array of service names")) return false;
  bool ok = true;
  out.clear();
  for (const Node& item : v.items) {
    std::string part;
    if (!text(item, name, readingOf(info.accessor), 0, part)) {
      ok = false;
      continue;
    }
    if (const char* problem = dependencyNameProblem(widenBytes(part))) {
      fail(item.pos, name, quoted(item.string) + ": " + problem);
      ok = false;
      continue;
    }
    out += (out.empty() ? "" : ",") + part;
  }
  return ok && capacityFits(v, name, info.capacity, out);
}

namespace {

// "NAME = value" as the entry the writer meant: without the blanks around
// the name and the "=".
std::string withoutBlanksAroundName(const std::string& entry) {
  const size_t equals = entry.find('=');
  const size_t nameStart = entry.find_first_not_of(' ');
  const size_t nameEnd = entry.find_last_not_of(' ', equals - 1);
  const size_t valueStart = entry.find_first_not_of(' ', equals + 1);
  return entry.substr(nameStart, nameEnd + 1 - nameStart) + "=" +
         (valueStart == std::string::npos ? std::string() : entry.substr(valueStart));
}

}  // namespace

bool Converter::environment(const KeyInfo& info, const Node& v, std::string& out) {
  const std::string name = info.name;
  if (!expect(v, Node::Type::Array, name, "an array of \"NAME=value\" strings")) return false;
  bool ok = true;
  out.clear();
  for (const Node& item : v.items) {
    std::string part;
    if (!text(item, name, Reading::Narrow, 0, part)) {
      ok = false;
      continue;
    }
    // Names and "=" are ASCII, which every code page stores as it is.
    if (const char* problem = environmentEntryProblem(widenBytes(part))) {
      std::string message = quoted(item.string) + " " + problem;
      const size_t equals = item.string.find('=');
      if (equals != std::string::npos && item.string.find_first_not_of(' ') < equals) {
        const std::string fixed = withoutBlanksAroundName(item.string);
        if (fixed != item.string) message += ": " + tomlString(fixed);
      }
      fail(item.pos, name, message);
      ok = false;
      continue;
    }
    out += (out.empty() ? "" : "\n") + part;
  }
  return ok && capacityFits(v, name, info.capacity, out);
}

bool Converter::colour(const KeyInfo& info, const Node& v, std::string& out) {
  const std::string name = info.name;
  if (!expect(v, Node::Type::Array, name, "[red, green, blue]")) return false;
  if (v.items.size() != 3) {
    fail(v.pos, name, "expected three numbers [red, green, blue], each 0 to 255");
    return false;
  }
  out.clear();
  for (const Node& item : v.items) {
    int64_t n;
    if (!integer(item, name, 0, 255, n)) return false;
    out += (out.empty() ? "" : ",") + std::to_string(n);
  }
  return true;
}

bool Converter::messageUnits(const Node& v, const std::string& name, std::wstring& out) {
  const Node* units = v.find("utf16");
  if (v.members.size() != 1 || !units) {
    fail(v.pos, name, "expected a string, or { utf16 = [...] } for raw UTF-16 units");
    return false;
  }
  if (!expect(*units, Node::Type::Array, name, "an array of UTF-16 units")) return false;
  out.clear();
  for (const Node& u : units->items) {
    int64_t n;
    if (!integer(u, name, 0, 0xFFFF, n)) return false;
    if (n == 0) {
      fail(u.pos, name, "a NUL unit would end the message there");
      return false;
    }
    out.push_back(static_cast<wchar_t>(n));
  }
  return messageFits(v, name, out);
}

bool Converter::messageFits(const Node& v, const std::string& name, const std::wstring& text) {
  if (text.size() < kMessageCapacity) return true;
  fail(v.pos, name,
       "the launcher shows at most " + std::to_string(kMessageCapacity - 1) + " UTF-16 units of a message; this has " +
           std::to_string(text.size()));
  return false;
}

}  // namespace zvt::pack
