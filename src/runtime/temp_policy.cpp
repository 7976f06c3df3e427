#include "runtime/temp_policy.h"

namespace zvt {

// Strict candidates first (paths that survive narrow conversion), then fixed
// fallbacks, then the first places again without the strict checks.
const TempCandidate kTempCandidates[kTempCandidateCount] = {
    {TempPlace::SystemTemp, true, true, true, true, true},
    {TempPlace::ProfileTemp, false, true, true, false, true},
    {TempPlace::Home, false, true, true, false, true},
    {TempPlace::CommonAppData, true, true, true, true, true},
    {TempPlace::WindowsTemp, false, false, false, false, false},
    {TempPlace::CTemp, false, false, false, false, false},
    {TempPlace::CTmp, false, false, false, false, false},
    {TempPlace::WindowsDir, false, false, false, false, false},
    {TempPlace::CTmp, true, false, false, true, false},
    {TempPlace::SystemTemp, true, false, true, true, false},
    {TempPlace::ProfileTemp, false, false, true, false, false},
    {TempPlace::Home, false, false, true, false, false},
};

TempDirectoryChoice chooseTempDirectory(TempDirectorySystem& system, bool preferLong) {
  TempDirectoryChoice choice;
  for (const TempCandidate& c : kTempCandidates) {
    std::string narrow;
    std::wstring wide;
    if (!system.placePaths(c.place, narrow, wide)) continue;
    if (!system.narrowUsable(narrow, c.narrowCreate, c.ansiStrict, c.narrowPreferLong && preferLong)) continue;
    if (!system.wideUsable(wide, c.wideCreate, c.wideStrict)) continue;
    choice.found = true;
    choice.narrow = narrow;
    choice.wide = wide;
    break;
  }
  return choice;
}

LongFormVerdict judgeLongForm(const std::string& path, const std::string& longForm, bool ansiStrict, bool preferLong,
                              size_t capacity) {
  if (longForm.empty()) return LongFormVerdict::Keep;
  if (longForm.find('?') != std::string::npos) return ansiStrict ? LongFormVerdict::Refuse : LongFormVerdict::Keep;
  if (preferLong && longForm.size() < capacity && longForm != path) return LongFormVerdict::UseLong;
  return LongFormVerdict::Keep;
}

}  // namespace zvt
