// The shell services of the Win32 backend: icons and names of PC files and
// folders (SHGetFileInfoW, the system image list), the common dialogs and
// folder change notifications.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/gui/Backend.h"

namespace gui::win32 {

// The icon behind a "shell:..." picture (nullptr for any other picture):
// "shell:<n>" is entry n of the system image list, "shell:folder",
// "shell:file", "shell:audio" and "shell:drive" the system's icons of
// such items.
HICON ShellIcon(const Icon& icon, int size);
ShellItemInfo ShellInfoOf(const std::string& path, bool folder);

FileDialogAnswer RunFileDialog(const FileDialogRequest& request, HWND owner);
FolderDialogAnswer RunFolderDialog(const FolderDialogRequest& request, HWND owner);

std::unique_ptr<Peer> CreateFolderWatchPeerWin32(FolderWatch& watch);

}  // namespace gui::win32
