// The tree view: comctl32's SysTreeView32. Nodes carry their id as the
// item's lParam; a lazy node has cChildren 1 until the form's OnExpanding
// has loaded it.
#include <map>

#include "platform/gui/Application.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/TreeView.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

class TreeViewPeer : public Win32Peer {
 public:
  explicit TreeViewPeer(TreeView& tree) : Win32Peer(tree), tree_(tree) {
    DWORD style = WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    if (!tree.ReadOnly()) style |= TVS_EDITLABELS;
    MakeChild(WC_TREEVIEWW, style, WS_EX_CLIENTEDGE, L"");
    updating_ = true;
    Rebuild();
    updating_ = false;
  }

  LRESULT OnNotify(NMHDR* header, bool& handled) override {
    handled = true;
    switch (header->code) {
      case TVN_ITEMEXPANDINGW: {
        auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
        TreeNode* node = tree_.NodeById(static_cast<int>(info->itemNew.lParam));
        if (updating_ || !node) return FALSE;
        const bool expand = (info->action & TVE_EXPAND) != 0;
        handling_ = node->Id();
        const bool ok = expand ? tree_.UserExpand(node) : tree_.UserCollapse(node);
        handling_ = 0;
        return ok ? FALSE : TRUE;
      }
      case TVN_SELCHANGEDW: {
        if (updating_) return 0;
        auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
        TreeNode* node = info->itemNew.hItem ? tree_.NodeById(static_cast<int>(info->itemNew.lParam)) : nullptr;
        if (!tree_.UserSelect(node)) Changed(Change::kItemIndex, -1);
        return 0;
      }
      case TVN_BEGINLABELEDITW: return tree_.ReadOnly() ? TRUE : FALSE;
      default: handled = false; return 0;
    }
  }

 protected:
  HTREEITEM ItemOf(const TreeNode* node) {
    if (!node) return nullptr;
    auto it = items_.find(node->Id());
    return it == items_.end() ? nullptr : it->second;
  }

  void Fill(TVITEMW& item, TreeNode* node, std::wstring& text) {
    text = W(node->Text());
    item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.pszText = text.data();
    item.lParam = node->Id();
    item.cChildren = node->HasChildren() ? 1 : 0;
    item.iImage = node->ImageIndex() >= 0 ? node->ImageIndex() : I_IMAGENONE;
    item.iSelectedImage = node->SelectedImageIndex() >= 0 ? node->SelectedImageIndex() : item.iImage;
  }

  void Insert(TreeNode* node) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = node->Parent() ? ItemOf(node->Parent()) : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    std::wstring text;
    Fill(insert.item, node, text);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    items_[node->Id()] = item;
    for (TreeNode* child : node->Children()) Insert(child);
    if (node->Expanded()) TreeView_Expand(hwnd_, item, TVE_EXPAND);
  }

  void Update(TreeNode* node) {
    HTREEITEM handle = ItemOf(node);
    if (!handle) return;
    TVITEMW item{};
    std::wstring text;
    Fill(item, node, text);
    item.hItem = handle;
    SendMessageW(hwnd_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    const bool expanded = (TreeView_GetItemState(hwnd_, handle, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    if (handling_ != node->Id() && expanded != node->Expanded()) {
      TreeView_Expand(hwnd_, handle, node->Expanded() ? TVE_EXPAND : TVE_COLLAPSE);
    }
  }

  void Forget(TreeNode* node) {
    items_.erase(node->Id());
    for (TreeNode* child : node->Children()) Forget(child);
  }

  void Select() { TreeView_SelectItem(hwnd_, ItemOf(tree_.Selected())); }

  void Rebuild() {
    TreeView_SetImageList(hwnd_, images_.Sync(tree_.Images()), TVSIL_NORMAL);
    TreeView_DeleteAllItems(hwnd_);
    items_.clear();
    for (TreeNode* root : tree_.Roots()) Insert(root);
    Select();
  }

  void Apply(Change what, int index) override {
    TreeNode* node = tree_.NodeById(index);
    switch (what) {
      case Change::kItems: Rebuild(); break;
      case Change::kImages:
        TreeView_SetImageList(hwnd_, images_.Sync(tree_.Images()), TVSIL_NORMAL);
        InvalidateRect(hwnd_, nullptr, TRUE);
        break;
      case Change::kNodeAdded:
        if (!node) break;
        images_.Sync(tree_.Images());
        Insert(node);
        if (node->Parent()) Update(node->Parent());  // its expand button
        break;
      case Change::kNodeRemoved:
        if (!node) break;
        if (HTREEITEM handle = ItemOf(node)) TreeView_DeleteItem(hwnd_, handle);
        Forget(node);
        break;
      case Change::kNodeChanged:
        images_.Sync(tree_.Images());
        if (node) Update(node);
        break;
      case Change::kItemIndex: Select(); break;
      default: break;
    }
  }

 private:
  TreeView& tree_;
  std::map<int, HTREEITEM> items_;
  NativeImages images_;
  int handling_ = 0;  // the node whose native expand or collapse runs now
};

}  // namespace

std::unique_ptr<Peer> CreateTreeViewPeer(TreeView& tree) { return std::make_unique<TreeViewPeer>(tree); }

}  // namespace gui::win32
