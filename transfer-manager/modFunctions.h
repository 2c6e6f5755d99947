// The main window's list procedures and its events on the lists, the folder
// tree and the medium options; DisableControls and EnableControls, which
// every command runs between; and the reading of the chosen medium into the
// player list and the memory labels.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/gui/ListView.h"
#include "transfer-manager/FileListBox.h"
#include "transfer-manager/frmShape.h"

namespace halvern {

// Columns of the lists (0 = the caption).
namespace column {
inline constexpr int kSize = 1;
inline constexpr int kFolder = 2;
inline constexpr int kSystemInfo = 3;  // player list: the size in bytes
inline constexpr int kFwOrder = 4;
inline constexpr int kUserOrder = 5;
inline constexpr int kSort = 6;
}  // namespace column

// Sets up the four lists: report view, emptied, their columns.
void SetUpLists(ShapeForm& form);

// Empties the list and adds a row per file of the box: the name, its size
// text, its full path.
void RefillPcList(FileListBox& box, gui::ListView& list);
// Counts the selected PC rows whose files exist (selectedPcCount,
// selectedPcBytes), shows the totals and enables imgDownload while they fit.
// A selected file that has vanished refills the list, says so and counts
// again.
void UpdatePcSelection(ShapeForm& form);
// Counts the selected player rows, shows their totals and enables upload
// (model "F010" only), erase and erase all.
void UpdateDeviceSelection(ShapeForm& form);
// Disables the lists, the tree, the command pictures (imgQuit unless
// keepQuit), the other medium's option and the close picture.
void DisableControls(ShapeForm& form, bool keepQuit);
void EnableControls(ShapeForm& form);

// Runs a command that talks to the player (a read, a write, an erase, a
// format, an upload) as one nested loop of the GUI layer: for its whole
// time, its waits and questions included, user input reaches only the
// progress and the wait window, whose Cancel ends it. No picture, medium
// option, list or menu of the main window can start a second conversation
// with the player inside it. Timers and worker reports keep running.
void RunPlayerCommand(const std::function<void()>& command);
// Whether such a command runs now (a timer that talks to the player waits
// for its next tick then).
bool PlayerCommandRuns();

// A path of the file system (as opposed to a node of the tree that stands
// for no folder).
bool IsFileSystemFolder(const std::string& path);

// Event handlers of the main window.
void FolderTreeview_FolderClick(ShapeForm& form, gui::TreeNode* node, int flag);
void lvwPcFileList_Click(ShapeForm& form);
void lvwPcFileList_MouseMove(ShapeForm& form);
void lvwPcFileList_OLEStartDrag(ShapeForm& form);
void lvwPcFileList_OLEDragDrop(ShapeForm& form, const gui::ListDrag& drag);
void lvwGetFileList_Click(ShapeForm& form);
void lvwGetFileList_OLEStartDrag(ShapeForm& form);
void lvwGetFileList_OLEDragOver(ShapeForm& form, gui::ListDrag& drag);
void lvwGetFileList_OLEDragDrop(ShapeForm& form, const gui::ListDrag& drag);
void optBuiltIn_Click(ShapeForm& form);
void optCard_Click(ShapeForm& form);

// Reads the chosen medium's directory into the player list (rows, model
// code, firmware version, file count) and the memory labels. True when the
// directory was read and the memory query answered. A player that does not
// answer leads to the device wait and the connection question (the card
// question for the card); Retry starts the read over, Cancel gives false.
bool ReadDeviceDirectory(ShapeForm& form);

}  // namespace halvern
