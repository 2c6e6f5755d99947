// The hidden main form of the tray client: owner of the tray icon and its
// menu, maker of the one SyncComponent, and ShowMyPC.
#pragma once

#include <string>
#include <vector>

#include "platform/gui/Form.h"
#include "platform/gui/Image.h"
#include "platform/gui/Menu.h"
#include "platform/gui/TrayIcon.h"

namespace orvel {

// Resource names of the tray pictures.
inline constexpr const char* kIconLogon = "LOGON";
inline constexpr const char* kIconLogout = "LOGOUT";
inline constexpr int kAnimationFrames = 7;
inline constexpr int kAnimationInterval = 300;
std::string AnimationFrameName(int index);  // "ANIM1" .. "ANIM7"

class TfrmMain : public gui::Form {
 public:
  TfrmMain();
  ~TfrmMain() override;

  gui::PopupMenu pupMain{this};
  gui::MenuItem mmiHomePage{&pupMain};
  gui::MenuItem N1{&pupMain};
  gui::MenuItem mmiTarnel{&pupMain};
  gui::MenuItem mmiMyPC{&pupMain};
  gui::MenuItem mmiConfig{&pupMain};
  gui::MenuItem N2{&pupMain};
  gui::MenuItem mmiExit{&pupMain};
  gui::TrayIcon tiMain{this};
  gui::Image imgLogon{this};
  gui::Image imgLogout{this};

  void FormCreate();
  void FormClose(CloseAction& action);
  void FormCloseQuery(bool& canClose);
  void mmiTarnelClick();
  void mmiMyPCClick();
  void mmiConfigClick();
  void mmiExitClick();
  void tiMainClick();
  void AppEventMinimize();
  void AppEventRestore();
};

extern TfrmMain* frmMain;

// The open channel sync dialog; null while no sync runs. The "My PC" window
// sets it before it shows the dialog modally and clears it afterwards.
extern gui::Form* ActiveSyncDialog;

// Shows the "My PC" window unless it does not exist or already shows, a
// sync runs, or the configuration form is open.
void ShowMyPC();

}  // namespace orvel
