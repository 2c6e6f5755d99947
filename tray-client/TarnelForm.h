// TfrmSyncStatus, the channel sync dialog ("싱크"): carries out one sync that
// the user started in "My PC". First the channel fetch brings the files of
// the ticked "Remote" rows from the zone's content server into LocalSync
// (each received under a temporary name and renamed into place once whole
// and checked), then the dialog writes every ticked row's file, one after
// the other, to the player through a TDNFileThread. It tells the service
// which channels were fetched ("fldned") and closes itself after the last
// row.
//
// The dialog reads the ticked rows of "My PC" through SyncRowSource; the
// configuration form (content server), the login form (user id, "fldned"),
// SyncComponent (item flags) and the tray icon (animation) through their
// globals. The "My PC" window creates it, sets ActiveSyncDialog, shows it
// modally and frees it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/CommitQueue.h"
#include "common/File.h"
#include "platform/gui/Button.h"
#include "platform/gui/Form.h"
#include "platform/gui/FormMessageTarget.h"
#include "platform/gui/Image.h"
#include "platform/gui/Label.h"
#include "platform/gui/ListView.h"
#include "platform/gui/ProgressBar.h"
#include "player-link/Driver.h"
#include "tray-client/ChannelFetch.h"
#include "tray-client/DeviceUnit.h"

namespace orvel {

// Window messages of the dialog: the next row (sent to itself), and the
// progress of the player write (from the TDNFileThread).
inline constexpr std::uint32_t kWmNextSyncRow = 1129;   // WM_USER + 105
inline constexpr std::uint32_t kWmSyncProgress = 1125;  // WM_USER + 101

inline constexpr const char* kRowLocal = "Local";
inline constexpr const char* kRowRemote = "Remote";

// A ticked row of the "My PC" channel list as the dialog reads it.
struct SyncRow {
  std::string kind;     // "Local" or "Remote" (the "위치" column)
  std::string caption;  // the file name
  std::string path;     // the "파일 경로" column: a Local row's full path
};

// The ticked rows of the "My PC" window's channel list, top first.
class SyncRowSource {
 public:
  virtual ~SyncRowSource() = default;
  virtual bool AnyTickedRemote() const = 0;
  virtual int TickedCount() const = 0;
  // The first ticked row from the top, which is unticked; empty when no
  // ticked row is left.
  virtual std::optional<SyncRow> TakeFirstTicked() = 0;
};

// The rows of a list laid out as lvSyncList: caption, "위치", "파일 크기",
// "파일 경로".
class ListViewSyncRows final : public SyncRowSource {
 public:
  explicit ListViewSyncRows(gui::ListView& list) : list_(list) {}
  bool AnyTickedRemote() const override;
  int TickedCount() const override;
  std::optional<SyncRow> TakeFirstTicked() override;

 private:
  gui::ListView& list_;
};

class TfrmSyncStatus : public gui::Form {
 public:
  // Where the dialog's player writes and fetch requests go; tests pass
  // their own.
  struct Services {
    playerlink::Driver* player = nullptr;  // null: the system's driver
    FetchOptions fetch;
    ChannelFetch::ClientFactory http;  // empty: the platform's client
  };

  explicit TfrmSyncStatus(SyncRowSource& rows);
  TfrmSyncStatus(SyncRowSource& rows, Services services);
  ~TfrmSyncStatus() override;

  gui::Image RxGIFAnimator{this};
  gui::Label lbStatus{this};
  gui::Label lbCurrentFile{this};
  gui::ProgressBar gaCurrentFile{this};
  gui::Label lbTotalFile{this};
  gui::ProgressBar gaTotalFile{this};
  gui::Button btnCancel{this};

  void FormCreate();
  void FormShow();
  void FormDestroy();
  void StartChannelDownload();
  int DownloadEvent(int kind, ChannelEvent& event);
  void WriteSyncedFileToDevice(const common::Path& path);
  void btnCancelClick();

  // The content server the dialog fetches from (from the configuration
  // form at creation) and LocalSync.
  const std::string& ContentServerAddress() const { return contentAddress_; }
  int ContentServerPort() const { return contentPort_; }
  const common::Path& LocalSyncPath() const { return localSync_; }
  bool PlayerTransferRunning() const { return playerTransferRunning_ != 0; }
  // A file is being written to the player: the dialog does not close.
  bool PlayerWriteActive() const { return threadActive_; }

 private:
  std::intptr_t NextRow();
  std::intptr_t PlayerProgress(std::uintptr_t wParam, std::intptr_t lParam);
  void FileBegins(const std::string& name, std::uint32_t size);
  void FileData(const std::uint8_t* data, std::size_t length);
  void FetchEnded(int kind);
  // Closes the LocalSync file being received: when it arrived whole
  // (`keep`) it goes to the commits, which rename it into place once it is
  // on disk, while the next file arrives.
  void FinishCurrentFile(bool keep);
  // Waits for the commits given so far; marks the items of each file
  // renamed into place as fetched, and keeps a failure.
  void TakeCommits();
  void MarkFetched(const std::string& fileName);
  // Keeps the first LocalSync write of this fetch that failed (its text
  // names the file): said at the end of the fetch.
  void WriteFailed(const common::Error& error);
  void Terminal(const std::string& status);
  void ShowTotal(int currentPercent);
  playerlink::Driver& Player();

  SyncRowSource& rows_;
  Services services_;
  std::string contentAddress_;
  int contentPort_ = 0;
  common::Path localSync_;
  std::unique_ptr<ChannelFetch> fetch_;
  // Shared with the transfer thread, which may report after the dialog went.
  std::shared_ptr<gui::FormMessageTarget> messages_;

  // The file being received.
  std::string currentFileName_;
  std::string finishedFileName_;
  std::uint32_t currentFileSize_ = 0;
  std::uint64_t received_ = 0;
  std::optional<common::AtomicFileWriter> currentFile_;
  // The files received whole, on their way into place (sync to disk and
  // rename off the GUI thread).
  common::CommitQueue commits_;
  bool currentFileFailed_ = false;
  std::string writeFailure_;
  int fileCount_ = 0;
  int filesBegun_ = 0;
  bool fetchEnded_ = false;

  // The player phase.
  std::string playerName_;
  common::Path writtenPath_;
  std::uint8_t playerTransferRunning_ = 0;
  bool threadActive_ = false;  // a TDNFileThread is out and has not reported its end
  std::unique_ptr<TMyDevice> device_;
  bool playerPhase_ = false;
  int rowsTotal_ = 0;
  int rowsDone_ = 0;
};

}  // namespace orvel
