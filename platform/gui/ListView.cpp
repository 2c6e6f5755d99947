#include "platform/gui/ListView.h"

#include <algorithm>
#include <stdexcept>

#include "platform/gui/Application.h"

namespace gui {

bool CaptionLess(const std::string& a, const std::string& b) {
  auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) {
    return fold(static_cast<unsigned char>(x)) < fold(static_cast<unsigned char>(y));
  });
}

void ListView::AddColumn(ListColumn column) {
  columns_.push_back(std::move(column));
  Notify(Change::kColumns);
}

void ListView::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw std::out_of_range("list index out of bounds (" + std::to_string(index) + ")");
}

const ListItem& ListView::Item(int index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)];
}

int ListView::AddItem(ListItem item) {
  if (!multiSelect_ && item.selected) {
    for (auto& other : items_) other.selected = false;
  }
  auto at = items_.end();
  if (sorted_) {
    at = std::upper_bound(items_.begin(), items_.end(), item,
                          [](const ListItem& a, const ListItem& b) { return CaptionLess(a.caption, b.caption); });
  }
  const int index = static_cast<int>(at - items_.begin());
  items_.insert(at, std::move(item));
  Notify(Change::kItemAdded, index);
  return index;
}

void ListView::SetItem(int index, ListItem item) {
  CheckIndex(index);
  if (sorted_ && item.caption != items_[static_cast<std::size_t>(index)].caption) {
    DeleteItem(index);
    AddItem(std::move(item));
    return;
  }
  items_[static_cast<std::size_t>(index)] = std::move(item);
  Notify(Change::kItemChanged, index);
}

void ListView::DeleteItem(int index) {
  CheckIndex(index);
  items_.erase(items_.begin() + index);
  Notify(Change::kItemRemoved, index);
}

void ListView::Clear() {
  items_.clear();
  Notify(Change::kItems);
}

void ListView::SetChecked(int index, bool checked) {
  CheckIndex(index);
  items_[static_cast<std::size_t>(index)].checked = checked;
  Notify(Change::kItemChanged, index);
}

void ListView::SetSelected(int index, bool selected) {
  CheckIndex(index);
  if (selected && !multiSelect_) {
    for (int i = 0; i < Count(); ++i) {
      if (i != index && items_[static_cast<std::size_t>(i)].selected) {
        items_[static_cast<std::size_t>(i)].selected = false;
        Notify(Change::kItemChanged, i);
      }
    }
  }
  items_[static_cast<std::size_t>(index)].selected = selected;
  Notify(Change::kItemChanged, index);
}

int ListView::SelectedIndex() const {
  for (int i = 0; i < Count(); ++i) {
    if (items_[static_cast<std::size_t>(i)].selected) return i;
  }
  return -1;
}

int ListView::SelectedCount() const {
  return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const ListItem& i) { return i.selected; }));
}

bool ListView::UserSetChecked(int index, bool checked) {
  if (!Usable() || !checkBoxes_ || index < 0 || index >= Count()) return false;
  items_[static_cast<std::size_t>(index)].checked = checked;
  Fire(OnItemChecked, index);
  return true;
}

bool ListView::UserSetSelected(int index, bool selected) {
  if (!Usable() || index < 0 || index >= Count()) return false;
  if (items_[static_cast<std::size_t>(index)].selected != selected) {
    SetSelected(index, selected);
    Fire(OnSelectItem, index, selected);
  }
  return true;
}

bool ListView::UserClickItem(int index) {
  if (!UserSetSelected(index, true)) return false;
  Fire(OnClick);
  return true;
}

bool ListView::UserBeginEdit(int index) {
  if (!Usable() || readOnly_ || index < 0 || index >= Count()) return false;
  bool allow = true;
  Fire(OnEditing, index, allow);
  return allow;
}

bool ListView::UserKeyDown(int key) {
  if (!Usable()) return false;
  Fire(OnKeyDown, key);
  return true;
}

}  // namespace gui
