#include "platform/gui/CheckBox.h"

#include "platform/gui/Application.h"

namespace gui {

bool CheckBox::UserSetChecked(bool checked) {
  if (!Usable()) return false;
  checked_ = checked;
  Fire(OnClick);
  return true;
}

}  // namespace gui
