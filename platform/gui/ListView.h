// A list of rows in report style: a caption and sub-items per row, columns
// with width and alignment, optional check boxes, whole-row selection,
// sorting by caption, and in-place caption edits that OnEditing may refuse.
//
// With sorting on, a row is inserted at its place by caption (ties keep the
// order of insertion) and indexes always count rows as shown.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Control.h"

namespace gui {

struct ListColumn {
  std::string caption;
  int width = 50;
  Align alignment = Align::kLeft;
};

struct ListItem {
  std::string caption;
  std::vector<std::string> subItems;
  bool checked = false;
  bool selected = false;
};

class ListView : public Control {
 public:
  explicit ListView(Control* parent) : Control(parent, Kind::kListView) {}

  void AddColumn(ListColumn column);
  const std::vector<ListColumn>& Columns() const { return columns_; }

  bool CheckBoxes() const { return checkBoxes_; }
  void SetCheckBoxes(bool on) { checkBoxes_ = on; }
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool on) { rowSelect_ = on; }
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool on) { multiSelect_ = on; }
  bool SortedByCaption() const { return sorted_; }
  void SetSortedByCaption(bool on) { sorted_ = on; }
  // A read-only list never starts an in-place edit.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on) { readOnly_ = on; }

  int Count() const { return static_cast<int>(items_.size()); }
  // Index checked by the caller: out of range throws std::out_of_range.
  const ListItem& Item(int index) const;
  const std::vector<ListItem>& Items() const { return items_; }
  // Adds a row and gives its index.
  int AddItem(ListItem item);
  void SetItem(int index, ListItem item);
  void DeleteItem(int index);
  void Clear();
  void SetChecked(int index, bool checked);
  void SetSelected(int index, bool selected);
  // First selected row or -1.
  int SelectedIndex() const;
  int SelectedCount() const;

  // What the user did. Refused (false) while the list cannot be reached.
  bool UserSetChecked(int index, bool checked);  // runs OnItemChecked
  bool UserClickItem(int index);                 // selects it, runs OnClick
  bool UserSetSelected(int index, bool selected);  // runs OnSelectItem
  // Starts an in-place edit of a caption; true when the edit may go on.
  bool UserBeginEdit(int index);
  bool UserKeyDown(int key);

  std::function<void()> OnClick;
  std::function<void(int index)> OnItemChecked;
  std::function<void(int index, bool selected)> OnSelectItem;
  // Set `allow` to false to refuse the in-place edit of row `index`.
  std::function<void(int index, bool& allow)> OnEditing;
  std::function<void(int& key)> OnKeyDown;

 private:
  void CheckIndex(int index) const;
  std::vector<ListColumn> columns_;
  std::vector<ListItem> items_;
  bool checkBoxes_ = false;
  bool rowSelect_ = false;
  bool multiSelect_ = false;
  bool sorted_ = false;
  bool readOnly_ = false;
};

// The order ListView sorts captions in: ASCII letters without case, then
// UTF-8 byte order (which is code point order: Hangul syllables sort in
// dictionary order).
bool CaptionLess(const std::string& a, const std::string& b);

}  // namespace gui
