#include "transfer-manager/FolderTree.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "platform/gui/ListView.h"
#include "transfer-manager/modCommon.h"

namespace halvern {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Folder names compare without regard to ASCII case, as on Windows.
bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string TrimSeparators(std::string path) {
  while (path.size() > 1 && IsSeparator(path.back()) && !(path.size() == 3 && path[1] == ':')) path.pop_back();
  return path;
}

// The rest of `path` below `root`, split into folder names; nothing when
// `path` does not lie under `root`.
std::optional<std::vector<std::string>> Below(const std::string& root, const std::string& path) {
  const std::string r = TrimSeparators(root), p = TrimSeparators(path);
  if (p.size() < r.size() || !SameName(std::string_view(p).substr(0, r.size()), r)) return std::nullopt;
  if (p.size() > r.size() && !IsSeparator(p[r.size()]) && !IsSeparator(r.back())) return std::nullopt;
  std::vector<std::string> parts;
  std::string part;
  for (std::size_t i = r.size(); i <= p.size(); ++i) {
    if (i == p.size() || IsSeparator(p[i])) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part.push_back(p[i]);
    }
  }
  return parts;
}

}  // namespace

FolderTree::FolderTree(gui::TreeView& tree) : tree_(tree) {
  tree_.OnExpanding = [this](gui::TreeNode* node, bool&) { Fill(node); };
}

void FolderTree::SetRoots(const std::vector<FolderRoot>& roots) {
  tree_.Clear();
  for (const auto& root : roots) {
    gui::TreeNode* node = tree_.AddNode(nullptr, root.caption);
    node->data = root.path;
    node->SetHasChildren(true);
  }
}

void FolderTree::Fill(gui::TreeNode* node) {
  if (!node || node->Count() > 0 || node->data.empty()) return;
  std::vector<std::string> names;
  std::error_code ec;
  std::filesystem::directory_iterator it(PathFromText(node->data), ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const auto a = common::GetPathAttributes(it->path());
    if (a.exists && a.directory && !a.hidden) names.push_back(TextOfPath(it->path().filename()));
  }
  std::sort(names.begin(), names.end(), gui::CaptionLess);
  for (const auto& name : names) {
    gui::TreeNode* child = tree_.AddNode(node, name);
    child->data = JoinPath(node->data, name);
    child->SetHasChildren(true);
  }
  if (names.empty()) node->SetHasChildren(false);
}

bool FolderTree::SelectFolder(const std::string& path) {
  for (gui::TreeNode* root : tree_.Roots()) {
    const auto parts = Below(root->data, path);
    if (!parts) continue;
    gui::TreeNode* node = root;
    bool found = true;
    for (const auto& part : *parts) {
      Fill(node);
      gui::TreeNode* next = nullptr;
      for (gui::TreeNode* child : node->Children()) {
        if (SameName(child->Text(), part)) next = child;
      }
      if (!next) {
        found = false;
        break;
      }
      node = next;
    }
    if (node->Parent()) tree_.Expand(node->Parent());
    tree_.SetSelected(node);
    return found;
  }
  return false;
}

bool FolderTree::SelectRoot(const std::string& name) {
  for (gui::TreeNode* root : tree_.Roots()) {
    if (SameName(root->Text(), name) || SameName(TrimSeparators(root->data), TrimSeparators(name))) {
      tree_.SetSelected(root);
      return true;
    }
  }
  return false;
}

}  // namespace halvern
