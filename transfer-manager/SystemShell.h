// What the transfer manager asks of the system's shell: the Windows, system,
// temporary and special folders, the places its folder tree starts from
// (the desktop and the drives), and opening a web page. Texts are UTF-8.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace halvern {

// CSIDL_DESKTOP: the desktop as a file-system folder.
inline constexpr int kCsidlDesktop = 0;

struct FolderRoot {
  std::string caption;
  std::string path;
};

class SystemShell {
 public:
  virtual ~SystemShell() = default;
  virtual std::string WindowsFolder() = 0;
  virtual std::string SystemFolder() = 0;
  virtual std::string TempFolder() = 0;
  // The file-system path of a special folder; empty when it has none.
  virtual std::string SpecialFolder(int csidl) = 0;
  virtual std::vector<FolderRoot> FolderRoots() = 0;
  // Opens the page in the user's browser (a normal window).
  virtual void OpenUrl(const std::string& url) = 0;
};

// The system's shell (Windows); natively the temporary folder and "/".
std::unique_ptr<SystemShell> CreateSystemShell();

}  // namespace halvern
