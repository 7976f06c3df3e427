// The packer's earlier description parser (read by "convert") over arbitrary
// text: a refusal always says why, and asking for the escape notes never
// changes what is read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "description.h"

namespace {

bool sameMessages(const std::vector<zvt::block::Message>& a, const std::vector<zvt::block::Message>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].id != b[i].id || a[i].text != b[i].text) return false;
  }
  return true;
}

bool sameContent(const zvt::block::Content& a, const zvt::block::Content& b) {
  if (a.entries.size() != b.entries.size() || a.sets.size() != b.sets.size()) return false;
  for (size_t i = 0; i < a.entries.size(); ++i) {
    if (a.entries[i].id != b.entries[i].id || a.entries[i].value != b.entries[i].value) return false;
  }
  for (size_t i = 0; i < a.sets.size(); ++i) {
    if (a.sets[i].locale != b.sets[i].locale || !sameMessages(a.sets[i].messages, b.sets[i].messages)) return false;
  }
  return sameMessages(a.messages, b.messages);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  zvt::pack::Description parsed;
  std::string error;
  if (!zvt::pack::parseDescription(text, parsed, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  zvt::pack::Description again;
  std::vector<zvt::pack::DescriptionNote> notes;
  if (!zvt::pack::parseDescription(text, again, error, &notes)) __builtin_trap();
  if (!sameContent(parsed.content, again.content)) __builtin_trap();
  for (const auto& note : notes) {
    if (note.line < 1 || note.column < 1 || note.text.empty()) __builtin_trap();
  }
  return 0;
}
