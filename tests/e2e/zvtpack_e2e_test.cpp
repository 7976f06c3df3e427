// zvtpack.exe on Windows: it packs a configuration written in UTF-8, shows
// it back, refuses a faulty one with its position and leaves the output
// alone, and the launcher it packed reads its settings: the usage line names
// the executable, /install registers the configured name (with letters
// beyond ASCII) and description, /status finds it.
//
// zvtpack_e2e_tests --template=<zvtsvc.exe> --packer=<zvtpack.exe>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "support/win_process.h"

namespace zvt {
namespace {

std::wstring g_template;
std::wstring g_packer;

test::RunResult zvtpack(const std::wstring& arguments, const std::wstring& directory) {
  test::RunOptions options;
  options.workingDirectory = directory;
  return test::runProcess(test::quote(g_packer) + L" " + arguments, options);
}

bool contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

// Wine hands out the same process ids run after run; the tick count joins
// the pid so a service left by an aborted run never collides.
std::wstring uniqueSuffix() {
  return std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount());
}

// Deletes the named service at scope end, whatever the test did.
class ServiceRemover {
 public:
  explicit ServiceRemover(std::wstring name) : name_(std::move(name)) {}
  ~ServiceRemover() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return;
    SC_HANDLE service = OpenServiceW(manager, name_.c_str(), DELETE);
    if (service) {
      DeleteService(service);
      CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
  }
  ServiceRemover(const ServiceRemover&) = delete;
  ServiceRemover& operator=(const ServiceRemover&) = delete;

 private:
  std::wstring name_;
};

// The registered description of a service; "<missing>" when it does not open.
std::wstring registeredDescription(const std::wstring& name) {
  std::wstring out = L"<missing>";
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service = manager ? OpenServiceW(manager, name.c_str(), SERVICE_QUERY_CONFIG) : nullptr;
  if (service) {
    DWORD needed = 0;
    QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed + sizeof(SERVICE_DESCRIPTIONW));
    auto* d = reinterpret_cast<SERVICE_DESCRIPTIONW*>(buffer.data());
    out = QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, buffer.data(), static_cast<DWORD>(buffer.size()),
                               &needed) &&
                  d->lpDescription
              ? d->lpDescription
              : L"";
    CloseServiceHandle(service);
  }
  if (manager) CloseServiceHandle(manager);
  return out;
}

// The template under test is of this program's width; a configuration
// packed into it says so.
const std::string kArchitecture = std::string("architecture = \"") + (sizeof(void*) == 8 ? "x64" : "x86") + "\"\n";

