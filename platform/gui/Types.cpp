#include "platform/gui/Types.h"

#include <array>

namespace gui {

ModalResult ButtonResult(Buttons buttons, DefaultButton which) {
  using R = ModalResult;
  std::array<R, 3> row{R::kOk, R::kNone, R::kNone};
  switch (buttons) {
    case Buttons::kOk: row = {R::kOk, R::kNone, R::kNone}; break;
    case Buttons::kOkCancel: row = {R::kOk, R::kCancel, R::kNone}; break;
    case Buttons::kAbortRetryIgnore: row = {R::kAbort, R::kRetry, R::kIgnore}; break;
    case Buttons::kYesNoCancel: row = {R::kYes, R::kNo, R::kCancel}; break;
    case Buttons::kYesNo: row = {R::kYes, R::kNo, R::kNone}; break;
    case Buttons::kRetryCancel: row = {R::kRetry, R::kCancel, R::kNone}; break;
  }
  const R chosen = row[static_cast<std::size_t>(which)];
  return chosen == R::kNone ? row[0] : chosen;
}

}  // namespace gui
