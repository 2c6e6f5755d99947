// A list of rows: a caption and sub-items per row, columns with width and
// alignment, four view styles (large icons, small icons, list, report),
// pictures from image lists, optional check boxes, single or multiple
// selection, sorting by any column, in-place caption edits that OnEditing
// may refuse, and dragging rows onto another list view of the program (or
// onto itself).
//
// With sorting on, rows are kept in the order of the sort column's texts
// (ties keep the order of insertion) and indexes always count rows as
// shown.
//
// Owner data: the native control holds no items of its own and asks for
// each row as it draws it, so a list of many thousand rows costs only what
// is on screen. The rows still live here; fill such a list with SetItems.
// An owner-data list has no check boxes.
//
// Pictures on demand: a row whose imageIndex is kImageOnDemand gets its
// picture from OnGetImage the first time it is drawn (ImageOf), so a long
// list asks only for the pictures of the rows the user sees.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Control.h"

namespace gui {

class ImageList;
class ListView;

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
  int imageIndex = -1;  // in the list's image lists; -1: none; kImageOnDemand
};

inline constexpr int kImageOnDemand = -2;

// A drag of rows from one list view onto another (or the same).
struct ListDrag {
  ListView* source = nullptr;
  ListView* target = nullptr;
  std::vector<int> items;  // the dragged rows of the source, in list order
  Point at;                // client point in the target
  int targetIndex = -1;    // the target's row under the point, -1 for none
  bool accept = true;      // OnDragOver may refuse the drop here
};

class ListView : public Control {
 public:
  enum class ViewStyle { kIcon, kSmallIcon, kList, kReport };

  explicit ListView(Control* parent) : Control(parent, Kind::kListView) {}

  void AddColumn(ListColumn column);
  const std::vector<ListColumn>& Columns() const { return columns_; }
  // Column headers that run OnColumnClick when clicked.
  bool ColumnClick() const { return columnClick_; }
  void SetColumnClick(bool on) { columnClick_ = on; }

  ViewStyle viewStyle() const { return viewStyle_; }
  void SetViewStyle(ViewStyle style);
  // Pictures of the small-icon, list and report styles, and of the
  // large-icon style. The list does not own them.
  const ImageList* SmallImages() const { return smallImages_; }
  void SetSmallImages(const ImageList* images);
  const ImageList* LargeImages() const { return largeImages_; }
  void SetLargeImages(const ImageList* images);

