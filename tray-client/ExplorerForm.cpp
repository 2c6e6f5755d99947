#include "tray-client/ExplorerForm.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "common/ErrorText.h"
#include "common/File.h"
#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "tray-client/ConfForm.h"
#include "tray-client/ContentProtocol.h"
#include "tray-client/LoginForm.h"
#include "tray-client/MainForm.h"
#include "tray-client/OrvelEnvironment.h"
#include "tray-client/SyncListUnit.h"
#include "tray-client/UpDownForm.h"

namespace orvel {

TfrmExplorer* frmExplorer = nullptr;

namespace {

constexpr int kToolBarHeight = 30;
constexpr int kStatusBarHeight = 20;
constexpr int kSplitterSize = 4;
constexpr int kMemoryBoxHeight = 46;
constexpr int kCommandBarHeight = 30;

// The number before the "k" of a size text; 0 when there is none.
std::uint64_t NumberBeforeK(const std::string& text) {
  const std::string digits = text.substr(0, text.find('k'));
  if (digits.empty() || digits.size() > 18 || !std::all_of(digits.begin(), digits.end(), [](char c) {
        return c >= '0' && c <= '9';
      })) {
    return 0;
  }
  return std::stoull(digits);
}

// A PC file as the user chose it: its path, size and last write. What is
// deleted after a question is checked against this again, so a file that
// took its place or its row meanwhile stays.
struct PcFileIdentity {
  common::Path path;
  std::uintmax_t size = 0;
  std::filesystem::file_time_type written;
  bool operator==(const PcFileIdentity&) const = default;
};

std::optional<PcFileIdentity> IdentifyPcFile(const common::Path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error))) return std::nullopt;
  PcFileIdentity id{path, std::filesystem::file_size(path, error), {}};
  if (error) return std::nullopt;
  id.written = std::filesystem::last_write_time(path, error);
  if (error) return std::nullopt;
  return id;
}

// Deletes the file only when it is still the one identified.
void DeleteIfStillTheSame(const PcFileIdentity& id) {
  if (IdentifyPcFile(id.path) == id) (void)common::RemoveFile(id.path);
}

constexpr const char* kPlayerBusy = "다른 작업이 플레이어를 사용하고 있습니다.\r\n잠시 후 다시 해 주세요.";

gui::ListView::ViewStyle NextStyle(gui::ListView::ViewStyle style) {
  using Style = gui::ListView::ViewStyle;
  switch (style) {
    case Style::kIcon: return Style::kSmallIcon;
    case Style::kSmallIcon: return Style::kList;
    case Style::kList: return Style::kReport;
    case Style::kReport: return Style::kIcon;
  }
  return Style::kIcon;
}

}  // namespace

