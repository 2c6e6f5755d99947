#include "platform/gui/RadioButton.h"

#include "platform/gui/Application.h"

namespace gui {

void RadioButton::SetChecked(bool on) {
  if (on && Parent()) {
    for (Control* sibling : Parent()->Children()) {
      if (sibling == this || sibling->kind() != Kind::kRadioButton) continue;
      auto* other = static_cast<RadioButton*>(sibling);
      if (other->checked_) {
        other->checked_ = false;
        other->Notify(Change::kChecked);
      }
    }
  }
  checked_ = on;
  Notify(Change::kChecked);
}

bool RadioButton::UserClick() {
  if (!Usable()) return false;
  SetChecked(true);
  Fire(OnClick);
  return true;
}

}  // namespace gui
