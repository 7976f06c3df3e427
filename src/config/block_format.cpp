#include "config/block_format.h"

#include "base/text.h"

namespace zvt::block {

uint32_t crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putU64(std::vector<uint8_t>& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putMessages(std::vector<uint8_t>& out, const std::vector<Message>& messages) {
  putU32(out, static_cast<uint32_t>(messages.size()));
  for (const Message& m : messages) {
    putU32(out, m.id);
    putU32(out, static_cast<uint32_t>(m.text.size() * 2));
    appendUtf16Le(out, m.text);
  }
}

}  // namespace

std::vector<uint8_t> write(const Content& content) {
  std::vector<uint8_t> body;
  putU32(body, static_cast<uint32_t>(content.entries.size()));
  for (const Entry& e : content.entries) {
    putU32(body, e.id);
    putU32(body, static_cast<uint32_t>(e.value.size()));
    body.insert(body.end(), e.value.begin(), e.value.end());
  }
  putMessages(body, content.messages);
  putU32(body, static_cast<uint32_t>(content.sets.size()));
  for (const LocalizedSet& s : content.sets) {
    putU32(body, static_cast<uint32_t>(s.locale.size()));
    body.insert(body.end(), s.locale.begin(), s.locale.end());
    putMessages(body, s.messages);
  }
  for (const IncludedFile& f : content.files) {
    putU64(body, f.content.size());
    for (uint8_t b : f.content) body.push_back(static_cast<uint8_t>(b ^ kPayloadMask));
  }
  // Trailer: the magic again, big-endian, and a zero word.
  body.push_back(static_cast<uint8_t>(kMagic >> 24));
  body.push_back(static_cast<uint8_t>(kMagic >> 16));
  body.push_back(static_cast<uint8_t>(kMagic >> 8));
  body.push_back(static_cast<uint8_t>(kMagic));
  putU32(body, 0);

  std::vector<uint8_t> out;
  out.reserve(kHeaderSize + body.size());
  putU32(out, kMagic);
  putU32(out, 0);  // reserved word: always 0 in blocks we write
  putU32(out, crc32(body.data(), body.size()));
  putU64(out, body.size());
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace zvt::block
