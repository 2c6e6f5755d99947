#include "transfer-manager/frmMessages.h"

namespace halvern {

EraseFileForm* frmEraseFile = nullptr;
FormatEraseWaitForm* frmFormatEraseWait = nullptr;

namespace {
// Both windows only carry a line of text; they are not closed by the user
// (the command that showed them hides them).
void SetUpMessageWindow(gui::Form& form, gui::Label& label) {
  form.SetClientSize(360, 48);
  form.SetPosition(gui::Form::Position::kScreenCenter);
  form.SetBorderIcons(false);
  label.SetBounds(12, 16, 336, 17);
  label.SetAlignment(gui::Align::kCenter);
  form.OnCloseQuery = [](bool& canClose) { canClose = false; };
}
}  // namespace

EraseFileForm::EraseFileForm() {
  frmEraseFile = this;
  SetCaption("Erasing");
  SetUpMessageWindow(*this, lblErasingFileName);
  Create();
}

EraseFileForm::~EraseFileForm() {
  Destroy();
  if (frmEraseFile == this) frmEraseFile = nullptr;
}

void EraseFileForm::Unload() {
  Hide();
  lblErasingFileName.SetCaption("");
}

FormatEraseWaitForm::FormatEraseWaitForm() {
  frmFormatEraseWait = this;
  SetUpMessageWindow(*this, Label1);
  Create();
}

FormatEraseWaitForm::~FormatEraseWaitForm() {
  Destroy();
  if (frmFormatEraseWait == this) frmFormatEraseWait = nullptr;
}

void FormatEraseWaitForm::Unload() {
  Hide();
  SetCaption("");
  Label1.SetCaption("");
}

}  // namespace halvern
