// The main window's share of the window layout: the docking table of the
// three secondary windows (equalizer, playlist, browser), opening and
// closing them, and the drags: the main window takes the windows docked to
// it along (and those docked to them, up to three links away), every
// window snaps to the screen's and the other windows' edges.
#pragma once

#include <array>
#include <memory>

#include "music-player/windows/SkinnedDialog.h"
#include "music-player/windows/Snapping.h"

namespace vantu {

class CDockingDialog : public CSkinnedDialog {
 public:
  static constexpr int kRows = 3;  // 0 equalizer, 1 playlist, 2 browser
  struct Row {
    std::unique_ptr<CSkinnedDialog> window;  // none while closed
    SettingsRect rect;                       // its place in the settings block
    SettingsWord openFlag;
    bool docked = false;  // as the last drag's start found it
  };

  explicit CDockingDialog(PlayerSettings& settings);
  ~CDockingDialog() override;

  CSkinnedDialog* Window(int row) const;
  bool Docked(int row) const;
  // The row whose window this is, or -1.
  int RowOf(const CSkinnedDialog& window) const;

  // Creates, shows and lays out the row's window (nothing when it is open).
  void OpenWindow(int row);
  // Open flag set: closes the row's window (0 when there is none); clear
  // and no window: opens it.
  int ToggleWindow(int row) override;
  // The row is emptied and its open flag cleared; the window object is
  // deleted once its own message handling has ended.
  void OnSecondaryClosed(CSkinnedDialog& window) override;
  // Deletes the open secondary windows (their places are remembered, their
  // open flags stay for the next start).
  void DestroySecondaryWindows();

  void OnDragBegin(int x, int y) override;
  void OnDragMove(int x, int y) override;
  void OnChildDrag(CSkinnedDialog& window, int x, int y) override;
  void MoveDocked(int dx, int dy) override;

 protected:
  // The row's window, made but not created; null leaves the row closed.
  virtual std::unique_ptr<CSkinnedDialog> MakeSecondary(int row) = 0;
  // The element list of a skin frame slot (may be null).
  virtual SkinElementList* FrameList(int index) = 0;

 private:
  SkinRect RowRect(int row) const { return FromSettings(settings_.GetRect(rows_[row].rect)); }
  void SetRowRect(int row, const SkinRect& r);

  std::array<Row, kRows> rows_;
};

}  // namespace vantu
