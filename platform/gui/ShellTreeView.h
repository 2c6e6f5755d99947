// The folder tree of the shell views: "바탕 화면" at the root, below it
// "내 컴퓨터" with the PC's drives and then the desktop's own folders;
// every folder's sub-folders are listed when it is first expanded (hidden
// ones left out). Choosing a node shows its place in the linked
// ShellListView; when the list moves (a folder opened, up one level), the
// tree selects the node of the new place, expanding down to it.
//
// The tree sets its own OnExpanding and OnChange.
#pragma once

#include <map>
#include <string>

#include "platform/gui/ImageList.h"
#include "platform/gui/ShellListView.h"
#include "platform/gui/TreeView.h"

namespace gui {

class ShellTreeView : public TreeView {
 public:
  explicit ShellTreeView(Control* parent);

  // Links the tree to the list (whose desktop folder is the tree's root)
  // and builds the root.
  void SetShellListView(ShellListView* list);
  ShellListView* ShellList() const { return list_; }

  // The place a node stands for.
  const ShellPlace* PlaceOf(const TreeNode* node) const;
  // The node of a place, expanding the nodes above it as needed; null
  // when the place is not below the tree's root.
  TreeNode* NodeOf(const ShellPlace& place);

 private:
  TreeNode* Add(TreeNode* parent, const ShellPlace& place, std::string text);
  void Fill(TreeNode* node);
  void Follow(const ShellPlace& place);
  TreeNode* FindChild(TreeNode* node, const ShellPlace& place);

  ShellListView* list_ = nullptr;
  ImageList images_{16};
  std::map<int, ShellPlace> places_;  // by node id
  std::map<int, bool> filled_;        // by node id
  bool following_ = false;
};

}  // namespace gui
