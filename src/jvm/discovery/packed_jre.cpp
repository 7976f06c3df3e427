#include "jvm/discovery/packed_jre.h"

#include "base/arguments.h"
#include "base/log_sink.h"
#include "base/text.h"
#include "jvm/discovery/java_check.h"

namespace zvt {

namespace {

std::wstring w(const std::string& text) {
  return widenBytes(text);
}

// ".pack"
constexpr size_t kPackSuffixLength = 5;

}  // namespace

std::string unpackCommandLine(const std::string& program, const std::string& packFile, const std::string& jar) {
  return quotedProgram(program) + " -r " + quotedProgram(packFile) + " " + quotedProgram(jar);
}

std::string jarForPackFile(const std::string& packFile) {
  return packFile.substr(0, packFile.size() >= kPackSuffixLength ? packFile.size() - kPackSuffixLength : 0);
}

void PackedJreUnpacker::unpackPackedJre(const std::string& home) {
  // The file search would read "*" and "?" in the home as wildcards and
  // unpack into some other runtime's directories.
  if (hasWildcard(home)) return;
  bool announced = false;
  unpackPackedDirectory(home, "lib", announced);
  unpackPackedDirectory(home, "lib\\ext", announced);
  if (announced) logText(L"Unpacking JRE done");
}

void PackedJreUnpacker::unpackPackedDirectory(const std::string& home, const std::string& subdirectory,
                                              bool& announced) {
  const std::string directory = home + "\\" + subdirectory;
  for (const std::string& name : system_.packedFiles(directory)) {
    const std::string packFile = directory + "\\" + name;
    const std::string jar = jarForPackFile(packFile);
    logText(L"checking " + w(jar));
    if (system_.fileExists(jar)) continue;
    if (!announced) {
      logText(L"Unpacking JRE");
      system_.announce();
      announced = true;
    }
    unpackOneFile(home, packFile);
  }
}

void PackedJreUnpacker::unpackOneFile(const std::string& home, const std::string& packFile) {
  const std::string jar = jarForPackFile(packFile);
  if (!system_.fileExists(packFile)) {
    logText(L"pack path doesn't exists");
    return;
  }
  const std::string program = home + "\\bin\\unpack200.exe";
  const std::string commandLine = unpackCommandLine(program, packFile, jar);
  logText(w(program));
  logText(w(commandLine));
  if (!system_.startUnpacker(program, commandLine)) {
    logText(L"could not create unpack process");
    system_.unpackerMissing();
  }
  logText(L"waiting for unpack200 to finish");
  const unsigned long exitCode = system_.waitForUnpacker();
  logText(L"unpack done");

  // The packed file is the only copy of its jar: it goes only when the
  // unpacker reports success and the jar is really there. Otherwise it stays
  // for the next start to try again, and a jar that a failed unpacker left
  // behind goes instead, since an existing jar stops the next attempt.
  const bool jarThere = system_.fileExists(jar);
  unsigned long error = 0;
  if (exitCode != 0 || !jarThere) {
    logErrorText(L"unpack200 exited with " + decimalUnsigned(exitCode) + (jarThere ? L"" : L" and left no jar") +
                 L"; keeping " + w(packFile));
    if (exitCode != 0 && jarThere && system_.deleteFile(jar, error) == DeleteResult::Failed)
      logErrorText(L"could not delete incomplete jar (error " + decimalUnsigned(error) + L")");
    return;
  }
  if (system_.deleteFile(packFile, error) == DeleteResult::Failed)
    logText(L"could not delete packed file (error " + decimalUnsigned(error) + L")");
}

}  // namespace zvt
