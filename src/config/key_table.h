// Every configuration key and message id the launcher reads, as data: which
// accessor reads it, with what capacity, and what it means. Tools (zvtpack
// show) and tests use the same table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zvt::config {

enum class Accessor { Int, Str, WStr, Copy, StrAndWStr };

struct KeyInfo {
  uint32_t id;
  Accessor accessor;
  size_t capacity;  // bytes or units including the terminator; 0 for int/copy
  const char* meaning;
};

struct MessageInfo {
  uint32_t id;
  const char* use;
  const wchar_t* defaultText;  // the text stored blocks carry by default (English)
};

// Sorted by id. Version-specific option lines (10201 + 2i, 10202 + 2i) are
// described by keyInfo() on demand.
const KeyInfo* keyTable(size_t& count);
const MessageInfo* messageTable(size_t& count);

// Null for ids the launcher does not read.
const KeyInfo* keyInfo(uint32_t id);
const MessageInfo* messageInfo(uint32_t id);

}  // namespace zvt::config
