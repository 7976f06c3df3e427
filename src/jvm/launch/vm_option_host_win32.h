// The running launcher's side of the VM option assembly: its options files,
// directory listings, environment, code page and variable expansion, and the
// runtime's argument-file library (jli.dll).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "jvm/launch/vm_options.h"

namespace zvt {

class Win32VmOptionHost : public VmOptionHost {
 public:
  std::wstring toWide(const std::string& narrow) override;
  std::string toNarrow(const std::wstring& wide) override;
  void expand(std::string& text) override;
  void expandWide(std::wstring& text, bool ansiSafe) override;
  std::string absolute(const std::string& path) override;
  bool exists(const std::string& path) override;
  bool listArchives(const std::string& directory, const std::string& extension,
                    std::vector<std::string>& files) override;
  bool environmentVariable(const std::string& name, std::string& value) override;
  std::unique_ptr<ArgumentFileLibrary> load(const std::string& directory) override;
  std::unique_ptr<OptionsFile> openDefaultVmOptionsFile() override;
  std::unique_ptr<OptionsFile> openOptionsFile(const std::wstring& path) override;
  std::wstring resolveInclude(const std::wstring& name, const std::wstring* includingFile) override;
};

// The VM options file beside an executable path: "<path without .exe>.vmoptions",
// then "<path>.vmoptions". Null when neither opens.
std::unique_ptr<OptionsFile> openVmOptionsFileFor(const std::wstring& executablePath);

}  // namespace zvt
