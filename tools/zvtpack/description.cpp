#include "description.h"

#include <cstdlib>
#include <functional>
#include <sstream>

#include "base/text.h"

namespace zvt::pack {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool parseHex(const std::string& s, size_t at, size_t digits, uint32_t& value) {
  if (at + digits > s.size()) return false;
  value = 0;
  for (size_t i = 0; i < digits; ++i) {
    int h = hexValue(s[at + i]);
    if (h < 0) return false;
    value = value * 16 + static_cast<uint32_t>(h);
  }
  return true;
}

// Reports an escape that changed what was typed: "\n" in C:\new is a line
// feed to this format, which is rarely what a Windows path meant.
using EscapeNote = std::function<void(size_t offset, const std::string& escape, const std::string& meaning)>;

std::string escapeMeaning(char c) {
  switch (c) {
    case 'n':
      return "a line feed";
    case 't':
      return "a tab";
    case '\\':
      return "one backslash";
    case 'x':
      return "one byte";
    default:
      return "one UTF-16 unit";
  }
}

size_t escapeLength(char c) {
  return c == 'x' ? 4 : c == 'u' ? 6 : 2;
}

// Byte-level unescaping for entry values.
bool unescapeBytes(const std::string& in, std::string& out, std::string& error, const EscapeNote& note) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\\') {
      out.push_back(in[i]);
      continue;
    }
    if (++i >= in.size()) return error = "dangling backslash", false;
    if (note) note(i - 1, in.substr(i - 1, escapeLength(in[i])), escapeMeaning(in[i]));
    uint32_t v;
    switch (in[i]) {
      case 'n':
        out.push_back('\n');
        break;
      case 't':
        out.push_back('\t');
        break;
      case '\\':
        out.push_back('\\');
        break;
      case 'x':
        if (!parseHex(in, i + 1, 2, v)) return error = "bad \\x escape", false;
        out.push_back(static_cast<char>(v));
        i += 2;
        break;
      default:
        return error = std::string("unknown escape \\") + in[i], false;
    }
  }
  return true;
}

// Message texts: UTF-8 with escapes, to UTF-16 units.
bool unescapeText(const std::string& in, std::wstring& out, std::string& error, const EscapeNote& note) {
  out.clear();
  std::string pending;
  auto flush = [&] {
    out += utf8ToUtf16(pending);
    pending.clear();
  };
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\\') {
      pending.push_back(in[i]);
      continue;
    }
    if (++i >= in.size()) return error = "dangling backslash", false;
    if (note) note(i - 1, in.substr(i - 1, escapeLength(in[i])), escapeMeaning(in[i]));
    uint32_t v;
    switch (in[i]) {
      case 'n':
        pending.push_back('\n');
        break;
      case 't':
        pending.push_back('\t');
        break;
      case '\\':
        pending.push_back('\\');
        break;
      case 'u':
        if (!parseHex(in, i + 1, 4, v)) return error = "bad \\u escape", false;
        flush();
        out.push_back(static_cast<wchar_t>(v));
        i += 4;
        break;
      default:
        return error = std::string("unknown escape \\") + in[i], false;
    }
  }
  flush();
  return true;
}

bool parseId(const std::string& word, uint32_t& id) {
  if (word.empty() || word.size() > 10) return false;
  unsigned long long v = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<unsigned>(c - '0');
  }
  if (v > 0xFFFFFFFFull) return false;
  id = static_cast<uint32_t>(v);
  return true;
}

// Splits "keyword rest": the keyword, then the text after exactly one blank.
void splitWord(const std::string& line, std::string& word, std::string& rest, bool& hasRest) {
  size_t sp = line.find(' ');
  hasRest = sp != std::string::npos;
  word = line.substr(0, sp);
  rest = hasRest ? line.substr(sp + 1) : std::string();
}

}  // namespace

bool parseDescription(const std::string& text, Description& out, std::string& error) {
  return parseDescription(text, out, error, nullptr);
}

bool parseDescription(const std::string& text, Description& out, std::string& error,
                      std::vector<DescriptionNote>* notes) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  block::LocalizedSet* set = nullptr;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::string keyword, rest, idWord, value, why;
    bool hasRest, hasValue;
    splitWord(line, keyword, rest, hasRest);
    // Values start after "keyword id "; offsets in notes count from there.
    const size_t valueStart = keyword.size() + 1;
    EscapeNote note;
    if (notes) {
      note = [&, valueStart](size_t offset, const std::string& escape, const std::string& meaning) {
        size_t idLength = rest.find(' ');
        notes->push_back(DescriptionNote{number,
                                         valueStart + (idLength == std::string::npos ? 0 : idLength + 1) + offset + 1,
                                         "\"" + escape + "\" read as " + meaning});
      };
    }
    if (keyword == "entry" || keyword == "message") {
      splitWord(rest, idWord, value, hasValue);
      uint32_t id;
      if (!hasRest || !parseId(idWord, id)) return fail("expected a decimal id after '" + keyword + "'");
      if (keyword == "entry") {
        if (set) return fail("entries cannot be part of a localized set (missing 'end'?)");
        block::Entry e;
        e.id = id;
        if (!unescapeBytes(value, e.value, why, note)) return fail(why);
        out.content.entries.push_back(e);
        out.entryLines.push_back(number);
      } else {
        block::Message m;
        m.id = id;
        if (!unescapeText(value, m.text, why, note)) return fail(why);
        (set ? set->messages : out.content.messages).push_back(m);
      }
    } else if (keyword == "set") {
      // A locale name is printed back as it stands, with no escapes, and a
      // trailing CR would be taken for the line end when the printed form
      // is read again; no locale name holds control characters anyway.
      for (unsigned char c : rest) {
        if (c < 0x20 || c == 0x7F) return fail("control character in the locale name");
      }
      out.content.sets.push_back(block::LocalizedSet{hasRest ? rest : std::string(), {}});
      set = &out.content.sets.back();
    } else if (keyword == "end") {
      set = nullptr;
    } else if (keyword == "file") {
      std::string name, path;
      bool hasPath;
      splitWord(rest, name, path, hasPath);
      if (!hasRest || !hasPath || name.empty() || path.empty()) return fail("expected 'file <name> <path>'");
      out.files.push_back(FileRef{name, path});
    } else {
      return fail("unknown item '" + keyword + "'");
    }
  }
  return true;
}

}  // namespace zvt::pack
