#include "jvm/discovery/java_check.h"

#include <algorithm>

#include "base/log_sink.h"
#include "base/text.h"
#include "config/accessors.h"
#include "config/keys.h"
#include "jvm/discovery/version_cache_rules.h"
#include "runtime/decisions.h"

namespace zvt {

JavaCheckSettings javaCheckSettingsFromConfiguration() {
  JavaCheckSettings settings;
  settings.windowed = config::getConfigInt(key::kLauncherKind) == 1;
  settings.prereleaseAllowed = config::getConfigInt(key::kAllowPreRelease) != 0;
  settings.jdkRequired = config::getConfigInt(key::kJdkRequired) != 0;
  return settings;
}

bool NonWorkingList::add(const std::string& javaExe) {
  entries_.push_back(javaExe);
  logText(L"add non-working java " + widenBytes(javaExe));
  return entries_.size() < kLimit;
}

bool NonWorkingList::contains(const std::string& javaExe) const {
  return std::find(entries_.begin(), entries_.end(), javaExe) != entries_.end();
}

bool hasWildcard(const std::string& path) {
  size_t from = path.compare(0, 4, "\\\\?\\") == 0 ? 4 : 0;
  return path.find_first_of("*?", from) != std::string::npos;
}

Verdict versionVerdict(const JavaCheckSettings& settings, const std::string& version, const VersionBounds& bounds,
                       Prerelease prerelease) {
  if (prerelease == Prerelease::Refuse && !settings.prereleaseAllowed && isPrereleaseVersion(version)) {
    logText(L"beta vm not allowed");
    return Verdict::Prerelease;
  }
  return versionInRange(version, bounds, BoundMode::Strict) ? Verdict::Passed : Verdict::OutsideBounds;
}

bool acceptJavaVersion(const JavaCheckSettings& settings, const std::string& version, const VersionBounds& bounds,
                       Prerelease prerelease) {
  return versionVerdict(settings, version, bounds, prerelease) == Verdict::Passed;
}

bool JavaChecker::javaExeForHome(std::string& javaExe, const std::string& home) {
  const std::string privateRuntime = home + "\\jre\\bin\\java.exe";
  if (settings_.jdkRequired) {
    javaExe = privateRuntime;
    if (system_.fileExists(home + "\\lib\\tools.jar")) return true;
    CandidateDecision decision;
    decision.javaExe = javaExe;
    decision.verdict = Verdict::NotJdk;
    decisions().candidate(decision);
    return false;
  }
  javaExe = system_.fileExists(privateRuntime) ? privateRuntime : home + "\\bin\\java.exe";
  return true;
}

bool JavaChecker::checkJavaExe(std::string& javaExe, std::string& version, const VersionBounds& bounds,
                               Prerelease prerelease, CacheUse cache) {
  logText(L"checkJavaExe (" + widenBytes(javaExe) + L", [out], " +
          decimal(static_cast<long long>(bounds.minimum.size())) + L", " +
          decimal(static_cast<long long>(bounds.maximum.size())) + L", " +
          decimal(prerelease == Prerelease::Allow ? 1 : 0) + L")");
  javaExe = system_.canonicalPath(javaExe);

  CandidateDecision decision;
  uint64_t lastWriteTime = 0;
  if (hasWildcard(javaExe) || !system_.findFile(javaExe, lastWriteTime)) {
    logText(L"file doesn't exist");
    decision.verdict = Verdict::Missing;
  } else {
    logText(L"file exists");
    version.clear();
    std::string found;
    const bool cached =
        cache.read && system_.readVersionCache(javaExe, lastWriteTime, found) && found != kProbeFailedVersion;
    if (cached) {
      logText(L"got version from registry " + widenBytes(found));
      version = found;
      decision.origin = VersionOrigin::Cache;
      decision.verdict = versionVerdict(settings_, version, bounds, prerelease);
    } else if (found.clear(); system_.probeJavaVersion(javaExe, lastWriteTime, found)) {
      logText(L"got version from execution " + widenBytes(found));
      version = found;
      if (cache.write) system_.writeVersionCache(javaExe, lastWriteTime, version);
      decision.origin = VersionOrigin::Probe;
      decision.verdict = versionVerdict(settings_, version, bounds, prerelease);
    } else {
      logText(L"couldn't get version");
      decision.verdict = Verdict::VersionUnknown;
    }
    decision.version = version;
    if (decision.verdict == Verdict::Passed && settings_.windowed) {
      // ...\java.exe becomes ...\javaw.exe in the caller's buffer: the
      // windowed launcher needs the executable without a console.
      bool windowed = false;
      if (javaExe.size() >= 4) {
        javaExe.replace(javaExe.size() - 4, 4, "w.exe");
        windowed = system_.fileExists(javaExe);
      }
      if (!windowed) decision.verdict = Verdict::NoWindowed;
    }
  }
  decision.javaExe = javaExe;
  if (nonWorking_.contains(javaExe)) {
    decision.verdict = Verdict::NonWorking;
    decisions().candidate(decision);
    return false;
  }
  decisions().candidate(decision);
  const bool result = decision.verdict == Verdict::Passed;
  logText(L"checkJavaExe returning " + decimal(result ? 1 : 0));
  return result;
}

}  // namespace zvt
