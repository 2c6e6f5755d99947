// The "My PC" window. Here only what start-up and the tray menu need: it
// creates LocalSync, shows itself at start when the user works without
// login, and carries the channel list lvSyncList with its sync button.
// The PC and player panels come with the window's own work.
#pragma once

#include "platform/gui/Button.h"
#include "platform/gui/Form.h"
#include "platform/gui/GroupBox.h"
#include "platform/gui/ListView.h"

namespace orvel {

class TfrmExplorer : public gui::Form {
 public:
  TfrmExplorer();
  ~TfrmExplorer() override;

  gui::GroupBox pnlSync{this};
  gui::Button btnSync{&pnlSync};
  gui::ListView lvSyncList{&pnlSync};

  void FormCreate();
  // The sync road, as far as it goes without the service: with no ticked
  // row the user is asked to choose files.
  void btnSyncClick();
};

extern TfrmExplorer* frmExplorer;

}  // namespace orvel
