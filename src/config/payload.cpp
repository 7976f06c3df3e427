#include "config/payload.h"

#include <algorithm>

#include "base/capacity.h"
#include "base/log_sink.h"
#include "base/text.h"
#include "config/block_format.h"

namespace zvt {
namespace {

constexpr uint32_t kChunkSize = static_cast<uint32_t>(kBufferCapacity);

template <typename Char>
bool isSeparator(Char c) {
  return c == '\\' || c == '/';
}

template <typename String>
size_t firstSeparator(const String& name) {
  auto it = std::find_if(name.begin(), name.end(), isSeparator<typename String::value_type>);
  return it == name.end() ? String::npos : static_cast<size_t>(it - name.begin());
}

// The port number of COM<n> and LPT<n>: 1 to 9, and the superscripts
// U+00B9, U+00B2 and U+00B3, which Windows takes as the digits 1 to 3.
bool isPortDigit(wchar_t c) {
  return (c >= L'1' && c <= L'9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

// Windows maps these names, with any extension and in any directory, to
// devices: "lib\nul.jar" would write to no file, "con" to the console.
// `component` holds the characters the file system will see.
bool isReservedDeviceName(const std::wstring& component) {
  std::wstring stem = component.substr(0, component.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (auto& c : stem) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* d : kDevices) {
    if (stem == d) return true;
  }
  return stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
         isPortDigit(stem[3]);
}

// Windows drops blanks and dots at the end of a name part and keeps blanks
// at its start; either way the file would not be the one the list names.
bool hasLooseEnds(const std::wstring& part) {
  return !part.empty() && (part.front() == L' ' || part.back() == L' ' || part.back() == L'.');
}

// Characters no Windows file name may hold: the creation would fail.
bool hasForbiddenCharacter(const std::wstring& name) {
  return std::any_of(name.begin(), name.end(), [](wchar_t c) {
    return c < 0x20 || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*';
  });
}

bool writeWhole(ByteSink& target, const uint8_t* data, uint32_t size) {
  while (size > 0) {
    uint32_t written = 0;
    if (!target.write(data, size, written) || written == 0 || written > size) {
      logErrorText(L"WriteFile failed " + decimal(size) + L" " + decimal(target.lastError()));
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace

std::vector<std::string> includedFileNames(const std::string& list, long long count) {
  std::vector<std::string> names;
  size_t start = 0;
  while (static_cast<long long>(names.size()) < count && start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    if (end == start) break;
    names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

const char* refusedNameReason(const std::string& bytes, NameDecoder decode) {
  // Checked as the file functions will read it: in a double-byte code page
  // a trail byte may be 0x5C or 0x7C without being a separator or a bar.
  if (!decode) decode = &widenBytes;
  const std::wstring name = decode(bytes);
  if (name.empty()) return "empty name";
  if (isSeparator(name[0])) return "absolute name";
  if (name.find(L"..") != std::wstring::npos) return "parent directory reference";
  if (name.find(L':') != std::wstring::npos) return "drive or stream colon";
  size_t first = firstSeparator(name);
  if (first != std::wstring::npos &&
      std::any_of(name.begin() + static_cast<std::ptrdiff_t>(first) + 1, name.end(), isSeparator<wchar_t>)) {
    return "more than one directory level";
  }
  if (first + 1 == name.size()) return "empty name part";
  if (hasForbiddenCharacter(name)) return "character not allowed in file names";
  if (hasLooseEnds(name.substr(0, first)) || (first != std::wstring::npos && hasLooseEnds(name.substr(first + 1)))) {
    return "blank or dot at the end of a name part, or blank at its start";
  }
  if (isReservedDeviceName(name.substr(0, first)) ||
      (first != std::wstring::npos && isReservedDeviceName(name.substr(first + 1)))) {
    return "reserved device name";
  }
  return nullptr;
}

std::string directoryLevelOf(const std::string& name) {
  size_t first = firstSeparator(name);
  return first == std::string::npos ? std::string() : name.substr(0, first);
}

std::wstring directoryLevelOf(const std::wstring& name) {
  size_t first = firstSeparator(name);
  return first == std::wstring::npos ? std::wstring() : name.substr(0, first);
}

int copyMasked(ByteSource& source, ByteSink& target, uint64_t size, bool unmask) {
  std::vector<uint8_t> chunk(kChunkSize);
  uint64_t copied = 0;
  while (copied < size) {
    uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(size - copied, kChunkSize));
    uint32_t got = 0;
    bool ok = source.read(chunk.data(), want, got);
    if (!ok || got == 0) {
      logErrorText(L"ReadFile failed " + decimal(got) + L" " + decimal(ok ? 0 : source.lastError()) + L" " +
                   decimalUnsigned(copied));
      return kCopyReadFailed;
    }
    if (unmask) {
      for (uint32_t i = 0; i < got; ++i) chunk[i] ^= block::kPayloadMask;
    }
    if (!writeWhole(target, chunk.data(), got)) return kCopyWriteFailed;
    copied += got;
  }
  return kCopyOk;
}

}  // namespace zvt