TfrmExplorer::TfrmExplorer() {
  frmExplorer = this;
  SetCaption("My PC");
  SetClientSize(760, 540);
  SetMinClientSize(550, 290);
  SetSizeable(true);
  SetPosition(Position::kScreenCenter);
  SetFont("굴림", 9);

  // Menus.
  mmiFile.SetCaption("파일(&F)");
  mmiUpdate.SetCaption("업데이트(&U)");
  mmiUpdate.OnClick = [this] { mmiUpdateClick(); };
  N1.SetCaption("포맷하기");
  N1.SetEnabled(false);
  N1.OnClick = [this] { N1Click(); };
  N2.SetCaption("-");
  mmiExit.SetCaption("종료(&X)");
  mmiExit.OnClick = [this] { mmiExitClick(); };
  mmiTransfer.SetCaption("전송(&S)");
  mmiDownload.SetCaption("파일다운로드(&D)");
  mmiDownload.OnClick = [this] { aliDownloadExecute(); };
  mmiUpload.SetCaption("파일업로드(&U)");
  mmiUpload.OnClick = [this] { aliUploadExecute(); };
  mmiConfig.SetCaption("설정(&O)");
  mmiConfig.OnClick = [this] { mmiConfigClick(); };
  mmiHelp.SetCaption("도움말(&H)");
  mmiAbout.SetCaption("Orvel 정보");
  mmiAbout.OnClick = [this] { mmiAboutClick(); };
  N3.SetCaption("-");
  mmiHomepage.SetCaption("홈페이지");
  mmiHomepage.OnClick = [this] { mmiHomepageClick(); };
  SetMenu(&mmMain);

  pmivsIcon.SetCaption("큰 아이콘(&G)");
  pmivsIcon.OnClick = [this] { ShellListView.SetViewStyle(gui::ListView::ViewStyle::kIcon); };
  pmivsSmallIcon.SetCaption("작은 아이콘(&M)");
  pmivsSmallIcon.OnClick = [this] { ShellListView.SetViewStyle(gui::ListView::ViewStyle::kSmallIcon); };
  pmivsList.SetCaption("간단히(&L)");
  pmivsList.OnClick = [this] { ShellListView.SetViewStyle(gui::ListView::ViewStyle::kList); };
  pmivsReport.SetCaption("자세히(&D)");
  pmivsReport.OnClick = [this] { ShellListView.SetViewStyle(gui::ListView::ViewStyle::kReport); };

  // The PC panel: tool bar, tree, list.
  tbtnUpDir.SetCaption("위로");
  tbtnUpDir.SetHint("상위 폴더로 이동");
  tbtnUpDir.OnClick = [this] { tbtnUpDirClick(); };
  tbtnRefresh.SetCaption("새로 고침");
  tbtnRefresh.SetHint("새로 고침");
  tbtnRefresh.OnClick = [this] { tbtnRefreshClick(); };
  tbtnSLVStyle.SetCaption("보기");
  tbtnSLVStyle.SetHint("보기 (오른쪽 단추: 보기 선택)");
  tbtnSLVStyle.OnClick = [this] { tbtnSLVStyleClick(); };
  tbtnSLVStyle.SetContextMenu(&pupSLVStyle);
  tbtnDelete.SetCaption("삭제");
  tbtnDelete.SetHint("파일 삭제");
  tbtnDelete.OnClick = [this] { tbtnDeleteClick(); };
  tbtnNewDir.SetCaption("새 폴더");
  tbtnNewDir.SetEnabled(false);
  tbtnProp.SetCaption("속성");
  tbtnProp.SetEnabled(false);
  ShellListView.SetViewStyle(gui::ListView::ViewStyle::kReport);
  ShellListView.OnChange = [this] { ShellListViewChange(); };
  spTree.SetResized(&ShellTreeView);
  spTree.SetMinSize(80);
  spTree.OnMoved = [this](int) {
    treeWidth_ = ShellTreeView.Width();
    Layout();
  };
  spMain.SetOrientation(gui::Splitter::Orientation::kHorizontal);
  spMain.SetResized(&pnlPC);
  spMain.SetMinSize(60);
  spMain.OnMoved = [this](int) {
    topHeight_ = pnlPC.Height();
    Layout();
  };

  // The player panel.
  gbMyDevice.SetCaption("MP3 player");
  lbTotMem.SetCaption("총 메모리");
  lbTotMemSize.SetCaption("0k");
  lbTotMemSize.SetAlignment(gui::Align::kRight);
  lbFreeMem.SetCaption("남은 메모리");
  lbFreeMemSize.SetCaption("0k");
  lbFreeMemSize.SetAlignment(gui::Align::kRight);
  imgMyDeviceOn.SetPicture(gui::Icon{kPictureDeviceOn});
  imgMyDeviceOn.SetVisible(false);
  imgMyDeviceOff.SetPicture(gui::Icon{kPictureDeviceOff});
  imgMyDeviceOff.SetVisible(false);
  imgMyDeviceStat.SetPicture(imgMyDeviceOff.Picture());
  lbMyDeviceStat.SetCaption(kNoDevice);
  btnWrite.SetCaption("보내기");
  btnWrite.SetHint("플래쉬 메모리로 전송");
  btnWrite.OnClick = [this] { aliDownloadExecute(); };
  btnRead.SetCaption("받기");
  btnRead.SetHint("컴퓨터로 전송");
  btnRead.OnClick = [this] { aliUploadExecute(); };
  btnDelete.SetCaption("삭제");
  btnDelete.SetHint("삭제");
  btnDelete.OnClick = [this] { aliDeleteExecute(); };
  btnMoveUp.SetCaption("▲");
  btnMoveUp.SetHint("파일 순서를 위로 이동");
  btnMoveUp.SetEnabled(false);
  btnMoveDN.SetCaption("▼");
  btnMoveDN.SetHint("파일 순서를 아래로 이동");
  btnMoveDN.SetEnabled(false);
  btnRefresh.SetCaption("새로 고침");
  btnRefresh.SetHint("새로 고침");
  btnRefresh.OnClick = [this] { aliRefreshExecute(); };
  lvMyDevice.SetViewStyle(gui::ListView::ViewStyle::kReport);
  lvMyDevice.SetMultiSelect(true);
  lvMyDevice.SetRowSelect(true);
  lvMyDevice.SetColumnClick(false);
  lvMyDevice.SetReadOnly(true);
  lvMyDevice.AddColumn({"파일 이름", 100, gui::Align::kLeft});
  lvMyDevice.AddColumn({"파일 크기", 70, gui::Align::kRight});
  lvMyDevice.AddColumn({"상태", 50, gui::Align::kLeft});
  lvMyDevice.OnKeyDown = [this](int& key) {
    if (key == gui::keys::kDelete) aliDeleteExecute();
  };
  lvMyDevice.OnEditing = [](int, bool& allow) { allow = false; };
  spBottom.SetResized(&pnlMyDevice);
  spBottom.SetMinSize(200);
  spBottom.OnMoved = [this](int) {
    deviceWidth_ = pnlMyDevice.Width();
    Layout();
  };

  // The channel panel.
  pnlSync.SetCaption("Tarnel채널");
  btnSync.SetCaption(" 싱크하기");
  btnSync.OnClick = [this] { btnSyncClick(); };
  btnSyncRefresh.SetCaption(" 새로 고침");
  btnSyncRefresh.OnClick = [this] { btnSyncRefreshClick(); };
  btnSyncConfig.SetCaption(" 싱크 설정");
  btnSyncConfig.SetVisible(false);
  btnSyncConfig.OnClick = [this] { mmiHomepageClick(); };
  lbSelFileSizeCaption.SetCaption("선택한 파일 용량");
  lbSelFileSize.SetCaption("0k");
  lbSelFileSize.SetAlignment(gui::Align::kRight);
  lvSyncList.OnItemChecked = [this](int) { aliSyncRefreshExecute(); };
  lvSyncList.OnClick = [this] { aliSyncRefreshExecute(); };
  lvSyncList.SetCheckBoxes(true);
  lvSyncList.SetReadOnly(true);
  lvSyncList.SetColumnClick(false);
  lvSyncList.OnEditing = [](int, bool& allow) { allow = false; };
  lvSyncList.AddColumn({"파일 이름", 100, gui::Align::kLeft});
  lvSyncList.AddColumn({"위치", 50, gui::Align::kLeft});
  lvSyncList.AddColumn({"파일 크기", 70, gui::Align::kRight});
  lvSyncList.AddColumn({"파일 경로", 200, gui::Align::kLeft});

  sbMain.SetPanels({{"", 100, gui::Align::kLeft}, {"", 100, gui::Align::kLeft}, {"", 50, gui::Align::kLeft}});
  tmrMyDevice.SetInterval(kDevicePollMs);
  tmrMyDevice.OnTimer = [this] { tmrMyDeviceTimer(); };

  Layout();
  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
  OnHide = [this] { FormHide(); };
  OnResize = [this] { FormResize(); };
  Create();
}

