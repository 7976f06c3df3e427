#include "launcher_fixture.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/text.h"
#include "pack.h"

namespace zvt::e2e {

std::wstring g_templatePath;
std::wstring g_vmProbePath;

std::string readTemplate() {
  std::string bytes;
  EXPECT_TRUE(test::readFileBytes(g_templatePath, bytes)) << "cannot read the launcher template";
  return bytes;
}

std::wstring LauncherSandbox::pack(const block::Content& content, const std::wstring& name, const std::wstring& image) {
  std::string program;
  if (image.empty()) {
    program = readTemplate();
  } else {
    EXPECT_TRUE(test::readFileBytes(image, program)) << "cannot read " << utf16ToUtf8(image);
  }
  std::vector<uint8_t> bytes(program.begin(), program.end()), packed;
  std::string error;
  EXPECT_TRUE(pack::packImage(bytes, content, packed, error)) << error;
  std::wstring path = box_.file(name);
  EXPECT_TRUE(test::writeFileBytes(path, std::string(packed.begin(), packed.end())));
  return path;
}

std::wstring LauncherSandbox::layOutRuntime(const std::wstring& name, const standin::RuntimeLayout& layout) {
  std::wstring home = box_.file(name);
  std::wstring error;
  EXPECT_TRUE(standin::layOutRuntime(home, layout, &error)) << utf16ToUtf8(error);
  return home;
}

std::wstring LauncherSandbox::tempDir() const {
  std::wstring t = box_.file(L"tmp");
  CreateDirectoryW(t.c_str(), nullptr);
  return t;
}

std::unique_ptr<test::RunningProcess> LauncherSandbox::start(const std::wstring& exe, const std::wstring& arguments,
                                                             test::RunOptions options) {
  std::wstring tmp = tempDir();
  // GetTempPath looks at TMP first, then TEMP.
  if (!options.setEnv.count(L"TMP")) options.setEnv[L"TMP"] = tmp;
  if (!options.setEnv.count(L"TEMP")) options.setEnv[L"TEMP"] = tmp;
  std::wstring cmd = test::quote(exe) + (arguments.empty() ? L"" : L" " + arguments);
  return std::make_unique<test::RunningProcess>(cmd, options);
}

test::RunResult LauncherSandbox::run(const std::wstring& exe, const std::wstring& arguments, test::RunOptions options) {
  return start(exe, arguments, options)->finish();
}

std::string LauncherSandbox::log(int n) const {
  std::string bytes;
  test::readFileBytes(box_.file(L"tmp\\zvt_nlog_" + std::to_wstring(n) + L".log"), bytes);
  return bytes;
}

bool contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

std::wstring codePageText() {
  switch (GetACP()) {
    case 1251:
      return L"\x041F\x0440\x0438\x20AC";
    case 932:
      return L"\x8868\x30BD\x0414";
    default:
      return std::wstring();
  }
}

std::string inCodePage(const std::wstring& text) {
  BOOL lost = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, &lost);
  std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, &lost);
  EXPECT_FALSE(lost) << "the code page cannot hold " << utf16ToUtf8(text);
  return bytes;
}

}  // namespace zvt::e2e
