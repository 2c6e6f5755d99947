// Popup menus and their items. A MenuItem's parent is its PopupMenu or, for
// a submenu, another MenuItem. A caption of "-" is a separator; "&" marks
// the access key.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Types.h"

namespace gui {

class Form;
class PopupMenu;

class MenuItem {
 public:
  explicit MenuItem(PopupMenu* menu);
  explicit MenuItem(MenuItem* parentItem);
  ~MenuItem();
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  bool IsSeparator() const { return caption_ == "-"; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on) { enabled_ = on; }
  bool Visible() const { return visible_; }
  void SetVisible(bool on) { visible_ = on; }
  bool Checked() const { return checked_; }
  void SetChecked(bool on) { checked_ = on; }
  const std::vector<MenuItem*>& Items() const { return items_; }

  // Runs OnClick as code asks (Delphi's Click).
  void Click();
  // What the user did: chose the item; refused when disabled or hidden,
  // and while a nested loop keeps input from the menu's owner (a menu
  // without owner, such as the tray's, while any nested loop runs).
  bool UserClick();

  std::function<void()> OnClick;

 private:
  friend class PopupMenu;
  // Chosen on the shown menu: only the item's own state counts.
  bool Choose();
  PopupMenu* menu_ = nullptr;
  MenuItem* parentItem_ = nullptr;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  bool checked_ = false;
  std::vector<MenuItem*> items_;
};

class PopupMenu {
 public:
  explicit PopupMenu(Form* owner) : owner_(owner) {}
  ~PopupMenu() = default;
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;

  Form* Owner() const { return owner_; }
  const std::vector<MenuItem*>& Items() const { return items_; }
  // Shows the menu at a screen point and runs the chosen item's OnClick.
  void Popup(Point at);
  // How often Popup was called (headless runs read it).
  int PopupCount() const { return popups_; }

  std::function<void()> OnPopup;

 private:
  friend class MenuItem;
  Form* owner_;
  std::vector<MenuItem*> items_;
  int popups_ = 0;
};

// A form's menu bar (Form::SetMenu): its items are the titles of the bar,
// their items the drop-down menus. Item states are read each time a
// drop-down opens, so code changes them as on any menu item.
class MainMenu : public PopupMenu {
 public:
  explicit MainMenu(Form* owner) : PopupMenu(owner) {}
};

}  // namespace gui
