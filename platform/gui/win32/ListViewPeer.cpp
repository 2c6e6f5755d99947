// The list view: comctl32's SysListView32 in any of its four styles, with
// image lists, sortable column headers, owner data (LVS_OWNERDATA: the
// control asks for each row it draws) and a drag loop for dragging rows
// onto a list view of the program.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/gui/Application.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ListView.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

DWORD StyleBits(ListView::ViewStyle style) {
  switch (style) {
    case ListView::ViewStyle::kIcon: return LVS_ICON;
    case ListView::ViewStyle::kSmallIcon: return LVS_SMALLICON;
    case ListView::ViewStyle::kList: return LVS_LIST;
    case ListView::ViewStyle::kReport: return LVS_REPORT;
  }
  return LVS_REPORT;
}

class ListViewPeer : public Win32Peer {
 public:
  explicit ListViewPeer(ListView& list) : Win32Peer(list), list_(list) {
    DWORD style = WS_TABSTOP | StyleBits(list.viewStyle()) | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE;
    if (!list.MultiSelect()) style |= LVS_SINGLESEL;
    if (!list.ReadOnly()) style |= LVS_EDITLABELS;
    if (!list.ColumnClick()) style |= LVS_NOSORTHEADER;
    if (list.OwnerData()) style |= LVS_OWNERDATA;
    MakeChild(WC_LISTVIEWW, style, WS_EX_CLIENTEDGE, L"");
    DWORD ex = LVS_EX_DOUBLEBUFFER;
    if (list.CheckBoxes() && !list.OwnerData()) ex |= LVS_EX_CHECKBOXES;
    if (list.RowSelect()) ex |= LVS_EX_FULLROWSELECT;
    updating_ = true;
    ListView_SetExtendedListViewStyle(hwnd_, ex);
    // An owner-data control keeps only selection and focus; the drop mark
    // is asked for like the texts.
    if (list.OwnerData()) ListView_SetCallbackMask(hwnd_, LVIS_DROPHILITED);
    Images();
    Columns();
    Refill();
    updating_ = false;
  }

