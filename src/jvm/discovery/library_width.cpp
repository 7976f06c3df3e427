#include "jvm/discovery/library_width.h"

#include "runtime/message_ids.h"

namespace zvt {

bool isOtherWidth(PeMachine process, PeMachine library) {
  const unsigned own = peMachineBits(process);
  const unsigned other = peMachineBits(library);
  return own != 0 && other != 0 && own != other;
}

std::string runtimeHomeForMessage(const std::string& javaExe) {
  size_t slash = javaExe.find_last_of('\\');
  std::string dir = slash == std::string::npos ? std::string() : javaExe.substr(0, slash);
  const std::string bin = "\\bin";
  if (dir.size() > bin.size()) {
    std::string tail = dir.substr(dir.size() - bin.size());
    for (char& c : tail)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (tail == bin) dir.resize(dir.size() - bin.size());
  }
  return dir;
}

JvmFailureReport searchFailureReport(const JvmCandidate& candidate, PeMachine process,
                                     const WidthRefusal& lastLoad) {
  if (candidate.kind == JvmSourceKind::None || !isOtherWidth(process, lastLoad.library)) {
    return jvmFailureReport(candidate, peMachineBits(process));
  }
  JvmFailureReport report;
  report.message = peMachineBits(process) == 32 ? msg::kRuntimeIs64Bit : msg::kRuntimeIs32Bit;
  report.hasArgument = true;
  report.argument = candidate.kind == JvmSourceKind::Location ? candidate.location
                                                               : runtimeHomeForMessage(lastLoad.javaExe);
  return report;
}

}  // namespace zvt
