#include "music-player/windows/EqualizerWnd.h"

#include "music-player/EqPresetDialogs.h"
#include "music-player/skin/SkinSlider.h"
#include "music-player/windows/SecondaryWindow.h"
#include "music-player/windows/VantuPlayerDlg.h"

namespace vantu {

CEqualizerWnd::CEqualizerWnd(CVantuPlayerDlg& main) : CSkinnedDialog(main.Settings()), main_(main) {
  SetCaption("Vantu Equalizer");
  static constexpr struct {
    const char* caption;
    std::uint32_t id;
  } kMenu[] = {{kPresetLoadText, 32774}, {kPresetSaveText, 32773}, {kPresetDeleteText, 32775}};
  for (const auto& entry : kMenu) {
    auto& item = items_.emplace_back(std::make_unique<gui::MenuItem>(&menu_));
    item->SetCaption(entry.caption);
    item->OnClick = [this, id = entry.id] { PostCommand(id, 0); };
  }
}

CEqualizerWnd::~CEqualizerWnd() { Destroy(); }

int CEqualizerWnd::GetFrameIndex() {
  return VariantFrame(settings_, 3);
}

SkinRect CEqualizerWnd::GetInitialRect() {
  return SecondaryInitialRect(*this, SettingsRect::kEqualizerWindow, SettingsWord::kEqualizerWindowOpen);
}

void CEqualizerWnd::SetSliders() {
  for (int i = 0; i < static_cast<int>(PlayerSettings::kEqualizerValues); ++i) {
    if (auto* slider = FindElementAs<CSkinValueSlider>(Elements(), 450 + i)) {
      slider->SetKnobValue(*this, settings_.Equalizer(static_cast<std::size_t>(i)));
    }
  }
}

void CEqualizerWnd::OnCommand(std::uint32_t id, std::intptr_t) {
  if (!Visible()) return;  // closed: its last posted commands are dropped
  switch (id) {
    case 203:
      if (const CSkinElement* e = FindElement(Elements(), 203)) {
        menu_.Popup(ClientToScreen(gui::Point{e->skinRect.left, e->skinRect.bottom}));
      }
      break;
    case 204:  // reset: flat, and heard so
      settings_.ClearEqualizerArea();
      SetSliders();
      main_.ApplyEqualizer();
      break;
    // The on switch and the bands that feed the decoder (456 as well: it
    // is heard at once, like the others).
    case 201:
    case 450: case 451: case 452: case 453: case 454: case 455: case 456:
      main_.ApplyEqualizer();
      break;
    case 32773: {
      CEqSaveDlg dialog(main_.PlayerApp().Presets(), settings_);
      dialog.ShowModal();
      break;
    }
    case 32774: {
      CEqLoadDlg dialog(main_.PlayerApp().Presets(), settings_);
      dialog.ShowModal();
      // The window may have been closed meanwhile: the sound still follows
      // the settings, the sliders are gone with it.
      if (!Closed()) SetSliders();
      main_.ApplyEqualizer();
      break;
    }
    case 32775: {
      CEqDeleteDlg dialog(main_.PlayerApp().Presets());
      dialog.ShowModal();
      break;
    }
    default: break;  // every other command is taken and ignored (Enter, Escape)
  }
}

}  // namespace vantu
