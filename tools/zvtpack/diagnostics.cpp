#include "diagnostics.h"

#include <algorithm>

namespace zvt::pack {

void Diagnostics::error(const Position& pos, std::string message) {
  list_.push_back(Diagnostic{pos, std::move(message)});
}

std::vector<Diagnostic> Diagnostics::sorted() const {
  std::vector<Diagnostic> out = list_;
  std::stable_sort(out.begin(), out.end(), [](const Diagnostic& a, const Diagnostic& b) {
    return a.pos.line != b.pos.line ? a.pos.line < b.pos.line : a.pos.column < b.pos.column;
  });
  return out;
}

std::string Diagnostics::format(const std::string& file) const {
  std::string out;
  for (const Diagnostic& d : sorted()) {
    out +=
        file + ":" + std::to_string(d.pos.line) + ":" + std::to_string(d.pos.column) + ": error: " + d.message + "\n";
  }
  return out;
}

namespace {

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Edit distance with adjacent transpositions, case-insensitive.
size_t distance(const std::string& a, const std::string& b) {
  const size_t n = a.size();
  const size_t m = b.size();
  std::vector<std::vector<size_t>> d(n + 1, std::vector<size_t>(m + 1));
  for (size_t i = 0; i <= n; ++i) d[i][0] = i;
  for (size_t j = 0; j <= m; ++j) d[0][j] = j;
  for (size_t i = 1; i <= n; ++i) {
    for (size_t j = 1; j <= m; ++j) {
      const size_t cost = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) && lower(a[i - 2]) == lower(b[j - 1])) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[n][m];
}

}  // namespace

std::string closestMatch(const std::string& word, const std::vector<std::string>& candidates) {
  // Names are short; a long word is no misspelling of any of them, and the
  // distance table stays small for whatever a file holds.
  if (word.size() > 64) return std::string();
  std::string best;
  size_t bestDistance = 0;
  for (const std::string& c : candidates) {
    size_t d = distance(word, c);
    if (best.empty() || d < bestDistance) {
      best = c;
      bestDistance = d;
    }
  }
  const size_t allowed = std::max<size_t>(2, word.size() / 3);
  return !best.empty() && bestDistance <= allowed && bestDistance < std::max(word.size(), best.size()) ? best
                                                                                                       : std::string();
}

}  // namespace zvt::pack
