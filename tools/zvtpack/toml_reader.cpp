// toml++ as a header-only library, without exceptions: a parse result tells
// about errors, so nothing can escape into the packer as an abort.
//
// Its internal checks must be neither assertions nor optimizer assumptions:
// toml++ 3.3 asserts that a key starts after "[" before it reports its own
// error for "[#" (debug builds abort), and with NDEBUG it turns the same
// check into __builtin_assume where the compiler has it (clang: undefined
// behaviour on that input). Without either, it reports the error. NDEBUG
// would force the assumption, so it is lifted for this file.
#undef NDEBUG
#define TOML_ASSERT(expr) static_cast<void>(0)
#define TOML_EXCEPTIONS 0
#define TOML_ENABLE_FORMATTERS 0
#define TOML_ENABLE_WINDOWS_COMPAT 0
#include "toml_reader.h"

#include "unicode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <toml++/toml.h>

namespace zvt::pack {
namespace {

Position positionOf(const toml::source_region& region) {
  return Position{region.begin.line, region.begin.column};
}

bool before(const Position& a, const Position& b) {
  return a.line != b.line ? a.line < b.line : a.column < b.column;
}

Node convert(const toml::node& in);

Node convertTable(const toml::table& table) {
  Node out = Node::makeTable();
  out.pos = positionOf(table.source());
  for (auto&& [key, value] : table) {
    Member m{std::string(key.str()), positionOf(key.source()), convert(value)};
    out.members.push_back(std::move(m));
  }
  // The library keeps keys sorted; the file's order gives messages in the
  // order a reader expects them.
  std::stable_sort(out.members.begin(), out.members.end(),
                   [](const Member& a, const Member& b) { return before(a.keyPos, b.keyPos); });
  return out;
}

Node convert(const toml::node& in) {
  Node out;
  out.pos = positionOf(in.source());
  switch (in.type()) {
    case toml::node_type::table: return convertTable(*in.as_table());
    case toml::node_type::array:
      out.type = Node::Type::Array;
      for (const toml::node& item : *in.as_array()) out.items.push_back(convert(item));
      break;
    case toml::node_type::string:
      out.type = Node::Type::String;
      out.string = in.as_string()->get();
      break;
    case toml::node_type::integer:
      out.type = Node::Type::Integer;
      out.integer = in.as_integer()->get();
      break;
    case toml::node_type::floating_point: out.type = Node::Type::Float; break;
    case toml::node_type::boolean:
      out.type = Node::Type::Boolean;
      out.boolean = in.as_boolean()->get();
      break;
    default: out.type = Node::Type::DateTime; break;
  }
  return out;
}

}  // namespace

// TOML allows characters beyond ASCII only in strings and comments. toml++
// 3.3 checks such a character elsewhere for Unicode white space through a
// table that reaches __builtin_unreachable() for many of them (a bare key
// "grüße" is enough), so the reader never sees one: this finds the first,
// knowing just enough of the grammar to skip strings and comments.
size_t nonAsciiOutsideStrings(const std::string& text) {
  const size_t n = text.size();
  size_t i = 0;
  auto startsWith = [&](size_t at, const char* s) { return text.compare(at, std::strlen(s), s) == 0; };
  while (i < n) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) >= 0x80) return i;
    if (c == '#') {
      while (i < n && text[i] != '\n') ++i;
    } else if (startsWith(i, "\"\"\"") || startsWith(i, "'''")) {
      const std::string delimiter = text.substr(i, 3);
      const bool escapes = c == '"';
      for (i += 3; i < n && !startsWith(i, delimiter.c_str()); ++i) {
        if (escapes && text[i] == '\\') ++i;
      }
      // Up to two quotes of the same kind may stand right before the end.
      for (i += 3; i < n && text[i] == c; ++i) {
      }
      continue;
    } else if (c == '"' || c == '\'') {
      for (++i; i < n && text[i] != c && text[i] != '\n'; ++i) {
        if (c == '"' && text[i] == '\\' && i + 1 < n && text[i + 1] != '\n') ++i;
      }
    }
    ++i;
  }
  return std::string::npos;
}

Position positionAt(const std::string& text, size_t offset) {
  Position pos{1, 1};
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++pos.line;
      pos.column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++pos.column;
    }
  }
  return pos;
}

bool readToml(const std::string& text, Node& root, ReadError& error) {
  // The library refuses invalid UTF-8 as well, but places the fault one
  // character early; this names the offending byte.
  std::u32string chars;
  size_t bad = 0;
  if (!decodeUtf8(text, chars, bad)) {
    error.pos = positionAt(text, bad);
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(text[bad]));
    error.message = std::string("invalid UTF-8 (byte ") + byte + ")";
    return false;
  }
  const size_t outside = nonAsciiOutsideStrings(text);
  if (outside != std::string::npos) {
    error.pos = positionAt(text, outside);
    error.message = "a character beyond ASCII outside a string; keys with such characters must be quoted (\"gr\xC3\xBC\xC3\x9F" "e\" = ...)";
    return false;
  }
  toml::parse_result result = toml::parse(std::string_view(text), std::string_view());
  if (!result) {
    error.pos = positionOf(result.error().source());
    error.message = std::string(result.error().description());
    return false;
  }
  root = convertTable(result.table());
  root.pos = Position{1, 1};
  return true;
}

}  // namespace zvt::pack
