// End-to-end fixture: packs the launcher template into a fresh sandbox under
// a chosen name and runs it.
#pragma once

#include <memory>
#include <string>

#include "config/block_format.h"
#include "standin_layout.h"
#include "support/jvm_registry.h"
#include "support/win_process.h"

namespace zvt::e2e {

// Set from --template= on the command line.
extern std::wstring g_templatePath;
// Set from --vmprobe= (the VM option probe, packed like the template).
extern std::wstring g_vmProbePath;

std::string readTemplate();

class LauncherSandbox {
 public:
  explicit LauncherSandbox(const std::wstring& tag) : box_(tag), versionCache_(box_.path()) {}

  // Packs `content` into <sandbox>\<name> and returns the path. `image` is
  // the program to pack, the launcher template when empty.
  std::wstring pack(const block::Content& content, const std::wstring& name = L"myservice.exe",
                    const std::wstring& image = L"");
  // Runs the packed launcher with `arguments`, its temporary directory (and
  // so its log) inside the sandbox.
  test::RunResult run(const std::wstring& exe, const std::wstring& arguments, test::RunOptions options = {});
  // The same, started without waiting (finish() or stop() it).
  std::unique_ptr<test::RunningProcess> start(const std::wstring& exe, const std::wstring& arguments,
                                              test::RunOptions options = {});

  // Lays out a stand-in Java runtime as <sandbox>\<name> and returns its
  // home; a failure fails the test (the home is returned all the same).
  std::wstring layOutRuntime(const std::wstring& name, const standin::RuntimeLayout& layout = {});

  const std::wstring& dir() const { return box_.path(); }
  std::wstring tempDir() const;
  std::wstring file(const std::wstring& name) const { return box_.file(name); }
  // The content of log file number n in the sandbox's temporary directory
  // (UTF-8 bytes), empty when it does not exist.
  std::string log(int n = 1) const;

 private:
  test::Sandbox box_;
  // The version cache entries of the runtimes laid out here go with it.
  test::VersionCacheCleanup versionCache_;
};

bool contains(const std::string& haystack, const std::string& needle);

// Non-ASCII text of the code page the process runs under (Wine takes it from
// LANG: the CTest entries e2e_codepage, 1251, and e2e_vm_options_cp932, 932,
// start the program so): Cyrillic with the euro sign (0x88 in 1251, one of
// the bytes 0x80-0x9F that widening byte by byte maps to control
// characters), or Japanese whose trail bytes look like a backslash (0x5C)
// with a Cyrillic letter. Empty under any other code page.
std::wstring codePageText();
// `text` in the ANSI code page; a test failure when the code page cannot
// hold it.
std::string inCodePage(const std::wstring& text);
// The width of the launcher under test, which is this test program's (both
// are built in one tree), and the other width: "32" or "64".
constexpr const char* kOwnBits = sizeof(void*) == 8 ? "64" : "32";
constexpr const char* kOtherBits = sizeof(void*) == 8 ? "32" : "64";

}  // namespace zvt::e2e
