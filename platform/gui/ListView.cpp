#include "platform/gui/ListView.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/gui/Application.h"

namespace gui {

bool CaptionLess(const std::string& a, const std::string& b) {
  auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) {
    return fold(static_cast<unsigned char>(x)) < fold(static_cast<unsigned char>(y));
  });
}

const std::string& ListView::ColumnText(const ListItem& item, int column) {
  static const std::string empty;
  if (column <= 0) return item.caption;
  const auto sub = static_cast<std::size_t>(column - 1);
  return sub < item.subItems.size() ? item.subItems[sub] : empty;
}

void ListView::AddColumn(ListColumn column) {
  columns_.push_back(std::move(column));
  Notify(Change::kColumns);
}

void ListView::SetViewStyle(ViewStyle style) {
  viewStyle_ = style;
  Notify(Change::kViewStyle);
}

void ListView::SetSmallImages(const ImageList* images) {
  smallImages_ = images;
  Notify(Change::kImages);
}

void ListView::SetLargeImages(const ImageList* images) {
  largeImages_ = images;
  Notify(Change::kImages);
}

bool ListView::SortLess(const ListItem& a, const ListItem& b) const {
  const std::string& x = ColumnText(a, sortKey_);
  const std::string& y = ColumnText(b, sortKey_);
  return ascending_ ? CaptionLess(x, y) : CaptionLess(y, x);
}

void ListView::Resort() {
  if (!sorted_) return;
  std::stable_sort(items_.begin(), items_.end(), [this](const ListItem& a, const ListItem& b) { return SortLess(a, b); });
  dropHighlight_ = -1;
  Notify(Change::kItems);
}

void ListView::SetSorted(bool on) {
  if (on == sorted_) return;
  sorted_ = on;
  Resort();
}

void ListView::SetSortKey(int column) {
  if (column == sortKey_) return;
  sortKey_ = std::max(0, column);
  Resort();
}

void ListView::SetSortAscending(bool on) {
  if (on == ascending_) return;
  ascending_ = on;
  Resort();
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
                          [this](const ListItem& a, const ListItem& b) { return SortLess(a, b); });
  }
  const int index = static_cast<int>(at - items_.begin());
  items_.insert(at, std::move(item));
  if (dropHighlight_ >= index) ++dropHighlight_;
  Notify(Change::kItemAdded, index);
  return index;
}

void ListView::SetItems(std::vector<ListItem> items) {
  items_ = std::move(items);
  if (!multiSelect_) {
    bool seen = false;
    for (auto& item : items_) {
      if (item.selected && seen) item.selected = false;
      seen = seen || item.selected;
    }
  }
  if (sorted_) {
    std::stable_sort(items_.begin(), items_.end(), [this](const ListItem& a, const ListItem& b) { return SortLess(a, b); });
  }
  dropHighlight_ = -1;
  if (focused_ >= Count()) focused_ = -1;
  Notify(Change::kItems);
}

