#include "platform/gui/ShellComboBox.h"

#include "common/File.h"
#include "common/FolderList.h"
#include "platform/gui/Application.h"

namespace gui {

ShellComboBox::ShellComboBox(Control* parent) : ComboBox(parent) {
  SetStyle(Style::kDropDownList);
  OnChange = [this] {
    if (following_ || !list_ || ItemIndex() < 0) return;
    const ShellPlace place = places_[static_cast<std::size_t>(ItemIndex())];
    if (place == list_->Place()) return;
    if (auto shown = list_->SetPlace(place); !shown) {
      App().MessageBox(shown.error().message, App().Title(), Buttons::kOk, MsgIcon::kError);
      Follow(list_->Place());
    }
  };
}

void ShellComboBox::SetShellListView(ShellListView* list) {
  list_ = list;
  if (!list_) return;
  list_->AddFollower([this](const ShellPlace& place) { Follow(place); });
  Follow(list_->Place());
}

void ShellComboBox::Follow(const ShellPlace& place) {
  const std::string& desktop = list_->DesktopFolder();
  // The chain from the place up to the desktop (or to the computer).
  std::vector<ShellPlace> chain;
  for (ShellPlace p = place;;) {
    chain.insert(chain.begin(), p);
    ShellPlace up;
    if (!ShellParent(p, desktop, up)) break;
    p = up;
  }
  struct Item {
    ShellPlace place;
    int depth;
  };
  std::vector<Item> items{{ShellPlace::Folder(desktop), 0}};
  // The desktop's folders on the way, then the computer and its drives with
  // the folders on the way below the one drive that leads there.
  const bool viaDesktop = chain.size() > 1 && chain[1].kind == ShellPlace::Kind::kFolder;
  if (viaDesktop) {
    for (std::size_t i = 1; i < chain.size(); ++i) items.push_back({chain[i], static_cast<int>(i)});
  }
  items.push_back({ShellPlace::Computer(), 1});
  for (const std::string& drive : common::ListDrives()) {
    items.push_back({ShellPlace::Folder(drive), 2});
    if (viaDesktop) continue;
    // chain: desktop, computer, drive, folders...
    auto same = [](const std::string& a, const std::string& b) {
      return common::PathFromUtf8(a).lexically_normal() == common::PathFromUtf8(b).lexically_normal();
    };
    if (chain.size() > 2 && same(chain[2].path, drive)) {
      for (std::size_t i = 3; i < chain.size(); ++i) items.push_back({chain[i], static_cast<int>(i)});
    }
  }
  following_ = true;
  ClearItems();
  places_.clear();
  int chosen = -1;
  for (const Item& item : items) {
    if (item.place == place) chosen = static_cast<int>(places_.size());
    places_.push_back(item.place);
    AddItem(std::string(static_cast<std::size_t>(item.depth) * 2, ' ') + ShellDisplayName(item.place, desktop));
  }
  SetItemIndex(chosen);
  following_ = false;
}

}  // namespace gui
