// The player's windows as the program makes them, on the headless backend:
// a scratch program folder with our skin, the application started there,
// the main window with the real engine over a counting sink, and a shell
// that records what it would start.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "music-player/tests/CoreTestSupport.h"
#include "music-player/windows/BrowserWnd.h"
#include "music-player/windows/EqualizerWnd.h"
#include "music-player/windows/PlaylistWnd.h"
#include "music-player/windows/VantuPlayerDlg.h"
#include "platform/gui/Application.h"
#include "platform/gui/headless/HeadlessBackend.h"
#include "platform/gui/headless/HeadlessCustomWindow.h"

namespace vantu::testing {

class FakeShell : public PlayerShell {
 public:
  std::optional<std::string> browser = std::string("C:\\Program Files\\Web\\browser.exe");
  std::string page = "http://127.0.0.1/vantu/page.html";
  std::vector<std::string> started, opened;
  std::optional<std::string> BrowserProgram() override { return browser; }
  bool StartCommand(const std::string& line) override {
    started.push_back(line);
    return true;
  }
  bool OpenInDefaultBrowser(const std::string& address) override {
    opened.push_back(address);
    return true;
  }
  std::string PlayerPage() override { return page; }
};

// Records the titles playback shows, one per file it starts (or fails).
class RecordingDlg : public CVantuPlayerDlg {
 public:
  using CVantuPlayerDlg::CVantuPlayerDlg;
  void ShowTitle(const std::string& title) override {
    titles.push_back(title);
    CVantuPlayerDlg::ShowTitle(title);
  }
  std::vector<std::string> titles;
};

class PlayerWindowsTest : public ::testing::Test {
 protected:
  PlayerWindowsTest() {
    auto backend = std::make_unique<gui::headless::HeadlessBackend>();
    backend_ = backend.get();
    app_ = std::make_unique<gui::Application>(std::move(backend));
    app_->SetTitle("Vantu");
    std::filesystem::copy_file(DRUSK_SKIN_FILE, dir_.File("DruskLirn.Mpt"));
  }
  ~PlayerWindowsTest() override {
    dlg_.reset();
    FlushDeletedWindows();
    app_->DestroyForms();
  }

  // The sink plays `speed` times faster than real time (0: as fast as the
  // engine decodes).
  static XaudioLibrary Library(double speed) {
    XaudioLibrary lib;
    lib.playerNew = [speed](xaudio::PlayerHandle* p, xaudio::NotifyWindowHandle* w) {
      xaudio::PlayerOptions o;
      o.makeOutput = [speed] { return xaudio::CreateNullOutput(xaudio::NullOutputOptions{speed, {}}); };
      o.realTime = speed > 0;
      return player_new_with_options(p, w, o);
    };
    return lib;
  }

  VantuEnvironment Env() {
    VantuEnvironment env;
    env.programFolder = dir_.Folder();
    env.markerPath = dir_.File("vantuplayer.dat");
    env.showMessage = [this](const std::string& m) { messages_.push_back(m); };
    return env;
  }

  // The application's start and the main window's first show.
  void Start(const std::string& commandLine = "", double speed = 0) {
    app = std::make_unique<CVantuPlayerApp>(Env(), settings_);
    ASSERT_TRUE(app->Start(commandLine));
    app->Playlist().ShowMessage = [this](const std::string& m) { messages_.push_back(m); };
    dlg_ = std::make_unique<RecordingDlg>(*app, shell, commandLine, Library(speed));
    dlg_->ShowFirst();
  }
  // The main window's end, then the application's exit.
  void Exit() {
    dlg_.reset();
    FlushDeletedWindows();
    app->ExitInstance();
  }
  RecordingDlg& dlg() { return *dlg_; }
  CPlaylist& playlist() { return app->Playlist(); }

  // A copy of a generated test file in the program folder.
  std::string Mp3(const std::string& name, const std::string& source = "mono22k.mp3") {
    const std::string path = dir_.File(name);
    std::filesystem::copy_file(std::string(VANTU_TEST_DATA) + "/" + source, path,
                               std::filesystem::copy_options::overwrite_existing);
    return path;
  }

  // Handles messages until `done` or a real-time deadline.
  bool PumpUntil(const std::function<bool()>& done, int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      app_->ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  void Pump() { app_->ProcessMessages(); }
  int EngineState() { return dlg_->Engine() ? dlg_->Engine()->State() : -1; }

  gui::headless::HeadlessBackend& backend() { return *backend_; }
  CEqualizerWnd* Equalizer() { return static_cast<CEqualizerWnd*>(dlg_->Window(0)); }
  CPlaylistWnd* PlaylistWindow() { return dlg_->PlaylistWindow(); }
  CBrowserWnd* Browser() { return dlg_->BrowserWindow(); }

  vantu_test::ScratchFolder dir_;
  PlayerSettings settings_;
  FakeShell shell;
  std::vector<std::string> messages_;
  std::unique_ptr<CVantuPlayerApp> app;

 private:
  gui::headless::HeadlessBackend* backend_;
  std::unique_ptr<gui::Application> app_;
  std::unique_ptr<RecordingDlg> dlg_;
};

// The screen point of an element's centre in a window.
inline gui::Point ElementPoint(gui::CustomWindow& window, const CSkinElement& e) {
  return window.ClientToScreen(gui::Point{(e.rect.left + e.rect.right) / 2, (e.rect.top + e.rect.bottom) / 2});
}

}  // namespace vantu::testing