  std::optional<int> ItemAt(Point at) override {
    LVHITTESTINFO info{};
    info.pt = POINT{S(at.x), S(at.y)};
    const int index = static_cast<int>(SendMessageW(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    return index >= 0 && index < list_.Count() && (info.flags & LVHT_ONITEM) ? index : -1;
  }
  std::optional<Rect> ItemRect(int index) override {
    RECT r{};
    if (index < 0 || index >= list_.Count() || !ListView_GetItemRect(hwnd_, index, &r, LVIR_BOUNDS)) return std::nullopt;
    return Rect{Unscale(r.left), Unscale(r.top), Unscale(r.right - r.left), Unscale(r.bottom - r.top)};
  }

  LRESULT OnNotify(NMHDR* header, bool& handled) override {
    handled = true;
    switch (header->code) {
      case LVN_ITEMCHANGED: {
        auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if (updating_ || !(change->uChanged & LVIF_STATE)) return 0;
        if (change->iItem < 0) {
          SyncSelection(0, list_.Count() - 1);  // every row at once (select all, clear)
          return 0;
        }
        if (change->iItem >= list_.Count()) return 0;
        const int i = change->iItem;
        const bool checked = ((change->uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
        if (list_.CheckBoxes() && (change->uNewState & LVIS_STATEIMAGEMASK) && checked != list_.Item(i).checked) {
          if (!list_.UserSetChecked(i, checked)) Changed(Change::kItemChanged, i);
        }
        if ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) SyncSelection(i, i);
        if ((change->uOldState ^ change->uNewState) & LVIS_FOCUSED && i < list_.Count()) {
          list_.UserFocus((change->uNewState & LVIS_FOCUSED) ? i : -1);
        }
        return 0;
      }
      case LVN_ODSTATECHANGED: {
        auto* change = reinterpret_cast<NMLVODSTATECHANGE*>(header);
        if (!updating_ && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED)) SyncSelection(change->iFrom, change->iTo);
        return 0;
      }
      case LVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        const int i = info->item.iItem;
        if (i < 0 || i >= list_.Count()) return 0;
        if (info->item.mask & LVIF_IMAGE) {
          const int image = list_.ImageOf(i);
          // A picture fetched now may be new to the native lists (which
          // are made again when the pictures were cleared).
          if (small_.Sync(list_.SmallImages()) != ListView_GetImageList(hwnd_, LVSIL_SMALL) ||
              large_.Sync(list_.LargeImages()) != ListView_GetImageList(hwnd_, LVSIL_NORMAL)) {
            Images();
          }
          info->item.iImage = image >= 0 ? image : I_IMAGENONE;
        }
        if (i >= list_.Count()) return 0;
        const ListItem& item = list_.Item(i);
        if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
          const std::wstring text = W(ListView::ColumnText(item, info->item.iSubItem));
          const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(info->item.cchTextMax - 1));
          std::copy_n(text.begin(), n, info->item.pszText);
          info->item.pszText[n] = L'\0';
        }
        if (info->item.mask & LVIF_STATE) {
          info->item.state = (info->item.state & ~LVIS_DROPHILITED) | (i == list_.DropHighlight() ? LVIS_DROPHILITED : 0);
        }
        return 0;
      }
      case LVN_ODFINDITEMW: {
        // The control's search as the user types: by the rows' captions.
        auto* find = reinterpret_cast<NMLVFINDITEMW*>(header);
        if (!(find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find->lvfi.psz) return -1;
        return list_.FindCaption(U(find->lvfi.psz), find->iStart, (find->lvfi.flags & LVFI_WRAP) != 0);
      }
      case LVN_COLUMNCLICK: list_.UserClickColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem); return 0;
      case LVN_BEGINDRAG:
      case LVN_BEGINRDRAG:
        if (list_.DragEnabled() && list_.Usable()) RunDrag(header->code == LVN_BEGINRDRAG ? WM_RBUTTONUP : WM_LBUTTONUP);
        return 0;
      case NM_CLICK: Fire(list_.OnClick); return 0;
      case NM_DBLCLK: list_.UserDoubleClick(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem); return 0;
      case LVN_BEGINLABELEDITW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        return list_.UserBeginEdit(info->item.iItem) ? FALSE : TRUE;
      }
      case LVN_ENDLABELEDITW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        if (!info->item.pszText || info->item.iItem < 0 || info->item.iItem >= list_.Count()) return FALSE;
        ListItem item = list_.Item(info->item.iItem);
        item.caption = U(info->item.pszText);
        list_.SetItem(info->item.iItem, std::move(item));
        return FALSE;  // the model has redrawn the row itself
      }
      case LVN_KEYDOWN: list_.UserKeyDown(reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey); return 0;
      default: handled = false; return 0;
    }
  }

  LRESULT OnOwnMessage(UINT message, WPARAM, LPARAM lParam, bool& handled) override {
    handled = false;
    // Enter belongs to a list that handles keys (opening a row), not to the
    // window's default command.
    if (message == WM_GETDLGCODE && lParam && list_.OnKeyDown) {
      auto* msg = reinterpret_cast<MSG*>(lParam);
      if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
        handled = true;
        return DLGC_WANTMESSAGE | DLGC_WANTARROWS | DLGC_WANTCHARS;
      }
    }
    if (message == WM_MOUSEMOVE) {
      list_.UserMouseMove(Point{Unscale(static_cast<short>(LOWORD(lParam))), Unscale(static_cast<short>(HIWORD(lParam)))});
    }
    return 0;
  }

 protected:
  // Takes the native selection of rows first..last into the model, as the
  // user's. Asks the control only for its selected rows, so a change of
  // every row of a long list stays cheap.
  void SyncSelection(int first, int last) {
    first = std::max(0, first);
    last = std::min(last, list_.Count() - 1);
    if (first > last) return;
    std::vector<char> native(static_cast<std::size_t>(last - first + 1), 0);
    for (int i = first - 1; (i = ListView_GetNextItem(hwnd_, i, LVNI_SELECTED)) >= 0 && i <= last;) {
      native[static_cast<std::size_t>(i - first)] = 1;
    }
    updating_ = true;
    for (int i = first; i <= last; ++i) {
      const bool selected = native[static_cast<std::size_t>(i - first)] != 0;
      if (selected != list_.Item(i).selected) list_.UserSetSelected(i, selected);
    }
    updating_ = false;
  }

  void Images() {
    ListView_SetImageList(hwnd_, small_.Sync(list_.SmallImages()), LVSIL_SMALL);
    ListView_SetImageList(hwnd_, large_.Sync(list_.LargeImages()), LVSIL_NORMAL);
  }

  void Columns() {
    while (ListView_DeleteColumn(hwnd_, 0)) {
    }
    int index = 0;
    for (const auto& column : list_.Columns()) {
      std::wstring caption = W(column.caption);
      LVCOLUMNW c{};
      c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
      c.fmt = column.alignment == Align::kRight ? LVCFMT_RIGHT : column.alignment == Align::kCenter ? LVCFMT_CENTER : LVCFMT_LEFT;
      c.cx = S(column.width);
      c.pszText = caption.data();
      SendMessageW(hwnd_, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&c));
    }
  }

  void SetState(int index) {
    const ListItem& item = list_.Item(index);
    if (list_.OwnerData()) {
      ListView_SetItemState(hwnd_, index, item.selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
      ListView_RedrawItems(hwnd_, index, index);
      return;
    }
    UINT state = (item.selected ? LVIS_SELECTED : 0) | (index == list_.DropHighlight() ? LVIS_DROPHILITED : 0);
    UINT mask = LVIS_SELECTED | LVIS_DROPHILITED;
    if (list_.CheckBoxes() && !list_.OwnerData()) {
      state |= INDEXTOSTATEIMAGEMASK(item.checked ? 2 : 1);
      mask |= LVIS_STATEIMAGEMASK;
    }
    ListView_SetItemState(hwnd_, index, state, mask);
  }

  void SetRow(int index, bool insert) {
    if (list_.OwnerData()) {
      SetState(index);
      return;
    }
    const int image = list_.ImageOf(index);
    Images();
    const ListItem& item = list_.Item(index);
    std::wstring caption = W(item.caption);
    LVITEMW row{};
    row.mask = LVIF_TEXT | LVIF_IMAGE;
    row.iItem = index;
    row.pszText = caption.data();
    row.iImage = image >= 0 ? image : I_IMAGENONE;
    SendMessageW(hwnd_, insert ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&row));
    const int columns = std::max<int>(1, static_cast<int>(list_.Columns().size()));
    for (int sub = 1; sub < columns; ++sub) {
      std::wstring text = W(ListView::ColumnText(item, sub));
      LVITEMW cell{};
      cell.iSubItem = sub;
      cell.pszText = text.data();
      SendMessageW(hwnd_, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&cell));
    }
    SetState(index);
  }

  void Refill() {
    Images();
    if (list_.OwnerData()) {
      // Only the count and the few selected rows are native state.
      ListView_SetItemCountEx(hwnd_, list_.Count(), LVSICF_NOSCROLL);
      ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
      for (int i : list_.SelectedIndexes()) SetState(i);
      InvalidateRect(hwnd_, nullptr, TRUE);
      return;
    }
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(hwnd_);
    for (int i = 0; i < list_.Count(); ++i) SetRow(i, true);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }

  void Apply(Change what, int index) override {
    switch (what) {
      case Change::kColumns: Columns(); break;
      case Change::kItems: Refill(); break;
      case Change::kItemAdded:
        if (list_.OwnerData()) Refill();
        else SetRow(index, true);
        break;
      case Change::kItemRemoved:
        if (list_.OwnerData()) Refill();
        else ListView_DeleteItem(hwnd_, index);
        break;
      case Change::kItemChanged:
        if (index >= 0 && index < list_.Count()) SetRow(index, false);
        break;
      case Change::kImages: Images(); InvalidateRect(hwnd_, nullptr, TRUE); break;
      case Change::kItemIndex: {  // the view starts over: no focus, the first row on top
        const int focused = ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED);
        updating_ = true;
        if (focused >= 0) ListView_SetItemState(hwnd_, focused, 0, LVIS_FOCUSED);
        ListView_SetSelectionMark(hwnd_, -1);
        updating_ = false;
        if (list_.Count() > 0) ListView_EnsureVisible(hwnd_, 0, FALSE);
        break;
      }
      case Change::kViewStyle: {
        const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
        SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | StyleBits(list_.viewStyle()));
        ListView_Arrange(hwnd_, LVA_DEFAULT);
        InvalidateRect(hwnd_, nullptr, TRUE);
        break;
      }
      case Change::kDropHighlight:
        if (index >= 0 && index < list_.Count()) {
          if (list_.OwnerData()) ListView_RedrawItems(hwnd_, index, index);
          else ListView_SetItemState(hwnd_, index, 0, LVIS_DROPHILITED);
        }
        if (list_.DropHighlight() >= 0) SetState(list_.DropHighlight());
        UpdateWindow(hwnd_);
        break;
      default: break;
    }
  }

  // The drag of rows: the mouse is captured until the button goes up over
  // a list view of this program (the drop), or Escape or a lost capture
  // ends it.
  void RunDrag(UINT releaseMessage) {
    ListDrag drag;
    drag.source = &list_;
    drag.items = list_.BeginDrag();
    if (drag.items.empty()) return;
    HCURSOR arrow = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    HCURSOR no = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_NO));
    const HWND self = hwnd_;
    SetCapture(self);
    MSG msg;
    for (;;) {
      if (!GetMessageW(&msg, nullptr, 0, 0)) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (GetCapture() != self) break;
      if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
      if (msg.message != WM_MOUSEMOVE && msg.message != releaseMessage) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        continue;
      }
      POINT pt{};
      GetCursorPos(&pt);
      ListViewPeer* target = TargetAt(pt);
      if (target) {
        ScreenToClient(target->hwnd_, &pt);
        drag.at = Point{Unscale(pt.x), Unscale(pt.y)};
      }
      if (msg.message == WM_MOUSEMOVE) {
        SetCursor(target && target->list_.DragOver(drag) ? arrow : no);
        continue;
      }
      ReleaseCapture();
      if (target) target->list_.Drop(drag);
      return;
    }
    if (GetCapture() == self) ReleaseCapture();
  }

  static ListViewPeer* TargetAt(POINT screen) {
    HWND under = WindowFromPoint(screen);
    for (HWND h = under; h; h = GetParent(h)) {
      Win32Peer* peer = PeerOf(h);
      if (peer && peer->control().kind() == Control::Kind::kListView) return static_cast<ListViewPeer*>(peer);
      if (peer) break;
    }
    return nullptr;
  }

 private:
  ListView& list_;
  NativeImages small_;
  NativeImages large_;
};

}  // namespace

std::unique_ptr<Peer> CreateListViewPeer(ListView& list) { return std::make_unique<ListViewPeer>(list); }

}  // namespace gui::win32
