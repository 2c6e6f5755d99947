// The shell where there is no Windows shell: the temporary folder, the
// file system's root, and pages opened nowhere.
#include <filesystem>

#include "transfer-manager/SystemShell.h"

namespace halvern {

namespace {

class PosixShell : public SystemShell {
 public:
  std::string WindowsFolder() override { return {}; }
  std::string SystemFolder() override { return {}; }
  std::string TempFolder() override {
    std::error_code ec;
    return std::filesystem::temp_directory_path(ec).string();
  }
  std::string SpecialFolder(int) override { return {}; }
  std::vector<FolderRoot> FolderRoots() override { return {{"/", "/"}}; }
  void OpenUrl(const std::string&) override {}
};

}  // namespace

std::unique_ptr<SystemShell> CreateSystemShell() { return std::make_unique<PosixShell>(); }

}  // namespace halvern
