#include "jvm/discovery/jvm_library.h"

#include "base/log_sink.h"
#include "base/text.h"
#include "runtime/decisions.h"

namespace zvt {

namespace {

const char kJavaw[] = "javaw.exe";
constexpr size_t kJavaLength = 8;  // "java.exe"

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The length of the file name the directory is cut from.
size_t exeNameLength(const std::string& javaExe) {
  return endsWith(javaExe, kJavaw) ? sizeof(kJavaw) - 1 : kJavaLength;
}

std::u16string u16(const std::string& bytes) {
  std::u16string out;
  for (unsigned char c : bytes) out.push_back(c);
  return out;
}

std::wstring w(const std::u16string& text) {
  return std::wstring(text.begin(), text.end());
}

}  // namespace

bool runtimeBinDirectory(const std::string& javaExe, std::string& binDir) {
  size_t cut = exeNameLength(javaExe) + 1;
  if (javaExe.size() < cut) {
    logText(L"no bin directory in " + widenBytes(javaExe));
    return false;
  }
  if (javaExe.size() - cut > kBinDirectoryLimit) {
    logText(L"bin directory too long (" + decimal(static_cast<long long>(javaExe.size() - cut)) + L" bytes)");
    return false;
  }
  binDir = javaExe.substr(0, javaExe.size() - cut);
  return true;
}

std::string privateRuntimeJavaExe(const std::string& javaExe) {
  size_t name = exeNameLength(javaExe);
  std::string dir = javaExe.size() >= name ? javaExe.substr(0, javaExe.size() - name) : std::string();
  return dir + "..\\jre\\bin\\java.exe";
}

std::vector<std::string> vmTypeDirectories(const std::string& configured) {
  std::vector<std::string> dirs;
  if (!configured.empty()) dirs.push_back(configured);
  for (const char* name : {"client", "server", "j9vm", "hotspot", "jrockit"}) dirs.push_back(name);
  return dirs;
}

bool ucrtbasePreloadNeeded(unsigned long major, unsigned long minor) {
  return major < 6 || (major == 6 && minor < 4);
}

uintptr_t JvmLibraryLoader::loadJvmFromJavaExe(const std::string& javaExe) {
  javaExe_ = javaExe;
  refused_ = PeMachine::Unknown;
  otherFailure_ = false;
  anyLibrary_ = false;
  loadedPath_.clear();
  logText(L"Trying to load JVM-DLL from " + widenBytes(javaExe));
  uintptr_t module = loadJvmForBinDir(javaExe);
  if (module == 0) module = loadJvmForBinDir(privateRuntimeJavaExe(javaExe));
  LoadDecision decision;
  decision.javaExe = javaExe;
  if (module != 0) {
    decision.verdict = Verdict::Taken;
    decision.library = loadedPath_;
  } else if (widthRefusal().library != PeMachine::Unknown) {
    decision.verdict = Verdict::OtherWidth;
    decision.libraryBits = peMachineBits(refused_);
  } else {
    decision.verdict = anyLibrary_ ? Verdict::LibraryFailed : Verdict::NoLibrary;
  }
  decisions().load(decision);
  return module;
}

uintptr_t JvmLibraryLoader::loadJvmForBinDir(const std::string& javaExe) {
  std::string binDir;
  if (!runtimeBinDirectory(javaExe, binDir)) return 0;
  uintptr_t cookie = system_.addDllDirectory(binDir);
  system_.preloadUcrtbase(binDir);

  PathValue old = system_.readPath();
  PathValue changed;
  changed.present = true;
  changed.value = system_.pathText(binDir) + u16(";") + old.value;
  unsigned long error = 0;
  if (system_.writePath(changed, error)) {
    long long size = old.present ? static_cast<long long>(old.value.size()) + 1 : 0;
    logText(L"Setting PATH " + decimal(size) + L" " + w(changed.value));
  } else {
    logText(L"Setting PATH " + w(changed.value) + L" failed with error " + decimal(static_cast<long long>(error)));
  }

  uintptr_t module = 0;
  for (const std::string& vmType : vmTypeDirectories(settings_.vmType)) {
    module = loadJvmLibrary(binDir, vmType);
    if (module != 0) return module;
  }

  system_.removeDllDirectory(cookie);
  // Put back exactly what was there: a PATH that was not set is removed
  // again rather than left behind empty.
  if (system_.writePath(old, error)) {
    logText(L"Setting PATH " + w(old.value));
  } else {
    logText(L"Setting PATH " + w(old.value) + L" failed with error " + decimal(static_cast<long long>(error)));
  }
  return 0;
}

uintptr_t JvmLibraryLoader::loadJvmLibrary(const std::string& binDir, const std::string& vmTypeDir) {
  std::string path = binDir + "\\" + vmTypeDir + "\\jvm.dll";
  bool exists = system_.fileExists(path);
  logText(L"Trying " + widenBytes(path) + L" (exists " + decimal(exists ? 1 : 0) + L")");
  if (exists) {
    anyLibrary_ = true;
    const PeMachine machine = peMachine(system_.fileHead(path));
    if (isOtherWidth(settings_.process, machine)) {
      logText(L"Not loaded: a " + decimal(peMachineBits(machine)) + L"-bit library (" +
              widenBytes(peMachineName(machine)) + L"), this launcher is " + decimal(peMachineBits(settings_.process)) +
              L"-bit");
      refused_ = machine;
      return 0;
    }
  }
  unsigned long error = 0;
  uintptr_t module = system_.loadLibrary(path, error);
  if (module == 0) {
    if (exists) {
      logText(L"Failed with error code " + decimal(static_cast<long long>(error)));
      otherFailure_ = true;
    }
    return 0;
  }
  libraryDirectory_ = binDir;
  loadedPath_ = path;
  return module;
}

WidthRefusal JvmLibraryLoader::widthRefusal() const {
  WidthRefusal refusal;
  if (refused_ != PeMachine::Unknown && !otherFailure_) {
    refusal.library = refused_;
    refusal.javaExe = javaExe_;
  }
  return refusal;
}

}  // namespace zvt
