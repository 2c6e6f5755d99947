// The "My PC" window, the tray client's working window: a browser of the
// PC's folders on top (place chooser, folder tree, folder list, rooted at
// the desktop), below it the player panel (memory, state, the player's
// files, delete, transfers in both directions through the transfer
// dialog) beside the channel panel with the sync list (Local rows from
// LocalSync, Remote rows from the channel list) and the sync road, which
// asks the service to prepare the sync and runs the sync dialog. Its menu
// fetches the program update and opens the maker's web page. The device is
// polled every 3000 ms while the window shows, except while a command or a
// transfer uses the player. It is created at start-up and hidden, not
// destroyed, when closed.
//
// Commands on the player list work on row numbers: row i is entry i + 1.
// A delete takes the chosen entries' identities (number, name, size)
// before its question and, after it, holds them against a fresh read of
// the player, so a player that was swapped or changed meanwhile (or a list
// read again under the question) loses nothing: the list is read again and
// the user chooses anew. PC files are deleted the same way, by path, size
// and last write taken before the question.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Button.h"
#include "platform/gui/Form.h"
#include "platform/gui/GroupBox.h"
#include "platform/gui/Image.h"
#include "platform/gui/Label.h"
#include "platform/gui/ListView.h"
#include "platform/gui/Menu.h"
#include "platform/gui/Panel.h"
#include "platform/gui/ShellComboBox.h"
#include "platform/gui/ShellListView.h"
#include "platform/gui/ShellTreeView.h"
#include "platform/gui/Splitter.h"
#include "platform/gui/StatusBar.h"
#include "platform/gui/Timer.h"
#include "player-link/Driver.h"
#include "tray-client/DeviceUnit.h"
#include "tray-client/TarnelForm.h"
#include "tray-client/UpdateForm.h"

namespace orvel {

inline constexpr const char* kPictureDeviceOn = "DEVICEON";
inline constexpr const char* kPictureDeviceOff = "DEVICEOFF";
inline constexpr int kDevicePollMs = 3000;
inline constexpr const char* kDeviceWorking = "정상 작동 중";
inline constexpr const char* kNoDevice = "디바이스가 없습니다.";

class TfrmExplorer : public gui::Form {
 public:
  TfrmExplorer();
  ~TfrmExplorer() override;

  // The way to the player (null: the system's driver); tests set their own
  // before the window first shows.
  playerlink::Driver* Player = nullptr;

  gui::MainMenu mmMain{this};
  gui::MenuItem mmiFile{&mmMain};
  gui::MenuItem mmiUpdate{&mmiFile};
  gui::MenuItem N1{&mmiFile};
  gui::MenuItem N2{&mmiFile};
  gui::MenuItem mmiExit{&mmiFile};
  gui::MenuItem mmiTransfer{&mmMain};
  gui::MenuItem mmiDownload{&mmiTransfer};
  gui::MenuItem mmiUpload{&mmiTransfer};
  gui::MenuItem mmiConfig{&mmMain};
  gui::MenuItem mmiHelp{&mmMain};
  gui::MenuItem mmiAbout{&mmiHelp};
  gui::MenuItem N3{&mmiHelp};
  gui::MenuItem mmiHomepage{&mmiHelp};
  gui::PopupMenu pupSLVStyle{this};
  gui::MenuItem pmivsIcon{&pupSLVStyle};
  gui::MenuItem pmivsSmallIcon{&pupSLVStyle};
  gui::MenuItem pmivsList{&pupSLVStyle};
  gui::MenuItem pmivsReport{&pupSLVStyle};

  // The PC panel.
  gui::Panel tbMain{this};
  gui::ShellComboBox ShellComboBox{&tbMain};
  gui::Button tbtnUpDir{&tbMain};
  gui::Button tbtnRefresh{&tbMain};
  gui::Button tbtnSLVStyle{&tbMain};
  gui::Button tbtnDelete{&tbMain};
  gui::Button tbtnNewDir{&tbMain};
  gui::Button tbtnProp{&tbMain};
  gui::Panel pnlPC{this};
  gui::ShellTreeView ShellTreeView{&pnlPC};
  gui::Splitter spTree{&pnlPC};
  gui::ShellListView ShellListView{&pnlPC};
  gui::Splitter spMain{this};

