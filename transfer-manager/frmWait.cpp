#include "transfer-manager/frmWait.h"

#include "transfer-manager/Twips.h"
#include "transfer-manager/frmProgress.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

WaitForm* frmWait = nullptr;

WaitForm::WaitForm() {
  frmWait = this;
  SetCaption("Warning ! ! !  ");
  SetClientSize(Tw(6330), Tw(780));
  SetPosition(Position::kScreenCenter);
  lblWait.SetBounds(Tw(165), Tw(45), Tw(5970), Tw(240));
  lblWait.SetCaption("Wait for USB Cable connection (Please, Reconnect USB Cable)");
  proWait.SetBounds(Tw(45), Tw(360), Tw(4905), Tw(375));
  proWait.SetRange(0, kWaitProgressMax);
  cmdCancel.SetBounds(Tw(5040), Tw(360), Tw(1230), Tw(390));
  cmdCancel.SetCaption("Cancel");
  cmdCancel.OnClick = [this] { cmdCancel_Click(); };
  // The close box is the Cancel button: the wait must end either way.
  OnClose = [this](CloseAction& action) {
    action = CloseAction::kNone;
    cmdCancel_Click();
  };
  Create();
}

WaitForm::~WaitForm() {
  Destroy();
  if (frmWait == this) frmWait = nullptr;
}

void WaitForm::Load() { proWait.SetPosition(0); }

void WaitForm::Unload() { Hide(); }

void WaitForm::cmdCancel_Click() {
  Hide();
  Vars().waitTicks = kWaitCancelTicks;  // the next tick ends the wait
}

void WaitWindows::BeginWait() {
  if (frmProgress) frmProgress->Hide();
  if (frmWait) {
    frmWait->Load();
    frmWait->Show();
  }
  timer_.SetInterval(kWaitTickMs);
  timer_.SetEnabled(true);
}

void WaitWindows::ShowWaitTick(int tick) {
  if (frmWait) frmWait->proWait.SetPosition(tick);
}

void WaitWindows::StopPoll() { timer_.SetEnabled(false); }

void WaitWindows::EndWait() {
  if (frmWait) frmWait->Unload();
}

}  // namespace halvern
