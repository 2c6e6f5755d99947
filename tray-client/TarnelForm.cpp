#include "tray-client/TarnelForm.h"

#include <cmath>
#include <exception>

#include "common/ErrorText.h"
#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "tray-client/ConfForm.h"
#include "tray-client/ContentProtocol.h"
#include "tray-client/LoginForm.h"
#include "tray-client/MainForm.h"
#include "tray-client/OrvelEnvironment.h"
#include "tray-client/SyncListUnit.h"
#include "tray-client/UpDnUnit.h"

namespace orvel {

namespace {

constexpr const char* kCancelCaption = "Cancel";
constexpr const char* kOkCaption = "확인";
constexpr int kSettleMs = 500;

std::string Text(const std::uint8_t* data) {
  return data == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(data));
}

int RoundedPercent(std::uint64_t done, std::uint64_t size) {
  if (size == 0) return 100;  // an empty file is whole from the start
  const double percent = std::round(static_cast<double>(done) / static_cast<double>(size) * 100.0);
  return static_cast<int>(std::min(100.0, percent));
}

}  // namespace

// --- the ticked rows of a list view ---

bool ListViewSyncRows::AnyTickedRemote() const {
  for (const auto& row : list_.Items()) {
    if (row.checked && !row.subItems.empty() && row.subItems[0] == kRowRemote) return true;
  }
  return false;
}

int ListViewSyncRows::TickedCount() const {
  int n = 0;
  for (const auto& row : list_.Items()) n += row.checked ? 1 : 0;
  return n;
}

std::optional<SyncRow> ListViewSyncRows::TakeFirstTicked() {
  for (int i = 0; i < list_.Count(); ++i) {
    const gui::ListItem& row = list_.Item(i);
    if (!row.checked) continue;
    auto sub = [&](std::size_t k) { return k < row.subItems.size() ? row.subItems[k] : std::string(); };
    SyncRow taken{sub(0), row.caption, sub(2)};
    list_.SetChecked(i, false);
    return taken;
  }
  return std::nullopt;
}

// --- the dialog ---

TfrmSyncStatus::TfrmSyncStatus(SyncRowSource& rows) : TfrmSyncStatus(rows, Services{}) {}

TfrmSyncStatus::TfrmSyncStatus(SyncRowSource& rows, Services services)
    : rows_(rows), services_(std::move(services)) {
  SetCaption("싱크");
  SetBorderIcons(false);
  SetPosition(Position::kScreenCenter);
  SetClientSize(380, 176);

  std::vector<gui::Icon> frames;
  for (int i = 0; i < kAnimationFrames; ++i) frames.push_back(gui::Icon{AnimationFrameName(i)});
  RxGIFAnimator.SetBounds(16, 16, 32, 32);
  RxGIFAnimator.SetPicture(frames.front());
  RxGIFAnimator.SetFrames(std::move(frames));
  RxGIFAnimator.SetInterval(kAnimationInterval);
  lbStatus.SetBounds(60, 12, 304, 52);
  lbStatus.SetWordWrap(true);
  lbCurrentFile.SetCaption("현재 파일");
  lbCurrentFile.SetBounds(16, 76, 70, 16);
  gaCurrentFile.SetBounds(92, 74, 272, 18);
  gaCurrentFile.SetRange(0, 100);
  lbTotalFile.SetCaption("전체 진행");
  lbTotalFile.SetBounds(16, 104, 70, 16);
  gaTotalFile.SetBounds(92, 102, 272, 18);
  gaTotalFile.SetRange(0, 100);
  btnCancel.SetCaption(kCancelCaption);
  btnCancel.SetBounds(146, 136, 88, 26);
  btnCancel.SetEnabled(false);
  btnCancel.OnClick = [this] { btnCancelClick(); };

  SetMessageHandler(kWmNextSyncRow, [this](std::uintptr_t, std::intptr_t) { return NextRow(); });
  SetMessageHandler(kWmSyncProgress,
                    [this](std::uintptr_t wParam, std::intptr_t lParam) { return PlayerProgress(wParam, lParam); });
  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
  OnDestroy = [this] { FormDestroy(); };
  Create();
}

TfrmSyncStatus::~TfrmSyncStatus() { Destroy(); }

playerlink::Driver& TfrmSyncStatus::Player() {
  return services_.player ? *services_.player : playerlink::SystemDriver();
}

void TfrmSyncStatus::FormCreate() {
  if (frmConfig) {
    contentAddress_ = frmConfig->ContentServerAddress;
    contentPort_ = content::PortOrDefault(frmConfig->ContentServerPort);
  } else {
    contentPort_ = content::kDefaultPort;
  }
  playerTransferRunning_ = 0;
  localSync_ = LocalSyncFolder();
  // What fetches ended by a killed program left: nothing renames them now.
  common::RemoveStaleTempFilesIn(localSync_);
  messages_ = std::make_shared<gui::FormMessageTarget>(*this);
  auto queue = gui::App().WorkerQueue();
  fetch_ = std::make_unique<ChannelFetch>([queue](std::function<void()> call) { return queue->PostCall(std::move(call)); },
                                          services_.fetch, services_.http);
}

