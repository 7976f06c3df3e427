#include "pack.h"

#include "config/block_reader.h"
#include "config/byte_source.h"
#include "config/keys.h"
#include "config/pe_layout.h"

namespace zvt::pack {

namespace {

std::string narrow(const wchar_t* text) {
  std::string out;
  for (; *text; ++text) out.push_back(static_cast<char>(*text));
  return out;
}

void setEntry(block::Content& content, uint32_t id, const std::string& value) {
  for (auto it = content.entries.begin(); it != content.entries.end();) {
    it = it->id == id ? content.entries.erase(it) : it + 1;
  }
  content.entries.push_back(block::Entry{id, value});
}

}  // namespace

void setIncludedFileEntries(block::Content& content, const std::vector<std::string>& fileNames) {
  if (fileNames.empty()) return;
  std::string names;
  for (const auto& n : fileNames) names += (names.empty() ? "" : ";") + n;
  setEntry(content, key::kIncludedFileCount, std::to_string(fileNames.size()));
  setEntry(content, key::kIncludedFileNames, names);
}

bool packImage(const std::vector<uint8_t>& image, const block::Content& content, std::vector<uint8_t>& out,
               std::string& error) {
  PeLayout layout;
  if (!readPeLayout(image, layout, error)) return false;
  if (layout.hasCertificateTable) {
    error =
        "the executable carries a certificate table (it is signed); pack the unsigned launcher and sign after packing";
    return false;
  }
  out.assign(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(layout.blockOffset));
  std::vector<uint8_t> block = block::write(content);
  out.insert(out.end(), block.begin(), block.end());
  return true;
}

namespace {

bool readMessages(BlockReader& r, std::vector<block::Message>& into) {
  uint32_t count;
  if (!r.readInt(count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    block::Message m;
    if (!r.readInt(m.id) || !r.readWString(m.text)) return false;
    into.push_back(std::move(m));
  }
  return true;
}

bool readBody(BlockReader& r, const std::vector<uint8_t>& image, block::Content& content,
              std::vector<std::string>& fileNames) {
  uint32_t count;
  if (!r.readInt(count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    block::Entry e;
    if (!r.readInt(e.id) || !r.readString(e.value)) return false;
    content.entries.push_back(std::move(e));
  }
  if (!readMessages(r, content.messages)) return false;
  if (!r.readInt(count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    block::LocalizedSet s;
    if (!r.readString(s.locale) || !readMessages(r, s.messages)) return false;
    content.sets.push_back(std::move(s));
  }
  // Included files: as many as entry 2002 counts and 2003 names.
  long long files = 0;
  std::string names;
  for (const auto& e : content.entries) {
    if (e.id == key::kIncludedFileCount) files = std::atoll(e.value.c_str());
    if (e.id == key::kIncludedFileNames) names = e.value;
  }
  size_t start = 0;
  for (long long i = 0; i < files && start <= names.size(); ++i) {
    size_t semi = names.find(';', start);
    std::string name = names.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
    if (name.empty()) break;
    uint64_t size;
    if (!r.readLong(size)) return false;
    if (size > image.size() - r.position()) {
      r.fail(ReadFailure::ReadLong);
      return false;
    }
    block::IncludedFile f;
    f.content.assign(image.begin() + static_cast<std::ptrdiff_t>(r.position()),
                     image.begin() + static_cast<std::ptrdiff_t>(r.position() + size));
    for (auto& b : f.content) b ^= block::kPayloadMask;
    r.seek(r.position() + size);
    content.files.push_back(std::move(f));
    fileNames.push_back(name);
    if (semi == std::string::npos) break;
    start = semi + 1;
  }
  return true;
}

}  // namespace

bool readPackedBlock(const std::vector<uint8_t>& image, block::Content& content, std::vector<std::string>& fileNames,
                     std::string& error) {
  PeLayout layout;
  if (!readPeLayout(image, layout, error)) return false;
  MemorySource source(image);
  BlockReader r(source);
  uint32_t magic;
  r.seek(layout.blockOffset);
  if (!r.readInt(magic) || magic != block::kMagic) {
    error = "no configuration block behind the last section (not packed?)";
    return false;
  }
  uint32_t word;
  uint64_t length;
  if (!r.readInt(word) || !r.readInt(word) || !r.readLong(length) || !readBody(r, image, content, fileNames)) {
    error = "damaged configuration block: " + narrow(fatalTextFor(r.failure()));
    return false;
  }
  return true;
}

}  // namespace zvt::pack
