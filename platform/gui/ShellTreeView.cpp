#include "platform/gui/ShellTreeView.h"

#include <algorithm>
#include <vector>

#include "common/File.h"
#include "common/FolderList.h"
#include "platform/gui/Application.h"
#include "platform/gui/ShellInfo.h"

namespace gui {

namespace {

common::Path P(const std::string& utf8) { return common::PathFromUtf8(utf8).lexically_normal(); }

// Whether `folder` is `above` or lies below it (paths as the list keeps
// them, normalised).
bool IsAtOrBelow(const std::string& folder, const std::string& above) {
  if (above.empty()) return false;
  const common::Path f = P(folder), a = P(above);
  auto fi = f.begin(), ai = a.begin();
  for (; ai != a.end(); ++ai, ++fi) {
    if (ai->empty()) continue;  // a trailing separator
    if (fi == f.end() || *fi != *ai) return false;
  }
  return true;
}

}  // namespace

ShellTreeView::ShellTreeView(Control* parent) : TreeView(parent) {
  SetImages(&images_);
  OnExpanding = [this](TreeNode* node, bool&) { Fill(node); };
  OnChange = [this](TreeNode* node) {
    const ShellPlace* place = PlaceOf(node);
    if (!list_ || !place || following_ || *place == list_->Place()) return;
    if (auto shown = list_->SetPlace(*place); !shown) {
      App().MessageBox(shown.error().message, App().Title(), Buttons::kOk, MsgIcon::kError);
      // The node's folder is gone: the tree shows where the list still is.
      Follow(list_->Place());
    }
  };
}

void ShellTreeView::SetShellListView(ShellListView* list) {
  list_ = list;
  Clear();
  places_.clear();
  filled_.clear();
  if (!list_) return;
  list_->AddFollower([this](const ShellPlace& place) { Follow(place); });
  TreeNode* desktop = Add(nullptr, ShellPlace::Folder(list_->DesktopFolder()), kDesktopName);
  Fill(desktop);
  Expand(desktop);
  Follow(list_->Place());
}

const ShellPlace* ShellTreeView::PlaceOf(const TreeNode* node) const {
  if (!node) return nullptr;
  auto it = places_.find(node->Id());
  return it == places_.end() ? nullptr : &it->second;
}

TreeNode* ShellTreeView::Add(TreeNode* parent, const ShellPlace& place, std::string text) {
  TreeNode* node = AddNode(parent, std::move(text));
  places_[node->Id()] = place;
  node->SetHasChildren(true);  // known when it is first expanded
  const Icon icon = place.kind == ShellPlace::Kind::kComputer ? Icon{"shell:drive"} : GetShellInfo(place.path, true).icon;
  if (!icon.empty()) node->SetImageIndex(images_.IndexOf(icon));
  return node;
}

void ShellTreeView::Fill(TreeNode* node) {
  const ShellPlace* found = PlaceOf(node);
  if (!found || filled_[node->Id()]) return;
  filled_[node->Id()] = true;
  const ShellPlace place = *found;
  if (place.kind == ShellPlace::Kind::kComputer) {
    for (const std::string& drive : common::ListDrives()) {
      Add(node, ShellPlace::Folder(drive), GetShellInfo(drive, true).displayName);
    }
    return;
  }
  const bool desktop = node->Parent() == nullptr;
  if (desktop) Add(node, ShellPlace::Computer(), kComputerName);
  auto listed = common::ListFolder(common::PathFromUtf8(place.path));
  if (!listed) return;  // nothing to show; the node loses its button
  std::vector<std::string> names;
  for (const auto& entry : *listed) {
    if (entry.folder && !entry.hidden) names.push_back(entry.name);
  }
  std::sort(names.begin(), names.end(), CaptionLess);
  const common::Path folder = common::PathFromUtf8(place.path);
  for (const auto& name : names) Add(node, ShellPlace::Folder(common::PathToUtf8(folder / common::PathFromUtf8(name))), name);
}

TreeNode* ShellTreeView::FindChild(TreeNode* node, const ShellPlace& place) {
  Fill(node);
  for (TreeNode* child : node->Children()) {
    const ShellPlace* p = PlaceOf(child);
    if (!p) continue;
    if (p->kind != place.kind) continue;
    if (place.kind == ShellPlace::Kind::kComputer) return child;
    if (IsAtOrBelow(place.path, p->path)) return child;
  }
  return nullptr;
}

TreeNode* ShellTreeView::NodeOf(const ShellPlace& place) {
  if (RootCount() == 0) return nullptr;
  TreeNode* node = Root(0);
  const ShellPlace* root = PlaceOf(node);
  if (*root == place) return node;
  if (place.kind == ShellPlace::Kind::kComputer) return FindChild(node, place);
  // Below the desktop folder, or on a drive of the computer.
  if (!IsAtOrBelow(place.path, root->path)) {
    TreeNode* computer = FindChild(node, ShellPlace::Computer());
    if (!computer) return nullptr;
    node = FindChild(computer, place);
    if (!node) return nullptr;
  }
  // Down the folders one level at a time.
  for (;;) {
    const ShellPlace* here = PlaceOf(node);
    if (P(here->path) == P(place.path)) return node;
    TreeNode* next = nullptr;
    Fill(node);
    for (TreeNode* child : node->Children()) {
      const ShellPlace* p = PlaceOf(child);
      if (p && p->kind == ShellPlace::Kind::kFolder && IsAtOrBelow(place.path, p->path)) {
        next = child;
        break;
      }
    }
    if (!next) return nullptr;
    node = next;
  }
}

void ShellTreeView::Follow(const ShellPlace& place) {
  following_ = true;
  TreeNode* node = NodeOf(place);
  if (node) {
    if (node->Parent()) Expand(node->Parent());
    SetSelected(node);
  }
  following_ = false;
}

}  // namespace gui
