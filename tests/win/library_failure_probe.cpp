// The template's ending of the C++ library's misuse reports: run without
// arguments, this program starts itself with "child", whose string access
// past the end goes to the library's out-of-range report; the child must end
// with the fatal exit code 1, through the launcher's fatal-exit routine,
// and never come back from the access.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/process_win32.h"
#include "base/win32.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "child") == 0) {
    volatile size_t past = 3;
    std::string text("ab");
    std::printf("returned: %s\n", text.substr(past).c_str());
    return 0;
  }
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  zvt::ChildOptions options;
  options.commandLine = L"\"" + std::wstring(self) + L"\" child";
  options.output = zvt::StreamSetup::pipe();
  options.error = zvt::StreamSetup::toOutput();
  zvt::ChildProcess child;
  if (!child.start(options) || !child.wait(60000)) {
    std::printf("FAIL: the child did not run to its end\n");
    return 1;
  }
  child.waitForOutput(5000);
  const unsigned long code = child.exitCode().value_or(~0ul);
  if (code != 1 || child.output().find("returned") != std::string::npos) {
    std::printf("FAIL: the child ended with %lu: %s\n", code, child.output().c_str());
    return 1;
  }
  std::printf("library failure ended the child with exit code 1\n");
  return 0;
}