  // The player panel.
  gui::Panel pnlBottom{this};
  gui::Panel pnlMyDevice{&pnlBottom};
  gui::GroupBox gbMyDevice{&pnlMyDevice};
  gui::Label lbTotMem{&gbMyDevice};
  gui::Label lbTotMemSize{&gbMyDevice};
  gui::Label lbFreeMem{&gbMyDevice};
  gui::Label lbFreeMemSize{&gbMyDevice};
  gui::Panel cbMyDevice{&pnlMyDevice};
  gui::Image imgMyDeviceStat{&cbMyDevice};
  gui::Label lbMyDeviceStat{&cbMyDevice};
  gui::Button btnWrite{&cbMyDevice};
  gui::Button btnRead{&cbMyDevice};
  gui::Button btnDelete{&cbMyDevice};
  gui::Button btnMoveUp{&cbMyDevice};
  gui::Button btnMoveDN{&cbMyDevice};
  gui::Button btnRefresh{&cbMyDevice};
  gui::ListView lvMyDevice{&pnlMyDevice};
  gui::Image imgMyDeviceOn{&pnlMyDevice};
  gui::Image imgMyDeviceOff{&pnlMyDevice};
  gui::Splitter spBottom{&pnlBottom};

  // The channel panel.
  gui::GroupBox pnlSync{&pnlBottom};
  gui::Label lbSelFileSizeCaption{&pnlSync};
  gui::Label lbSelFileSize{&pnlSync};
  gui::Button btnSync{&pnlSync};
  gui::Button btnSyncRefresh{&pnlSync};
  gui::Button btnSyncConfig{&pnlSync};
  gui::ListView lvSyncList{&pnlSync};

  // What the sync dialog it opens uses for the fetch (tests set their own);
  // its player is this window's unless SyncServices names one.
  TfrmSyncStatus::Services SyncServices;
  // What the update download and the web page use (tests set their own).
  UpdateServices Update;

  gui::StatusBar sbMain{this};
  gui::Timer tmrMyDevice{this};

  // Device states.
  static constexpr int kStateAbsent = 1;
  static constexpr int kStateWorking = 2;
  int DeviceState() const { return deviceState_; }
  TMyDevice* Device() const { return device_.get(); }

  void FormCreate();
  void FormShow();
  void FormHide();
  void FormResize();

  void tbtnUpDirClick();
  void tbtnRefreshClick();
  void tbtnSLVStyleClick();
  void tbtnDeleteClick();
  void ShellListViewChange();

  void tmrMyDeviceTimer();
  void aliRefreshExecute();
  void aliDeleteExecute();
  void aliUploadExecute();
  void aliDownloadExecute();
  void N1Click();
  void mmiConfigClick();
  void mmiExitClick();
  void mmiAboutClick();

  // Rebuilds the channel list: Remote rows (when logged in, after
  // "dnlists"), then the Local rows of LocalSync.
  void btnSyncRefreshClick();
  // The ticked total and the channel items' IsSelected.
  void aliSyncRefreshExecute();
  // The sync road: nothing ticked asks the user to choose; more than the
  // player's free memory asks whether to choose again; then "syncreq" and,
  // when the service agrees, the sync dialog.
  void btnSyncClick();
  // Fetches the update, checks it and, when the user agrees, starts it and
  // ends the program (only when it did start).
  void mmiUpdateClick();
  // The maker's web page in the default browser.
  void mmiHomepageClick();

 private:
  void Layout();
  void DevicePresent();
  void DeviceAbsent();
  void ShowMemory();
  // The rows as the last directory read gave them, row i = entry i + 1.
  void FillPlayerList(std::vector<DeviceEntry> entries);
  // Reads the directory again into `now`; true when every chosen entry is
  // still there under its number, name and size.
  bool PlayerStillHolds(const std::vector<DeviceEntry>& chosen, std::vector<DeviceEntry>& now);
  void AddLocalRows(const common::Path& folder);
  // True (and the transfer dialog brought to the front) while one runs.
  static bool TransferRuns();
  void StopPoll() { tmrMyDevice.SetEnabled(false); }
  void StartPoll() { tmrMyDevice.SetEnabled(true); }

  // Shared with a refresh's read, which runs off the GUI thread.
  std::shared_ptr<TMyDevice> device_;
  int deviceState_ = kStateAbsent;
  std::vector<DeviceEntry> shown_;  // the entries behind lvMyDevice's rows
  ListViewSyncRows syncRows_{lvSyncList};
  // Sizes the user gave the panes with the splitters.
  int treeWidth_ = 200;
  int topHeight_ = 220;
  int deviceWidth_ = 380;
  bool updating_ = false;
  bool syncRoad_ = false;  // btnSyncClick runs
  bool refreshing_ = false;  // aliRefreshExecute waits for its read
};

extern TfrmExplorer* frmExplorer;

}  // namespace orvel
