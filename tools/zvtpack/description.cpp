#include "description.h"

#include <cstdlib>
#include <sstream>

#include "base/text.h"
#include "config/key_table.h"

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

// Byte-level unescaping for entry values.
bool unescapeBytes(const std::string& in, std::string& out, std::string& error) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\\') {
      out.push_back(in[i]);
      continue;
    }
    if (++i >= in.size()) return error = "dangling backslash", false;
    uint32_t v;
    switch (in[i]) {
      case 'n': out.push_back('\n'); break;
      case 't': out.push_back('\t'); break;
      case '\\': out.push_back('\\'); break;
      case 'x':
        if (!parseHex(in, i + 1, 2, v)) return error = "bad \\x escape", false;
        out.push_back(static_cast<char>(v));
        i += 2;
        break;
      default: return error = std::string("unknown escape \\") + in[i], false;
    }
  }
  return true;
}

// Message texts: UTF-8 with escapes, to UTF-16 units.
bool unescapeText(const std::string& in, std::wstring& out, std::string& error) {
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
    uint32_t v;
    switch (in[i]) {
      case 'n': pending.push_back('\n'); break;
      case 't': pending.push_back('\t'); break;
      case '\\': pending.push_back('\\'); break;
      case 'u':
        if (!parseHex(in, i + 1, 4, v)) return error = "bad \\u escape", false;
        flush();
        out.push_back(static_cast<wchar_t>(v));
        i += 4;
        break;
      default: return error = std::string("unknown escape \\") + in[i], false;
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
    if (keyword == "entry" || keyword == "message") {
      splitWord(rest, idWord, value, hasValue);
      uint32_t id;
      if (!hasRest || !parseId(idWord, id)) return fail("expected a decimal id after '" + keyword + "'");
      if (keyword == "entry") {
        if (set) return fail("entries cannot be part of a localized set (missing 'end'?)");
        block::Entry e;
        e.id = id;
        if (!unescapeBytes(value, e.value, why)) return fail(why);
        out.content.entries.push_back(e);
      } else {
        block::Message m;
        m.id = id;
        if (!unescapeText(value, m.text, why)) return fail(why);
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

namespace {

std::string escapeBytes(const std::string& in) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : in) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c >= 0x7F) {
      out += "\\x";
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

std::string escapeText(const std::wstring& in) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (wchar_t w : in) {
    uint32_t u = static_cast<uint32_t>(w) & 0xFFFF;
    if (u == '\\') {
      out += "\\\\";
    } else if (u == '\n') {
      out += "\\n";
    } else if (u == '\t') {
      out += "\\t";
    } else if (u < 0x20 || u == 0x7F || (u >= 0xD800 && u <= 0xDFFF)) {
      out += "\\u";
      for (int s = 12; s >= 0; s -= 4) out.push_back(hex[(u >> s) & 15]);
    } else {
      out += utf16ToUtf8(std::wstring(1, static_cast<wchar_t>(u)));
    }
  }
  return out;
}

}  // namespace

std::string printContent(const block::Content& content, const std::vector<std::string>& fileNames) {
  std::string out;
  for (const auto& e : content.entries) {
    if (const config::KeyInfo* info = config::keyInfo(e.id)) out += std::string("# ") + info->meaning + "\n";
    out += "entry " + std::to_string(e.id) + " " + escapeBytes(e.value) + "\n";
  }
  for (const auto& m : content.messages) out += "message " + std::to_string(m.id) + " " + escapeText(m.text) + "\n";
  for (const auto& s : content.sets) {
    out += "set " + s.locale + "\n";
    for (const auto& m : s.messages) out += "message " + std::to_string(m.id) + " " + escapeText(m.text) + "\n";
    out += "end\n";
  }
  for (size_t i = 0; i < content.files.size(); ++i) {
    std::string name = i < fileNames.size() ? fileNames[i] : "?";
    out += "# file " + name + " " + std::to_string(content.files[i].content.size()) + " bytes\n";
  }
  return out;
}

}  // namespace zvt::pack
