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

}  // namespace vantu
