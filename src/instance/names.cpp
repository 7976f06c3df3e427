#include "instance/names.h"

namespace zvt::instance {

namespace {

// FNV-1a, 64 bit: stable across processes, widths and compilers.
uint64_t hash64(const std::string& text) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  return h;
}

std::string hex64(uint64_t value) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i) {
    out[static_cast<size_t>(i)] = kDigits[value & 0xf];
    value >>= 4;
  }
  return out;
}

}  // namespace

std::string toObjectName(const std::string& instanceKey) {
  std::string out = instanceKey;
  for (char& c : out) {
    if (c == '\\' || c == ' ') c = '_';
  }
  return out;
}

std::string boundedObjectName(const std::string& instanceKey) {
  std::string form = toObjectName(instanceKey);
  if (form.size() <= kMaxObjectNameUnits) return form;
  std::string head = hex64(hash64(form)) + "_";
  return head + form.substr(form.size() - (kMaxObjectNameUnits - head.size()));
}

const char* namespacePrefix(bool global) {
  return global ? "Global\\" : "Local\\";
}

std::string semaphoreBaseName(bool global, const std::string& instanceKey) {
  return namespacePrefix(global) + boundedObjectName(instanceKey);
}

std::string countedName(const std::string& baseName, uint32_t counter) {
  return baseName + std::to_string(counter);
}

}  // namespace zvt::instance
