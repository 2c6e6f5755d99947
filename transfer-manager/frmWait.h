// frmWait: shown while the device wait looks for a player that stopped
// answering; its bar counts the poll ticks and Cancel ends the wait at the
// next tick. WaitWindows is the device layer's view of this form, of the
// progress window it hides and of the main window's poll timer.
#pragma once

#include "platform/gui/Button.h"
#include "platform/gui/Form.h"
#include "platform/gui/Label.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/Timer.h"
#include "transfer-manager/modDevice.h"

namespace halvern {

class WaitForm : public gui::Form {
 public:
  WaitForm();
  ~WaitForm() override;

  gui::Label lblWait{this};
  gui::ProgressBar proWait{this};
  gui::Button cmdCancel{this};

  void Load();
  void Unload();

  void cmdCancel_Click();
};

extern WaitForm* frmWait;

class WaitWindows : public DeviceWaitView {
 public:
  explicit WaitWindows(gui::Timer& pollTimer) : timer_(pollTimer) {}
  void BeginWait() override;
  void ShowWaitTick(int tick) override;
  void StopPoll() override;
  void EndWait() override;

 private:
  gui::Timer& timer_;
};

}  // namespace halvern