TfrmExplorer::~TfrmExplorer() {
  Destroy();
  if (frmExplorer == this) frmExplorer = nullptr;
}

void TfrmExplorer::Layout() {
  const int w = Width(), h = Height();
  tbMain.SetBounds(0, 0, w, kToolBarHeight);
  int x = 4;
  auto tool = [&](gui::Control& c, int width) {
    c.SetBounds(x, 3, width, 24);
    x += width + 2;
  };
  tool(ShellComboBox, std::max(160, std::min(320, w - 360)));
  x += 4;
  tool(tbtnUpDir, 44);
  tool(tbtnRefresh, 64);
  tool(tbtnSLVStyle, 44);
  tool(tbtnDelete, 44);
  tool(tbtnNewDir, 56);
  tool(tbtnProp, 44);

  const int body = h - kToolBarHeight - kStatusBarHeight;
  topHeight_ = std::clamp(topHeight_, 60, std::max(60, body - kSplitterSize - 100));
  pnlPC.SetBounds(0, kToolBarHeight, w, topHeight_);
  treeWidth_ = std::clamp(treeWidth_, 80, std::max(80, w - kSplitterSize - 120));
  ShellTreeView.SetBounds(0, 0, treeWidth_, topHeight_);
  spTree.SetBounds(treeWidth_, 0, kSplitterSize, topHeight_);
  ShellListView.SetBounds(treeWidth_ + kSplitterSize, 0, w - treeWidth_ - kSplitterSize, topHeight_);
  spMain.SetBounds(0, kToolBarHeight + topHeight_, w, kSplitterSize);

  const int bottomTop = kToolBarHeight + topHeight_ + kSplitterSize;
  const int bottomHeight = std::max(0, h - kStatusBarHeight - bottomTop);
  pnlBottom.SetBounds(0, bottomTop, w, bottomHeight);
  deviceWidth_ = std::clamp(deviceWidth_, 200, std::max(200, w - kSplitterSize - 120));
  pnlMyDevice.SetBounds(0, 0, deviceWidth_, bottomHeight);
  spBottom.SetBounds(deviceWidth_, 0, kSplitterSize, bottomHeight);
  pnlSync.SetBounds(deviceWidth_ + kSplitterSize, 0, w - deviceWidth_ - kSplitterSize, bottomHeight);

  const int dw = deviceWidth_;
  gbMyDevice.SetBounds(2, 0, dw - 4, kMemoryBoxHeight);
  lbTotMem.SetBounds(10, 20, 60, 16);
  lbTotMemSize.SetBounds(70, 20, 80, 16);
  lbFreeMem.SetBounds(std::max(160, dw / 2), 20, 70, 16);
  lbFreeMemSize.SetBounds(std::max(160, dw / 2) + 70, 20, 80, 16);
  cbMyDevice.SetBounds(2, kMemoryBoxHeight, dw - 4, kCommandBarHeight);
  imgMyDeviceStat.SetBounds(4, 7, 16, 16);
  const int buttons = 52 + 44 + 40 + 24 + 24 + 64 + 5 * 2;
  const int stateWidth = std::max(60, dw - 4 - 32 - buttons - 8);
  lbMyDeviceStat.SetBounds(24, 8, stateWidth, 16);
  int bx = 24 + stateWidth + 4;
  for (auto [button, width] : {std::pair<gui::Button*, int>{&btnWrite, 52}, {&btnRead, 44}, {&btnDelete, 40},
                               {&btnMoveUp, 24}, {&btnMoveDN, 24}, {&btnRefresh, 64}}) {
    button->SetBounds(bx, 3, width, 24);
    bx += width + 2;
  }
  const int listTop = kMemoryBoxHeight + kCommandBarHeight;
  lvMyDevice.SetBounds(2, listTop, dw - 4, std::max(0, bottomHeight - listTop - 2));

  const int sw = pnlSync.Width();
  btnSync.SetBounds(12, 20, 90, 25);
  btnSyncRefresh.SetBounds(106, 20, 90, 25);
  btnSyncConfig.SetBounds(200, 20, 90, 25);
  lbSelFileSizeCaption.SetBounds(204, 25, 100, 16);
  lbSelFileSize.SetBounds(304, 25, std::max(40, sw - 316), 16);
  lvSyncList.SetBounds(8, 52, std::max(0, sw - 16), std::max(0, bottomHeight - 60));
  sbMain.SetBounds(0, h - kStatusBarHeight, w, kStatusBarHeight);
}