void TfrmSyncStatus::FormShow() {
  RxGIFAnimator.SetAnimated(true);
  if (frmMain) frmMain->tiMain.SetAnimated(true);
  StartChannelDownload();
}

void TfrmSyncStatus::FormDestroy() {
  RxGIFAnimator.SetAnimated(false);
  if (frmMain) frmMain->tiMain.SetAnimated(false);
  fetch_.reset();
  currentFile_.reset();  // a file still being received is dropped, never renamed into place
  (void)commits_.Finish();  // files received whole are put in place first
  device_.reset();
}

void TfrmSyncStatus::StartChannelDownload() {
  if (!rows_.AnyTickedRemote()) {
    gui::App().Send(*this, kWmNextSyncRow);
    return;
  }
  const std::string userId = frmLogin ? frmLogin->edtUserID.Text() : std::string();
  if (userId.empty()) {
    Terminal("설정창에서 UserID와 PassWD를 확인하시고\r\n다시 싱크를 해주십시요.");
    return;
  }
  fetch_->StartFetch(
      localSync_,
      [this](int kind, ChannelEvent& event) {
        int result = 0;
        gui::App().Guard([&] { result = DownloadEvent(kind, event); });
        return result;
      },
      contentAddress_, contentPort_, userId);
  lbStatus.SetCaption("Start download...");
  btnCancel.SetEnabled(true);
}

int TfrmSyncStatus::DownloadEvent(int kind, ChannelEvent& event) {
  if (fetchEnded_) return 0;
  std::string status;
  bool ended = false;
  switch (kind) {
    case kFetchConnected: status = "Connected to server."; break;
    case kFetchServerInfo: status = "Receive server information."; break;
    case kFetchFileCount:
      fileCount_ = event.count;
      status = "전체 " + std::to_string(event.count) + " 개 파일";
      break;
    case kFetchFileBegins:
      event.count = 0;
      FileBegins(Text(event.data), static_cast<std::uint32_t>(std::max(0, event.length)));
      break;
    case kFetchData:
      FileData(event.data, static_cast<std::size_t>(std::max(0, event.length)));
      status = currentFileName_ + " 다운로드중 (" + std::to_string(RoundedPercent(received_, currentFileSize_)) + "%)";
      break;
    case kFetchFinished:
      status = "다운로드 완료. 잠시 기다려 주십시요.";
      ended = true;
      break;
    case kFetchCancelled:
      status = "다운로드가 취소되었습니다. 잠시 기다려 주십시요.";
      ended = true;
      break;
    case kFetchError:
      status = "Error code = " + std::to_string(event.code);
      btnCancel.SetCaption(kOkCaption);
      ended = true;
      break;
    case kFetchMessage:
      status = Text(event.data);
      btnCancel.SetCaption(kOkCaption);
      ended = true;
      break;
    default: break;
  }
  lbStatus.SetCaption(status);
  if (ended) FetchEnded(kind);
  return 0;
}

void TfrmSyncStatus::FileBegins(const std::string& name, std::uint32_t size) {
  if (currentFile_ || currentFileFailed_) FinishCurrentFile(true);
  currentFileName_ = name;
  currentFileSize_ = size;
  received_ = 0;
  ++filesBegun_;
  finishedFileName_ = currentFileName_;
  currentFileFailed_ = false;
  // Received beside its place; an older copy stays until this one is whole.
  auto path = content::LocalSyncFilePath(localSync_, std::u16string_view(common::PathFromUtf8(name).u16string()));
  if (path) {
    auto writer = common::AtomicFileWriter::Begin(*path);
    if (writer) currentFile_.emplace(std::move(*writer));
    else WriteFailed(writer.error());
  }
  // A file that cannot be made loses its data; the fetch goes on.
  if (!currentFile_) currentFileFailed_ = true;
  gaCurrentFile.SetPosition(RoundedPercent(0, size));
  ShowTotal(gaCurrentFile.Position());
}

void TfrmSyncStatus::FileData(const std::uint8_t* data, std::size_t length) {
  received_ += length;
  if (currentFile_ && length > 0) {
    if (auto written = currentFile_->Write(std::span(data, length)); !written) {
      WriteFailed(written.error());
      currentFile_.reset();
      currentFileFailed_ = true;
    }
  }
  const int percent = RoundedPercent(received_, currentFileSize_);
  gaCurrentFile.SetPosition(percent);
  ShowTotal(percent);
}

