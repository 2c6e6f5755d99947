// The place chooser of the shell views: a drop-down list of "바탕 화면",
// "내 컴퓨터", the PC's drives and the folders that lead to the place the
// linked ShellListView shows, each indented by its depth. Choosing an
// item shows that place in the list; the box follows the list's place.
//
// The box sets its own OnChange.
#pragma once

#include <string>
#include <vector>

#include "platform/gui/ComboBox.h"
#include "platform/gui/ShellListView.h"

namespace gui {

class ShellComboBox : public ComboBox {
 public:
  explicit ShellComboBox(Control* parent);

  void SetShellListView(ShellListView* list);
  ShellListView* ShellList() const { return list_; }
  // The place of each item, in item order.
  const std::vector<ShellPlace>& Places() const { return places_; }

 private:
  void Follow(const ShellPlace& place);

  ShellListView* list_ = nullptr;
  std::vector<ShellPlace> places_;
  bool following_ = false;
};

}  // namespace gui
