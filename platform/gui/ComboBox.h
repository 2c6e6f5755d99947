// A combo box with an edit field (kDropDown) or a plain choice
// (kDropDownList). Its text is the edit field's text; choosing an item sets
// the text to it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Control.h"

namespace gui {

class ComboBox : public Control {
 public:
  enum class Style { kDropDown, kDropDownList };
  explicit ComboBox(Control* parent) : Control(parent, Kind::kComboBox) {}

  Style style() const { return style_; }
  void SetStyle(Style style) { style_ = style; }

  const std::vector<std::string>& Items() const { return items_; }
  void AddItem(std::string item);
  void ClearItems();
  // -1: no item chosen.
  int ItemIndex() const { return itemIndex_; }
  // Chooses an item (its text becomes the text); -1 clears the choice and
  // the text.
  void SetItemIndex(int index);
  const std::string& Text() const { return text_; }
  // Sets the text; the item of that text (if any) becomes the choice.
  void SetText(std::string text);

  // What the user did: chose an item (runs OnChange), or typed a text.
  bool UserSelect(int index);
  bool UserSetText(std::string text);

  std::function<void()> OnChange;

 private:
  Style style_ = Style::kDropDown;
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  std::string text_;
};

}  // namespace gui
