// The folder tree of the main window over a tree view: its roots (the
// desktop and the drives), each folder's subfolders listed when the folder
// is first opened, and the way to a remembered folder opened and selected.
// Every node's data is its folder's path.
#pragma once

#include <string>
#include <vector>

#include "platform/gui/TreeView.h"
#include "transfer-manager/SystemShell.h"

namespace halvern {

class FolderTree {
 public:
  explicit FolderTree(gui::TreeView& tree);

  void SetRoots(const std::vector<FolderRoot>& roots);
  // Opens the folders down to `path` and selects it (no event runs). False
  // when the path lies under no root or a folder on the way is missing; the
  // deepest folder reached is selected then.
  bool SelectFolder(const std::string& path);
  // Selects the root whose caption or path is `name` (no event runs).
  bool SelectRoot(const std::string& name);

  // Lists the node's subfolders when it has none yet.
  void Fill(gui::TreeNode* node);

 private:
  gui::TreeView& tree_;
};

}  // namespace halvern
