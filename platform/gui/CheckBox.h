// A check box. Setting Checked from code does not run OnClick; a user's
// click toggles it and runs OnClick.
#pragma once

#include <functional>
#include <string>

#include "platform/gui/Control.h"

namespace gui {

class CheckBox : public Control {
 public:
  explicit CheckBox(Control* parent) : Control(parent, Kind::kCheckBox) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Notify(Change::kText);
  }
  bool Checked() const { return checked_; }
  void SetChecked(bool on) {
    checked_ = on;
    Notify(Change::kChecked);
  }

  // What the user did: a click that toggled the box to `checked`.
  bool UserSetChecked(bool checked);
  bool UserToggle() { return UserSetChecked(!checked_); }

  std::function<void()> OnClick;

 private:
  std::string caption_;
  bool checked_ = false;
};

}  // namespace gui
