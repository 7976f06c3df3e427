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

namespace {

// The directory of zvtpack.exe (the templates ship beside it); empty when
// the system does not say.
std::string installDirectory() {
  std::vector<wchar_t> path(32768);
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return std::string();
  std::wstring file(path.data(), n);
  size_t slash = file.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::string() : zvt::utf16ToUtf8(file.substr(0, slash));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(zvt::utf16ToUtf8(argv[i]));
  std::string out;
  std::string err;
  int code = zvt::pack::runZvtpack(args, out, err, installDirectory());
  // A console shows UTF-8 only when told so; files and pipes get the bytes.
  if (GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR) SetConsoleOutputCP(CP_UTF8);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return code;
}
