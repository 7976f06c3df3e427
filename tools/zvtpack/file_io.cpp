#include "file_io.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace zvt::pack {
namespace fs = std::filesystem;
namespace {

fs::path toPath(const std::string& utf8) {
  return fs::u8path(utf8);
}

std::string describe(const std::error_code& ec) {
  return ec.message();
}

}  // namespace

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
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
  std::ifstream in(p, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  bytes.clear();
  char buffer[65536];
  while (in) {
    in.read(buffer, sizeof buffer);
    bytes.insert(bytes.end(), buffer, buffer + in.gcount());
  }
  if (in.bad()) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  const fs::path target = toPath(path);
  std::error_code ec;
  if (fs::is_directory(target, ec)) {
    error = "cannot write " + path + ": it is a directory";
    return false;
  }
  fs::path temporary = target;
  temporary += ".zvtpack-partial";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      error = "cannot create " + temporary.u8string();
      return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      fs::remove(temporary, ec);
      error = "cannot write " + temporary.u8string();
      return false;
    }
  }
  fs::rename(temporary, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    error = "cannot replace " + path + ": " + describe(ec);
    return false;
  }
  return true;
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

bool createDirectories(const std::string& path, std::string& error) {
  std::error_code ec;
  fs::create_directories(toPath(path), ec);
  if (ec || !fs::is_directory(toPath(path), ec)) {
    error = "cannot create directory " + path;
    return false;
  }
  return true;
}

FileKind DiskProbe::kind(const std::string& path) const {
  std::error_code ec;
  const fs::file_status status = fs::status(toPath(path), ec);
  if (!fs::exists(status)) return FileKind::Missing;
  if (fs::is_directory(status)) return FileKind::Directory;
  return fs::is_regular_file(status) ? FileKind::Regular : FileKind::Other;
}

}  // namespace zvt::pack
