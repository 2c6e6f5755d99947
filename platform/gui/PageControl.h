// Tabbed pages. Each TabSheet is a child of its PageControl; controls on a
// page are children of the TabSheet. A page whose TabVisible is off has no
// tab and cannot be shown.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Control.h"

namespace gui {

class TabSheet;

class PageControl : public Control {
 public:
  explicit PageControl(Control* parent) : Control(parent, Kind::kPageControl) {}

  std::vector<TabSheet*> Pages() const;
  // The shown page, or nullptr.
  TabSheet* ActivePage() const { return active_; }
  void SetActivePage(TabSheet* page);

  // What the user did: clicked the tab of a page (runs OnChange).
  bool UserSelectPage(TabSheet& page);

  std::function<void()> OnChange;

 private:
  TabSheet* active_ = nullptr;
};

class TabSheet : public Control {
 public:
  explicit TabSheet(PageControl* parent) : Control(parent, Kind::kTabSheet) {}

  PageControl* Owner() const { return static_cast<PageControl*>(Parent()); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Notify(Change::kText);
  }
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool on) {
    tabVisible_ = on;
    Notify(Change::kVisible);
  }

 private:
  std::string caption_;
  bool tabVisible_ = true;
};

}  // namespace gui
