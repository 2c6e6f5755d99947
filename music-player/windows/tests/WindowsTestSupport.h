// Helpers of the window tests: a small skin with a frame for each window
// (solid pictures, so faces are checked pixel by pixel), a headless
// application, and a main window that docks plain secondary windows.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "music-player/PlayerSettings.h"
#include "music-player/skin/Skin.h"
#include "music-player/windows/DockingDialog.h"
#include "music-player/windows/SecondaryWindow.h"
#include "platform/gui/Application.h"
#include "platform/gui/headless/HeadlessBackend.h"
#include "platform/gui/headless/HeadlessCustomWindow.h"
#include "tools/skin-builder/SkinWriter.h"

namespace vantu::testing {

using skinbuilder::Bytes;
using skinbuilder::Rgb;
using skinbuilder::SolidBmp;

namespace fmt = skin_format;

// Colours of the test skin's pictures.
constexpr std::uint32_t kMainBack = Rgb(40, 40, 40);
constexpr std::uint32_t kHandle = Rgb(0, 0, 120);
constexpr std::uint32_t kButton = Rgb(200, 0, 0);
constexpr std::uint32_t kButtonPressed = Rgb(100, 0, 0);
constexpr std::uint32_t kHiddenButton = Rgb(0, 200, 0);
constexpr std::uint32_t kToggleOn = Rgb(250, 250, 0), kToggleOff = Rgb(90, 90, 0);
constexpr std::uint32_t kEqBack = Rgb(10, 60, 10);
// The pieces of a resizable frame, one colour each.
constexpr std::uint32_t kPieceColor(int id) { return Rgb(id % 256, (id / 7) % 256, 100 + id % 100); }

// Main frame: 100 x 40. Handle 0,0-100,10; push 101 at 10,15-30,30; a hidden
// push 102 at 40,15-60,30; toggle 108 (repeat) at 62,15-70,30 covered by a
// push 104 that ignores the mouse; icon menu 1601 at 72,15-90,30 (items 603,
// 611); toggles 109, 110 at 0,32-8,40 and 10,32-18,40.
// Equalizer frame (slot 3): 100 x 30, handle across the top, close 125 at
// 90,0-100,10. Playlist (slot 6) and browser (slot 9) frames: resizable,
// background 60 x 40 (the least size), the eleven pieces, title handle A
// 2001, close 125 anchored to the top-right corner, a grip anchored to the
// bottom-right corner.
inline Bytes MakeWindowsSkin() {
  skinbuilder::SkinWriter w;
  w.Frame(1, {0, 0, 100, 40}, SolidBmp(100, 40, kMainBack));
  w.DragHandle(fmt::kDragHandle, 1, {0, 0, 100, 10}, SolidBmp(100, 10, kHandle), SolidBmp(100, 10, kHandle));
  w.PushButton(101, {10, 15, 30, 30}, SolidBmp(20, 15, kButton), SolidBmp(20, 15, kButtonPressed));
  w.PushButton(102, {40, 15, 60, 30}, SolidBmp(20, 15, kHiddenButton), SolidBmp(20, 15, kHiddenButton),
               fmt::kHidden);
  w.ToggleButton(108, {62, 15, 70, 30}, SolidBmp(8, 15, kToggleOn), SolidBmp(8, 15, kToggleOn),
                 SolidBmp(8, 15, kToggleOff), SolidBmp(8, 15, kToggleOff));
  w.PushButton(104, {62, 15, 70, 30}, SolidBmp(8, 15, kButton), SolidBmp(8, 15, kButton), fmt::kIgnoresMouse);
  w.IconMenuButton(1601, {72, 15, 90, 30}, SolidBmp(18, 15, kButton), SolidBmp(18, 15, kButton),
                   SolidBmp(4, 15, kHandle),
                   {{603, SolidBmp(18, 15, kToggleOff), SolidBmp(18, 15, kToggleOn)},
                    {611, SolidBmp(18, 15, kToggleOff), SolidBmp(18, 15, kToggleOn)}});
  w.ToggleButton(109, {0, 32, 8, 40}, SolidBmp(8, 8, kToggleOn), SolidBmp(8, 8, kToggleOn), SolidBmp(8, 8, kToggleOff),
                 SolidBmp(8, 8, kToggleOff));
  w.ToggleButton(110, {10, 32, 18, 40}, SolidBmp(8, 8, kToggleOn), SolidBmp(8, 8, kToggleOn),
                 SolidBmp(8, 8, kToggleOff), SolidBmp(8, 8, kToggleOff));

  w.Frame(4, {0, 0, 100, 30}, SolidBmp(100, 30, kEqBack));
  w.DragHandle(fmt::kDragHandle, 1, {0, 0, 90, 10}, SolidBmp(90, 10, kHandle), SolidBmp(90, 10, kHandle));
  w.PushButton(125, {90, 0, 100, 10}, SolidBmp(10, 10, kButton), SolidBmp(10, 10, kButtonPressed));

  for (int frame : {7, 10}) {
    w.Frame(frame, {0, 0, 60, 40}, SolidBmp(60, 40, kMainBack));
    w.FixedPiece(2101, SolidBmp(6, 10, kPieceColor(2101)));
    w.StretchPiece(2001, SolidBmp(4, 10, kPieceColor(2001)));
    w.FixedPiece(2102, SolidBmp(10, 10, kPieceColor(2102)));
    w.StretchPiece(2002, SolidBmp(4, 10, kPieceColor(2002)));
    w.FixedPiece(2103, SolidBmp(6, 10, kPieceColor(2103)));
    w.StretchPiece(2003, SolidBmp(4, 4, kPieceColor(2003)));
    w.StretchPiece(2004, SolidBmp(5, 4, kPieceColor(2004)));
    w.FixedPiece(2104, SolidBmp(6, 8, kPieceColor(2104)));
    w.FixedPiece(2105, SolidBmp(7, 8, kPieceColor(2105)));
    w.StretchPiece(2005, SolidBmp(4, 8, kPieceColor(2005)));
    w.StretchPiece(2006, SolidBmp(4, 4, kPieceColor(2006)));
    w.DragHandle(fmt::kTitleHandleA, 2001, {0, 0, 0, 10}, SolidBmp(4, 10, kPieceColor(2001)),
                 SolidBmp(4, 10, kPieceColor(2001)));
    w.PushButton(125, {1, 1, 5, 5}, SolidBmp(4, 4, kButton), SolidBmp(4, 4, kButtonPressed), 20);
    w.ResizeGrip(1, {0, 0, 7, 8}, SolidBmp(7, 8, kHandle), SolidBmp(7, 8, kHandle), 68);
  }
  return w.bytes();
}

// A headless application for one test, with the test skin loaded.
class WindowsTest : public ::testing::Test {
 protected:
  WindowsTest() {
    auto backend = std::make_unique<gui::headless::HeadlessBackend>();
    backend_ = backend.get();
    app_ = std::make_unique<gui::Application>(std::move(backend));
    app_->SetTitle("Test");
    skin_ = std::make_unique<CSkin>(settings_);
    skin_->SetMessageHandler([this](std::string_view m) { skinMessages_.emplace_back(m); });
    skin_->LoadSkinBytes(MakeWindowsSkin());
  }
  ~WindowsTest() override {
    FlushDeletedWindows();
    app_->DestroyForms();
  }
  gui::headless::HeadlessBackend& backend() { return *backend_; }
  gui::Application& app() { return *app_; }
  CSkin& skin() { return *skin_; }
  PlayerSettings& settings() { return settings_; }
  // Handles what is pending (posted commands, deferred deletions).
  void Pump() { app_->ProcessMessages(); }

