#include "music-player/windows/SecondaryWindow.h"

#include "music-player/windows/Snapping.h"

namespace vantu {

SkinRect SecondaryInitialRect(CSkinnedDialog& window, SettingsRect rect, SettingsWord openFlag) {
  PlayerSettings& settings = window.Settings();
  settings[openFlag] = 1;
  window.SetRememberedRect(rect);
  const SkinRect desktop = FromGui(gui::ScreenRect());
  const SkinRect stored = FromSettings(settings.GetRect(rect));
  if (stored.right == stored.left) {
    CSkinElement* background = FindElementOfType(window.Elements(), skin_format::kFrameBackground);
    if (!background) return {};
    background->skinRect = FitToDesktop(background->skinRect, desktop);
    return background->skinRect;
  }
  const SkinRect placed = FitToDesktop(stored, desktop);
  settings.SetRect(rect, ToSettings(placed));
  return placed;
}

int VariantFrame(const PlayerSettings& settings, int first) {
  const int variant = settings[SettingsWord::kWindowStyle];
  return variant >= 0 && variant <= 2 ? first + variant : 0;
}

}  // namespace vantu
