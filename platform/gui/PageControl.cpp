#include "platform/gui/PageControl.h"

#include "platform/gui/Application.h"

namespace gui {

std::vector<TabSheet*> PageControl::Pages() const {
  std::vector<TabSheet*> pages;
  for (Control* child : Children()) {
    if (child->kind() == Kind::kTabSheet) pages.push_back(static_cast<TabSheet*>(child));
  }
  return pages;
}

void PageControl::SetActivePage(TabSheet* page) {
  active_ = page;
  Notify(Change::kActivePage);
}

bool PageControl::UserSelectPage(TabSheet& page) {
  if (!Usable() || page.Owner() != this || !page.TabVisible()) return false;
  SetActivePage(&page);
  Fire(OnChange);
  return true;
}

}  // namespace gui
