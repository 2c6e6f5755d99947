#include "platform/gui/Menu.h"

#include <algorithm>

#include "platform/gui/Application.h"
#include "platform/gui/Form.h"

namespace gui {

MenuItem::MenuItem(PopupMenu* menu) : menu_(menu) { menu->items_.push_back(this); }

MenuItem::MenuItem(MenuItem* parentItem) : menu_(parentItem->menu_), parentItem_(parentItem) {
  parentItem->items_.push_back(this);
}

MenuItem::~MenuItem() {
  auto& siblings = parentItem_ ? parentItem_->items_ : menu_->items_;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
}

void MenuItem::Click() { Fire(OnClick); }

bool MenuItem::UserClick() {
  if (Application::Exists() && App().ModalDepth() > 0) {
    Form* owner = menu_->Owner();
    if (!owner || !App().AcceptsInput(*owner)) return false;
  }
  return Choose();
}

bool MenuItem::Choose() {
  if (!enabled_ || !visible_ || IsSeparator() || !items_.empty()) return false;
  Click();
  return true;
}

void PopupMenu::Popup(Point at) {
  ++popups_;
  Fire(OnPopup);
  MenuItem* chosen = nullptr;
  {
    ModalScope shown(ModalKind::kPopupMenu, {});
    chosen = App().backend().TrackPopupMenu(*this, at);
  }
  if (chosen) chosen->Choose();
}

}  // namespace gui