  bool CheckBoxes() const { return checkBoxes_; }
  void SetCheckBoxes(bool on) { checkBoxes_ = on; }
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool on) { rowSelect_ = on; }
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool on) { multiSelect_ = on; }
  // A read-only list never starts an in-place edit.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on) { readOnly_ = on; }
  // Set before Create().
  bool OwnerData() const { return ownerData_; }
  void SetOwnerData(bool on) { ownerData_ = on; }

  // Sorting: the column whose texts order the rows (0: the caption) and
  // the direction. Turning it on (or changing key or direction while on)
  // sorts the rows at once.
  bool Sorted() const { return sorted_; }
  void SetSorted(bool on);
  int SortKey() const { return sortKey_; }
  void SetSortKey(int column);
  bool SortAscending() const { return ascending_; }
  void SetSortAscending(bool on);
  bool SortedByCaption() const { return sorted_ && sortKey_ == 0; }
  void SetSortedByCaption(bool on) {
    SetSortKey(0);
    SetSorted(on);
  }
  // The text a row shows in a column (0: caption); empty past its sub-items.
  static const std::string& ColumnText(const ListItem& item, int column);

  int Count() const { return static_cast<int>(items_.size()); }
  // Index checked by the caller: out of range throws std::out_of_range.
  const ListItem& Item(int index) const;
  const std::vector<ListItem>& Items() const { return items_; }
  // Adds a row and gives its index.
  int AddItem(ListItem item);
  // Replaces every row at once (one update of the native side).
  void SetItems(std::vector<ListItem> items);
  void SetItem(int index, ListItem item);
  void DeleteItem(int index);
  void Clear();
  void SetChecked(int index, bool checked);
  void SetSelected(int index, bool selected);
  void ClearSelection();
  // First selected row or -1.
  int SelectedIndex() const;
  int SelectedCount() const;
  std::vector<int> SelectedIndexes() const;
  // The row with the keyboard focus, where the arrow keys and a typed
  // search go on from (-1: none).
  int FocusedIndex() const { return focused_; }
  // No row focused and the first row at the top, as for a list that shows
  // something new.
  void ResetView();
  // The first row from `start` on (after the last, from the first again
  // when `wrap`) whose caption begins with `prefix`, ASCII letters without
  // case; -1 when none does.
  int FindCaption(const std::string& prefix, int start, bool wrap) const;

  // The row under a client point (-1: none), and a point inside a row (its
  // centre); off screen rows have points outside the client area. Headless,
  // rows are kHeadlessRowHeight high below a kHeadlessHeaderHeight header
  // in every style.
  int HitTest(Point at) const;
  Point ItemPoint(int index) const;
  static constexpr int kHeadlessHeaderHeight = 20;
  static constexpr int kHeadlessRowHeight = 17;

  // The picture of a row as it is drawn: a kImageOnDemand row asks
  // OnGetImage once and keeps the answer (-1 without OnGetImage).
  int ImageOf(int index);
  std::function<int(int index)> OnGetImage;

  // The row marked as the place of a drop (-1: none).
  int DropHighlight() const { return dropHighlight_; }
  void SetDropHighlight(int index);

  // Rows may be dragged out of this list.
  bool DragEnabled() const { return dragEnabled_; }
  void SetDragEnabled(bool on) { dragEnabled_ = on; }

  // What the user did. Refused (false) while the list cannot be reached.
  bool UserSetChecked(int index, bool checked);  // runs OnItemChecked
  bool UserClickItem(int index);                 // selects it, runs OnClick
  bool UserDoubleClick(int index);               // -1: not on an item; runs OnDblClick
  bool UserSetSelected(int index, bool selected);  // runs OnSelectItem
  // Starts an in-place edit of a caption; true when the edit may go on.
  bool UserBeginEdit(int index);
  bool UserKeyDown(int key);
  // Letters typed into the list: the next row whose caption begins with
  // them (after the focused row for one letter, from it for more) becomes
  // the selected and focused row. False when no row begins so.
  bool UserTypeText(const std::string& text);
  // The native control moved its focus.
  void UserFocus(int index);
  bool UserClickColumn(int column);              // runs OnColumnClick
  bool UserMouseMove(Point at);                  // runs OnMouseMove
  // Drags the selected rows onto `target` at a client point of the target
  // and drops them there: OnStartDrag here, OnDragOver and (when it
  // accepts) OnDragDrop on the target. True when the rows were dropped.
  bool UserDragTo(ListView& target, Point at);

  std::function<void()> OnClick;
  // A double click; the index of the item under the pointer, or -1.
  std::function<void(int index)> OnDblClick;
  std::function<void(int index)> OnItemChecked;
  std::function<void(int index, bool selected)> OnSelectItem;
  // Set `allow` to false to refuse the in-place edit of row `index`.
  std::function<void(int index, bool& allow)> OnEditing;
  std::function<void(int& key)> OnKeyDown;
  std::function<void(int column)> OnColumnClick;
  std::function<void(Point at)> OnMouseMove;
  // A drag of this list's selected rows begins.
  std::function<void()> OnStartDrag;
  // Rows of a list (this one or another) are over this list; may refuse.
  // A list without OnDragDrop takes no drops.
  std::function<void(ListDrag& drag)> OnDragOver;
  std::function<void(const ListDrag& drag)> OnDragDrop;

  // For backends: the native drag loop's steps (the headless UserDragTo
  // runs the same steps). BeginDrag runs OnStartDrag and gives the rows;
  // DragOver asks the target; Drop runs the target's OnDragDrop.
  std::vector<int> BeginDrag();
  bool DragOver(ListDrag& drag);
  bool Drop(ListDrag& drag);

 private:
  void CheckIndex(int index) const;
  bool SortLess(const ListItem& a, const ListItem& b) const;
  void Resort();
  std::vector<ListColumn> columns_;
  std::vector<ListItem> items_;
  const ImageList* smallImages_ = nullptr;
  const ImageList* largeImages_ = nullptr;
  ViewStyle viewStyle_ = ViewStyle::kReport;
  bool columnClick_ = true;
  bool checkBoxes_ = false;
  bool rowSelect_ = false;
  bool multiSelect_ = false;
  bool sorted_ = false;
  int sortKey_ = 0;
  bool ascending_ = true;
  bool readOnly_ = false;
  bool ownerData_ = false;
  bool dragEnabled_ = false;
  int dropHighlight_ = -1;
  int focused_ = -1;
};

// The order ListView sorts texts in: ASCII letters without case, then
// UTF-8 byte order (which is code point order: Hangul syllables sort in
// dictionary order).
bool CaptionLess(const std::string& a, const std::string& b);

}  // namespace gui
