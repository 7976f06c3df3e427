#include "config/block_reader.h"

#include <vector>

#include "base/log_sink.h"
#include "base/text.h"
#include "config/block_format.h"

namespace zvt {

const wchar_t* fatalTextFor(ReadFailure failure) {
  switch (failure) {
    case ReadFailure::ReadLong: return L"Internal Error: readLong";
    case ReadFailure::ReadInt: return L"Internal Error: readInt";
    case ReadFailure::ReadShort: return L"Internal Error: readShort";
    case ReadFailure::ReadString: return L"Internal Error: readString";
    case ReadFailure::ReadWString: return L"Internal Error: readWString";
    case ReadFailure::Magic: return L"Internal Error: magic";
    case ReadFailure::None: break;
  }
  return L"";
}

bool BlockReader::readExact(void* dst, uint32_t size, uint32_t& got) {
  got = 0;
  if (failure_ != ReadFailure::None) return false;
  bool ok = source_.read(dst, size, got);
  return ok && got == size;
}

bool BlockReader::fitsInRest(uint64_t length) const {
  uint64_t total = source_.size();
  uint64_t pos = source_.position();
  return pos <= total && length <= total - pos;
}

bool BlockReader::readLong(uint64_t& value) {
  uint8_t b[8];
  uint32_t got;
  if (!readExact(b, 8, got)) {
    logText(L"error " + decimal(source_.lastError()) + L"\n");
    fail(ReadFailure::ReadLong);
    return false;
  }
  value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | b[i];
  return true;
}

bool BlockReader::readInt(uint32_t& value) {
  uint8_t b[4];
  uint32_t got;
  if (!readExact(b, 4, got)) {
    logText(L"error " + decimal(source_.lastError()) + L" " + decimal(got) + L"\n");
    fail(ReadFailure::ReadInt);
    return false;
  }
  value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  return true;
}

bool BlockReader::readShort(uint16_t& value) {
  uint8_t b[2];
  uint32_t got;
  if (!readExact(b, 2, got)) {
    logText(L"error " + decimal(source_.lastError()) + L"\n");
    fail(ReadFailure::ReadShort);
    return false;
  }
  value = static_cast<uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool BlockReader::readString(std::string& value) {
  uint32_t length;
  if (!readInt(length)) return false;
  // Bound by the bytes really left: a damaged length must not turn into a
  // huge allocation (0xFFFFFFFF + 1 would even wrap to 0 in 32 bits).
  if (!fitsInRest(length)) {
    fail(ReadFailure::ReadString);
    return false;
  }
  value.assign(length, '\0');
  uint32_t got;
  if (length != 0 && !readExact(&value[0], length, got)) {
    fail(ReadFailure::ReadString);
    return false;
  }
  return true;
}

bool BlockReader::readWString(std::wstring& value) {
  uint32_t length;
  if (!readInt(length)) return false;
  if (!fitsInRest(length)) {
    fail(ReadFailure::ReadWString);
    return false;
  }
  std::vector<uint8_t> bytes(length);
  uint32_t got;
  if (length != 0 && !readExact(bytes.data(), length, got)) {
    fail(ReadFailure::ReadWString);
    return false;
  }
  // An odd byte count drops its last byte: the text is length/2 units.
  value = fromUtf16Le(bytes.data(), bytes.size());
  return true;
}

namespace {

// A seek that fails leaves the position wherever it was: the read behind it
// would take bytes from the wrong place. It counts as a failure of that read,
// with its fatal text.
bool seekFor(BlockReader& reader, uint64_t offset, ReadFailure failure) {
  if (reader.seek(offset)) return true;
  logText(L"seek to " + decimalUnsigned(offset) + L" failed");
  reader.fail(failure);
  return false;
}

}  // namespace

bool locateBlock(BlockReader& reader, uint64_t& blockOffset) {
  uint32_t peOffset;
  uint16_t sections;
  uint16_t optionalHeaderSize;
  if (!seekFor(reader, 60, ReadFailure::ReadInt) || !reader.readInt(peOffset)) return false;
  if (!seekFor(reader, uint64_t{peOffset} + 6, ReadFailure::ReadShort) || !reader.readShort(sections)) return false;
  logText(L"number of sections: " + decimal(sections));
  if (!seekFor(reader, uint64_t{peOffset} + 20, ReadFailure::ReadShort) || !reader.readShort(optionalHeaderSize)) {
    return false;
  }
  logText(L"size of optional headers: " + decimal(optionalHeaderSize));
  // T points at SizeOfRawData of the last section header: the PE signature
  // (4), the file header (20) and the optional header precede the table; 40
  // bytes per header, SizeOfRawData at +16 of the last one.
  uint64_t t = uint64_t{peOffset} + optionalHeaderSize + 40ull * sections;
  logText(L"resSectionTableStart: " + decimal(static_cast<long long>(t) - 16));
  uint32_t rawDataSize;
  uint32_t rawDataOffset;
  if (!seekFor(reader, t, ReadFailure::ReadInt) || !reader.readInt(rawDataSize)) return false;
  if (!seekFor(reader, t + 4, ReadFailure::ReadInt) || !reader.readInt(rawDataOffset)) return false;
  logText(L"rawDataSize: " + decimal(rawDataSize) + L", rawDataOffset: " + decimal(rawDataOffset));
  blockOffset = uint64_t{rawDataSize} + rawDataOffset;
  // The block starts with its magic word, read next.
  return seekFor(reader, blockOffset, ReadFailure::ReadInt);
}

void splitLocale(const std::string& locale, std::string& language, std::string& country) {
  language = locale.substr(0, 2);
  country = locale.size() == 5 ? locale.substr(3, 2) : std::string();
}

namespace {

bool readMessages(BlockReader& reader, uint32_t count, std::map<uint32_t, std::wstring>* into) {
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t id;
    std::wstring text;
    if (!reader.readInt(id) || !reader.readWString(text)) return false;
    if (into) (*into)[id] = std::move(text);
  }
  return true;
}

}  // namespace

ReadFailure loadBlock(ByteSource& source, const std::string& locale, LoadedConfiguration& out) {
  return loadBlock(source, LocaleSource([&locale] { return locale; }), out);
}

ReadFailure loadBlock(ByteSource& source, const LocaleSource& localeSource, LoadedConfiguration& out) {
  BlockReader reader(source);
  uint64_t blockOffset = 0;
  uint32_t word;
  uint64_t bodyLength;
  if (!locateBlock(reader, blockOffset)) return reader.failure();
  if (!reader.readInt(word)) return reader.failure();
  if (word != block::kMagic) return ReadFailure::Magic;
  // Reserved word, CRC-32 and body length: read so a short header fails, but
  // not checked; a changed CRC must not stop the launcher.
  if (!reader.readInt(word) || !reader.readInt(word) || !reader.readLong(bodyLength)) return reader.failure();

  uint32_t count;
  if (!reader.readInt(count)) return reader.failure();
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t id;
    std::string value;
    if (!reader.readInt(id) || !reader.readString(value)) return reader.failure();
    out.entries[id] = std::move(value);
  }
  if (!reader.readInt(count) || !readMessages(reader, count, &out.messages)) return reader.failure();

  const std::string locale = localeSource ? localeSource() : std::string();
  splitLocale(locale, out.language, out.country);

  uint32_t sets;
  if (!reader.readInt(sets)) return reader.failure();
  for (uint32_t s = 0; s < sets; ++s) {
    std::string code;
    if (!reader.readString(code)) return reader.failure();
    bool matches = locale.compare(0, code.size(), code) == 0 && code.size() <= locale.size();
    if (!reader.readInt(count) || !readMessages(reader, count, matches ? &out.messages : nullptr)) {
      return reader.failure();
    }
  }
  out.payloadOffset = reader.position();
  return ReadFailure::None;
}

}  // namespace zvt