void TfrmExplorer::FormResize() { Layout(); }

void TfrmExplorer::FormCreate() {
  (void)LocalSyncFolder();
  if (frmConfig && frmConfig->cbLocalOnly.Checked()) Show();
}

// --- the PC panel ----------------------------------------------------------

void TfrmExplorer::tbtnUpDirClick() { ShellListView.GoUp(); }

void TfrmExplorer::tbtnRefreshClick() { ShellListView.Refresh(); }

void TfrmExplorer::tbtnSLVStyleClick() { ShellListView.SetViewStyle(NextStyle(ShellListView.viewStyle())); }

void TfrmExplorer::tbtnDeleteClick() {
  const std::vector<int> selected = ShellListView.SelectedIndexes();
  if (selected.empty()) return;
  auto ask = [](const std::string& text) {
    return gui::App().MessageBox(text, "파일 삭제 확인", gui::Buttons::kYesNo, gui::MsgIcon::kWarning) ==
           gui::ModalResult::kYes;
  };
  // The platform's plain delete; what it cannot delete stays, as the list
  // shows afterwards. The list may be read again while the question is
  // open (a folder change): the files are taken by identity before it and
  // checked again after it, never by row.
  if (selected.size() == 1) {
    const std::string path = ShellListView.Entry(selected.front()).path;
    const bool file = ShellListView.Entry(selected.front()).kind == gui::ShellEntry::Kind::kFile;
    const auto id = file ? IdentifyPcFile(common::PathFromUtf8(path)) : std::nullopt;
    if (!path.empty() && ask(path + " 파일을 삭제하시겠습니까?")) {
      if (id) DeleteIfStillTheSame(*id);
      else if (!file) (void)common::RemoveFile(common::PathFromUtf8(path));
    }
  } else {
    std::vector<PcFileIdentity> files;
    for (int i : selected) {
      const gui::ShellEntry& entry = ShellListView.Entry(i);
      if (entry.kind != gui::ShellEntry::Kind::kFile) continue;
      if (auto id = IdentifyPcFile(common::PathFromUtf8(entry.path))) files.push_back(std::move(*id));
    }
    if (ask("선택하신 파일들을 삭제하시겠습니까?")) {
      for (const PcFileIdentity& id : files) DeleteIfStillTheSame(id);
    }
  }
  ShellListView.Refresh();
}

void TfrmExplorer::ShellListViewChange() {
  const int selected = ShellListView.SelectedCount();
  sbMain.SetPanelText(0, selected > 0 ? std::to_string(selected) + " 개체가 선택됨"
                                      : std::to_string(ShellListView.Count()) + " 개체");
}

// --- the player panel --------------------------------------------------------

