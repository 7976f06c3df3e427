// Stand-in unpack200.exe: "unpack200 [-r] <file.jar.pack> <file.jar>".
// Its "packed" format is the jar itself, so unpacking is a copy; a packed file
// whose content begins with "CORRUPT" makes it fail without writing a jar, as
// a damaged archive would; one beginning with "TRUNCATED" makes it write the
// first half of the jar and then fail, as an unpacker that dies midway
// (disk full, killed) leaves a damaged jar behind. -r removes the packed file after success, like the
// real tool's --remove-pack-file. Each run appends its command line to
// <home>\standin\unpack.log.
#include <string>

#include "standin_home.h"

using namespace standin;

int wmain(int argc, wchar_t** argv) {
  std::wstring self = exePath();
  std::wstring dir = standinDir(homeFor(self, 1));
  CreateDirectoryW(dir.c_str(), nullptr);
  appendToFile(dir + L"\\unpack.log", utf8(GetCommandLineW()) + "\n");

  int next = 1;
  bool removePack = false;
  if (next < argc && std::wstring(argv[next]) == L"-r") {
    removePack = true;
    ++next;
  }
  if (argc - next != 2) {
    fwprintf(stderr, L"usage: unpack200 [-r] packfile jarfile\n");
    return 2;
  }
  std::wstring pack = argv[next], jar = argv[next + 1];
  std::string content = readFileBytes(pack);
  if (!fileExists(pack) || content.rfind("CORRUPT", 0) == 0) {
    fwprintf(stderr, L"unpack200: cannot unpack %ls\n", pack.c_str());
    return 1;
  }
  DeleteFileW(jar.c_str());
  if (content.rfind("TRUNCATED", 0) == 0) {
    appendToFile(jar, content.substr(0, content.size() / 2));
    fwprintf(stderr, L"unpack200: write error on %ls\n", jar.c_str());
    return 1;
  }
  if (!appendToFile(jar, content)) return 1;
  if (removePack) DeleteFileW(pack.c_str());
  return 0;
}
