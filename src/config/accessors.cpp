#include "config/accessors.h"

#include <climits>

#include "base/log_sink.h"
#include "base/text.h"

namespace zvt::config {

LoadedConfiguration& current() {
  static LoadedConfiguration* config = new LoadedConfiguration();  // lives until exit
  return *config;
}

namespace {

const std::string* find(uint32_t id) {
  const auto& entries = current().entries;
  auto it = entries.find(id);
  return it == entries.end() ? nullptr : &it->second;
}

}  // namespace

std::string getConfigString(uint32_t id, size_t capacity) {
  const std::string* value = find(id);
  if (!value || capacity == 0) return std::string();
  // Stored values are C strings for every reader: an embedded NUL ends them.
  std::string text = value->substr(0, value->find('\0'));
  size_t limit = capacity - 1;
  if (text.size() > limit) {
    logErrorText(L"config string " + decimal(id) + L" truncated (" + decimal(static_cast<long long>(capacity)) +
                 L" " + decimal(static_cast<long long>(text.size())) + L")");
    text.resize(limit);
  }
  return text;
}

std::wstring decodeConfigText(const std::string& text) {
  if (current().decodeText) return current().decodeText(text);
  std::wstring out;
  out.reserve(text.size());
  for (unsigned char c : text) out.push_back(c < 0x80 ? static_cast<wchar_t>(c) : static_cast<wchar_t>(0xFFFD));
  return out;
}

std::wstring getConfigStringW(uint32_t id, size_t capacity) {
  const std::string* value = find(id);
  if (!value || capacity == 0) return std::wstring();
  std::wstring text = decodeConfigText(value->substr(0, value->find('\0')));
  if (text.size() > capacity - 1) {
    size_t keep = capacity - 1;
    // A high surrogate without its partner would be a broken character.
    if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep;
    text.resize(keep);
  }
  return text;
}

std::string getConfigStringCopy(uint32_t id) {
  const std::string* value = find(id);
  return value ? value->substr(0, value->find('\0')) : std::string();
}

int parseInt(const std::string& text) {
  size_t i = 0;
  auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; };
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;  // saturated below; stop before overflow
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int getConfigInt(uint32_t id) { return parseInt(getConfigString(id, kBufferCapacity)); }

bool getConfigFlag(uint32_t id) { return getConfigInt(id) != 0; }

int getConfigIntOr(uint32_t id, int whenAbsent) {
  return current().entries.count(id) != 0 ? getConfigInt(id) : whenAbsent;
}

std::wstring getMessage(uint32_t id, size_t capacity) {
  const auto& messages = current().messages;
  auto it = messages.find(id);
  if (it == messages.end() || capacity == 0) return std::wstring();
  std::wstring text = it->second.substr(0, it->second.find(L'\0'));
  if (text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}

std::wstring getMessageText(uint32_t id) {
  std::wstring text = getMessage(id, kBufferCapacity);
  if (text.empty()) text = getConfigStringW(id, kBufferCapacity);
  return text;
}

}  // namespace zvt::config