bool TfrmExplorer::TransferRuns() {
  // One transfer dialog at a time, and no other command on the player
  // beside it: the dialog keeps its own account of the player's entries.
  if (!ActiveTransferDialog) return false;
  ActiveTransferDialog->BringToFront();
  return true;
}

void TfrmExplorer::FormShow() {
  if (ShellListView.DesktopFolder().empty()) {
    ShellListView.SetDesktopFolder(common::PathToUtf8(Environment().desktopFolder));
    if (!ShellListView.SetPlace(gui::ShellPlace::Folder(ShellListView.DesktopFolder()))) {
      (void)ShellListView.SetPlace(gui::ShellPlace::Computer());
    }
    ShellTreeView.SetShellListView(&ShellListView);
    ShellComboBox.SetShellListView(&ShellListView);
  }
  device_ = std::make_unique<TMyDevice>(Player ? *Player : playerlink::SystemDriver());
  deviceState_ = kStateAbsent;
  btnMoveUp.SetEnabled(false);
  btnMoveDN.SetEnabled(false);
  if (device_->DetectDevice()) DevicePresent();
  else DeviceAbsent();
  StartPoll();
  btnSyncRefreshClick();
}

void TfrmExplorer::FormHide() {
  StopPoll();
  device_.reset();
}

void TfrmExplorer::DevicePresent() {
  imgMyDeviceStat.SetPicture(imgMyDeviceOn.Picture());
  aliRefreshExecute();
  lbMyDeviceStat.SetCaption(kDeviceWorking);
  deviceState_ = kStateWorking;
}

void TfrmExplorer::DeviceAbsent() {
  imgMyDeviceStat.SetPicture(imgMyDeviceOff.Picture());
  lbMyDeviceStat.SetCaption(kNoDevice);
  deviceState_ = kStateAbsent;
  lbTotMemSize.SetCaption("0k");
  lbFreeMemSize.SetCaption("0k");
  FillPlayerList({});
}

void TfrmExplorer::tmrMyDeviceTimer() {
  StopPoll();
  if (!device_ || ActiveTransferDialog) return;  // started again when the transfer has ended
  const bool present = device_->DetectDevice();
  if (device_->busy()) {
    // Another conversation with the player runs: nothing is known anew,
    // and nothing shown is dropped; the next tick looks again.
    StartPoll();
    return;
  }
  if (deviceState_ == kStateWorking) {
    if (present) lbMyDeviceStat.SetCaption(kDeviceWorking);
    else DeviceAbsent();
  } else if (present) {
    DevicePresent();
  }
  StartPoll();
}

void TfrmExplorer::ShowMemory() {
  if (!device_) return;
  lbTotMemSize.SetCaption(std::to_string(device_->GetTotalMemory()) + "k");
  lbFreeMemSize.SetCaption(std::to_string(device_->GetFreeMemory()) + "k");
}

void TfrmExplorer::FillPlayerList(std::vector<DeviceEntry> entries) {
  std::vector<gui::ListItem> rows;
  rows.reserve(entries.size());
  for (const DeviceEntry& entry : entries) {
    // The directory line "<name>/<size>k": the caption before the first
    // "/", the size after it.
    const std::string line = DirectoryLine(entry);
    const auto slash = line.find('/');
    rows.push_back({line.substr(0, slash), {slash == std::string::npos ? "" : line.substr(slash + 1), ""}});
  }
  shown_ = std::move(entries);
  lvMyDevice.SetItems(std::move(rows));
}

void TfrmExplorer::aliRefreshExecute() {
  if (TransferRuns()) return;  // the poll starts again when the transfer has ended
  // Asked again while its own read runs (the window shown again, say): that
  // read fills the list.
  if (refreshing_) return;
  StopPoll();
  if (device_) {
    // A whole directory is seconds of the player's link (255 entries: 4 MB
    // at USB 1.1 full speed). The read, and the memory figures after it,
    // run off the GUI thread, which keeps painting; as during any command
    // on the player, no input reaches a window meanwhile, and the poll
    // stays stopped, so this is the process's one conversation with it.
    struct Read {
      std::shared_ptr<TMyDevice> device;
      std::vector<DeviceEntry> entries;
      bool busy = false;
      std::uint32_t total = 0;
      std::uint32_t free = 0;
    };
    refreshing_ = true;
    struct EndRefresh {
      bool& flag;
      ~EndRefresh() { flag = false; }
    } endRefresh{refreshing_};
    // Once more when the window was hidden and shown again meanwhile (a new
    // device): what the old one read is not shown.
    for (std::shared_ptr<TMyDevice> device = device_; device; device = device_) {
      auto read = std::make_shared<Read>();
      read->device = device;
      bool done = false;
      {
        gui::ModalScope scope;
        done = gui::App().RunOffGuiThread([read] {
          read->device->ReadDirectoryEntries(read->entries);
          read->busy = read->device->busy();
          if (read->busy) return;
          read->total = read->device->GetTotalMemory();
          read->free = read->device->GetFreeMemory();
        });
      }
      if (!done) break;  // the program ends
      if (device_ != device) continue;
      // A busy player keeps what the window shows; the poll or the user
      // reads it later.
      if (!read->busy) {
        lbTotMemSize.SetCaption(std::to_string(read->total) + "k");
        lbFreeMemSize.SetCaption(std::to_string(read->free) + "k");
        FillPlayerList(std::move(read->entries));
      }
      break;
    }
  }
  StartPoll();
}

