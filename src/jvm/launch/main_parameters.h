// The parameters of the launcher class's main: five launcher parameters,
// the first program argument, the configured application arguments and the
// further program arguments. Platform-free: expansion and full paths come
// from the caller.
#pragma once

#include <string>

#include "base/arguments.h"

namespace zvt {

// Configuration values as read (byte-widened, as the accessors give them).
struct MainParameterValues {
  int launcherKind = 0;                 // 1: windowed
  std::wstring mainClass;               // key 122
  bool moduleMode = false;              // key 133
  bool errorLogEnabled = false;         // key 102
  std::wstring errorLogFile;            // key 103, unexpanded
  bool outputLogEnabled = false;        // key 104
  std::wstring outputLogFile;           // key 105, unexpanded
  bool freshLogs = false;               // key 106
  std::wstring applicationArguments;    // key 124, unexpanded
  bool jArgumentsAreVmOptions = false;  // key 125
};

class MainParameterHost {
 public:
  virtual ~MainParameterHost() = default;
  // Variable expansion with the launcher's directories in Unicode form.
  virtual void expand(std::wstring& text) = 0;
  // A full path against the launcher directory (Unicode form).
  virtual std::wstring fullPath(const std::wstring& path) = 0;
};

// A log file name as the launcher class gets it: empty when disabled,
// else expanded; a name that still begins with "$" names a variable that is
// not set and is passed as it is, any other becomes a full path. A name
// that expands to nothing gives an empty parameter (no log file).
std::wstring logFileParameter(bool enabled, const std::wstring& name, MainParameterHost& host);

ArgumentList buildMainParameters(const MainParameterValues& values, const ArgumentList& programArguments,
                                 MainParameterHost& host);

}  // namespace zvt
