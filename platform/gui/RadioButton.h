// An option (radio) button. The option buttons with the same parent form
// one group: checking one unchecks the others. Setting Checked from code
// runs no event; a user's click checks the button and runs OnClick.
#pragma once

#include <functional>
#include <string>

#include "platform/gui/Control.h"

namespace gui {

class RadioButton : public Control {
 public:
  explicit RadioButton(Control* parent) : Control(parent, Kind::kRadioButton) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Notify(Change::kText);
  }
  bool Checked() const { return checked_; }
  // Checking unchecks the other option buttons of the group.
  void SetChecked(bool on);

  // What the user did: clicked the button (which checks it).
  bool UserClick();

  std::function<void()> OnClick;

 private:
  std::string caption_;
  bool checked_ = false;
};

}  // namespace gui
