// How checking a configuration grows with the length of one value: the
// packer reads a value once, so time per byte stays flat from 64 KiB to
// 4 MiB, for a value it stores and for one it refuses at every character.
// Prints figures; asserts no time. Fails only when a check gives the wrong
// verdict.
#include <chrono>
#include <cstdio>
#include <string>

#include "settings.h"
#include "toml_reader.h"

namespace {

// Seconds to read and check `text`; `ok` is the verdict.
double check(const std::string& text, bool& ok) {
  const auto start = std::chrono::steady_clock::now();
  zvt::pack::Node root;
  zvt::pack::ReadError error;
  ok = zvt::pack::readToml(text, root, error);
  if (ok) {
    zvt::pack::ReadContext context;
    context.source = &text;
    zvt::pack::PackPlan plan;
    zvt::pack::Diagnostics diagnostics;
    ok = zvt::pack::buildPlan(root, context, plan, diagnostics);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  const std::string head = "[service]\nname = 'Svc'\n[application]\nmain-class = 'a.Main'\n[keys]\n";
  std::printf("| value | bytes | ms | ns per byte |\n|---|---|---|---|\n");
  int failures = 0;
  for (size_t kib : {64, 256, 1024, 4096}) {
    const size_t bytes = kib * 1024;
    std::string stored(bytes, 'x');
    std::string refused;
    for (size_t i = 0; i < bytes / 2; ++i) refused += "\xD0\xAF";  // U+042F, not in code page 1252
    struct Run {
      const char* what;
      std::string text;
      bool expected;
    } runs[] = {{"stored", head + "150 = '" + stored + "'\n", true},
                {"refused", head + "150 = '" + refused + "'\n", false}};
    for (const Run& run : runs) {
      bool ok = false;
      const double seconds = check(run.text, ok);
      if (ok != run.expected) ++failures;
      std::printf("| %s | %zu | %.1f | %.1f |\n", run.what, bytes, seconds * 1e3, seconds * 1e9 / bytes);
    }
  }
  if (failures) std::fprintf(stderr, "bench_pack_scaling: %d wrong verdicts\n", failures);
  return failures ? 1 : 0;
}
