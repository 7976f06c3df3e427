#include "json_line.h"

#include <cstdio>

namespace standin {

std::string jsonString(const std::string& utf8Text) {
  std::string out = "\"";
  for (unsigned char c : utf8Text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          out += escape;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

JsonLine::JsonLine(const char* event) : body_("{\"ev\":" + jsonString(event)) {}

void JsonLine::key(const char* name) { body_ += "," + jsonString(name) + ":"; }

JsonLine& JsonLine::text(const char* name, const std::string& utf8Text) {
  key(name);
  body_ += jsonString(utf8Text);
  return *this;
}

JsonLine& JsonLine::number(const char* name, int64_t value) {
  key(name);
  body_ += std::to_string(value);
  return *this;
}

JsonLine& JsonLine::flag(const char* name, bool value) {
  key(name);
  body_ += value ? "true" : "false";
  return *this;
}

JsonLine& JsonLine::raw(const char* name, const std::string& json) {
  key(name);
  body_ += json;
  return *this;
}

JsonLine& JsonLine::texts(const char* name, const std::vector<std::string>& utf8Texts) {
  std::string array = "[";
  for (size_t i = 0; i < utf8Texts.size(); ++i) array += (i ? "," : "") + jsonString(utf8Texts[i]);
  return raw(name, array + "]");
}

}  // namespace standin
