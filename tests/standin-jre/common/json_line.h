// One JSON object per trace line, built field by field. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

std::string jsonString(const std::string& utf8Text);

class JsonLine {
 public:
  explicit JsonLine(const char* event);
  JsonLine& text(const char* key, const std::string& utf8Text);
  JsonLine& number(const char* key, int64_t value);
  JsonLine& flag(const char* key, bool value);
  JsonLine& raw(const char* key, const std::string& json);  // already JSON
  JsonLine& texts(const char* key, const std::vector<std::string>& utf8Texts);
  // The finished line, with its line feed.
  std::string str() const { return body_ + "}\n"; }

 private:
  void key(const char* name);
  std::string body_;
};

}  // namespace standin
