// The child that the process runner's tests start. One command per run:
//   echo              copies standard input to standard output until its
//                     end, then writes "end" to standard error
//   exit <n>          exits with code n
//   env <name>        writes the variable's value, or "<unset>"
//   write <n>         writes n bytes ('a'..'z' repeated) to standard output
//   both              writes "out" to standard output, "err" to standard
//                     error, in that order, each flushed
//   handles           writes "in=<kind> out=<kind> err=<kind>" to a file
//                     named by the second argument; kind is none or some
//   cwd               writes the current directory
//   hold <ms>         starts itself as "sleep <ms>" with inherited handles,
//                     then exits: the grandchild keeps the output pipe open
//   sleep <ms>        sleeps, then exits with 0
// Everything is raw bytes on the standard handles (no C runtime
// translation), so the parent compares exactly what was written.
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/win32.h"

namespace {

void writeAll(DWORD which, const std::string& bytes) {
  HANDLE h = GetStdHandle(which);
  DWORD n = 0;
  size_t done = 0;
  while (done < bytes.size() &&
         WriteFile(h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr)) {
    done += n;
  }
}

const char* kind(DWORD which) {
  HANDLE h = GetStdHandle(which);
  return h == nullptr || h == INVALID_HANDLE_VALUE ? "none" : "some";
}

int hold(const char* ms) {
  wchar_t self[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
  std::wstring command = L"\"" + std::wstring(self, n) + L"\" sleep ";
  for (const char* p = ms; *p; ++p) command += static_cast<wchar_t>(*p);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return 3;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 64;
  const std::string command = argv[1];
  const char* arg = argc > 2 ? argv[2] : "";
  if (command == "echo") {
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof(buffer), &n, nullptr) && n > 0) {
      writeAll(STD_OUTPUT_HANDLE, std::string(buffer, n));
    }
    writeAll(STD_ERROR_HANDLE, "end");
    return 0;
  }
  if (command == "exit") return static_cast<int>(std::strtoul(arg, nullptr, 10));
  if (command == "env") {
    char value[32767];
    DWORD n = GetEnvironmentVariableA(arg, value, sizeof(value));
    writeAll(STD_OUTPUT_HANDLE, n > 0 && n < sizeof(value) ? std::string(value, n) : "<unset>");
    return 0;
  }
  if (command == "write") {
    std::string bytes(std::strtoul(arg, nullptr, 10), 'a');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('a' + i % 26);
    writeAll(STD_OUTPUT_HANDLE, bytes);
    return 0;
  }
  if (command == "both") {
    writeAll(STD_OUTPUT_HANDLE, "out");
    writeAll(STD_ERROR_HANDLE, "err");
    return 0;
  }
  if (command == "handles") {
    std::string text = std::string("in=") + kind(STD_INPUT_HANDLE) + " out=" + kind(STD_OUTPUT_HANDLE) +
                       " err=" + kind(STD_ERROR_HANDLE);
    HANDLE f = CreateFileA(arg, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 3;
    DWORD n = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    CloseHandle(f);
    return 0;
  }
  if (command == "cwd") {
    char dir[MAX_PATH * 4];
    DWORD n = GetCurrentDirectoryA(sizeof(dir), dir);
    writeAll(STD_OUTPUT_HANDLE, std::string(dir, n));
    return 0;
  }
  if (command == "hold") return hold(arg);
  if (command == "sleep") {
    Sleep(static_cast<DWORD>(std::strtoul(arg, nullptr, 10)));
    return 0;
  }
  return 64;
}
