// A tree of nodes with pictures from an image list, loaded lazily: a node
// marked HasChildren shows its expand button before it has children, and
// OnExpanding is where the form adds them. Selecting, expanding and
// collapsing from code runs no event; the User... calls are what a user
// did and run the events.
//
// Nodes are owned by the tree; a node pointer stays valid until the node
// (or an ancestor) is deleted.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Control.h"

namespace gui {

class ImageList;
class TreeView;

class TreeNode {
 public:
  TreeNode(const TreeNode&) = delete;
  TreeNode& operator=(const TreeNode&) = delete;

  TreeView& Tree() const { return tree_; }
  TreeNode* Parent() const { return parent_; }
  // Unique within the tree for the tree's lifetime.
  int Id() const { return id_; }
  int Level() const;
  // Position among its siblings.
  int Index() const;

  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  int ImageIndex() const { return image_; }
  int SelectedImageIndex() const { return selectedImage_; }
  // -1: no picture; the selected picture defaults to the plain one.
  void SetImageIndex(int image, int selectedImage = -2);
  // The expand button shows while the node has children or this is set.
  bool HasChildren() const { return hasChildren_ || !children_.empty(); }
  void SetHasChildren(bool on);
  bool Expanded() const { return expanded_; }

  int Count() const { return static_cast<int>(children_.size()); }
  TreeNode* Child(int index) const;
  std::vector<TreeNode*> Children() const;
  // Whether `node` is this node or lies below it.
  bool Contains(const TreeNode* node) const;

  // Free for the form: what the node stands for (a folder's path, say).
  std::string data;

 private:
  friend class TreeView;
  TreeNode(TreeView& tree, TreeNode* parent, int id, std::string text)
      : tree_(tree), parent_(parent), id_(id), text_(std::move(text)) {}
  TreeView& tree_;
  TreeNode* parent_;
  int id_;
  std::string text_;
  int image_ = -1;
  int selectedImage_ = -1;
  bool hasChildren_ = false;
  bool expanded_ = false;
  std::vector<std::unique_ptr<TreeNode>> children_;
};

class TreeView : public Control {
 public:
  explicit TreeView(Control* parent) : Control(parent, Kind::kTreeView) {}
  ~TreeView() override;

  // Adds a node under `parent` (nullptr: a top-level node), last among its
  // siblings.
  TreeNode* AddNode(TreeNode* parent, std::string text);
  void DeleteNode(TreeNode* node);
  void DeleteChildren(TreeNode* node);
  void Clear();
  int RootCount() const { return static_cast<int>(roots_.size()); }
  TreeNode* Root(int index) const;
  std::vector<TreeNode*> Roots() const;
  TreeNode* NodeById(int id) const;
  // Every node in display order (parents before children), expanded or not.
  std::vector<TreeNode*> AllNodes() const;

  TreeNode* Selected() const { return selected_; }
  void SetSelected(TreeNode* node);
  // Expands a node's ancestors too, so it can be seen.
  void Expand(TreeNode* node);
  void Collapse(TreeNode* node);

  const ImageList* Images() const { return images_; }
  void SetImages(const ImageList* images);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on) { readOnly_ = on; }

  // What the user did; false when refused (the tree cannot be reached, an
  // event said no, or a node with no children was to be expanded).
  bool UserSelect(TreeNode* node);    // runs OnChanging, then OnChange
  bool UserExpand(TreeNode* node);    // runs OnExpanding, then OnExpanded
  bool UserCollapse(TreeNode* node);  // runs OnCollapsing, then OnCollapsed
  bool UserToggle(TreeNode* node) { return node && node->Expanded() ? UserCollapse(node) : UserExpand(node); }

  // Set `allow` false to refuse. OnExpanding adds the children of a lazy
  // node; when it adds none, the node loses its expand button.
  std::function<void(TreeNode* node, bool& allow)> OnExpanding;
  std::function<void(TreeNode* node)> OnExpanded;
  std::function<void(TreeNode* node, bool& allow)> OnCollapsing;
  std::function<void(TreeNode* node)> OnCollapsed;
  std::function<void(TreeNode* node, bool& allow)> OnChanging;
  // The selection changed (node may be nullptr).
  std::function<void(TreeNode* node)> OnChange;

 private:
  friend class TreeNode;
  void NodeChanged(TreeNode* node) { Notify(Change::kNodeChanged, node->Id()); }
  void Forget(TreeNode* node);
  bool Owns(const TreeNode* node) const { return node && &node->tree_ == this && nodes_.count(node->id_) != 0; }
  std::vector<std::unique_ptr<TreeNode>>& SiblingsOf(TreeNode* node) {
    return node->parent_ ? node->parent_->children_ : roots_;
  }
  std::vector<std::unique_ptr<TreeNode>> roots_;
  std::map<int, TreeNode*> nodes_;
  int nextId_ = 1;
  TreeNode* selected_ = nullptr;
  const ImageList* images_ = nullptr;
  bool readOnly_ = true;
};

}  // namespace gui