void TfrmSyncStatus::ShowTotal(int currentPercent) {
  if (playerPhase_) {
    gaTotalFile.SetPosition(rowsTotal_ <= 0 ? 100 : (rowsDone_ * 100 + currentPercent) / rowsTotal_);
    return;
  }
  const int done = std::max(0, filesBegun_ - 1);
  gaTotalFile.SetPosition(fileCount_ <= 0 ? 100 : std::min(100, (done * 100 + currentPercent) / fileCount_));
}

void TfrmSyncStatus::FinishCurrentFile(bool keep) {
  const bool whole = received_ == currentFileSize_ && !currentFileFailed_;
  if (currentFile_ && keep && whole) commits_.Add(std::move(*currentFile_), finishedFileName_);
  currentFile_.reset();
  currentFileFailed_ = false;
}

void TfrmSyncStatus::TakeCommits() {
  for (auto& outcome : commits_.Finish()) {
    if (outcome.result) MarkFetched(outcome.tag);
    else WriteFailed(outcome.result.error());
  }
}

void TfrmSyncStatus::WriteFailed(const common::Error& error) {
  if (writeFailure_.empty()) writeFailure_ = error.message;
}

void TfrmSyncStatus::MarkFetched(const std::string& fileName) {
  if (!SyncComponent) return;
  TSyncList& items = SyncComponent->Items();
  for (int i = 0; i < items.Count(); ++i) {
    TSyncItem& item = items.Items(i);
    if (content::ChangeFileExt(item.DnFileName, content::kChannelFileExtension) == fileName) item.IsDownEnd = true;
  }
}

void TfrmSyncStatus::FetchEnded(int kind) {
  fetchEnded_ = true;
  // Only a fetch that finished keeps its last file; otherwise that file's
  // partial copy is dropped and an older copy stays as it was.
  FinishCurrentFile(kind == kFetchFinished);
  TakeCommits();
  // A file LocalSync could not take is said as what it is, never as a
  // finished or cancelled download.
  if (!writeFailure_.empty() && (kind == kFetchFinished || kind == kFetchCancelled)) lbStatus.SetCaption(writeFailure_);
  gui::App().Sleep(kSettleMs);
  if (kind == kFetchFinished) btnCancel.SetEnabled(false);

  // The service hears of every file fetched, also when "확인" closed the
  // dialog during the wait.
  if (frmLogin) {
    // A failed report is shown, and the files fetched still go to the player.
    try {
      frmLogin->acUdtTarnelChannelList();
    } catch (const std::exception& error) {
      gui::App().ShowException(error);
    }
  }
  if (GetModalResult() != gui::ModalResult::kNone) return;  // closed with "확인" meanwhile: no player phase
  bool anyFetched = false;
  if (SyncComponent) {
    const TSyncList& items = SyncComponent->Items();
    for (int i = 0; i < items.Count() && !anyFetched; ++i) anyFetched = items.Items(i).IsDownEnd;
  }
  if (anyFetched) {
    // The player phase writes over the status: a failed file is told first.
    if (!writeFailure_.empty()) {
      gui::App().MessageBox(writeFailure_, Caption(), gui::Buttons::kOk, gui::MsgIcon::kError);
      if (GetModalResult() != gui::ModalResult::kNone) return;
    }
    gui::App().Send(*this, kWmNextSyncRow);
    return;
  }
  // Nothing fetched: the server's own message, or the failed write, stays
  // for the user to read.
  if (kind == kFetchMessage) Terminal(lbStatus.Caption());
  else Terminal(writeFailure_.empty() ? "다운로드가 취소되었습니다. 확인 버튼을 눌러주십시요." : writeFailure_);
}

void TfrmSyncStatus::Terminal(const std::string& status) {
  lbStatus.SetCaption(status);
  btnCancel.SetCaption(kOkCaption);
  btnCancel.SetEnabled(true);
}

std::intptr_t TfrmSyncStatus::NextRow() {
  if (GetModalResult() != gui::ModalResult::kNone) return 0;  // closing: no further row starts
  if (!playerPhase_) {
    playerPhase_ = true;
    rowsTotal_ = rows_.TickedCount();
  }
  rowsDone_ = rowsTotal_ - rows_.TickedCount();
  auto row = rows_.TakeFirstTicked();
  if (!row) {
    SetModalResult(gui::ModalResult::kOk);
    return 0;
  }
  gaCurrentFile.SetPosition(0);
  ShowTotal(0);
  common::Path path;
  if (row->kind == kRowLocal) {
    path = common::PathFromUtf8(row->path);
  } else if (row->kind == kRowRemote) {
    // The caption is the service's file name: it names a file of LocalSync
    // or none at all, never one elsewhere (that file would be written to
    // the player and then deleted).
    const std::string name = content::ChangeFileExt(row->caption, content::kChannelFileExtension);
    const auto wide = common::Utf8ToUtf16(name);
    const auto local = wide ? content::LocalSyncFilePath(localSync_, std::u16string_view(*wide))
                            : common::Result<common::Path>(wide.error());
    if (!local) {
      gui::App().Send(*this, kWmNextSyncRow);
      return 0;
    }
    path = *local;
  }
  WriteSyncedFileToDevice(path);
  return 0;
}

