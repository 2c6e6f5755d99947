// The playlist window: the list of the playlist's files with selection,
// reordering by dragging, scrolling, file dialogs to add, open and save
// lists, and files dropped onto it (appended).
#pragma once

#include "music-player/PlaylistView.h"
#include "music-player/windows/SkinnedDialog.h"

namespace vantu {

class CVantuPlayerDlg;
class CSkinScrollBar;
class CSkinListStyle;

class CPlaylistWnd : public CSizableSkinnedDialog {
 public:
  explicit CPlaylistWnd(CVantuPlayerDlg& main);
  ~CPlaylistWnd() override;

  // 6, 7 or 8 for the window style variants 0-2, else 0.
  int GetFrameIndex() override;
  int PlainFrameIndex() override { return 6; }
  SkinRect GetInitialRect() override;
  void OnShown() override { OnLayoutInit(); }
  // Relayout, the list's style and place, the scroll bar's range.
  void OnLayoutInit() override;
  void OnCommand(std::uint32_t id, std::intptr_t lParam) override;
  void DrawElements(gui::Canvas& canvas) override;

  // Draws the list off-screen and copies it onto its place.
  void RedrawList();
  // The scroll bar's range from the list (total, page, top row).
  void UpdateScroll();
  void RefreshScroll();
  // One row further down; 0 (and the top row put back in range) at the end.
  int ScrollDown();

  CPlaylistView& View() { return view_; }

 protected:
  void OnSizeChanged() override;

 private:
  bool InView(gui::Point client) const;
  gui::Point InViewCoordinates(gui::Point client) const;
  void PlaceView();
  void ScrollUp();
  void KeyDown(int key);
  void AddFromDialog();
  void SaveList();
  void OpenList();

  CVantuPlayerDlg& main_;
  CPlaylistView view_;
  CSkinListStyle* listElement_ = nullptr;
  CSkinScrollBar* scroll_ = nullptr;
  bool pressInList_ = false;
};

}  // namespace vantu