bool TfrmExplorer::PlayerStillHolds(const std::vector<DeviceEntry>& chosen, std::vector<DeviceEntry>& now) {
  auto fresh = device_->ReadWholeDirectory();
  if (!fresh) return false;
  now = std::move(*fresh);
  return std::all_of(chosen.begin(), chosen.end(), [&](const DeviceEntry& entry) {
    return entry.number >= 1 && entry.number <= now.size() && now[entry.number - 1] == entry;
  });
}

void TfrmExplorer::aliDeleteExecute() {
  if (TransferRuns()) return;
  StopPoll();
  const std::vector<int> selected = lvMyDevice.SelectedIndexes();
  const std::string title = "파일 삭제하기";
  auto ask = [&](const std::string& text) {
    return gui::App().MessageBox(text, title, gui::Buttons::kOkCancel, gui::MsgIcon::kWarning) ==
           gui::ModalResult::kOk;
  };
  // The entries the user chose, by identity (number, name, size): the list
  // may be read again while the question is open (a refresh, a sync).
  std::vector<DeviceEntry> chosen;
  for (int row : selected) {
    if (row >= 0 && static_cast<std::size_t>(row) < shown_.size()) chosen.push_back(shown_[static_cast<std::size_t>(row)]);
  }
  std::vector<DeviceEntry> now;
  auto stillHolds = [&] {
    if (device_ && PlayerStillHolds(chosen, now)) return true;
    if (device_ && device_->busy()) {
      gui::App().MessageBox(kPlayerBusy, title, gui::Buttons::kOk, gui::MsgIcon::kWarning);
      StopPoll();
      return false;
    }
    // The player was changed or swapped since the list was read: nothing is
    // deleted by a number that may now name another file.
    aliRefreshExecute();
    StopPoll();
    gui::App().MessageBox("플레이어의 파일 목록이 바뀌어 목록을 다시 읽었습니다.\r\n지울 파일을 다시 선택해 주세요.",
                          title, gui::Buttons::kOk, gui::MsgIcon::kWarning);
    return false;
  };
  bool asked = false, holds = false;
  if (chosen.size() == 1) {
    asked = ask(lvMyDevice.Item(selected.front()).caption + " 파일을 삭제하시겠습니까?");
  } else if (chosen.size() > 1) {
    asked = ask("선택하신 모든 파일들을 삭제하시겠습니까?");
  }
  if (asked) holds = stillHolds();
  if (holds) {
    // Top first; the player closes the gap after each delete, so an entry
    // behind a deleted one is one number lower by then. Each is checked on
    // the player once more as it goes.
    unsigned gone = 0;
    bool failedOne = false;
    for (const DeviceEntry& entry : chosen) {
      DeviceEntry at = entry;
      at.number -= gone;
      if (device_->DeleteEntryIf(at)) {
        now.erase(now.begin() + (at.number - 1));
        for (auto it = now.begin() + (at.number - 1); it != now.end(); ++it) --it->number;
        ++gone;
      } else {
        failedOne = true;
      }
    }
    FillPlayerList(std::move(now));
    if (failedOne && chosen.size() == 1) {
      gui::App().MessageBox("파일을 삭제하지 못했습니다.", title, gui::Buttons::kOk, gui::MsgIcon::kWarning);
    }
  }
  ShowMemory();
  StartPoll();
}

void TfrmExplorer::N1Click() {
  if (TransferRuns()) return;
  StopPoll();
  if (device_ && gui::App().MessageBox("플레이어의 모든 파일이 지워집니다.\r\n포맷하시겠습니까?", "포맷하기",
                                       gui::Buttons::kOkCancel, gui::MsgIcon::kWarning) == gui::ModalResult::kOk) {
    const bool done = device_->FormatDevice();
    gui::App().MessageBox(done ? "포맷이 완료되었습니다." : "포맷이 실패하였습니다.", gui::App().Title());
    // What the player holds now, whatever the format did.
    aliRefreshExecute();
  }
  StartPoll();
}

