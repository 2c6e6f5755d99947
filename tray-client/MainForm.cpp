#include "tray-client/MainForm.h"

#include "platform/gui/Application.h"
#include "tray-client/ConfForm.h"
#include "tray-client/ExplorerForm.h"
#include "tray-client/SyncListUnit.h"
#include "tray-client/UpDownForm.h"

namespace orvel {

TfrmMain* frmMain = nullptr;
gui::Form* ActiveSyncDialog = nullptr;

std::string AnimationFrameName(int index) { return "ANIM" + std::to_string(index + 1); }

TfrmMain::TfrmMain() {
  frmMain = this;
  SetCaption("Tarnel");
  SetBorderIcons(false);
  SetClientSize(120, 40);

  mmiHomePage.SetCaption("&HomePage");
  N1.SetCaption("-");
  mmiTarnel.SetCaption("&Tarnel");
  mmiMyPC.SetCaption("&MyPC");
  mmiConfig.SetCaption("&Config");
  N2.SetCaption("-");
  mmiExit.SetCaption("&Exit");
  mmiTarnel.OnClick = [this] { mmiTarnelClick(); };
  mmiMyPC.OnClick = [this] { mmiMyPCClick(); };
  mmiConfig.OnClick = [this] { mmiConfigClick(); };
  mmiExit.OnClick = [this] { mmiExitClick(); };

  imgLogon.SetPicture(gui::Icon{kIconLogon});
  imgLogon.SetVisible(false);
  imgLogout.SetPicture(gui::Icon{kIconLogout});
  imgLogout.SetVisible(false);

  std::vector<gui::Icon> frames;
  for (int i = 0; i < kAnimationFrames; ++i) frames.push_back(gui::Icon{AnimationFrameName(i)});
  tiMain.SetFrames(std::move(frames));
  tiMain.SetInterval(kAnimationInterval);
  tiMain.SetHint("Tarnel");
  tiMain.SetIcon(imgLogout.Picture());
  tiMain.SetMenu(&pupMain);
  tiMain.OnClick = [this] { tiMainClick(); };

  OnCreate = [this] { FormCreate(); };
  OnClose = [this](CloseAction& action) { FormClose(action); };
  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  gui::App().OnMinimize = [this] { AppEventMinimize(); };
  gui::App().OnRestore = [this] { AppEventRestore(); };
  Create();
  tiMain.SetVisible(true);
}

TfrmMain::~TfrmMain() {
  Destroy();
  if (gui::Application::Exists()) {
    gui::App().OnMinimize = nullptr;
    gui::App().OnRestore = nullptr;
  }
  delete SyncComponent;
  SyncComponent = nullptr;
  if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::FormCreate() { SyncComponent = new TSyncComponent(); }

void TfrmMain::FormCloseQuery(bool& canClose) {
  // While a sync runs its dialog and transfer use SyncComponent, and while
  // a transfer dialog runs its thread writes to the player and reports to
  // it: the program does not end under either.
  if (gui::Form* running = ActiveSyncDialog ? ActiveSyncDialog : ActiveTransferDialog) {
    canClose = false;
    running->BringToFront();
  }
}

void TfrmMain::FormClose(CloseAction&) {
  delete SyncComponent;
  SyncComponent = nullptr;
}

void TfrmMain::mmiTarnelClick() {
  // A sync that runs already is not started a second time, nor one beside
  // a transfer: one conversation with the player at a time.
  if (ActiveTransferDialog) {
    ActiveTransferDialog->BringToFront();
    return;
  }
  if (ActiveSyncDialog || !frmExplorer) return;
  gui::ListView& list = frmExplorer->lvSyncList;
  for (int i = 0; i < list.Count(); ++i) list.SetChecked(i, true);
  frmExplorer->btnSyncClick();
}

void TfrmMain::mmiMyPCClick() { ShowMyPC(); }

void TfrmMain::mmiConfigClick() {
  if (ActiveSyncDialog || !frmConfig) return;
  if (!frmConfig->Visible()) frmConfig->Show();
  frmConfig->BringToFront();
}

void TfrmMain::mmiExitClick() { Close(); }

void TfrmMain::tiMainClick() { gui::App().BringToFront(); }

void TfrmMain::AppEventMinimize() { Hide(); }

void TfrmMain::AppEventRestore() { Hide(); }

void ShowMyPC() {
  if (!frmExplorer || frmExplorer->Visible() || ActiveSyncDialog) return;
  if (frmConfig && !frmConfig->Visible()) {
    frmExplorer->Show();
    frmExplorer->BringToFront();
  }
}

}  // namespace orvel
