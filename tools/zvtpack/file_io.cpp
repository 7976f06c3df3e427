#include "file_io.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "new_file.h"

namespace zvt::pack {
namespace fs = std::filesystem;
namespace {

fs::path toPath(const std::string& utf8) {
  return fs::u8path(utf8);
}

std::string describe(const std::error_code& ec) {
  return ec.message();
}

// "16777216 bytes (16 MiB)".
std::string describeSize(uint64_t bytes) {
  std::string text = std::to_string(bytes) + " bytes";
  if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) text += " (" + std::to_string(bytes >> 20) + " MiB)";
  return text;
}

}  // namespace

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error, uint64_t limit) {
  std::error_code ec;
  const fs::path p = toPath(path);
  const fs::file_status status = fs::status(p, ec);
  if (!fs::exists(status)) {
    error = "cannot read " + path + ": no such file";
    return false;
  }
  if (fs::is_directory(status)) {
    error = "cannot read " + path + ": it is a directory";
    return false;
  }
  if (!fs::is_regular_file(status)) {
    error = "cannot read " + path + ": not a regular file";
    return false;
  }
  const uint64_t size = fs::file_size(p, ec);
  if (!ec && size > limit) {
    error = "cannot read " + path + ": it has " + std::to_string(size) + " bytes, more than the limit of " +
            describeSize(limit) + " for such a file";
    return false;
  }
  std::ifstream in(p, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  bytes.clear();
  if (!ec && size < limit) bytes.reserve(static_cast<size_t>(size));
  char buffer[65536];
  // Bounded all the same: the file may grow while it is read.
  while (in) {
    in.read(buffer, sizeof buffer);
    bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    if (bytes.size() > limit) {
      error = "cannot read " + path + ": it has more than the limit of " + describeSize(limit) + " for such a file";
      return false;
    }
  }
  if (in.bad()) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

std::string outputRefusal(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(toPath(path), ec);
  if (!fs::exists(status) || fs::is_regular_file(status)) return std::string();
  const char* what = "something that is not a regular file";
  switch (status.type()) {
    case fs::file_type::directory:
      return "cannot write " + path + ": it is a directory";
    case fs::file_type::symlink:
      what = "a symbolic link";
      break;
    case fs::file_type::fifo:
      what = "a named pipe (FIFO)";
      break;
    case fs::file_type::block:
    case fs::file_type::character:
      what = "a device";
      break;
    case fs::file_type::socket:
      what = "a socket";
      break;
    default:
      break;
  }
  return "cannot write " + path + ": it is " + what +
         ", not a regular file; zvtpack writes only new or regular files (name the file itself, or another path)";
}

namespace {

// A new temporary file beside `target` holding `bytes`; its name in
// `temporary`. Names that exist already are passed over, never opened.
bool writeTemporary(const std::string& target, const std::vector<uint8_t>& bytes, std::string& temporary,
                    std::string& error) {
  static std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = target + ".zvtpack-partial-" + std::to_string(random() % 1000000);
    std::string reason;
    switch (writeNewFile(temporary, bytes, reason)) {
      case NewFile::Written:
        return true;
      case NewFile::Exists:
        continue;
      case NewFile::Failed:
        error = "cannot write " + target + ": " + reason;
        return false;
    }
  }
  error = "cannot write " + target + ": no free name for a temporary file beside it";
  return false;
}

}  // namespace

bool writeFilesAtomically(const std::vector<OutputFile>& files, std::string& error) {
  for (const OutputFile& f : files) {
    error = outputRefusal(f.path);
    if (!error.empty()) return false;
  }
  std::vector<std::string> temporaries;
  auto removeTemporaries = [&temporaries](size_t from) {
    std::error_code ignored;
    for (size_t i = from; i < temporaries.size(); ++i) fs::remove(toPath(temporaries[i]), ignored);
  };
  for (const OutputFile& f : files) {
    std::string temporary;
    if (!writeTemporary(f.path, *f.bytes, temporary, error)) {
      removeTemporaries(0);
      return false;
    }
    temporaries.push_back(temporary);
  }
  for (size_t i = 0; i < files.size(); ++i) {
    std::error_code ec;
    fs::rename(toPath(temporaries[i]), toPath(files[i].path), ec);
    if (ec) {
      removeTemporaries(i);
      error = "cannot replace " + files[i].path + ": " + describe(ec);
      if (i > 0) {
        error += " (written before it:";
        for (size_t k = 0; k < i; ++k) error += " " + files[k].path;
        error += ")";
      }
      return false;
    }
  }
  return true;
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  return writeFilesAtomically({OutputFile{path, &bytes}}, error);
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::exists(toPath(a), ec) && fs::exists(toPath(b), ec) && fs::equivalent(toPath(a), toPath(b), ec) && !ec;
}

bool exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(toPath(path), ec);
}

std::string directoryOf(const std::string& path) {
  return toPath(path).parent_path().u8string();
}

std::string relativeTo(const std::string& path, const std::string& directory) {
  const fs::path p = toPath(path);
  if (p.is_absolute() || p.has_root_directory() || directory.empty()) return path;
  return (toPath(directory) / p).u8string();
}

std::string relativePath(const std::string& path, const std::string& directory) {
  std::error_code ec;
  const fs::path from = fs::absolute(toPath(directory.empty() ? "." : directory), ec).lexically_normal();
  const fs::path to = fs::absolute(toPath(path), ec).lexically_normal();
  fs::path relative = to.lexically_relative(from);
  std::string out = (relative.empty() ? to : relative).generic_u8string();
  return out;
}

bool createDirectories(const std::string& path, std::string& error, std::vector<std::string>* created) {
  std::error_code ec;
  const fs::path target = toPath(path);
  std::vector<std::string> levels;
  for (fs::path p = target; !p.empty() && !fs::exists(fs::symlink_status(p, ec)); p = p.parent_path()) {
    levels.insert(levels.begin(), p.u8string());
    if (p == p.parent_path()) break;
  }
  fs::create_directories(target, ec);
  if (ec || !fs::is_directory(target, ec)) {
    removeCreatedDirectories(levels);
    error = "cannot create directory " + path + (ec ? ": " + describe(ec) : std::string());
    return false;
  }
  if (created) created->insert(created->end(), levels.begin(), levels.end());
  return true;
}

void removeCreatedDirectories(const std::vector<std::string>& created) {
  std::error_code ignored;
  for (auto it = created.rbegin(); it != created.rend(); ++it) fs::remove(toPath(*it), ignored);
}

FileKind DiskProbe::kind(const std::string& path) const {
  std::error_code ec;
  const fs::file_status status = fs::status(toPath(path), ec);
  if (!fs::exists(status)) return FileKind::Missing;
  if (fs::is_directory(status)) return FileKind::Directory;
  return fs::is_regular_file(status) ? FileKind::Regular : FileKind::Other;
}

}  // namespace zvt::pack