void TfrmExplorer::aliUploadExecute() {
  if (TransferRuns()) return;
  StopPoll();
  const std::string folder = ShellListView.Folder();
  std::vector<std::string> lines;
  for (int row : lvMyDevice.SelectedIndexes()) lines.push_back(std::to_string(row) + "/" + lvMyDevice.Item(row).caption);
  if (lines.empty()) {
    gui::App().MessageBox("PC로 가져올 파일을 플레이어 목록에서 선택해 주세요.", "파일 업로드", gui::Buttons::kOk,
                          gui::MsgIcon::kInformation);
  } else if (folder.empty()) {
    gui::App().MessageBox("파일을 받을 폴더를 위쪽 목록에서 열어 주세요.", "파일 업로드", gui::Buttons::kOk,
                          gui::MsgIcon::kInformation);
  } else {
    TfrmUpDown dialog(Player);
    dialog.SetCaption(kCaptionUpload);
    dialog.Direction = TfrmUpDown::kPlayerToPc;
    dialog.TargetFolder = common::PathToUtf8(common::PathFromUtf8(folder) / "");
    dialog.FileList = std::move(lines);
    dialog.ShowModal();
  }
  StartPoll();
  ShellListView.Refresh();
}

void TfrmExplorer::aliDownloadExecute() {
  if (TransferRuns()) return;
  StopPoll();
  std::vector<std::string> files;
  std::uint64_t total = 0;
  for (int i : ShellListView.SelectedIndexes()) {
    const gui::ShellEntry& entry = ShellListView.Entry(i);
    if (entry.kind != gui::ShellEntry::Kind::kFile) continue;
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(common::PathFromUtf8(entry.path), error);
    if (error) {
      // The command ends, as the standard error report tells.
      StartPoll();
      aliRefreshExecute();
      const common::FileError cause = error == std::errc::no_such_file_or_directory ? common::FileError::kNotFound
                                      : error == std::errc::permission_denied         ? common::FileError::kAccessDenied
                                                                                      : common::FileError::kFailed;
      gui::App().ShowException(common::UserFacingError(
          common::MakeFileError(common::FileOp::kMeasure, common::PathFromUtf8(entry.path), cause, error.message())
              .message));
      return;
    }
    files.push_back(entry.path);
    total += size / 1000;
  }
  if (files.empty()) {
    gui::App().MessageBox("플레이어로 보낼 파일을 위쪽 목록에서 선택해 주세요.", "파일 다운로드", gui::Buttons::kOk,
                          gui::MsgIcon::kInformation);
  } else if (NumberBeforeK(lbFreeMemSize.Caption()) < total) {
    gui::App().MessageBox("선택한 파일의 용량이 남은 메모리보다 큽니다.", "파일 다운로드", gui::Buttons::kOk,
                          gui::MsgIcon::kWarning);
  } else {
    TfrmUpDown dialog(Player);
    dialog.SetCaption(kCaptionDownload);
    dialog.Direction = TfrmUpDown::kPcToPlayer;
    dialog.FileList = std::move(files);
    for (const auto& row : lvMyDevice.Items()) dialog.PlayerFiles.push_back(row.caption);
    dialog.ShowModal();
  }
  StartPoll();
  aliRefreshExecute();
}

void TfrmExplorer::mmiConfigClick() {
  if (!frmConfig) return;
  frmConfig->Show();
  frmConfig->BringToFront();
}

void TfrmExplorer::mmiExitClick() {
  if (frmMain) frmMain->Close();
}

void TfrmExplorer::mmiAboutClick() {
  // The next refresh, command or showing starts the poll again.
  StopPoll();
  gui::App().MessageBox("Orvel 1.0\r\nTarnel For Corvane", "Orvel 정보", gui::Buttons::kOk,
                        gui::MsgIcon::kInformation);
}

// --- the channel panel ---------------------------------------------------------

void TfrmExplorer::btnSyncRefreshClick() {
  btnSyncRefresh.SetEnabled(false);
  lvSyncList.Clear();
  if (frmLogin && frmLogin->LoginState == 1 && SyncComponent) {
    // A failed request is reported; the Local rows are listed all the same.
    bool listed = false;
    gui::App().Guard([&] { listed = frmLogin->acGetTarnelChannelList(); });
    const TSyncList& items = SyncComponent->Items();
    for (int i = 0; listed && i < items.Count(); ++i) {
      const TSyncItem& item = items.Items(i);
      if (item.DnFileName == "No file") continue;
      lvSyncList.AddItem({item.DnFileName, {kRowRemote, std::to_string(item.DnFileSize) + "k", ""}});
    }
  }
  AddLocalRows(LocalSyncFolder());
  aliSyncRefreshExecute();
  btnSyncRefresh.SetEnabled(true);
}

