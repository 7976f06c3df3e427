#include <vector>

#include "base/capacity.h"
#include "base/handle.h"
#include "base/system_function_win32.h"
#include "base/win32.h"
#include "config/accessors.h"
#include "config/keys.h"
#include "jvm/discovery/java_check_win32.h"
#include "jvm/discovery/jvm_library.h"
#include "jvm/discovery/jvm_search.h"
#include "jvm/discovery/library_width.h"
#include "jvm/discovery/load_dll.h"
#include "jvm/discovery/packed_jre_win32.h"
#include "jvm/discovery/registry_sources_win32.h"
#include "runtime/environment_win32.h"
#include "runtime/errors.h"
#include "runtime/expansion_win32.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/process_state.h"

namespace zvt {

namespace {

// The machine this launcher is built for: the width of runtime it can load.
#if defined(_WIN64)
constexpr PeMachine kProcessMachine = PeMachine::X64;
#else
constexpr PeMachine kProcessMachine = PeMachine::X86;
#endif

std::u16string toU16(const std::wstring& text) {
  return std::u16string(text.begin(), text.end());
}

std::wstring fromU16(const std::u16string& text) {
  return std::wstring(text.begin(), text.end());
}

// The system's real version. GetVersionEx answers 6.2 on every later
// system to a program without a compatibility manifest, which would make
// "older than 6.4" true everywhere; the kernel's own query is not capped.
bool systemVersion(OSVERSIONINFOW& info) {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  info.dwOSVersionInfoSize = sizeof(info);
  auto rtlGetVersion = systemFunction<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion");
  if (rtlGetVersion && rtlGetVersion(&info) == 0) return true;
  return GetVersionExW(&info) != 0;
}

class MachineLibrary : public JvmLibrarySystem {
 public:
  uintptr_t addDllDirectory(const std::string& directory) override {
    if (!config::getConfigFlag(key::kRegisterDllDirectories)) return 0;
    return zvt::addDllDirectory(directory);
  }
  void removeDllDirectory(uintptr_t cookie) override { zvt::removeDllDirectory(cookie); }

  void preloadUcrtbase(const std::string& binDir) override {
    OSVERSIONINFOW info{};
    if (!systemVersion(info)) return;
    if (!ucrtbasePreloadNeeded(info.dwMajorVersion, info.dwMinorVersion)) return;
    std::string path = binDir + "\\ucrtbase.dll";
    if (!zvt::fileExists(path)) return;
    logLine(L"Preloading ucrtbase.dll 4");
    // The bare name is looked up in the current directory first, which the
    // runtime's own copy must win: make it the bin directory for the call.
    std::vector<wchar_t> saved(kBufferCapacity);
    DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(saved.size()), saved.data());
    std::wstring current = n > 0 && n < saved.size() ? std::wstring(saved.data(), n) : std::wstring();
    SetCurrentDirectoryW(toWide(binDir).c_str());
    if (!LoadLibraryA("ucrtbase.dll") && !LoadLibraryA(path.c_str())) logLine(L"Could not preload ucrtbase.dll");
    if (!current.empty()) SetCurrentDirectoryW(current.c_str());
  }

  PathValue readPath() override {
    PathValue path;
    std::wstring value;
    path.present = readProcessPath(value);
    path.value = toU16(value);
    return path;
  }
  std::u16string pathText(const std::string& directory) override { return toU16(toWide(directory)); }
  bool writePath(const PathValue& path, unsigned long& error) override {
    std::wstring value = fromU16(path.value);
    return writeProcessPath(path.present ? &value : nullptr, &error);
  }
  bool fileExists(const std::string& path) override { return zvt::fileExists(path); }
  uintptr_t loadLibrary(const std::string& path, unsigned long& error) override {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) error = GetLastError();
    return reinterpret_cast<uintptr_t>(module);
  }
  std::vector<uint8_t> fileHead(const std::string& path) override {
    std::vector<uint8_t> head;
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return head;
    head.resize(kPeHeadBytes);
    DWORD read = 0;
    if (!ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) read = 0;
    head.resize(read);
    return head;
  }
};

// The first line of a location file under the installation directory.
bool readLocationFile(const wchar_t* name, std::string& line) {
  std::wstring path = fullPathW(config::getConfigStringW(key::kInstallationDirectory), true) + L"\\" + name;
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  // Enough for the longest usable line with its line end; a longer first
  // line is refused whole.
  std::string content(kLocationLineLimit + 64, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), &content[0], static_cast<DWORD>(content.size()), &read, nullptr)) return false;
  content.resize(read);
  return locationFileFirstLine(content, line);
}

class MachineSearch : public JvmSearchSystem {
 public:
  explicit MachineSearch(JvmLibraryLoader& loader) : loader_(loader) {}