  PlayerSettings settings_;
  std::vector<std::string> skinMessages_;

 private:
  gui::headless::HeadlessBackend* backend_;
  std::unique_ptr<gui::Application> app_;
  std::unique_ptr<CSkin> skin_;
};

// A secondary window as the player's three have it, without their content.
template <class Base>
class TestSecondary : public Base {
 public:
  TestSecondary(PlayerSettings& settings, int row) : Base(settings), row_(row) {
    this->SetCaption("secondary " + std::to_string(row));
  }
  // The equalizer's and the playlist's frames follow the window style
  // variant; the test skin has variant 0's only.
  int GetFrameIndex() override { return row_ < 2 ? VariantFrame(this->settings_, PlainFrameIndex()) : PlainFrameIndex(); }
  int PlainFrameIndex() override { return 3 * (row_ + 1); }
  SkinRect GetInitialRect() override {
    static constexpr SettingsRect kRects[] = {SettingsRect::kEqualizerWindow, SettingsRect::kPlaylistWindow,
                                              SettingsRect::kBrowserWindow};
    static constexpr SettingsWord kFlags[] = {SettingsWord::kEqualizerWindowOpen,
                                              SettingsWord::kPlaylistWindowOpen, SettingsWord::kBrowserWindowOpen};
    return SecondaryInitialRect(*this, kRects[row_], kFlags[row_]);
  }
  void OnShown() override { this->OnLayoutInit(); }
  std::vector<std::uint32_t> commands;
  void OnCommand(std::uint32_t id, std::intptr_t) override { commands.push_back(id); }

 private:
  int row_;
};

// A main window over the test skin's frame 1 that docks plain windows.
class TestMain : public CDockingDialog {
 public:
  TestMain(PlayerSettings& settings, CSkin& skin, SkinRect at) : CDockingDialog(settings), skin_(skin) {
    SetCaption("main");
    SetRememberedRect(SettingsRect::kMainWindow);
    SetElements(skin.Frame(0));
    Create();
    SetPlace(at);
    Show();
  }
  ~TestMain() override {
    DestroySecondaryWindows();
    Destroy();
  }
  std::vector<std::pair<std::uint32_t, std::intptr_t>> commands;
  void OnCommand(std::uint32_t id, std::intptr_t l) override { commands.emplace_back(id, l); }

 protected:
  std::unique_ptr<CSkinnedDialog> MakeSecondary(int row) override {
    if (row == 0) return std::make_unique<TestSecondary<CSkinnedDialog>>(settings_, row);
    return std::make_unique<TestSecondary<CSizableSkinnedDialog>>(settings_, row);
  }
  SkinElementList* FrameList(int index) override { return skin_.Frame(index); }

 private:
  CSkin& skin_;
};

inline gui::Point Center(const SkinRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

}  // namespace vantu::testing
