// What the equalizer, playlist and browser windows share: where they open
// and the settings words that remember it.
#pragma once

#include "music-player/windows/SkinnedDialog.h"

namespace vantu {

// Marks the window open and makes `rect` its remembered rectangle. A window
// never placed (empty stored rectangle) opens at its frame background's
// skin rectangle, a placed one where it was; either is pulled onto the
// screen first.
SkinRect SecondaryInitialRect(CSkinnedDialog& window, SettingsRect rect, SettingsWord openFlag);

// The skin frame slot of a window with style variants: `first` + the
// window style variant (0-2), or 0 for any other variant.
int VariantFrame(const PlayerSettings& settings, int first);

}  // namespace vantu
