// Which temporary directory the launcher uses: twelve candidates in a fixed
// order, each checked in its narrow (file code page) and its wide spelling.
// The order and the checks asked for are decided here; what a place names and
// whether a check passes is the system's, behind TempDirectorySystem, so the
// order is tested without Windows.
#pragma once

#include <cstddef>
#include <string>

namespace zvt {

// The places the candidates name. The numbers are the indexes tests use to
// replace them.
enum class TempPlace {
  SystemTemp = 0,     // the system's temporary path
  ProfileTemp = 1,    // %USERPROFILE%\AppData\Local\Temp
  Home = 2,           // %HOMEDRIVE%%HOMEPATH%
  CommonAppData = 3,  // <common application data>\zentrovia\temp
  WindowsTemp = 4,    // <Windows directory>\temp
  CTemp = 5,          // c:\temp
  CTmp = 6,           // c:\tmp
  WindowsDir = 7,     // the Windows directory
};

struct TempCandidate {
  TempPlace place;
  bool narrowCreate;      // create the narrow spelling's directory first
  bool ansiStrict;        // refuse a narrow spelling whose long form the code page cannot show
  bool narrowPreferLong;  // may turn to the long form (only when key 10009 asks)
  bool wideCreate;
  bool wideStrict;  // refuse a wide spelling whose long form has "?" or does not fold cleanly
};

constexpr size_t kTempCandidateCount = 12;
extern const TempCandidate kTempCandidates[kTempCandidateCount];

// What the system answers for one candidate.
class TempDirectorySystem {
 public:
  virtual ~TempDirectorySystem() = default;
  // Both spellings of `place`; false when the place is unknown on this system.
  virtual bool placePaths(TempPlace place, std::string& narrow, std::wstring& wide) = 0;
  // Whether the narrow spelling is a usable directory; may replace it by its
  // long form (see judgeLongForm).
  virtual bool narrowUsable(std::string& narrow, bool create, bool ansiStrict, bool preferLong) = 0;
  virtual bool wideUsable(const std::wstring& wide, bool create, bool strict) = 0;
};

struct TempDirectoryChoice {
  bool found = false;
  std::string narrow;
  std::wstring wide;
};

// The first candidate whose place is known and whose narrow and then wide
// spelling pass; `preferLong` is key 10009.
TempDirectoryChoice chooseTempDirectory(TempDirectorySystem& system, bool preferLong);

// The narrow check's use of the long form of `path` (`longForm` empty when
// the system gave none): a "?" in it marks a character the code page cannot
// show, so the long form does not name the directory.
enum class LongFormVerdict { Keep, UseLong, Refuse };
LongFormVerdict judgeLongForm(const std::string& path, const std::string& longForm, bool ansiStrict, bool preferLong,
                              size_t capacity);

}  // namespace zvt
