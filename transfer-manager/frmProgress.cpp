#include "transfer-manager/frmProgress.h"

#include "transfer-manager/Twips.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

ProgressForm* frmProgress = nullptr;

ProgressForm::ProgressForm() {
  frmProgress = this;
  SetClientSize(Tw(7260), Tw(1575));
  SetPosition(Position::kScreenCenter);
  // Every load takes the Close command away (DisableCloseButton), so the
  // window is made without its system menu; Alt+F4 is refused as well.
  SetBorderIcons(false);
  lblFileName.SetBounds(Tw(120), Tw(135), Tw(5790), Tw(255));
  lblFileSize.SetBounds(Tw(120), Tw(480), Tw(2775), Tw(255));
  ProgressBar.SetBounds(Tw(60), Tw(840), Tw(5925), Tw(285));
  ProgressBar.SetRange(0, 100);
  cmdCancel.SetBounds(Tw(6045), Tw(840), Tw(1125), Tw(300));
  cmdCancel.SetCaption("  Cancel    ");
  cmdCancel.OnClick = [this] { cmdCancel_Click(); };
  StatusBar1.SetBounds(0, Tw(1575) - 20, Tw(7260), 20);
  OnCloseQuery = [this](bool& canClose) {
    if (closeDisabled_) canClose = false;
  };
  Create();
}

ProgressForm::~ProgressForm() {
  Destroy();
  if (frmProgress == this) frmProgress = nullptr;
}

void ProgressForm::Load() {
  if (loaded_) return;
  loaded_ = true;
  lblFileName.SetCaption("");
  lblFileSize.SetCaption("");
  ProgressBar.SetPosition(ProgressBar.Min());
  StatusBar1.SetPanels({});
  DisableCloseButton();
  cmdCancel.SetEnabled(true);
}

void ProgressForm::Unload() {
  Hide();
  loaded_ = false;
}

void ProgressForm::cmdCancel_Click() {
  Vars().transferCancelled = true;
  cmdCancel.SetEnabled(false);  // one press is enough
}

}  // namespace halvern
