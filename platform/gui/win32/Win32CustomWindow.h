// The Win32 side of custom-drawn windows: a window class of our own
// ("GuiCustomWindow", double-clicks on, no background brush), popup windows
// without caption or frame (owned or not, topmost or not) and child
// windows, painted through a GdiCanvas.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/gui/CustomWindow.h"

namespace gui::win32 {

// `parentOrOwner`: the parent window of a child, the owner of an owned
// top-level window, else null.
std::unique_ptr<Peer> CreateCustomWindowPeer(CustomWindow& window, HINSTANCE instance, HWND parentOrOwner);

// The window of a custom window's peer.
HWND CustomWindowHandle(const Peer& peer);

}  // namespace gui::win32
