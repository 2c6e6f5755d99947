#include "platform/gui/Button.h"

#include "platform/gui/Application.h"
#include "platform/gui/Form.h"

namespace gui {

void Button::Click() {
  if (modalResult_ != ModalResult::kNone) {
    if (Form* form = OwnerForm()) form->SetModalResult(modalResult_);
  }
  Fire(OnClick);
}

bool Button::UserClick() {
  if (!Usable()) return false;
  Click();
  return true;
}

}  // namespace gui
