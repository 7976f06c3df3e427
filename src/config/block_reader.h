// Reading the configuration block: the typed read operations, the walk over
// the PE headers that finds the block, and the whole load into maps. Pure
// logic over a ByteSource; the Win32 loader turns a failure into the fatal
// end of the process.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "config/byte_source.h"

namespace zvt {

enum class ReadFailure { None, ReadLong, ReadInt, ReadShort, ReadString, ReadWString, Magic };

// The fatal text shown for a failure ("Internal Error: readInt", ...).
const wchar_t* fatalTextFor(ReadFailure failure);

class BlockReader {
 public:
  explicit BlockReader(ByteSource& source) : source_(source) {}

  // Each reads at the current position with one read of exactly its width;
  // fewer bytes than asked is a failure. After the first failure every call
  // fails and failure() names the operation that failed first.
  bool readLong(uint64_t& value);
  bool readInt(uint32_t& value);
  bool readShort(uint16_t& value);
  // Length-prefixed strings. A length larger than what is left in the
  // source fails before anything is allocated.
  bool readString(std::string& value);
  bool readWString(std::wstring& value);

  bool seek(uint64_t offset) { return source_.seek(offset); }
  uint64_t position() const { return source_.position(); }
  ReadFailure failure() const { return failure_; }
  void fail(ReadFailure f) {
    if (failure_ == ReadFailure::None) failure_ = f;
  }

 private:
  bool readExact(void* dst, uint32_t size, uint32_t& got);
  bool fitsInRest(uint64_t length) const;

  ByteSource& source_;
  ReadFailure failure_ = ReadFailure::None;
};

// Where the block starts: right behind the raw data of the last entry of the
// PE section table. Logs the header values on the way. Every false return
// has recorded a failure in the reader; a failed seek is the failure of the
// read it was for.
bool locateBlock(BlockReader& reader, uint64_t& blockOffset);

// Configuration text is 8-bit text in the code page the block was written
// for; this turns it into UTF-16. The Win32 loader gives the one conversion
// of the launcher (the file functions' code page) when it loads a block.
using TextDecoder = std::wstring (*)(const std::string& text);

struct LoadedConfiguration {
  std::map<uint32_t, std::string> entries;
  std::map<uint32_t, std::wstring> messages;
  std::string language;  // two letters, always set after a successful load
  std::string country;   // two letters, only for a five-character locale
  uint64_t payloadOffset = 0;
  TextDecoder decodeText = nullptr;
};

// Reads the block of a PE image: header walk, magic, entries, messages, then
// the localized sets matching the locale (a prefix comparison against the
// set's code). On failure `out` may be partly filled and must not be used.
// The locale is asked for once the messages are read, so a block damaged
// before them never asks (the launcher's detection logs what it found).
using LocaleSource = std::function<std::string()>;
ReadFailure loadBlock(ByteSource& source, const LocaleSource& locale, LoadedConfiguration& out);
// The same with a locale known in advance.
ReadFailure loadBlock(ByteSource& source, const std::string& locale, LoadedConfiguration& out);

// Splits a detected locale ("de", "de_AT") into language and country.
void splitLocale(const std::string& locale, std::string& language, std::string& country);

}  // namespace zvt