void ListView::SetItem(int index, ListItem item) {
  CheckIndex(index);
  if (sorted_ && ColumnText(item, sortKey_) != ColumnText(items_[static_cast<std::size_t>(index)], sortKey_)) {
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
  if (dropHighlight_ == index) dropHighlight_ = -1;
  else if (dropHighlight_ > index) --dropHighlight_;
  if (focused_ == index) focused_ = -1;
  else if (focused_ > index) --focused_;
  Notify(Change::kItemRemoved, index);
}

void ListView::Clear() {
  items_.clear();
  dropHighlight_ = -1;
  focused_ = -1;
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

void ListView::ClearSelection() {
  for (int i = 0; i < Count(); ++i) {
    if (items_[static_cast<std::size_t>(i)].selected) SetSelected(i, false);
  }
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

std::vector<int> ListView::SelectedIndexes() const {
  std::vector<int> out;
  for (int i = 0; i < Count(); ++i) {
    if (items_[static_cast<std::size_t>(i)].selected) out.push_back(i);
  }
  return out;
}

int ListView::HitTest(Point at) const {
  if (Peer* p = peer()) {
    if (auto index = p->ItemAt(at)) return *index;
  }
  if (at.x < 0 || at.x >= Width() || at.y < kHeadlessHeaderHeight) return -1;
  const int index = (at.y - kHeadlessHeaderHeight) / kHeadlessRowHeight;
  return index < Count() ? index : -1;
}

Point ListView::ItemPoint(int index) const {
  if (Peer* p = peer()) {
    if (auto r = p->ItemRect(index)) return Point{r->left + std::min(r->width / 2, 20), r->top + r->height / 2};
  }
  return Point{std::min(std::max(Width() / 2, 1), 20),
               kHeadlessHeaderHeight + index * kHeadlessRowHeight + kHeadlessRowHeight / 2};
}

void ListView::SetDropHighlight(int index) {
  const int old = dropHighlight_;
  dropHighlight_ = index >= 0 && index < Count() ? index : -1;
  if (old != dropHighlight_) Notify(Change::kDropHighlight, old);
}

bool ListView::UserSetChecked(int index, bool checked) {
  if (!Usable() || !checkBoxes_ || ownerData_ || index < 0 || index >= Count()) return false;
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

void ListView::ResetView() {
  focused_ = -1;
  Notify(Change::kItemIndex, -1);
}

int ListView::FindCaption(const std::string& prefix, int start, bool wrap) const {
  auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  auto begins = [&](const std::string& caption) {
    return caption.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), caption.begin(), [&](char a, char b) { return fold(a) == fold(b); });
  };
  const int n = Count();
  start = std::clamp(start, 0, n);
  for (int k = 0; k < n; ++k) {
    const int i = start + k;
    if (i >= n && !wrap) break;
    if (begins(items_[static_cast<std::size_t>(i % n)].caption)) return i % n;
  }
  return -1;
}

bool ListView::UserTypeText(const std::string& text) {
  if (!Usable() || text.empty()) return false;
  const auto letters = std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;  // UTF-8 lead bytes
  });
  const bool oneLetter = letters == 1;
  const int found = FindCaption(text, oneLetter ? focused_ + 1 : std::max(focused_, 0), true);
  if (found < 0) return false;
  for (int i : SelectedIndexes()) {
    if (i != found) UserSetSelected(i, false);
  }
  if (found < Count()) UserSetSelected(found, true);
  focused_ = found < Count() ? found : -1;  // the handlers may have changed the rows
  return true;
}

void ListView::UserFocus(int index) { focused_ = index >= 0 && index < Count() ? index : -1; }

bool ListView::UserClickItem(int index) {
  if (!UserSetSelected(index, true)) return false;
  focused_ = index;
  Fire(OnClick);
  return true;
}

bool ListView::UserDoubleClick(int index) {
  if (!Usable()) return false;
  if (index < -1 || index >= Count()) index = -1;
  if (index >= 0 && !UserSetSelected(index, true)) return false;
  Fire(OnDblClick, index);
  return true;
}

int ListView::ImageOf(int index) {
  CheckIndex(index);
  int& image = items_[static_cast<std::size_t>(index)].imageIndex;
  if (image == kImageOnDemand) {
    int answer = -1;
    if (OnGetImage) App().Guard([&] { answer = OnGetImage(index); });
    // The handler may have changed the rows.
    if (index < Count()) items_[static_cast<std::size_t>(index)].imageIndex = answer < 0 ? -1 : answer;
    return answer < 0 ? -1 : answer;
  }
  return image;
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

bool ListView::UserClickColumn(int column) {
  if (!Usable() || !columnClick_ || column < 0 || column >= static_cast<int>(columns_.size())) return false;
  Fire(OnColumnClick, column);
  return true;
}

bool ListView::UserMouseMove(Point at) {
  if (!Usable()) return false;
  Fire(OnMouseMove, at);
  return true;
}

std::vector<int> ListView::BeginDrag() {
  Fire(OnStartDrag);
  return SelectedIndexes();
}

bool ListView::DragOver(ListDrag& drag) {
  if (!OnDragDrop || !Usable()) return false;
  drag.target = this;
  drag.targetIndex = HitTest(drag.at);
  drag.accept = true;
  Fire(OnDragOver, drag);
  return drag.accept;
}

bool ListView::Drop(ListDrag& drag) {
  if (!DragOver(drag)) return false;
  Fire(OnDragDrop, std::as_const(drag));
  return true;
}

bool ListView::UserDragTo(ListView& target, Point at) {
  if (!Usable() || !dragEnabled_ || SelectedCount() == 0 || !target.Usable()) return false;
  ListDrag drag;
  drag.source = this;
  drag.items = BeginDrag();
  drag.at = at;
  if (drag.items.empty()) return false;  // OnStartDrag cleared the selection
  return target.Drop(drag);
}

}  // namespace gui
