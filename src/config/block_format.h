// The launcher configuration block: the data appended behind the last PE
// section of a packed launcher.
//
//   header  u32 magic 0xE8E413D5 | u32 reserved (0) | u32 CRC-32 of the body
//           | u64 body length (bytes from offset 20 to the end of the body)
//   body    u32 N, N x (u32 id, u32 len, len ANSI bytes)          entries
//           u32 M, M x (u32 id, u32 len, len bytes UTF-16LE)      messages
//           u32 S, S x (u32 len, len bytes locale, u32 K, K messages)
//           included files: u64 size, size bytes, each XORed with kPayloadMask
//           trailer: magic in big-endian byte order, then u32 0
// All integers little-endian; strings carry no terminator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zvt::block {

constexpr uint32_t kMagic = 0xE8E413D5u;
constexpr size_t kHeaderSize = 20;

// Every byte of an included file is stored XORed with this mask. The value is
// arbitrary but fixed: the packer and the launcher must agree on it, and
// changing it breaks every packed executable in the field.
constexpr uint8_t kPayloadMask = 0x5A;

struct Entry {
  uint32_t id = 0;
  std::string value;  // ANSI code page bytes
};

struct Message {
  uint32_t id = 0;
  std::wstring text;  // UTF-16 code units
};

struct LocalizedSet {
  std::string locale;  // "de", "de_AT", or empty (matches every locale)
  std::vector<Message> messages;
};

struct IncludedFile {
  std::vector<uint8_t> content;  // plain bytes; masked when written
};

// Everything one block holds, in stored order (entries may repeat an id: the
// loader keeps the last one).
struct Content {
  std::vector<Entry> entries;
  std::vector<Message> messages;
  std::vector<LocalizedSet> sets;
  std::vector<IncludedFile> files;
};

// The common reflected CRC-32 (polynomial 0xEDB88320, init and final XOR
// 0xFFFFFFFF).
uint32_t crc32(const uint8_t* data, size_t size);

// Serializes a whole block, header included.
std::vector<uint8_t> write(const Content& content);

}  // namespace zvt::block
