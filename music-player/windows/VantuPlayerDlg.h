// The music player's main window: it owns the skin and the decoder engine,
// shows skin frame 0 with the transport controls and displays, turns the
// commands of its elements and of its context menu into playback, takes
// dropped files and files handed over by a second start, and opens, closes
// and docks the equalizer, playlist and browser windows.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "music-player/PlaybackControl.h"
#include "music-player/PlayerEngine.h"
#include "music-player/VantuApp.h"
#include "music-player/skin/Skin.h"
#include "music-player/windows/DockingDialog.h"
#include "music-player/windows/PlayerShell.h"
#include "platform/gui/Menu.h"

namespace vantu {

class CPlaylistWnd;
class CBrowserWnd;

// The main window's context menu (menu 129) and its system menu item.
inline constexpr char kMakerMenuText[] = "(주) Qortan";
inline constexpr char kHomepageMenuText[] = "Vantu 홈 페이지";
inline constexpr char kAboutMenuText[] = "Vantu Player 란";
inline constexpr char kAboutSystemMenuText[] = "Vantu 정보(&A)...";
inline constexpr int kAboutSystemMenuId = 16;
// The file dialog of "open" (106) and the playlist window's "add" (603).
inline constexpr char kAudioFileFilter[] =
    "MPEG Audio Files {*.mpg;*.mp1;*.mp2;*.mp3}|*.mpg;*.mp1;*.mp2;*.mp3|All Files {*.*}|*.*||";
inline constexpr char kAudioDefaultExtension[] = "mp3X";
// A dropped path takes at most this many bytes (code page 949); a longer
// one is passed over.
constexpr std::size_t kMaxDroppedPath = 259;

class CVantuPlayerDlg : public CDockingDialog, public PlaybackView {
 public:
  // `commandLine`: the text after the program's name (code page 949).
  CVantuPlayerDlg(CVantuPlayerApp& app, PlayerShell& shell, std::string commandLine,
                  XaudioLibrary library = {});
  ~CVantuPlayerDlg() override;

  // Places and shows the window, then opens the secondary windows whose
  // open flags are set (the first show).
  void ShowFirst();
  // ShowFirst, then the loop until the window closes (the modal run).
  void RunModal();

  CPlaybackControl& Playback() { return playback_; }
  CPlayerEngine* Engine() const { return engine_.get(); }
  CSkin& Skin() { return *skin_; }
  CVantuPlayerApp& PlayerApp() { return app_; }
  PlayerShell& Shell() { return shell_; }
  CPlaylistWnd* PlaylistWindow() const;
  CBrowserWnd* BrowserWindow() const;

  // The file dialog: on OK the playlist becomes the chosen files, which play.
  void OpenFiles() override;
  // Starts the registered web browser with the address.
  void OpenHomepage(const std::string& address);
  // Plays the entry chosen in the playlist window (double-click).
  void PlayChosenEntry();
  // The playlist window's list and scroll bar show the playlist again.
  void RefreshPlaylistWindow();
  void ApplyEqualizer() { playback_.ApplyEqualizer(); }

  // Display values (shown by elements 511, 512, 521, 522, 531).
  int BitRate() const { return bitRate_; }
  int SampleRateKhz() const { return sampleRate_; }
  int PlayIndicator() const { return playIndicator_; }
  const std::string& TitleText() const { return title_; }  // code page 949
  gui::PopupMenu& ContextMenu() { return menu_; }

  // --- CSkinnedDialog ---
  SkinRect GetInitialRect() override;
  void OnCommand(std::uint32_t id, std::intptr_t lParam) override;
  void HandleClose() override;

  // --- PlaybackView ---
  bool WindowExists() override { return Created() && !Destroyed(); }
  void ShowTime(int seconds) override;
  void ShowStream(int bitrateKbps, int sampleRateHz) override;
  void ShowTitle(const std::string& title) override;
  void ResetDisplay() override;
  void SetPositionMode(int mode) override;
  int PositionTravel() override;
  void SetThumbPosition(int pixels) override;
  void ReapplyLevel(int elementId) override;
  void NavigateBrowserIfOpen() override;
  void RedrawPlaylistIfOpen() override;
  void PostCommand(int id) override { CSkinnedDialog::PostCommand(static_cast<std::uint32_t>(id), 0); }
  void Wait(int ms) override;

  using CSkinnedDialog::PostCommand;

 protected:
  std::unique_ptr<CSkinnedDialog> MakeSecondary(int row) override;
  SkinElementList* FrameList(int index) override { return skin_->Frame(index); }

 private:
  void Initialize(XaudioLibrary library);
  void RefreshDisplay();
  // Draws on the face now; the values are stored also while it is hidden.
  void WithFace(const std::function<void(gui::Canvas&)>& draw);
  void ShowContextMenu(gui::Point screen);
  void DropFiles(const std::vector<std::string>& paths);
  void ShowAbout();

  CVantuPlayerApp& app_;
  PlayerShell& shell_;
  std::string commandLine_;
  std::unique_ptr<CSkin> skin_;
  CPlaybackControl playback_;
  std::unique_ptr<CPlayerEngine> engine_;
  gui::PopupMenu menu_{this};
  std::vector<std::unique_ptr<gui::MenuItem>> menuItems_;
  std::deque<std::string> handedOver_;  // paths of command 150, in arrival order
  bool closing_ = false;

  // Display values.
  int bitRate_ = -1;
  int sampleRate_ = -1;
  int playIndicator_ = 0;
  int secondIndicator_ = 0;
  std::string title_;
};

}  // namespace vantu
