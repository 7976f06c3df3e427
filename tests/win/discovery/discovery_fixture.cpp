#include "discovery_fixture.h"

#include <cstdio>

#include "base/handle.h"
#include "base/log_sink.h"
#include "base/registry_win32.h"
#include "base/text.h"
#include "config/accessors.h"
#include "jvm/discovery/version_cache_rules.h"
#include "runtime/paths.h"

namespace zvt::test {

namespace {

std::vector<std::wstring>& captured() {
  static std::vector<std::wstring> lines;
  return lines;
}

void capture(bool isError, const std::wstring& text) {
  captured().push_back((isError ? L"ERROR: " : L"") + text);
}

}  // namespace

ScopedConfig::~ScopedConfig() {
  auto& entries = config::current().entries;
  for (const auto& [key, previous] : saved_) {
    if (previous.first)
      entries[key] = previous.second;
    else
      entries.erase(key);
  }
}

void ScopedConfig::set(uint32_t key, const std::string& value) {
  auto& entries = config::current().entries;
  if (saved_.count(key) == 0) {
    auto it = entries.find(key);
    saved_[key] = it == entries.end() ? std::make_pair(false, std::string()) : std::make_pair(true, it->second);
  }
  entries[key] = value;
}

LogLines::LogLines() {
  captured().clear();
  setLogWriter(&capture);
}
LogLines::~LogLines() {
  setLogWriter(nullptr);
  // A failed check is explained by what the code logged on the way to it
  // (a probe that could not start, a cache entry refused).
  if (::testing::Test::HasFailure())
    for (const auto& line : captured()) std::fprintf(stderr, "  log: %s\n", toNarrow(line).c_str());
}

bool LogLines::contains(const std::wstring& line) const {
  for (const auto& l : captured())
    if (l == line) return true;
  return false;
}

std::vector<std::wstring> LogLines::startingWith(const std::wstring& prefix) const {
  std::vector<std::wstring> lines;
  for (const auto& l : captured())
    if (l.compare(0, prefix.size(), prefix) == 0) lines.push_back(l);
  return lines;
}

void LogLines::clear() {
  captured().clear();
}

std::string narrow(const std::wstring& path) {
  return toNarrow(path);
}

std::string lowerNarrow(const std::wstring& path) {
  std::wstring lower = path;
  CharLowerBuffW(&lower[0], static_cast<DWORD>(lower.size()));
  return toNarrow(lower);
}

void layOut(const std::wstring& home, const standin::RuntimeLayout& layout) {
  std::wstring error;
  ASSERT_TRUE(standin::layOutRuntime(home, layout, &error)) << utf16ToUtf8(error);
}

standin::RuntimeLayout runtimeReporting(const std::string& version) {
  standin::RuntimeLayout layout;
  layout.versionText = "openjdk version \"" + version + "\" 2024-01-16\r\nOpenJDK Runtime Environment\r\n";
  return layout;
}

std::wstring javaExeOf(const std::wstring& home) {
  return home + L"\\bin\\java.exe";
}

CacheEntry readCacheEntry(const std::string& canonicalJavaExe) {
  CacheEntry entry;
  UniqueRegKey key = registry::openKey(HKEY_CURRENT_USER, toWide(versionCacheKeyName(canonicalJavaExe)), KEY_READ);
  if (!key) return entry;
  entry.exists = true;
  registry::Value time = registry::queryValue(key.get(), L"LastWriteTime");
  entry.timeType = time.type;
  entry.time = time.bytes;
  registry::Value version = registry::queryValue(key.get(), L"Version");
  entry.versionType = version.type;
  entry.version = version.bytes;
  return entry;
}

std::wstring storedText(const std::vector<uint8_t>& bytes) {
  if (bytes.size() % 2 != 0) return L"<malformed>";
  std::wstring text;
  for (size_t i = 0; i < bytes.size(); i += 2) text.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
  if (text.find(L'\0') != std::wstring::npos) return L"<malformed>";
  return text;
}

void writeCacheEntry(const std::string& canonicalJavaExe, const std::vector<uint8_t>& time,
                     const std::wstring& version) {
  UniqueRegKey key =
      registry::createKey(HKEY_CURRENT_USER, toWide(versionCacheKeyName(canonicalJavaExe)), KEY_ALL_ACCESS);
  ASSERT_TRUE(key.valid());
  ASSERT_EQ(ERROR_SUCCESS, registry::setRaw(key.get(), L"LastWriteTime", REG_BINARY, time.data(), time.size()));
  ASSERT_EQ(ERROR_SUCCESS,
            registry::setRaw(key.get(), L"Version", REG_SZ, version.data(), version.size() * sizeof(wchar_t)));
}

void deleteCacheEntry(const std::string& canonicalJavaExe) {
  registry::deleteTree(HKEY_CURRENT_USER, toWide(versionCacheKeyName(canonicalJavaExe)));
}

uint64_t lastWriteTime(const std::wstring& path) {
  uint64_t time = 0;
  EXPECT_TRUE(fileTime(path, &time)) << utf16ToUtf8(path);
  return time;
}

void setLastWriteTime(const std::wstring& path, uint64_t time) {
  UniqueHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid()) << utf16ToUtf8(path);
  FILETIME ft{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
  ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &ft));
}

std::vector<uint8_t> timeBytes(uint64_t time) {
  std::vector<uint8_t> bytes(8);
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(time >> (8 * i));
  return bytes;
}

std::vector<std::string> traceRecords(const std::wstring& home, const std::string& event) {
  std::vector<std::string> records;
  for (const std::string& line : standin::traceLines(home))
    if (line.find(event) != std::string::npos) records.push_back(line);
  return records;
}

}  // namespace zvt::test