TEST(PackerOnWindows, HelpGoesToStandardOutput) {
  test::Sandbox box(L"zvtpack_help");
  test::RunResult r = zvtpack(L"--help", box.path());
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(0u, r.exitCode);
  EXPECT_TRUE(contains(r.out, "zvtpack pack [<template.exe>] <configuration.toml> <output.exe>")) << r.out;
  EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST(PackerOnWindows, PackShowPackAndAFaultWithItsLine) {
  test::Sandbox box(L"zvtpack_pack");
  ASSERT_TRUE(test::writeFileBytes(box.file(L"payload.txt"), "included"));
  const std::string config =
      "[service]\nname = \"Bestelldienst-\xC3\x84\xC3\xB6\"\n"
      "[application]\nmain-class = \"com.example.Main\"\nclass-path = [{ scan = 'lib' }]\n"
      "[messages]\nerror-caption = \"Fehler \xE6\x97\xA5\xE6\x9C\xAC\"\n"
      "[localized.de]\nno-jvm-found = \"Keine JVM gefunden\"\n"
      "[launcher]\n" + kArchitecture +
      "[[files]]\nsource = \"payload.txt\"\nname = 'lib\\payload.txt'\n";
  ASSERT_TRUE(test::writeFileBytes(box.file(L"svc.toml"), config));
  test::RunResult packed = zvtpack(L"pack " + test::quote(g_template) + L" svc.toml out.exe", box.path());
  ASSERT_EQ(0u, packed.exitCode) << packed.err;
  std::string first;
  ASSERT_TRUE(test::readFileBytes(box.file(L"out.exe"), first));

  test::RunResult shown = zvtpack(L"show --files files out.exe", box.path());
  ASSERT_EQ(0u, shown.exitCode) << shown.err;
  EXPECT_TRUE(shown.err.empty()) << shown.err;
  // UTF-8 on the way out, LF line ends as on every host.
  EXPECT_TRUE(contains(shown.out, "[service]\nname = \"Bestelldienst-\xC3\x84\xC3\xB6\"\n")) << shown.out;
  EXPECT_TRUE(contains(shown.out, "error-caption = \"Fehler \xE6\x97\xA5\xE6\x9C\xAC\"\n")) << shown.out;
  EXPECT_FALSE(contains(shown.out, "\r\n"));
  std::string extracted;
  ASSERT_TRUE(test::readFileBytes(box.file(L"files\\lib\\payload.txt"), extracted));
  EXPECT_EQ("included", extracted);
  ASSERT_TRUE(test::writeFileBytes(box.file(L"shown.toml"), shown.out));
  ASSERT_EQ(0u, zvtpack(L"pack " + test::quote(g_template) + L" shown.toml again.exe", box.path()).exitCode);
  std::string second;
  ASSERT_TRUE(test::readFileBytes(box.file(L"again.exe"), second));
  EXPECT_TRUE(first == second) << "show, then pack, changed the executable";

  // A fault: its file, line and column, exit code 1, the output untouched.
  ASSERT_TRUE(test::writeFileBytes(box.file(L"bad.toml"),
                                   "[service]\nname = 'Bestell/dienst'\n[application]\nmain-class = 'a.Main'\n"));
  test::RunResult bad = zvtpack(L"pack " + test::quote(g_template) + L" bad.toml out.exe", box.path());
  EXPECT_EQ(1u, bad.exitCode);
  EXPECT_TRUE(contains(bad.err, "bad.toml:2:8: error: service.name: \"Bestell/dienst\"")) << bad.err;
  std::string after;
  ASSERT_TRUE(test::readFileBytes(box.file(L"out.exe"), after));
  EXPECT_TRUE(first == after) << "a failed pack changed the output";
}

// Without a template, zvtpack.exe takes the one of the configured width
// from its own directory (wherever it is started from).
TEST(PackerOnWindows, TakesTheTemplateBesideItself) {
  test::Sandbox box(L"zvtpack_beside");
  const wchar_t* name = sizeof(void*) == 8 ? L"zvtsvc64.exe" : L"zvtsvc.exe";
  ASSERT_TRUE(CreateDirectoryW(box.file(L"install").c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(g_packer.c_str(), box.file(L"install\\zvtpack.exe").c_str(), TRUE));
  ASSERT_TRUE(CopyFileW(g_template.c_str(), box.file(std::wstring(L"install\\") + name).c_str(), TRUE));
  // The runtime jar the packer packs into every launcher lies beside it too.
  const std::wstring jar = g_packer.substr(0, g_packer.find_last_of(L"/\\") + 1) + L"zvtruntime.jar";
  ASSERT_TRUE(CopyFileW(jar.c_str(), box.file(L"install\\zvtruntime.jar").c_str(), TRUE));
  ASSERT_TRUE(test::writeFileBytes(box.file(L"svc.toml"), "[service]\nname = \"Svc\"\n[application]\nmain-class = "
                                                          "\"a.Main\"\n[launcher]\n" + kArchitecture));
  test::RunOptions options;
  options.workingDirectory = box.path();
  test::RunResult beside =
      test::runProcess(test::quote(box.file(L"install\\zvtpack.exe")) + L" pack svc.toml beside.exe", options);
  ASSERT_EQ(0u, beside.exitCode) << beside.err;
  ASSERT_EQ(0u, zvtpack(L"pack " + test::quote(g_template) + L" svc.toml named.exe", box.path()).exitCode);
  std::string fromBeside;
  std::string fromNamed;
  ASSERT_TRUE(test::readFileBytes(box.file(L"beside.exe"), fromBeside));
  ASSERT_TRUE(test::readFileBytes(box.file(L"named.exe"), fromNamed));
  EXPECT_TRUE(fromBeside == fromNamed);
}

TEST(PackerOnWindows, ThePackedLauncherReadsItsSettings) {
  test::Sandbox box(L"zvtpack_svc");
  // Letters beyond ASCII in the name: stored in code page 1252 and widened
  // by the launcher, they must reach the Service Control Manager unchanged.
  const std::wstring name = L"ZvtPack-\x00C4\x00F6-" + uniqueSuffix();
  const std::wstring description = L"Bestellungen f\x00FCr Kunden \x2013 \x6CE8\x6587";
  ServiceRemover remover(name);
  const std::string config = "[service]\nname = \"" + utf16ToUtf8(name) + "\"\ndescription = \"" +
                             utf16ToUtf8(description) +
                             "\"\n[application]\nmain-class = \"com.example.Main\"\n[launcher]\nkind = \"service\"\n" +
                             kArchitecture;
  ASSERT_TRUE(test::writeFileBytes(box.file(L"svc.toml"), config));
  test::RunResult packed = zvtpack(L"pack " + test::quote(g_template) + L" svc.toml Bestell.exe", box.path());
  ASSERT_EQ(0u, packed.exitCode) << packed.err;

  const std::wstring exe = box.file(L"Bestell.exe");
  test::RunOptions options;
  options.setEnv[L"TMP"] = box.path();
  options.setEnv[L"TEMP"] = box.path();
  test::RunResult usage = test::runProcess(test::quote(exe) + L" /?", options);
  EXPECT_EQ(0u, usage.exitCode);
  EXPECT_EQ(0u, usage.out.find("Usage: Bestell.exe /install")) << usage.out;

  test::RunResult install = test::runProcess(test::quote(exe) + L" /install", options);
  EXPECT_EQ(0u, install.exitCode) << install.out << install.err;
  EXPECT_EQ(description, registeredDescription(name));
  test::RunResult status = test::runProcess(test::quote(exe) + L" /status", options);
  EXPECT_EQ(3u, status.exitCode) << status.out;
  std::string lines = status.out;  // the console's line ends
  lines.erase(std::remove(lines.begin(), lines.end(), '\r'), lines.end());
  EXPECT_EQ("Not running.\nAuto-start.\nAccount: LocalSystem\n", lines);
  test::RunResult uninstall = test::runProcess(test::quote(exe) + L" /uninstall", options);
  EXPECT_EQ(0u, uninstall.exitCode) << uninstall.out;
  EXPECT_EQ(L"<missing>", registeredDescription(name));
}

}  // namespace
}  // namespace zvt

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--template=", 11) == 0) zvt::g_template = zvt::test::windowsPath(argv[i] + 11);
    if (std::strncmp(argv[i], "--packer=", 9) == 0) zvt::g_packer = zvt::test::windowsPath(argv[i] + 9);
  }
  if (zvt::g_template.empty() || !zvt::test::fileExists(zvt::g_template) || zvt::g_packer.empty() ||
      !zvt::test::fileExists(zvt::g_packer)) {
    fprintf(stderr, "usage: zvtpack_e2e_tests --template=<zvtsvc.exe> --packer=<zvtpack.exe> (missing or not found)\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
