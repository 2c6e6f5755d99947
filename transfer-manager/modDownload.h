// The download command (PC to player) and the drops on the player list:
// rows of the PC list (a download), files from the system shell (a download
// of those files), and a row of the player list itself (a new place in the
// player's order, modOrder.h).
#pragma once

#include <string>
#include <vector>

#include "platform/gui/ListView.h"
#include "transfer-manager/frmShape.h"

namespace halvern {

// How many files a medium holds.
inline constexpr int kInternalFileLimit = 100;
inline constexpr int kCardFileLimit = 99;

// The download picture: the selected PC files that exist and are not empty
// are queued and written; then the player is read again.
void imgDownload_Click(ShapeForm& form);
// The drop of a drag of rows on the player list.
void DropOnDeviceList(ShapeForm& form, const gui::ListDrag& drag);
// Files dropped from the system shell on the player list: the files among
// them that exist and are not empty are written like a download (the same
// file limit, and a refusal when they do not fit the free memory).
void lvwGetFileList_DropFiles(ShapeForm& form, const std::vector<std::string>& paths);

// Connects the main window's download, erase, erase-all and format
// pictures and the player list's file drops.
void WirePlayerCommands(ShapeForm& form);

// Clears the four drag flags.
void ClearDragFlags();

}  // namespace halvern