  bool preferredLocation(std::string& line) override { return readLocationFile(L".zentrovia\\pref_jre.cfg", line); }
  bool installerLocation(std::string& line) override { return readLocationFile(L".zentrovia\\inst_jre.cfg", line); }
  std::string expand(const std::string& text) override {
    std::string expanded = text;
    expandVariablesAnsi(expanded);
    return expanded;
  }
  bool testLocation(std::string& javaExe, std::string& version, const std::string& location,
                    const VersionBounds& bounds, Prerelease prerelease, bool acceptAnyway) override {
    std::string home = fullPath(location, false);
    unpackPackedJre(home);
    if (javaExeForHome(javaExe, home) && checkJavaExe(javaExe, version, bounds, prerelease)) return true;
    return acceptAnyway;
  }
  bool testEnvironmentVariable(std::string& javaExe, std::string& version, const std::string& name,
                               const VersionBounds& bounds) override {
    std::vector<char> value(kBufferCapacity);
    DWORD n = GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return false;
    if (n >= value.size()) {
      logLine(L"%hs is too long (%d bytes), ignored", name.c_str(), static_cast<int>(n));
      return false;
    }
    std::string home(value.data(), n);
    for (char& c : home)
      if (c == '/') c = '\\';
    return javaExeForHome(javaExe, home) && checkJavaExe(javaExe, version, bounds, Prerelease::Refuse);
  }
  bool testSearchPath(std::string& javaExe, std::string& version, const VersionBounds& bounds) override {
    std::vector<char> found(kBufferCapacity);
    DWORD n = SearchPathA(nullptr, "java.exe", nullptr, static_cast<DWORD>(found.size()), found.data(), nullptr);
    if (n == 0 || n >= found.size()) return false;
    javaExe.assign(found.data(), n);
    return checkJavaExe(javaExe, version, bounds, Prerelease::Refuse);
  }
  bool sharedJvmSource(std::string& javaExe, std::string& version, const VersionBounds& bounds) override {
    return zvt::sharedJvmSource(bounds, javaExe, version);
  }
  bool registeredJvmSource(std::string& javaExe, std::string& version, const VersionBounds& bounds) override {
    return zvt::registeredJvmSource(bounds, javaExe, version);
  }
  bool previousInstallationSource(Hive hive, std::string& javaExe, std::string& version,
                                  const VersionBounds& bounds) override {
    return zvt::previousInstallationSource(hive, bounds, javaExe, version);
  }
  bool addNonWorkingJava(const std::string& javaExe) override { return zvt::addNonWorkingJava(javaExe); }
  bool fileExists(const std::string& path) override { return zvt::fileExists(path); }
  bool loadJvmFromJavaExe(const std::string& javaExe) override {
    module_ = loader_.loadJvmFromJavaExe(javaExe);
    return module_ != 0;
  }

  uintptr_t module() const { return module_; }

 private:
  JvmLibraryLoader& loader_;
  uintptr_t module_ = 0;
};

JvmLibrarySettings librarySettings() {
  JvmLibrarySettings settings;
  settings.vmType = config::getConfigString(key::kPreferredVmType, kVmTypeCapacity);
  settings.process = kProcessMachine;
  return settings;
}

}  // namespace

uintptr_t loadJvmFromJavaExe(const std::string& javaExe) {
  MachineLibrary system;
  JvmLibraryLoader loader(system, librarySettings());
  uintptr_t module = loader.loadJvmFromJavaExe(javaExe);
  if (module != 0) processState().jvm.libraryDirectory = loader.libraryDirectory();
  return module;
}

bool resolveCreateJavaVm(uintptr_t module) {
  if (module == 0) return false;
  FARPROC entry = GetProcAddress(reinterpret_cast<HMODULE>(module), "JNI_CreateJavaVM");
  if (!entry) return false;
  processState().jvm.createJavaVM = reinterpret_cast<UntypedFunction>(entry);
  return true;
}

bool findJvm(JvmFailureReport& failure) {
  MachineLibrary library;
  JvmLibraryLoader loader(library, librarySettings());
  MachineSearch machine(loader);
  JvmSearchSettings settings;
  settings.sequence = config::getConfigString(key::kJvmSearchSequence);
  settings.minimum = config::getConfigString(key::kMinimumJavaVersion);
  settings.maximum = config::getConfigString(key::kMaximumJavaVersion);

  JvmCandidate candidate;
  bool loaded = searchJvm(machine, settings, candidate);
  if (candidate.kind == JvmSourceKind::None) {
    logError(L"No JVM found");
    failure = jvmFailureReport(candidate, peMachineBits(kProcessMachine));
    return false;
  }

  SelectedJvm& jvm = processState().jvm;
  jvm.home = jvmHomeOf(candidate.javaExe);
  jvm.version = candidate.version;
  if (loaded) jvm.libraryDirectory = loader.libraryDirectory();
  if (!loaded) logError(L"Could not get DLL-Handle.");
  bool resolved = resolveCreateJavaVm(loaded ? machine.module() : 0);
  if (!resolved) logError(L"Could not load functions");
  if (loaded && resolved) {
    logLine(L"Loading of JVM-DLL successful");
    return true;
  }
  failure = searchFailureReport(candidate, kProcessMachine, loader.widthRefusal());
  return false;
}

bool LoadDLL(bool reportErrors) {
  JvmFailureReport failure;
  if (findJvm(failure)) return true;
  if (reportErrors) {
    if (failure.hasArgument) {
      showMessageA(failure.message, failure.argument);
    } else {
      showMessage(failure.message);
    }
  }
  return false;
}

}  // namespace zvt
