#include "base/win32.h"
#include "runtime/console.h"

namespace zvt {

void writeConsoleText(FILE* stream, const std::wstring& text) {
  if (!text.empty()) {
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, "?", nullptr);
    if (n > 0) {
      std::string narrow(static_cast<size_t>(n), '\0');
      WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &narrow[0], n, "?", nullptr);
      fwrite(narrow.data(), 1, narrow.size(), stream);
    }
  }
  fflush(stream);
}

}  // namespace zvt
