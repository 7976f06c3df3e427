#include "standin_layout.h"

#include "standin_home.h"

namespace standin {

namespace {

bool makeDirs(const std::wstring& path) {
  if (path.empty() || dirExists(path)) return true;
  if (!makeDirs(parentDir(path))) return false;
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
  DeleteFileW(path.c_str());
  return makeDirs(parentDir(path)) && appendToFile(path, bytes);
}

struct Copier {
  std::wstring from;
  std::wstring* error;
  bool copy(const std::wstring& name, const std::wstring& to) {
    if (!makeDirs(parentDir(to))) return fail(L"cannot create directory for " + to);
    if (!CopyFileW((from + L"\\" + name).c_str(), to.c_str(), FALSE)) {
      return fail(L"cannot copy " + from + L"\\" + name + L" to " + to);
    }
    return true;
  }
  bool fail(const std::wstring& why) {
    *error = why;
    return false;
  }
};

// One runtime's bin directory with its executables and VM directories.
bool fillBin(Copier& c, const std::wstring& bin, const RuntimeLayout& layout) {
  if (!c.copy(L"java.exe", bin + L"\\java.exe")) return false;
  if (layout.javaw && !c.copy(L"javaw.exe", bin + L"\\javaw.exe")) return false;
  if (layout.jli && !c.copy(L"jli.dll", bin + L"\\jli.dll")) return false;
  if (layout.unpack200 && !c.copy(L"unpack200.exe", bin + L"\\unpack200.exe")) return false;
  if (layout.ucrtbase && !c.copy(L"ucrtbase.dll", bin + L"\\ucrtbase.dll")) return false;
  std::wstring jvm = layout.wrongWidth ? L"otherwidth\\jvm.dll" : L"jvm.dll";
  for (const std::wstring& vm : layout.vmTypes) {
    if (!c.copy(jvm, bin + L"\\" + vm + L"\\jvm.dll")) return false;
  }
  return true;
}

}  // namespace

std::wstring standinBinaryDir() {
  wchar_t buffer[32768];
  DWORD n = GetEnvironmentVariableW(L"ZVT_STANDIN_DIR", buffer, 32768);
  if (n > 0 && n < 32768) return buffer;
  std::wstring dir = widen(ZVT_STANDIN_BIN_DIR);
  for (wchar_t& ch : dir) {
    if (ch == L'/') ch = L'\\';
  }
  return dir.rfind(L"\\", 0) == 0 ? L"Z:" + dir : dir;
}

std::wstring runtimeBinDir(const std::wstring& home, const RuntimeLayout& layout) {
  return layout.jdk ? home + L"\\jre\\bin" : home + L"\\bin";
}

bool layOutRuntime(const std::wstring& home, const RuntimeLayout& layout, std::wstring* error) {
  Copier c{standinBinaryDir(), error};
  if (!makeDirs(standinDir(home))) return c.fail(L"cannot create " + standinDir(home));
  if (!fillBin(c, runtimeBinDir(home, layout), layout)) return false;
  if (layout.jdk) {
    // The JDK's own bin has the tools' launchers but no VM.
    RuntimeLayout outer = layout;
    outer.vmTypes.clear();
    if (!fillBin(c, home + L"\\bin", outer)) return false;
    if (!writeFile(home + L"\\lib\\tools.jar", "PK stand-in tools.jar")) {
      return c.fail(L"cannot write tools.jar");
    }
  }
  std::wstring script = standinDir(home);
  bool ok = writeFile(script + L"\\version.txt", layout.versionText) &&
            writeFile(script + L"\\exitcode.txt", std::to_string(layout.exitCode)) &&
            writeFile(script + L"\\delayms.txt", std::to_string(layout.delayMs));
  if (!ok) return c.fail(L"cannot write the script files in " + script);
  for (const std::wstring& jar : layout.packedJars) {
    std::string content = "PK stand-in " + utf8(jar);
    if (layout.corruptPacks) content = "CORRUPT";
    if (layout.truncatedPacks) content = "TRUNCATED " + content;
    if (!writeFile(home + L"\\" + jar + L".pack", content)) return c.fail(L"cannot write " + jar);
  }
  return true;
}

std::vector<std::string> traceLines(const std::wstring& home) {
  std::string bytes = readFileBytes(standinDir(home) + L"\\trace.jsonl");
  std::vector<std::string> lines;
  size_t start = 0, end;
  while ((end = bytes.find('\n', start)) != std::string::npos) {
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

int probeCount(const std::wstring& home) {
  std::string bytes = readFileBytes(standinDir(home) + L"\\probes.log");
  int count = 0;
  for (char ch : bytes) count += ch == '\n';
  return count;
}

}  // namespace standin
