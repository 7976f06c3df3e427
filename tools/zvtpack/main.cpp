// zvtpack: writes the configuration block of an application into a copy of
// the launcher template, and shows the block of a packed launcher.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "description.h"
#include "pack.h"

namespace {

int usage() {
  std::cerr << "usage: zvtpack pack <template.exe> <description.txt> <output.exe>\n"
               "       zvtpack show <packed.exe>\n";
  return 2;
}

bool readFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

std::string directoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int pack(const std::string& templatePath, const std::string& descriptionPath, const std::string& outPath) {
  std::vector<uint8_t> image, descBytes;
  if (!readFile(templatePath, image)) {
    std::cerr << "zvtpack: cannot read " << templatePath << "\n";
    return 1;
  }
  if (!readFile(descriptionPath, descBytes)) {
    std::cerr << "zvtpack: cannot read " << descriptionPath << "\n";
    return 1;
  }
  zvt::pack::Description desc;
  std::string error;
  if (!zvt::pack::parseDescription(std::string(descBytes.begin(), descBytes.end()), desc, error)) {
    std::cerr << "zvtpack: " << descriptionPath << ": " << error << "\n";
    return 1;
  }
  std::vector<std::string> names;
  for (const auto& f : desc.files) {
    std::string path = f.path[0] == '/' ? f.path : directoryOf(descriptionPath) + f.path;
    zvt::block::IncludedFile file;
    if (!readFile(path, file.content)) {
      std::cerr << "zvtpack: cannot read included file " << path << "\n";
      return 1;
    }
    desc.content.files.push_back(std::move(file));
    names.push_back(f.name);
  }
  zvt::pack::setIncludedFileEntries(desc.content, names);
  std::vector<uint8_t> out;
  if (!zvt::pack::packImage(image, desc.content, out, error)) {
    std::cerr << "zvtpack: " << templatePath << ": " << error << "\n";
    return 1;
  }
  std::ofstream o(outPath, std::ios::binary | std::ios::trunc);
  o.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  o.close();
  if (!o) {
    std::cerr << "zvtpack: cannot write " << outPath << "\n";
    return 1;
  }
  return 0;
}

int show(const std::string& path) {
  std::vector<uint8_t> image;
  if (!readFile(path, image)) {
    std::cerr << "zvtpack: cannot read " << path << "\n";
    return 1;
  }
  zvt::block::Content content;
  std::vector<std::string> names;
  std::string error;
  if (!zvt::pack::readPackedBlock(image, content, names, error)) {
    std::cerr << "zvtpack: " << path << ": " << error << "\n";
    return 1;
  }
  std::cout << zvt::pack::printContent(content, names);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "pack") == 0) return pack(argv[2], argv[3], argv[4]);
  if (argc == 3 && std::strcmp(argv[1], "show") == 0) return show(argv[2]);
  return usage();
}
