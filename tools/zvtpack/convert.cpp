#include "convert.h"

#include "code_page.h"
#include "config/key_table.h"
#include "config/keys.h"
#include "description.h"
#include "file_io.h"
#include "show.h"
#include "unicode.h"

namespace zvt::pack {
namespace {

bool hasHighBytes(const std::string& s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return true;
  }
  return false;
}

}  // namespace

ConvertResult convertDescription(const ConvertInput& input) {
  ConvertResult result;
  Description d;
  std::vector<DescriptionNote> notes;
  if (!parseDescription(input.text, d, result.error, &notes)) {
    result.error = input.descriptionPath + ": " + result.error;
    return result;
  }
  auto warn = [&](int line, size_t column, const std::string& text) {
    result.warnings.push_back(input.descriptionPath + ":" + std::to_string(line) + ":" + std::to_string(column) +
                              ": warning: " + text);
  };
  for (const DescriptionNote& n : notes) warn(n.line, n.column, n.text);

  const CodePage& cp = *CodePage::find(input.codePage);
  block::Content content;
  for (size_t i = 0; i < d.content.entries.size(); ++i) {
    block::Entry e = d.content.entries[i];
    const int line = i < d.entryLines.size() ? d.entryLines[i] : 0;
    if (e.id == key::kIncludedFileCount || e.id == key::kIncludedFileNames) {
      warn(line, 1, "key " + std::to_string(e.id) + " dropped: the packer writes it from the [[files]] it includes");
      continue;
    }
    std::u32string chars;
    size_t bad = 0;
    if (hasHighBytes(e.value) && decodeUtf8(e.value, chars, bad)) {
      // Typed in UTF-8 and stored byte for byte by the old packer ("Ä" became
      // "Ã„" on Windows): the configuration means the characters.
      std::string stored;
      for (char32_t c : chars) {
        int b = cp.encode(c);
        if (b < 0) {
          result.error = input.descriptionPath + ":" + std::to_string(line) + ": " + describeChar(c) +
                         " cannot be stored in code page " + std::to_string(cp.number());
          return result;
        }
        stored.push_back(static_cast<char>(b));
      }
      warn(line, 1,
           "key " + std::to_string(e.id) +
               ": UTF-8 text, which the old packer stored as raw bytes; converted to code page " +
               std::to_string(cp.number()));
      e.value = stored;
    }
    content.entries.push_back(e);
  }
  content.messages = d.content.messages;
  content.sets = d.content.sets;

  std::vector<std::string> names;
  ShowOptions options;
  options.codePage = input.codePage;
  for (const FileRef& f : d.files) {
    names.push_back(f.name);
    content.files.emplace_back();
    const std::string fromDescription = relativeTo(f.path, directoryOf(input.descriptionPath));
    options.fileSources.push_back(relativePath(fromDescription, input.outputDirectory));
  }
  if (!names.empty()) {
    std::string joined;
    for (const std::string& n : names) joined += (joined.empty() ? "" : ";") + n;
    content.entries.push_back(block::Entry{key::kIncludedFileCount, std::to_string(names.size())});
    content.entries.push_back(block::Entry{key::kIncludedFileNames, joined});
  }
  options.addShippedTexts = true;
  size_t count = 0;
  const config::MessageInfo* shipped = config::messageTable(count);
  for (size_t i = 0; i < count; ++i) {
    bool given = false;
    for (const block::Message& m : content.messages) given = given || m.id == shipped[i].id;
    if (!given && *shipped[i].defaultText) {
      result.warnings.push_back(input.descriptionPath + ": note: message " + std::to_string(shipped[i].id) + " (" +
                                shipped[i].name + ") is not set; the packer stores the launcher's English text");
    }
  }
  ShowResult shown = showBlock(content, names, options);
  result.toml = shown.text;
  for (const std::string& note : shown.notes) result.warnings.push_back(input.descriptionPath + ": note: " + note);
  result.ok = true;
  return result;
}

}  // namespace zvt::pack
