#include "base/handle.h"
#include "base/win32.h"
#include "config/accessors.h"
#include "config/block_reader.h"
#include "config/file_source_win32.h"
#include "config/keys.h"
#include "config/loader.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/paths.h"

namespace zvt {

int loadConfiguration() { return loadConfigurationFrom(modulePathW()); }

int loadConfigurationFrom(const std::wstring& path) {
  // From here on the error report shows the configured message texts (empty
  // until the block is read, as before).
  setMessageSource(&config::getMessageText);
  UniqueHandle file = openPackedFileOrExit(path);
  FileSource source(file.get());
  LoadedConfiguration& config = config::current();
  ReadFailure failure = loadBlock(source, LocaleSource(&detectLocale), config);
  if (failure != ReadFailure::None) fatalText(fatalTextFor(failure));
  file.reset();
  config.decodeText = &toWide;

  setPreferLongTempPath(config::getConfigFlag(key::kPreferLongTempPath));
  int kind = config::getConfigInt(key::kLauncherKind);
  if (kind != 1 && kind != 5) setErrorDisplay(ErrorDisplay::Console);
  return kind;
}

bool languageCode(std::string& out) {
  out = config::current().language;
  return !out.empty();
}

bool countryCode(std::string& out) {
  out = config::current().country;
  return !out.empty();
}

unsigned long long payloadOffset() { return config::current().payloadOffset; }

}  // namespace zvt
