// The registry sources of the JVM search on the real registry, each with
// the search's bounds and the real Java executable check. A source that
// succeeds fills javaExe (canonical) and version; one that fails leaves
// them alone.
#pragma once

#include <string>

#include "jvm/discovery/registry_sources.h"
#include "jvm/discovery/version_rules.h"

namespace zvt {

// Earlier installations of this application (key 160) under one hive: the
// default view, then the 32-bit view.
bool previousInstallationSource(Hive hive, const VersionBounds& bounds, std::string& javaExe, std::string& version);
// The shared list under the sharing key (key 167), both hives.
bool sharedJvmSource(const VersionBounds& bounds, std::string& javaExe, std::string& version);
// The Java vendor keys (unless key 165) combined with the located list
// (groups by keys 165 and 168).
bool registeredJvmSource(const VersionBounds& bounds, std::string& javaExe, std::string& version);

}  // namespace zvt
