// Errors found in a configuration file, each with its position, reported
// together so that one run shows every fault.
#pragma once

#include <string>
#include <vector>

#include "toml_tree.h"

namespace zvt::pack {

struct Diagnostic {
  Position pos;
  std::string message;
};

class Diagnostics {
 public:
  void error(const Position& pos, std::string message);
  bool empty() const { return list_.empty(); }
  size_t size() const { return list_.size(); }
  // In file order.
  std::vector<Diagnostic> sorted() const;
  // "file:line:column: error: message", one a line, in file order.
  std::string format(const std::string& file) const;

 private:
  std::vector<Diagnostic> list_;
};

// The closest of `candidates` to `word` when it is close enough to be a
// likely misspelling (a few edits, or the same word in another case), else
// empty.
std::string closestMatch(const std::string& word, const std::vector<std::string>& candidates);

}  // namespace zvt::pack
