#include "child.h"

#include <vector>

#include "base/text.h"

namespace zvt::test {

std::wstring childEnv(const wchar_t* name) {
  std::vector<wchar_t> buf(32768);
  DWORD n = GetEnvironmentVariableW(name, buf.data(), static_cast<DWORD>(buf.size()));
  return n > 0 && n < buf.size() ? std::wstring(buf.data(), n) : std::wstring();
}

bool isChild() { return childEnv(L"ZVT_WIN_CHILD") == L"1"; }

std::wstring selfPath() {
  wchar_t buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 4);
  return std::wstring(buf, n);
}

RunResult runChild(const std::string& test, RunOptions options, const std::wstring& exe) {
  options.setEnv[L"ZVT_WIN_CHILD"] = L"1";
  std::wstring cmd = quote(exe.empty() ? selfPath() : exe) + L" --gtest_filter=" + utf8ToUtf16(test);
  return runProcess(cmd, options);
}

}  // namespace zvt::test
