#include "platform/gui/ComboBox.h"

#include "platform/gui/Application.h"

namespace gui {

void ComboBox::AddItem(std::string item) {
  items_.push_back(std::move(item));
  Notify(Change::kItemAdded, static_cast<int>(items_.size()) - 1);
}

void ComboBox::ClearItems() {
  items_.clear();
  itemIndex_ = -1;
  text_.clear();
  Notify(Change::kItems);
}

void ComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) {
    itemIndex_ = -1;
    text_.clear();
  } else {
    itemIndex_ = index;
    text_ = items_[static_cast<std::size_t>(index)];
  }
  Notify(Change::kItemIndex);
}

void ComboBox::SetText(std::string text) {
  text_ = std::move(text);
  itemIndex_ = -1;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] == text_) {
      itemIndex_ = static_cast<int>(i);
      break;
    }
  }
  Notify(Change::kText);
}

bool ComboBox::UserSelect(int index) {
  if (!Usable() || index < 0 || index >= static_cast<int>(items_.size())) return false;
  itemIndex_ = index;
  text_ = items_[static_cast<std::size_t>(index)];
  Fire(OnChange);
  return true;
}

bool ComboBox::UserSetText(std::string text) {
  if (!Usable() || style_ != Style::kDropDown) return false;
  text_ = std::move(text);
  itemIndex_ = -1;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] == text_) itemIndex_ = static_cast<int>(i);
  }
  Fire(OnChange);
  return true;
}

}  // namespace gui
