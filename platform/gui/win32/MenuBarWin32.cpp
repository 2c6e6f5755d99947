// Menus: the popup menus that TrackPopupMenu shows and the forms' menu
// bars.
#include "platform/gui/Cursor.h"
#include "platform/gui/Menu.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

UINT Flags(const MenuItem& item) {
  return MF_STRING | (item.Enabled() ? 0 : MF_GRAYED) | (item.Checked() ? MF_CHECKED : 0);
}

}  // namespace

bool ShowBusyCursor() {
  if (!BusyCursor()) return false;
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
  return true;
}

HMENU BuildPopupMenu(const std::vector<MenuItem*>& items, std::vector<MenuItem*>& ids) {
  HMENU handle = CreatePopupMenu();
  for (MenuItem* item : items) {
    if (!item->Visible()) continue;
    if (item->IsSeparator()) {
      AppendMenuW(handle, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    if (!item->Items().empty()) {
      AppendMenuW(handle, Flags(*item) | MF_POPUP, reinterpret_cast<UINT_PTR>(BuildPopupMenu(item->Items(), ids)),
                  W(item->Caption()).c_str());
    } else {
      ids.push_back(item);
      AppendMenuW(handle, Flags(*item), ids.size(), W(item->Caption()).c_str());
    }
  }
  return handle;
}

MenuBar::MenuBar(MainMenu& menu) {
  bar_ = CreateMenu();
  for (MenuItem* title : menu.Items()) {
    if (!title->Visible()) continue;
    if (title->Items().empty()) {
      AppendMenuW(bar_, Flags(*title), IdOf(title), W(title->Caption()).c_str());
      continue;
    }
    HMENU popup = CreatePopupMenu();
    popups_[popup] = title;
    AppendMenuW(bar_, Flags(*title) | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), W(title->Caption()).c_str());
  }
}

MenuBar::~MenuBar() {
  if (bar_) DestroyMenu(bar_);
}

// Menu commands are numbered above the dialog commands (IDOK 1, IDCANCEL 2,
// ...), which the dialog manager sends for Enter and Escape: those keys
// never run a menu item.
constexpr UINT kFirstMenuId = 1000;

UINT MenuBar::IdOf(MenuItem* item) {
  auto it = ids_.find(item);
  if (it != ids_.end()) return it->second;
  items_.push_back(item);
  const UINT id = kFirstMenuId + static_cast<UINT>(items_.size()) - 1;
  ids_[item] = id;
  return id;
}

MenuItem* MenuBar::ItemOf(UINT id) const {
  return id >= kFirstMenuId && id - kFirstMenuId < items_.size() ? items_[id - kFirstMenuId] : nullptr;
}

void MenuBar::Fill(HMENU handle, const std::vector<MenuItem*>& items) {
  while (GetMenuItemCount(handle) > 0) DeleteMenu(handle, 0, MF_BYPOSITION);  // destroys old sub-menus too
  for (MenuItem* item : items) {
    if (!item->Visible()) continue;
    if (item->IsSeparator()) {
      AppendMenuW(handle, MF_SEPARATOR, 0, nullptr);
    } else if (!item->Items().empty()) {
      HMENU sub = CreatePopupMenu();
      popups_[sub] = item;
      AppendMenuW(handle, Flags(*item) | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), W(item->Caption()).c_str());
    } else {
      AppendMenuW(handle, Flags(*item), IdOf(item), W(item->Caption()).c_str());
    }
  }
}

void MenuBar::Refill(HMENU popup) {
  auto it = popups_.find(popup);
  if (it != popups_.end()) Fill(popup, it->second->Items());
}

}  // namespace gui::win32
