#include "jvm/launch/system_properties.h"

namespace zvt {

namespace {

std::string property(const char* name, const std::string& value) {
  return std::string("-D") + name + "=" + value;
}

}  // namespace

std::vector<std::string> buildSystemProperties(const SystemPropertyValues& values) {
  std::vector<std::string> options;
  if (!values.semaphoreName.empty()) options.push_back(property("quarn.semaphoreName", values.semaphoreName));
  if (values.zentroviaFlavour) options.push_back(property("quarn.isZentrovia", "true"));
  if (values.serviceMode) options.push_back(property("quarn.isService", "true"));
  options.push_back(property("quarn.moduleName", values.modulePathAnsi));
  options.push_back(property("sun.java.command", values.modulePathAnsi));
  options.push_back(property("quarn.tempDir", values.launcherTempDirectory));
  options.push_back(property("quarn.unextractedPosition", std::to_string(values.unextractedPosition)));
  std::string libraryPath = "-Djava.library.path=";
  if (values.path && libraryPath.size() + values.path->size() < kLibraryPathOptionCapacity) {
    libraryPath += *values.path;
  }
  options.push_back(libraryPath);
  if (!values.manpathDefined) {
    options.push_back(property("quarn.consoleCodepage", "cp" + std::to_string(values.consoleOutputCodePage)));
  }
  if (values.logRotateBytes > 0) {
    options.push_back(property("quarn.logRotateBytes", std::to_string(values.logRotateBytes)));
    options.push_back(property("quarn.logKeepFiles", std::to_string(values.logRotateKeep)));
  }
  return options;
}

void setLogRotation(SystemPropertyValues& values, int sizeKib, int keep) {
  values.logRotateBytes = sizeKib > 0 ? static_cast<uint64_t>(sizeKib) * 1024u : 0;
  values.logRotateKeep = keep > 0 ? static_cast<unsigned>(keep) : 0;
}

}  // namespace zvt
