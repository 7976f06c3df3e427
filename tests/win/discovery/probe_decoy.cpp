// A program planted where an unquoted path with a blank would let the system
// find it ("<dir>\Program.exe" before "<dir>\Program Files\...\java.exe").
// If it ever runs, it leaves "<its own path>.ran" and answers like a Java
// runtime of a version nobody has, so a test sees both.
#include <string>

#include "base/win32.h"

int main() {
  wchar_t self[4096];
  const DWORD n = GetModuleFileNameW(nullptr, self, 4096);
  if (n == 0 || n >= 4096) return 3;
  const std::wstring marker = std::wstring(self, n) + L".ran";
  HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  const char answer[] = "java version \"99.0.9\"\r\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), answer, sizeof(answer) - 1, &written, nullptr);
  return 0;
}
