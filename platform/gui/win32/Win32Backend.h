// The Win32 backend: real windows and common controls (comctl32 version 6
// through the program's manifest, see gui.manifest), UTF-16 calls, sizes
// scaled to the display's DPI, the notification-area icon (added again
// when the task bar restarts), TrackPopupMenu, MessageBoxW.
#pragma once

#include <memory>

#include "platform/gui/Backend.h"

namespace gui {
class Control;
class TrayIcon;
}  // namespace gui

namespace gui::win32 {

// `instance`: the module whose resources hold the icons (the program).
std::unique_ptr<Backend> CreateWin32Backend(void* instance);

// For tests: the window of a created control (an HWND), or null.
void* HandleOf(const Control& control);
// For tests: the backend's own hidden window that owns timers and tray
// icons (an HWND).
void* AppWindow();

}  // namespace gui::win32
