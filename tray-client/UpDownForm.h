// TfrmUpDown, the transfer dialog: moves the files of its list between the
// PC and the player one after the other, each on a TDNFileThread of its
// own, and shows the progress of the current file and of the whole list.
// The "My PC" window fills the list, sets the caption ("파일 업로드" or
// "파일 다운로드") and the direction, shows the dialog modally and frees it.
//
// Two window messages drive it: 1127 starts the next file (posted by the
// dialog to itself), 1126 reports on the current one: (1, percent),
// (2, 0) and (3, 0) from the transfer thread, (4, 0) posted by the dialog
// when it skips a file. A failure ends the whole list.
//
// Towards the player the dialog reads the player's directory once, when it
// shows (off the GUI thread, with no input reaching a window), and keeps
// that list current from its own writes and deletes;
// nothing else talks to the player meanwhile (one conversation at a time,
// and the tray refuses a sync and the exit while a transfer dialog is
// open). The overwrite question goes by that list and names the first
// entry of the file's name; where the user agrees, that entry, and only
// that one, goes once the new file is there (a player that put the new
// file in its place keeps it). Where a file
// of the player is to be saved on the PC, its name must be one that
// Windows stores as it is (common::CheckFileName), and the question whether
// to overwrite is asked for the file on disk, whatever case its name has.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/Button.h"
#include "platform/gui/Form.h"
#include "platform/gui/FormMessageTarget.h"
#include "platform/gui/Image.h"
#include "platform/gui/Label.h"
#include "platform/gui/Panel.h"
#include "platform/gui/ProgressBar.h"
#include "player-link/Driver.h"
#include "tray-client/DeviceUnit.h"

namespace orvel {

inline constexpr std::uint32_t kWmUpDnProgress = 1126;  // WM_USER + 102
inline constexpr std::uint32_t kWmUpDnNextFile = 1127;  // WM_USER + 103
inline constexpr std::uintptr_t kUpDnSkipped = 4;

inline constexpr const char* kCaptionUpload = "파일 업로드";    // player to PC
inline constexpr const char* kCaptionDownload = "파일 다운로드";  // PC to player

class TfrmUpDown : public gui::Form {
 public:
  static constexpr std::uint8_t kPlayerToPc = 0;
  static constexpr std::uint8_t kPcToPlayer = 1;

  // `player`: the driver the transfers go through (null: the system's).
  explicit TfrmUpDown(playerlink::Driver* player = nullptr);
  ~TfrmUpDown() override;

  gui::Panel pnlMain{this};
  gui::Image RxGIFAnimator{&pnlMain};
  gui::Label lbStatus{&pnlMain};
  gui::Panel pnlGauges{&pnlMain};
  gui::Label lbCurrentFile{&pnlGauges};
  gui::ProgressBar gaCurrentFile{&pnlGauges};
  gui::Label lbTotalFile{&pnlGauges};
  gui::ProgressBar gaTotalFile{&pnlGauges};
  gui::Button btnCancel{&pnlGauges};

  // Set by the opener before ShowModal.
  std::uint8_t Direction = kPcToPlayer;
  // Direction 0: "<row index>/<name>" (0-based player row, file name);
  // direction 1: full paths of PC files. UTF-8.
  std::vector<std::string> FileList;
  // Direction 0: the PC folder that receives the copies, ending in a
  // folder separator.
  std::string TargetFolder;
  // Direction 1: the file names the player list showed when the dialog
  // was opened. The overwrite question looks here only when the player
  // did not answer the directory read.
  std::vector<std::string> PlayerFiles;

  // The index of the file being handled.
  int Current() const { return current_; }

  void FormShow();
  void FormClose();

 private:
  std::intptr_t NextFile();
  std::intptr_t Progress(std::uintptr_t what, std::intptr_t percent);
  bool StepToPc(std::string& line);
  bool StepToPlayer(const std::string& line);
  // Whether the player holds a file of that name; the first entry of it
  // when the directory is known.
  bool OnPlayer(const std::string& fileName, std::optional<DeviceEntry>& first);
  // After a file went to the player: the list follows, and after an agreed
  // overwrite the entry the question named goes.
  void FileWritten(const std::string& fileName, std::uint64_t size);
  void Finish();
  void SetStatus(const std::string& text);
  // The name of the current file as the status texts show it.
  std::string CurrentName() const;

  playerlink::Driver& driver_;
  // Shared with the directory read when the dialog shows, which runs off
  // the GUI thread.
  std::shared_ptr<TMyDevice> device_;
  // Shared with the transfer thread, which may report after the dialog went.
  std::shared_ptr<gui::FormMessageTarget> messages_;
  int current_ = 0;
  // Direction 1: the player's entries as read when the dialog showed and
  // kept since; nothing when the player did not answer the read.
  std::optional<std::vector<DeviceEntry>> directory_;
  // The file on its way to the player, and the entry its agreed overwrite
  // replaces (as the question named it).
  std::uint64_t writingSize_ = 0;
  std::optional<DeviceEntry> replacing_;
};

// The open transfer dialog; null while none is open. The tray refuses a
// sync and the exit while it is set.
extern gui::Form* ActiveTransferDialog;

// The name under which a PC file goes to the player: its path with an
// extension ".sa3" (any case) changed to ".mp3".
std::string PlayerNameFor(const std::string& path);

}  // namespace orvel