void TfrmSyncStatus::WriteSyncedFileToDevice(const common::Path& path) {
  device_ = std::make_unique<TMyDevice>(Player());
  if (!device_->DetectDevice()) {
    const bool busy = device_->busy();
    device_.reset();
    // The files fetched stay in LocalSync for the next sync.
    gui::App().MessageBox(busy ? std::string("다른 어플리케이션이 사용중 입니다.")
                               : std::string(common::ErrorSentence(common::PlayerError::kNotConnected)),
                          Caption(), gui::Buttons::kOk, gui::MsgIcon::kWarning);
    SetModalResult(gui::ModalResult::kOk);
    return;
  }
  auto file = common::File::OpenFile(path, common::File::Open::kRead);
  auto bytes = file ? file->Size() : common::Result<std::uint64_t>(common::Error{});
  if (path.empty() || !bytes) {
    device_.reset();
    gui::App().Send(*this, kWmNextSyncRow);
    return;
  }
  (void)file->Close();
  // Both in thousands of bytes; the free memory must be greater.
  if (!FitsInFreeMemory(*bytes, device_->GetFreeMemory())) {
    device_.reset();
    Terminal("디바이스의 공간이 부족해서 다운로드하지 않았습니다.");
    return;
  }
  const std::string source = common::PathToUtf8(path);
  const std::string target = content::LowerExtension(source) == content::kChannelFileExtension
                                 ? content::ChangeFileExt(source, ".mp3")
                                 : source;
  playerName_ = common::PathToUtf8(common::PathFromUtf8(target).filename());
  writtenPath_ = path;
  threadActive_ = device_->StartWriteThread(messages_, path, common::PathFromUtf8(target).u16string(), kWmSyncProgress);
  if (!threadActive_) PlayerProgress(TDNFileThread::kReportFailed, 0);
}

std::intptr_t TfrmSyncStatus::PlayerProgress(std::uintptr_t wParam, std::intptr_t lParam) {
  switch (wParam) {
    case TDNFileThread::kReportProgress: {
      const int percent = static_cast<int>(std::clamp<std::intptr_t>(lParam, 0, 100));
      gaCurrentFile.SetPosition(percent);
      ShowTotal(percent);
      lbStatus.SetCaption(playerName_ + "을(를) 디바이스로 Download (" + std::to_string(percent) + "%)");
      playerTransferRunning_ = 1;
      break;
    }
    case TDNFileThread::kReportDone: {
      threadActive_ = false;
      gaCurrentFile.SetPosition(100);
      ShowTotal(100);
      gui::App().Sleep(kSettleMs);
      lbStatus.SetCaption(playerName_ + " 디바이스로 DownLoad 완료.");
      if (SyncComponent) {
        // The item whose file this was, by its own name or by the ".mp3"
        // name its channel file is written under.
        TSyncList& items = SyncComponent->Items();
        for (int i = 0; i < items.Count(); ++i) {
          TSyncItem& item = items.Items(i);
          if (item.DnFileName == playerName_ || content::ChangeFileExt(item.DnFileName, ".mp3") == playerName_) {
            item.IsSyncEnd = true;
          }
        }
      }
      const common::Path channelFile = common::PathFromUtf8(content::ChangeFileExt(common::PathToUtf8(writtenPath_), content::kChannelFileExtension));
      if (common::FileExists(channelFile)) (void)common::RemoveFile(channelFile);
      device_.reset();
      playerTransferRunning_ = 0;
      gui::App().Send(*this, kWmNextSyncRow);
      break;
    }
    case TDNFileThread::kReportFailed:
      // The remaining rows are not written; the user closes the dialog.
      threadActive_ = false;
      device_.reset();
      playerTransferRunning_ = 0;
      Terminal(playerName_ + "을(를) 디바이스로 보내지 못했습니다. 확인 버튼을 눌러주십시요.");
      break;
    default: break;
  }
  return 0;
}

void TfrmSyncStatus::btnCancelClick() {
  // A file on its way to the player is written to its end first: the dialog
  // goes on to the next row or closes by itself afterwards.
  if (threadActive_) return;
  if (btnCancel.Caption() == kOkCaption) {
    SetModalResult(gui::ModalResult::kOk);
    return;
  }
  if (playerTransferRunning_ == 0) fetch_->CancelFetch();
}

}  // namespace orvel
