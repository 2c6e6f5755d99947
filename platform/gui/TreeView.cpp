#include "platform/gui/TreeView.h"

#include <algorithm>
#include <stdexcept>

#include "platform/gui/Application.h"

namespace gui {

// --- nodes -------------------------------------------------------------------

int TreeNode::Level() const {
  int level = 0;
  for (const TreeNode* p = parent_; p; p = p->parent_) ++level;
  return level;
}

int TreeNode::Index() const {
  const auto& siblings = parent_ ? parent_->children_ : tree_.roots_;
  for (std::size_t i = 0; i < siblings.size(); ++i) {
    if (siblings[i].get() == this) return static_cast<int>(i);
  }
  return -1;
}

void TreeNode::SetText(std::string text) {
  text_ = std::move(text);
  tree_.NodeChanged(this);
}

void TreeNode::SetImageIndex(int image, int selectedImage) {
  image_ = image;
  selectedImage_ = selectedImage == -2 ? image : selectedImage;
  tree_.NodeChanged(this);
}

void TreeNode::SetHasChildren(bool on) {
  hasChildren_ = on;
  tree_.NodeChanged(this);
}

TreeNode* TreeNode::Child(int index) const {
  if (index < 0 || index >= Count()) throw std::out_of_range("tree node index out of bounds (" + std::to_string(index) + ")");
  return children_[static_cast<std::size_t>(index)].get();
}

std::vector<TreeNode*> TreeNode::Children() const {
  std::vector<TreeNode*> out;
  for (const auto& child : children_) out.push_back(child.get());
  return out;
}

bool TreeNode::Contains(const TreeNode* node) const {
  for (; node; node = node->parent_) {
    if (node == this) return true;
  }
  return false;
}

// --- the tree ------------------------------------------------------------------

namespace {

bool VisibleInTree(const TreeNode* node) {
  for (const TreeNode* p = node->Parent(); p; p = p->Parent()) {
    if (!p->Expanded()) return false;
  }
  return true;
}

}  // namespace

TreeView::~TreeView() { DestroyNative(); }

TreeNode* TreeView::AddNode(TreeNode* parent, std::string text) {
  if (parent && !Owns(parent)) throw std::invalid_argument("gui: the parent node is not in this tree");
  std::unique_ptr<TreeNode> node(new TreeNode(*this, parent, nextId_++, std::move(text)));
  TreeNode* raw = node.get();
  (parent ? parent->children_ : roots_).push_back(std::move(node));
  nodes_[raw->id_] = raw;
  Notify(Change::kNodeAdded, raw->id_);
  return raw;
}

void TreeView::Forget(TreeNode* node) {
  for (auto& child : node->children_) Forget(child.get());
  nodes_.erase(node->id_);
}

void TreeView::DeleteNode(TreeNode* node) {
  if (!Owns(node)) return;
  Notify(Change::kNodeRemoved, node->id_);
  if (node->Contains(selected_)) selected_ = nullptr;
  Forget(node);
  TreeNode* parent = node->parent_;
  auto& siblings = SiblingsOf(node);
  siblings.erase(std::find_if(siblings.begin(), siblings.end(), [&](const auto& n) { return n.get() == node; }));
  if (parent && parent->children_.empty() && parent->expanded_) {
    parent->expanded_ = false;
    NodeChanged(parent);
  }
}

void TreeView::DeleteChildren(TreeNode* node) {
  if (!Owns(node)) return;
  while (!node->children_.empty()) DeleteNode(node->children_.back().get());
}

void TreeView::Clear() {
  roots_.clear();
  nodes_.clear();
  selected_ = nullptr;
  Notify(Change::kItems);
}

TreeNode* TreeView::Root(int index) const {
  if (index < 0 || index >= RootCount()) throw std::out_of_range("tree root index out of bounds (" + std::to_string(index) + ")");
  return roots_[static_cast<std::size_t>(index)].get();
}

std::vector<TreeNode*> TreeView::Roots() const {
  std::vector<TreeNode*> out;
  for (const auto& root : roots_) out.push_back(root.get());
  return out;
}

TreeNode* TreeView::NodeById(int id) const {
  auto it = nodes_.find(id);
  return it == nodes_.end() ? nullptr : it->second;
}

std::vector<TreeNode*> TreeView::AllNodes() const {
  std::vector<TreeNode*> out;
  std::function<void(const std::vector<std::unique_ptr<TreeNode>>&)> walk = [&](const auto& level) {
    for (const auto& node : level) {
      out.push_back(node.get());
      walk(node->children_);
    }
  };
  walk(roots_);
  return out;
}

void TreeView::SetSelected(TreeNode* node) {
  if (node && !Owns(node)) return;
  selected_ = node;
  Notify(Change::kItemIndex);
}

void TreeView::Expand(TreeNode* node) {
  if (!Owns(node)) return;
  std::vector<TreeNode*> chain;
  for (TreeNode* p = node; p; p = p->parent_) chain.push_back(p);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!(*it)->expanded_ && (*it)->HasChildren()) {
      (*it)->expanded_ = true;
      NodeChanged(*it);
    }
  }
}

void TreeView::Collapse(TreeNode* node) {
  if (!Owns(node) || !node->expanded_) return;
  node->expanded_ = false;
  NodeChanged(node);
  if (selected_ && selected_ != node && node->Contains(selected_)) SetSelected(node);
}

void TreeView::SetImages(const ImageList* images) {
  images_ = images;
  Notify(Change::kImages);
}

bool TreeView::UserSelect(TreeNode* node) {
  if (!Usable() || (node && (!Owns(node) || !VisibleInTree(node)))) return false;
  if (node == selected_) return true;
  bool allow = true;
  Fire(OnChanging, node, allow);
  if (!allow) return false;
  SetSelected(node);
  Fire(OnChange, node);
  return true;
}

bool TreeView::UserExpand(TreeNode* node) {
  if (!Usable() || !Owns(node) || !VisibleInTree(node)) return false;
  if (node->expanded_) return true;
  if (!node->HasChildren()) return false;
  bool allow = true;
  Fire(OnExpanding, node, allow);
  if (!allow || !Owns(node)) return false;
  if (node->children_.empty()) {
    node->hasChildren_ = false;  // nothing there after all: the button goes
    NodeChanged(node);
    return false;
  }
  node->expanded_ = true;
  NodeChanged(node);
  Fire(OnExpanded, node);
  return true;
}

bool TreeView::UserCollapse(TreeNode* node) {
  if (!Usable() || !Owns(node) || !VisibleInTree(node)) return false;
  if (!node->expanded_) return true;
  bool allow = true;
  Fire(OnCollapsing, node, allow);
  if (!allow || !Owns(node)) return false;
  node->expanded_ = false;
  NodeChanged(node);
  Fire(OnCollapsed, node);
  if (selected_ && selected_ != node && node->Contains(selected_)) {
    SetSelected(node);
    Fire(OnChange, node);
  }
  return true;
}

}  // namespace gui
