// toml++ as a header-only library, without exceptions: a parse result tells
// about errors, so nothing can escape into the packer as an abort.
#define TOML_EXCEPTIONS 0
#define TOML_ENABLE_FORMATTERS 0
#define TOML_ENABLE_WINDOWS_COMPAT 0
#include "toml_reader.h"

#include "unicode.h"

#include <algorithm>
#include <cstdio>
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

bool readToml(const std::string& text, Node& root, ReadError& error) {
  // The library refuses invalid UTF-8 as well, but places the fault one
  // character early; this names the offending byte.
  std::u32string chars;
  size_t bad = 0;
  if (!decodeUtf8(text, chars, bad)) {
    error.pos = Position{1, 1};
    for (size_t i = 0; i < bad; ++i) {
      if (text[i] == '\n') {
        ++error.pos.line;
        error.pos.column = 1;
      } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
        ++error.pos.column;
      }
    }
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(text[bad]));
    error.message = std::string("invalid UTF-8 (byte ") + byte + ")";
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
