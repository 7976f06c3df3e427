// zvtpack.exe: the wide command line becomes UTF-8 for the platform-free
// packer, and its output is written as bytes, without the C runtime's text
// mode turning "\n" into "\r\n", so the host and the Windows build print the
// same configuration text.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/win32.h"
#include "cli.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(zvt::utf16ToUtf8(argv[i]));
  std::string out;
  std::string err;
  int code = zvt::pack::runZvtpack(args, out, err);
  // A console shows UTF-8 only when told so; files and pipes get the bytes.
  if (GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR) SetConsoleOutputCP(CP_UTF8);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return code;
}
