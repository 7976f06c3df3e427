#include "jvm/launch/class_path.h"

#include "base/log_sink.h"
#include "base/text.h"
#include "config/keys.h"

namespace zvt {
namespace {

// Each ";"-separated part of an expanded name made absolute, joined by ";".
// Empty parts add nothing: an empty class-path element would mean the
// working directory to the JVM.
std::string absoluteParts(const std::string& name, PathProbe& probe) {
  std::string text;
  size_t p = 0;
  while (p <= name.size()) {
    size_t stop = name.find(';', p);
    if (stop == std::string::npos) stop = name.size();
    if (stop > p) {
      if (!text.empty()) text += ';';
      text += probe.absolute(name.substr(p, stop - p));
    }
    p = stop + 1;
  }
  return text;
}

std::optional<PathFailure> appendArchiveOrDirectory(const ClassPathEntry& entry, PathProbe& probe, std::string& path) {
  std::string name = entry.name;
  probe.expand(name);
  std::string text = absoluteParts(name, probe);
  bool found = !text.empty() && probe.exists(text);
  logText(L"path element " + widenBytes(text) + L" exists " + decimal(found ? 1 : 0));
  if (!found && entry.required) return PathFailure{msg::kClassPathEntryMissing, name};
  if (!text.empty()) path += text + ";";
  return std::nullopt;
}

std::optional<PathFailure> appendVariable(const ClassPathEntry& entry, PathProbe& probe, std::string& path) {
  std::string name = entry.name;
  probe.expand(name);
  std::string value;
  if (!probe.environmentVariable(name, value)) {
    logText(L"variable " + widenBytes(name) + L" is not defined");
    if (entry.required) return PathFailure{msg::kClassPathVariableUndefined, name};
    return std::nullopt;
  }
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  // An empty value adds no element (an empty one would mean the working
  // directory).
  if (value.empty()) return std::nullopt;
  path += value;
  if (value.back() != ';') path += ';';
  return std::nullopt;
}

std::optional<PathFailure> appendScanned(const ClassPathEntry& entry, PathKind kind, PathProbe& probe,
                                         std::string& path) {
  std::string name = entry.name;
  probe.expand(name);
  std::string directory = probe.absolute(name);
  bool found = false;
  if (kind == PathKind::ClassPath) {
    found = scanArchives(path, probe, directory, "jar");
    scanArchives(path, probe, directory, "zip");
  } else {
    // Listed whether it exists or not, like a missing "A" or "D" entry on the
    // class path: the JVM skips a module-path directory that is not there,
    // so leaving it out would only change the rest of the command line (no
    // --module-path and --add-modules, the runtime jar on the class path)
    // with the state of the disk.
    found = probe.exists(directory);
    path += directory + ";";
  }
  if (!found && entry.required) return PathFailure{msg::kClassPathEntryMissing, name};
  return std::nullopt;
}

}  // namespace

std::vector<ClassPathEntry> parseClassPathEntries(const std::string& value) {
  std::vector<ClassPathEntry> entries;
  size_t p = 0;
  while (p < value.size()) {
    size_t stop = value.find(';', p);
    if (stop == std::string::npos) stop = value.size();
    if (stop > p) {
      ClassPathEntry entry;
      entry.type = value[p];
      entry.required = stop - p >= 2 && value[p + 1] == '1';
      if (stop - p > 2) entry.name = value.substr(p + 2, stop - p - 2);
      entries.push_back(entry);
    }
    p = stop + 1;
  }
  return entries;
}

std::optional<PathFailure> appendConfiguredPath(const std::string& value, PathKind kind, PathProbe& probe,
                                                std::string& path) {
  logText(L"entry " + widenBytes(value));
  std::vector<ClassPathEntry> entries = parseClassPathEntries(value);
  logText(L"entries " + decimal(static_cast<long long>(entries.size())));
  for (const ClassPathEntry& entry : entries) {
    std::optional<PathFailure> failure;
    switch (entry.type) {
      case 'A':
      case 'D':
        failure = appendArchiveOrDirectory(entry, probe, path);
        break;
      case 'E':
        failure = appendVariable(entry, probe, path);
        break;
      case 'S':
        failure = appendScanned(entry, kind, probe, path);
        break;
      default:
        logText(L"entry of unknown type " + widenBytes(std::string(1, entry.type)) + L" ignored");
        break;
    }
    if (failure) return failure;
  }
  return std::nullopt;
}

bool scanArchives(std::string& path, PathProbe& probe, const std::string& directory, const std::string& extension) {
  std::vector<std::string> files;
  bool exists = probe.listArchives(directory, extension, files);
  for (const std::string& file : files) path += file + ";";
  return exists;
}

void removeTrailingSeparator(std::string& path) {
  if (!path.empty() && path.back() == ';') path.pop_back();
}

}  // namespace zvt
