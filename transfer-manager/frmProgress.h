// frmProgress: the progress of a transfer, with a Cancel button that asks
// the transfer to end after the file that runs. The transfers fill the
// labels, the bar and the status bar; its close box does nothing.
#pragma once

#include "platform/gui/Button.h"
#include "platform/gui/Form.h"
#include "platform/gui/Label.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/StatusBar.h"

namespace halvern {

class ProgressForm : public gui::Form {
 public:
  ProgressForm();
  ~ProgressForm() override;

  gui::Label lblFileName{this};
  gui::Label lblFileSize{this};
  gui::ProgressBar ProgressBar{this};
  gui::Button cmdCancel{this};
  gui::StatusBar StatusBar1{this};

  // Form_Load: the close box taken away, Cancel enabled, the texts of the
  // last transfer cleared. Unload hides the form again.
  void Load();
  void Unload();
  bool Loaded() const { return loaded_; }

  // Takes the Close command away: the close box no longer closes the form.
  void DisableCloseButton() { closeDisabled_ = true; }
  bool CloseDisabled() const { return closeDisabled_; }

  void cmdCancel_Click();

 private:
  bool loaded_ = false;
  bool closeDisabled_ = false;
};

extern ProgressForm* frmProgress;

}  // namespace halvern
