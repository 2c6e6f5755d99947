// The equalizer window: the band sliders 450-459, reset, the on switch and
// the preset menu (load, save, delete) over the preset store.
#pragma once

#include <memory>
#include <vector>

#include "music-player/windows/SkinnedDialog.h"
#include "platform/gui/Menu.h"

namespace vantu {

class CVantuPlayerDlg;

// Menu 130.
inline constexpr char kPresetLoadText[] = "읽기";
inline constexpr char kPresetSaveText[] = "저장";
inline constexpr char kPresetDeleteText[] = "삭제";

class CEqualizerWnd : public CSkinnedDialog {
 public:
  explicit CEqualizerWnd(CVantuPlayerDlg& main);
  ~CEqualizerWnd() override;

  // 3, 4 or 5 for the window style variants 0-2, else 0.
  int GetFrameIndex() override;
  int PlainFrameIndex() override { return 3; }
  SkinRect GetInitialRect() override;
  void OnCommand(std::uint32_t id, std::intptr_t lParam) override;
  // Puts every band slider at its stored value.
  void SetSliders();
  gui::PopupMenu& PresetMenu() { return menu_; }

 private:
  CVantuPlayerDlg& main_;
  gui::PopupMenu menu_{this};
  std::vector<std::unique_ptr<gui::MenuItem>> items_;
};

}  // namespace vantu
