// The packer's configuration reader and checks over arbitrary text, and one
// property on top: whatever they accept, "show" prints in a form they accept
// again as the same block.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings.h"
#include "show.h"
#include "toml_reader.h"

namespace {

class EveryFileExists final : public zvt::pack::FileProbe {
 public:
  zvt::pack::FileKind kind(const std::string& path) const override {
    return path.find("dir") != std::string::npos ? zvt::pack::FileKind::Directory : zvt::pack::FileKind::Regular;
  }
};

bool read(const std::string& text, zvt::pack::PackPlan& plan, zvt::pack::Scope scope = zvt::pack::Scope::Fragment) {
  zvt::pack::Node root;
  zvt::pack::ReadError error;
  if (!zvt::pack::readToml(text, root, error)) {
    // A refusal always says why.
    if (error.message.empty()) __builtin_trap();
    return false;
  }
  static const EveryFileExists probe;
  zvt::pack::ReadContext context;
  context.source = &text;
  context.files = &probe;
  context.scope = scope;
  zvt::pack::Diagnostics diagnostics;
  bool ok = zvt::pack::buildPlan(root, context, plan, diagnostics);
  if (ok != diagnostics.empty()) __builtin_trap();
  return ok;
}

bool sameMessages(const std::vector<zvt::block::Message>& a, const std::vector<zvt::block::Message>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].id != b[i].id || a[i].text != b[i].text) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Every setting on its own; a whole configuration asks only for more.
  zvt::pack::PackPlan plan;
  zvt::pack::PackPlan whole;
  const bool wholeOk = read(text, whole, zvt::pack::Scope::WholeConfiguration);
  if (!read(text, plan)) {
    if (wholeOk) __builtin_trap();
    return 0;
  }

  zvt::pack::ShowOptions options;
  options.codePage = plan.codePage;
  std::vector<std::string> names;
  for (const zvt::pack::IncludedFilePlan& f : plan.files) {
    names.push_back(f.name);
    options.fileSources.push_back(f.source);
    plan.content.files.emplace_back();
  }
  zvt::pack::ShowResult shown = zvt::pack::showBlock(plan.content, names, options);
  zvt::pack::PackPlan again;
  if (!read(shown.text, again)) __builtin_trap();
  const zvt::block::Content& a = plan.content;
  const zvt::block::Content& b = again.content;
  if (a.entries.size() != b.entries.size() || !sameMessages(a.messages, b.messages) || a.sets.size() != b.sets.size()) {
    __builtin_trap();
  }
  for (size_t i = 0; i < a.entries.size(); ++i) {
    if (a.entries[i].id != b.entries[i].id || a.entries[i].value != b.entries[i].value) __builtin_trap();
  }
  for (size_t i = 0; i < a.sets.size(); ++i) {
    if (a.sets[i].locale != b.sets[i].locale || !sameMessages(a.sets[i].messages, b.sets[i].messages)) {
      __builtin_trap();
    }
  }
  return 0;
}
