#include "toml_writer.h"

#include <cstdio>

namespace zvt::pack {
namespace {

bool isBareKeyChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

bool isControl(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

std::string basicString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (isControl(c)) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04X", c);
          out += buf;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  return out + "\"";
}

}  // namespace

std::string tomlKey(const std::string& key) {
  if (key.empty()) return "\"\"";
  for (char c : key) {
    if (!isBareKeyChar(c)) return basicString(key);
  }
  return key;
}

std::string tomlString(const std::string& utf8) {
  bool backslash = false;
  bool literalOk = true;
  for (unsigned char c : utf8) {
    if (c == '\\') backslash = true;
    if (c == '\'' || (isControl(c) && c != '\t')) literalOk = false;
  }
  return backslash && literalOk ? "'" + utf8 + "'" : basicString(utf8);
}

std::string tomlValue(const Node& v) {
  switch (v.type) {
    case Node::Type::String:
      return tomlString(v.string);
    case Node::Type::Integer:
      return std::to_string(v.integer);
    case Node::Type::Boolean:
      return v.boolean ? "true" : "false";
    case Node::Type::Array: {
      bool tables = !v.items.empty() && v.items[0].type == Node::Type::Table;
      std::string out = "[";
      for (size_t i = 0; i < v.items.size(); ++i) {
        if (tables) {
          out += "\n  " + tomlValue(v.items[i]) + ",";
        } else {
          out += (i == 0 ? "" : ", ") + tomlValue(v.items[i]);
        }
      }
      return out + (tables ? "\n]" : "]");
    }
    case Node::Type::Table: {
      std::string out = "{ ";
      for (size_t i = 0; i < v.members.size(); ++i) {
        out += (i == 0 ? "" : ", ") + tomlKey(v.members[i].key) + " = " + tomlValue(v.members[i].value);
      }
      return out + (v.members.empty() ? "}" : " }");
    }
    default:
      break;
  }
  return "\"\"";
}

}  // namespace zvt::pack