void TfrmExplorer::AddLocalRows(const common::Path& folder) {
  std::error_code error;
  std::vector<common::Path> folders;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const common::Path path = it->path();
    // Links and junctions are not followed: what is listed, and later
    // written to the player, lies inside LocalSync.
    const common::PathAttributes attributes = common::GetPathAttributes(path);
    if (attributes.link || !attributes.exists) continue;
    if (attributes.directory) {
      folders.push_back(path);
      continue;
    }
    const std::string name = common::PathToUtf8(path.filename());
    if (content::LowerExtension(name) != content::kChannelFileExtension) continue;
    std::error_code sizeError;
    const std::uintmax_t bytes = std::filesystem::file_size(path, sizeError);
    if (sizeError) continue;
    lvSyncList.AddItem({name, {kRowLocal, std::to_string((bytes + 1023) / 1024) + "k", common::PathToUtf8(path)}});
  }
  // Sub-folders after the folder's own files, depth first.
  for (const auto& sub : folders) AddLocalRows(sub);
}

void TfrmExplorer::aliSyncRefreshExecute() {
  std::uint64_t total = 0;
  for (const auto& row : lvSyncList.Items()) {
    if (row.checked && row.subItems.size() > 1) total += NumberBeforeK(row.subItems[1]);
  }
  if (SyncComponent) {
    // An item is selected while any row of its name is ticked: two rows of
    // one caption (Local files in different folders) must not untick each
    // other's item.
    TSyncList& items = SyncComponent->Items();
    for (int i = 0; i < items.Count(); ++i) {
      bool listed = false, ticked = false;
      for (const auto& row : lvSyncList.Items()) {
        if (row.caption != items.Items(i).DnFileName) continue;
        listed = true;
        ticked = ticked || row.checked;
      }
      if (listed) items.Items(i).IsSelected = ticked;
    }
  }
  lbSelFileSize.SetCaption(std::to_string(total) + "k");
}

void TfrmExplorer::btnSyncClick() {
  // Not beside a transfer (one conversation with the player at a time), and
  // not a second time from inside its own questions or its request to the
  // service (the tray's "&Tarnel" stays usable there).
  if (ActiveTransferDialog || syncRoad_) return;
  syncRoad_ = true;
  struct EndRoad {
    bool& flag;
    ~EndRoad() { flag = false; }
  } endRoad{syncRoad_};
  // Rows ticked by code (the tray's "&Tarnel") count as well as the user's.
  aliSyncRefreshExecute();
  std::uint64_t total = 0;
  bool any = false;
  for (const auto& row : lvSyncList.Items()) {
    if (!row.checked) continue;
    any = true;
    if (row.subItems.size() > 1) total += NumberBeforeK(row.subItems[1]);
  }
  if (!any) {
    gui::App().MessageBox("싱크하실 파일을 선택해 주세요.", "파일 선택", gui::Buttons::kOk, gui::MsgIcon::kError);
  }
  if (NumberBeforeK(lbFreeMemSize.Caption()) < total &&
      gui::App().MessageBox("선택한 파일들의 용량이 MyDevice의\r\n남은 공간보다 더 큽니다.\r\n다시 선택하시겠습니까?",
                            "용량초과", gui::Buttons::kYesNo, gui::MsgIcon::kError) == gui::ModalResult::kYes) {
    return;
  }
  // Ticked files of 0k (an empty channel file) are a sync as well.
  if (!any || ActiveSyncDialog || !frmLogin || !frmLogin->acSetTarnelChannelList()) return;

  Hide();
  TfrmSyncStatus::Services services = SyncServices;
  if (!services.player) services.player = Player;
  {
    auto dialog = std::make_unique<TfrmSyncStatus>(syncRows_, services);
    ActiveSyncDialog = dialog.get();
    // Cleared also when the dialog ends by an error.
    struct Clear {
      ~Clear() { ActiveSyncDialog = nullptr; }
    } clear;
    dialog->ShowModal();
  }
  Show();
}

void TfrmExplorer::mmiUpdateClick() {
  // One download at a time; the menu stays usable meanwhile.
  if (updating_) return;
  updating_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{updating_};
  StopPoll();
  const bool started = RunUpdate(Update);
  if (gui::App().Terminated()) return;
  if (started) {
    // The setup program runs: the program ends at once to let it replace it.
    if (frmMain) frmMain->Close();
    else gui::App().Terminate();
    return;
  }
  if (Visible()) StartPoll();
}

void TfrmExplorer::mmiHomepageClick() {
  auto loaded = platform::IniFile::Load(SettingsFilePath());
  const UpdateSettings settings = ReadUpdateSettings(loaded ? *loaded : platform::IniFile{});
  auto open = Update.open ? Update.open : ShellOpen;
  // Nothing to report when no browser takes it: the page is only a pointer.
  (void)open(settings.homepage, Environment().programFolder);
}

}  // namespace orvel
