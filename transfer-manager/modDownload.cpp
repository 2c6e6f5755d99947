#include "transfer-manager/modDownload.h"

#include <filesystem>

#include "platform/gui/Application.h"
#include "platform/gui/Cursor.h"
#include "transfer-manager/Texts.h"
#include "transfer-manager/frmProgress.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modDevice.h"
#include "transfer-manager/modDirectory.h"
#include "transfer-manager/modErase.h"
#include "transfer-manager/modFunctions.h"
#include "transfer-manager/modOrder.h"
#include "transfer-manager/modVariables.h"
#include "transfer-manager/modWrite.h"

namespace halvern {

using gui::ModalResult;

namespace {

constexpr const char* kNotEnoughRoom = "Available Size isn't enough !!!";

bool IsCard() { return Vars().cmdBase == playerlink::kCardBase; }

// False, after the medium's message, when `adding` more files would pass
// the medium's limit.
bool WithinFileLimit(int adding) {
  const int limit = IsCard() ? kCardFileLimit : kInternalFileLimit;
  if (Vars().deviceFileCount + adding <= limit) return true;
  gui::App().MessageBox("I'm sorry, you can't download more than " + std::to_string(limit) + " files.",
                        text::kInformation, gui::Buttons::kOk, gui::MsgIcon::kNone);
  return false;
}

// Writes the queue, empties it and reads the player again (or, when the
// queue stopped early, counts the PC selection again).
void RunQueue(ShapeForm& form) {
  auto& app = gui::App();
  // The writer adds a row per file written. Rows that no directory read
  // numbered must not outlive a queue that stopped early: an erase picks
  // entries by row.
  const auto rowsBefore = form.lvwGetFileList.Items();
  const unsigned readsBefore = DirectoryReads();
  const bool done = ConfirmOverwrite(form, form.lvwTmpDownload, false, false);
  form.lvwTmpDownload.Clear();
  app.ProcessMessages();
  frmProgress->Unload();
  if (done || Vars().transferCancelled) {
    app.Sleep(500);
    ReadDeviceDirectory(form);
  } else {
    if (DirectoryReads() == readsBefore) form.lvwGetFileList.SetItems(rowsBefore);
    UpdatePcSelection(form);
  }
}

void EndCommand(ShapeForm& form) {
  Vars().transferCancelled = false;
  EnableControls(form);
  gui::SetBusyCursor(false);
}

}  // namespace

void ClearDragFlags() {
  Vars().dragFromDevice = Vars().dragFromPc = Vars().droppedOnDevice = Vars().droppedOnPc = false;
}

void imgDownload_Click(ShapeForm& form) {
  auto& app = gui::App();
  Vars().transferCancelled = false;
  DisableControls(form, false);
  if (!WithinFileLimit(Vars().selectedPcCount)) {
    EnableControls(form);
    return;
  }
  auto& pcList = form.lvwPcFileList;
  auto& queue = form.lvwTmpDownload;
  queue.Clear();
  const int rows = pcList.Count();
  for (int i = 0; i < rows && i < pcList.Count(); ++i) {
    if (!pcList.Item(i).selected) continue;
    const std::string caption = pcList.Item(i).caption;
    const std::string path = JoinPath(form.fileListBox.Path(), caption);
    if (!FileExists(PathFromText(path))) {
      const std::string name = AsciiLower(caption);
      form.fileListBox.Refresh();
      RefillPcList(form.fileListBox, pcList);
      app.ProcessMessages();
      const auto answer = app.MessageBox(
          "FileName : " + name +
              "\n\nSorry! The file does not exist, The download program should pass this file.\n\n"
              "                                      Continue?",
          text::kFileGoneTitle, gui::Buttons::kOkCancel, gui::MsgIcon::kError);
      if (answer != ModalResult::kOk) {
        queue.Clear();
        EnableControls(form);
        return;
      }
      break;  // the list was filled again: what is queued goes
    }
    const std::uint64_t length = FileLength(path);
    if (length == 0) continue;
    queue.AddItem(gui::ListItem{caption, {SizeText(length), path}});
  }
  if (queue.Count() == 0) {
    EnableControls(form);
    return;
  }
  RunQueue(form);
  EndCommand(form);
}

void lvwGetFileList_DropFiles(ShapeForm& form, const std::vector<std::string>& paths) {
  // Only while no command runs (the list is disabled then).
  if (!form.lvwGetFileList.Enabled()) return;
  Vars().transferCancelled = false;
  DisableControls(form, false);
  auto& queue = form.lvwTmpDownload;
  queue.Clear();
  std::uint64_t bytes = 0;
  for (const auto& path : paths) {
    const auto p = PathFromText(path);
    if (!FileExists(p)) continue;  // folders and what vanished
    const std::uint64_t length = FileLength(path);
    if (length == 0) continue;
    bytes += length;
    queue.AddItem(gui::ListItem{GetFileName(path), {SizeText(length), path}});
  }
  if (queue.Count() == 0 || !WithinFileLimit(queue.Count())) {
    queue.Clear();
    EnableControls(form);
    return;
  }
  if (static_cast<std::int64_t>(bytes) > Vars().freeBytes) {
    queue.Clear();
    gui::App().MessageBox(kNotEnoughRoom, text::kInformation, gui::Buttons::kOk, gui::MsgIcon::kNone);
    EnableControls(form);
    return;
  }
  RunQueue(form);
  EndCommand(form);
}

void DropOnDeviceList(ShapeForm& form, const gui::ListDrag& drag) {
  Vars().droppedOnDevice = true;
  if (drag.source == &form.lvwPcFileList && Vars().dragFromPc) {
    if (static_cast<std::int64_t>(Vars().selectedPcBytes) > Vars().freeBytes) {
      gui::App().MessageBox(kNotEnoughRoom, text::kInformation, gui::Buttons::kOk, gui::MsgIcon::kNone);
    } else {
      imgDownload_Click(form);
    }
    form.lvwGetFileList.SetDropHighlight(-1);
    ClearDragFlags();
    return;
  }
  if (drag.source == &form.lvwGetFileList && Vars().dragFromDevice) {
    ReorderEntry(form, drag);  // clears the flags itself
    return;
  }
  form.lvwGetFileList.SetDropHighlight(-1);
  ClearDragFlags();
}

void WirePlayerCommands(ShapeForm& form) {
  form.imgDownload.OnClick = [&form] { RunPlayerCommand([&form] { imgDownload_Click(form); }); };
  form.imgErase.OnClick = [&form] { RunPlayerCommand([&form] { imgErase_Click(form); }); };
  form.imgEraseAll.OnClick = [&form] { RunPlayerCommand([&form] { imgEraseAll_Click(form); }); };
  form.imgFormat.OnClick = [&form] { RunPlayerCommand([&form] { imgFormat_Click(form); }); };
  form.lvwGetFileList.SetAcceptFiles(true);
  form.lvwGetFileList.OnDropFiles = [&form](const std::vector<std::string>& paths, gui::Point) {
    RunPlayerCommand([&] { lvwGetFileList_DropFiles(form, paths); });
  };
}

}  // namespace halvern
