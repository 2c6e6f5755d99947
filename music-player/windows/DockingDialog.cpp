#include "music-player/windows/DockingDialog.h"

#include "music-player/windows/Snapping.h"
#include "platform/gui/Application.h"

namespace vantu {

namespace {

SkinRect Screen() { return FromGui(gui::ScreenRect()); }

// The main window's elements that show a row's open flag.
constexpr std::int32_t kToggleIds[CDockingDialog::kRows] = {109, 110, 0};

}  // namespace

CDockingDialog::CDockingDialog(PlayerSettings& settings) : CSkinnedDialog(settings) {
  rows_[0].rect = SettingsRect::kEqualizerWindow;
  rows_[0].openFlag = SettingsWord::kEqualizerWindowOpen;
  rows_[1].rect = SettingsRect::kPlaylistWindow;
  rows_[1].openFlag = SettingsWord::kPlaylistWindowOpen;
  rows_[2].rect = SettingsRect::kBrowserWindow;
  rows_[2].openFlag = SettingsWord::kBrowserWindowOpen;
}

CDockingDialog::~CDockingDialog() { DestroySecondaryWindows(); }

CSkinnedDialog* CDockingDialog::Window(int row) const {
  return row >= 0 && row < kRows ? rows_[row].window.get() : nullptr;
}

bool CDockingDialog::Docked(int row) const { return row >= 0 && row < kRows && rows_[row].docked; }

int CDockingDialog::RowOf(const CSkinnedDialog& window) const {
  for (int i = 0; i < kRows; ++i) {
    if (rows_[i].window.get() == &window) return i;
  }
  return -1;
}

void CDockingDialog::SetRowRect(int row, const SkinRect& r) { settings_.SetRect(rows_[row].rect, ToSettings(r)); }

void CDockingDialog::OpenWindow(int row) {
  if (row < 0 || row >= kRows || rows_[row].window) return;
  std::unique_ptr<CSkinnedDialog> made = MakeSecondary(row);
  if (!made) return;
  CSkinnedDialog& window = *made;
  rows_[row].window = std::move(made);
  // A skin without the frame of the chosen style variant: variant 0's, so
  // no window is left without a face.
  int frame = window.GetFrameIndex();
  SkinElementList* list = FrameList(frame);
  if (!list || list->empty()) {
    const int plain = window.PlainFrameIndex();
    if (SkinElementList* fallback = FrameList(plain); fallback && !fallback->empty()) {
      frame = plain;
      list = fallback;
    }
  }
  window.SetFrameIndex(frame);
  window.SetElements(list);
  window.CreateWithOwner(this);
  window.Show();
  window.OnShown();
}

int CDockingDialog::ToggleWindow(int row) {
  if (row < 0 || row >= kRows) return 1;
  if (settings_.Flag(rows_[row].openFlag)) {
    CSkinnedDialog* window = rows_[row].window.get();
    if (!window) return 0;
    gui::App().Send(*window, wm::kClose);
  } else if (!rows_[row].window) {
    OpenWindow(row);
  }
  return 1;
}

void CDockingDialog::OnSecondaryClosed(CSkinnedDialog& window) {
  const int row = RowOf(window);
  if (row < 0) return;
  settings_[rows_[row].openFlag] = 0;
  // This runs inside the window's own close handling: it goes later.
  DeleteLater(std::move(rows_[row].window));
  if (kToggleIds[row] != 0) RedrawElementsWithId(kToggleIds[row]);
}

void CDockingDialog::DestroySecondaryWindows() {
  for (auto& row : rows_) row.window.reset();
}

void CDockingDialog::OnDragBegin(int x, int y) {
  CSkinnedDialog::OnDragBegin(x, y);
  const SkinRect main = ScreenRect();
  for (int i = 0; i < kRows; ++i) {
    if (rows_[i].window) SetRowRect(i, rows_[i].window->ScreenRect());
  }
  // A closed window's stored place counts too: it opens where it followed to.
  for (int i = 0; i < kRows; ++i) rows_[i].docked = RectsTouch(main, RowRect(i));
  // Windows touching a docked window are docked, up to three links away.
  for (int pass = 0; pass < 3; ++pass) {
    for (int i = 0; i < kRows; ++i) {
      if (!rows_[i].docked) continue;
      for (int j = 0; j < kRows; ++j) {
        if (j != i && !rows_[j].docked) rows_[j].docked = RectsTouch(RowRect(i), RowRect(j));
      }
    }
  }
}

void CDockingDialog::OnDragMove(int x, int y) {
  const int dx = x - PressPoint().x, dy = y - PressPoint().y;
  const SkinRect old = ScreenRect();
  settings_.SetRect(SettingsRect::kMainWindow, ToSettings(old));
  SkinRect r = old.Moved(dx, dy);
  bool snapped = SnapRect(r, Screen());
  for (int i = 0; i < kRows && !snapped; ++i) {
    if (rows_[i].window && !rows_[i].docked) snapped = SnapRect(r, rows_[i].window->ScreenRect());
  }
  // A docked window may snap for the group: the main window takes its shift.
  for (int i = 0; i < kRows && !snapped; ++i) {
    if (!rows_[i].window || !rows_[i].docked) continue;
    SkinRect s = RowRect(i).Moved(dx, dy);
    gui::Point shift;
    bool moved = SnapRect(s, Screen(), &shift);
    for (int j = 0; j < kRows && !moved; ++j) {
      if (!rows_[j].docked && rows_[j].window) moved = SnapRect(s, rows_[j].window->ScreenRect(), &shift);
    }
    if (moved) {
      r = r.Moved(shift.x, shift.y);
      snapped = true;
    }
  }
  SetPlace(r);
  MoveDocked(r.left - old.left, r.top - old.top);
}

void CDockingDialog::MoveDocked(int dx, int dy) {
  for (int i = 0; i < kRows; ++i) {
    if (!rows_[i].docked) continue;
    const SkinRect moved = RowRect(i).Moved(dx, dy);
    SetRowRect(i, moved);
    if (rows_[i].window) rows_[i].window->SetPlace(moved);
  }
}

void CDockingDialog::OnChildDrag(CSkinnedDialog& window, int x, int y) {
  SkinRect r = window.ScreenRect().Moved(x - window.PressPoint().x, y - window.PressPoint().y);
  SnapRect(r, Screen());
  SnapRect(r, ScreenRect());
  for (const auto& row : rows_) {
    if (row.window && row.window.get() != &window) SnapRect(r, row.window->ScreenRect());
  }
  window.SetPlace(r);
}

}  // namespace vantu
