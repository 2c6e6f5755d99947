#include "transfer-manager/modFunctions.h"

#include <charconv>
#include <filesystem>

#include "common/TextCodec.h"
#include "player-link/Directory.h"
#include "platform/gui/Application.h"
#include "transfer-manager/frmProgress.h"
#include "transfer-manager/frmWait.h"
#include "transfer-manager/HalvernEnvironment.h"
#include "transfer-manager/Texts.h"
#include "transfer-manager/Twips.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modDevice.h"
#include "transfer-manager/modDownload.h"
#include "transfer-manager/modRegistry.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

using gui::ModalResult;
using playerlink::CommandCode;

namespace {

std::uint64_t DecimalValue(const std::string& text) {
  std::uint64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return ec == std::errc() ? v : 0;
}

std::string CountText(int selected, int rows) { return std::to_string(selected) + " / " + std::to_string(rows); }

void SetUpList(gui::ListView& list, std::initializer_list<gui::ListColumn> columns) {
  list.SetViewStyle(gui::ListView::ViewStyle::kReport);
  list.Clear();
  for (const auto& c : columns) list.AddColumn({c.caption, Tw(c.width), c.alignment});
}

bool IsCard() { return Vars().cmdBase == playerlink::kCardBase; }

}  // namespace

void SetUpLists(ShapeForm& form) {
  SetUpList(form.lvwPcFileList, {{"Name", 2250, gui::Align::kLeft},
                                 {"Size", 1350, gui::Align::kRight},
                                 {"Folder", 1500, gui::Align::kLeft}});
  SetUpList(form.lvwGetFileList, {{"Name", 2250, gui::Align::kLeft},
                                  {"Size", 1350, gui::Align::kRight},
                                  {"Folder", 1500, gui::Align::kLeft},
                                  {"SystemInfo", 0, gui::Align::kRight},
                                  {"FwOrder", 0, gui::Align::kRight},
                                  {"UserOrder", 0, gui::Align::kRight},
                                  {"Sort", 0, gui::Align::kRight}});
  SetUpList(form.lvwTmpDownload, {{"Name", 2250, gui::Align::kLeft},
                                  {"Size", 1350, gui::Align::kRight},
                                  {"Folder", 1500, gui::Align::kLeft}});
  SetUpList(form.lvwPlayList, {{"FileFullPath", 3000, gui::Align::kLeft}});
}

void RefillPcList(FileListBox& box, gui::ListView& list) {
  std::vector<gui::ListItem> rows;
  for (const auto& name : box.Names()) {
    const std::string path = JoinPath(box.Path(), name);
    rows.push_back(gui::ListItem{name, {SizeText(FileLength(path)), path}});
  }
  list.SetItems(std::move(rows));
}

void UpdatePcSelection(ShapeForm& form) {
  auto& app = gui::App();
  auto& list = form.lvwPcFileList;
  int rows = 0;
  for (;;) {
    rows = list.Count();
    Vars().selectedPcCount = 0;
    Vars().selectedPcBytes = 0;
    bool vanished = false;
    for (int i = 0; i < list.Count(); ++i) {
      if (!list.Item(i).selected) continue;
      const std::string caption = list.Item(i).caption;
      const std::string path = JoinPath(form.fileListBox.Path(), caption);
      app.ProcessMessages();
      if (!FileExists(PathFromText(path))) {
        // The folder changed under the list: list it again, say so, count
        // again on the new list (whose rows are all there).
        const std::string name = AsciiLower(caption);
        list.Clear();
        form.fileListBox.Refresh();
        RefillPcList(form.fileListBox, list);
        app.MessageBox(text::kFileGoneBefore + name + text::kFileGoneAfter, text::kFileGoneTitle, gui::Buttons::kOk,
                       gui::MsgIcon::kError);
        app.Sleep(1000);
        vanished = true;
        break;
      }
      ++Vars().selectedPcCount;
      Vars().selectedPcBytes += FileLength(path);
    }
    if (!vanished) break;
  }
  app.ProcessMessages();
  const bool fits = static_cast<std::int64_t>(Vars().selectedPcBytes) <= Vars().freeBytes;
  form.imgDownload.SetEnabled(rows != 0 && fits);
  form.lblTotalFileCount.SetCaption(CountText(Vars().selectedPcCount, rows));
  form.lblTotalFileSize.SetCaption(SizeText(Vars().selectedPcBytes));
}

void UpdateDeviceSelection(ShapeForm& form) {
  const auto& list = form.lvwGetFileList;
  const int rows = list.Count();
  int selected = 0;
  if (rows == 0) {
    form.imgUpload.SetEnabled(false);
    form.imgErase.SetEnabled(false);
    form.imgEraseAll.SetEnabled(false);
    form.lblTotalFileSize2.SetCaption("0 KB");
  } else {
    std::uint64_t bytes = 0;
    for (const auto& row : list.Items()) {
      if (!row.selected) continue;
      bytes += DecimalValue(gui::ListView::ColumnText(row, column::kSystemInfo));
      ++selected;
    }
    form.imgUpload.SetEnabled(Vars().modelCode == kModelZmrA && selected >= 1);
    form.imgErase.SetEnabled(true);
    form.imgEraseAll.SetEnabled(true);
    form.lblTotalFileSize2.SetCaption(SizeText(bytes));
  }
  form.lblTotalFileCount2.SetCaption(CountText(selected, rows));
}


void DisableControls(ShapeForm& form, bool keepQuit) {
  for (gui::Control* c : std::initializer_list<gui::Control*>{
           &form.FolderTreeview, &form.lvwPcFileList, &form.lvwGetFileList}) {
    c->SetEnabled(false);
  }
  for (gui::Image* picture : {&form.imgDownload, &form.imgUpload, &form.imgErase, &form.imgEraseAll, &form.imgFormat,
                              &form.imgReflash}) {
    picture->SetEnabled(false);
  }
  form.imgQuit.SetEnabled(keepQuit);
  form.optBuiltIn.SetEnabled(!IsCard());
  form.optCard.SetEnabled(IsCard());
  form.CloseB.SetEnabled(false);
}

void EnableControls(ShapeForm& form) {
  UpdateDeviceSelection(form);
  gui::App().Sleep(500);
  form.FolderTreeview.SetEnabled(true);
  form.lvwPcFileList.SetEnabled(true);
  form.lvwGetFileList.SetEnabled(true);
  UpdatePcSelection(form);
  for (gui::Image* picture : {&form.imgFormat, &form.imgReflash, &form.imgQuit}) picture->SetEnabled(true);
  form.optBuiltIn.SetEnabled(true);
  form.optCard.SetEnabled(true);
  form.imgPlay.SetEnabled(!form.previewPlaying());
  form.imgStop.SetEnabled(true);
  form.CloseB.SetEnabled(true);
}

namespace {
int commandsRunning = 0;
}  // namespace

void RunPlayerCommand(const std::function<void()>& command) {
  gui::ModalScope scope({frmProgress, frmWait});
  ++commandsRunning;
  struct Done {
    ~Done() { --commandsRunning; }
  } done;
  command();
}

bool PlayerCommandRuns() { return commandsRunning > 0; }

bool IsFileSystemFolder(const std::string& path) {
  return (path.size() >= 3 && path.find('\\', 2) != std::string::npos) || (!path.empty() && path[0] == '/');
}

void FolderTreeview_FolderClick(ShapeForm& form, gui::TreeNode* node, int flag) {
  if (flag != 0 || !node || !form.FolderTreeview.Enabled()) return;
  form.FolderTreeview.SetEnabled(false);
  std::string folder = node->data;
  const std::string desktop = form.GetSpecialPath(kCsidlDesktop);
  if (!desktop.empty() && GetFileName(desktop) == folder) folder = desktop;  // a node named like the desktop
  Vars().currentFolder = folder;
  if (IsFileSystemFolder(folder)) {
    form.fileListBox.SetPath(folder);
    RefillPcList(form.fileListBox, form.lvwPcFileList);
    UpdatePcSelection(form);
    if (Environment().registry) {
      SetRegString(*Environment().registry, platform::RegistryRoot::kCurrentUser, kSettingsKey, kLastFolderValue,
                   form.fileListBox.Path());
    }
    if (form.fileListBox.ListCount() > 0) form.fileListBox.SetListIndex(0);
  }
  form.FolderTreeview.SetEnabled(true);
}

void lvwPcFileList_Click(ShapeForm& form) {
  auto& app = gui::App();
  app.ProcessMessages();
  form.fileListBox.Refresh();
  app.ProcessMessages();
  UpdatePcSelection(form);
}

void lvwPcFileList_MouseMove(ShapeForm& form) {
  // A vanished file is found by the count itself, which lists the folder
  // again then; no need to list it on every move.
  auto& app = gui::App();
  app.ProcessMessages();
  UpdatePcSelection(form);
  app.ProcessMessages();
}

void lvwPcFileList_OLEStartDrag(ShapeForm&) {
  gui::App().ProcessMessages();
  ClearDragFlags();  // a drag that ended elsewhere leaves nothing behind
  Vars().dragFromPc = true;
}

void lvwPcFileList_OLEDragDrop(ShapeForm& form, const gui::ListDrag& drag) {
  gui::App().ProcessMessages();
  Vars().droppedOnPc = true;
  // The drag's own source decides, so a stale flag never starts an upload.
  if (drag.source == &form.lvwGetFileList && Vars().dragFromDevice && form.uploadCommand) form.uploadCommand();
  ClearDragFlags();
}

void lvwGetFileList_Click(ShapeForm& form) { UpdateDeviceSelection(form); }

void lvwGetFileList_OLEStartDrag(ShapeForm&) {
  gui::App().ProcessMessages();
  ClearDragFlags();
  Vars().dragFromDevice = true;
}

void lvwGetFileList_OLEDragOver(ShapeForm& form, gui::ListDrag& drag) {
  form.lvwGetFileList.SetDropHighlight(drag.targetIndex);
}

void lvwGetFileList_OLEDragDrop(ShapeForm& form, const gui::ListDrag& drag) { DropOnDeviceList(form, drag); }

void optBuiltIn_Click(ShapeForm& form) {
  Vars().cmdBase = playerlink::kInternalMemoryBase;
  DisableControls(form, false);
  ReadDeviceDirectory(form);  // on the built-in memory there is nothing to fall back to
  EnableControls(form);
}

void optCard_Click(ShapeForm& form) {
  Vars().cmdBase = playerlink::kCardBase;
  DisableControls(form, false);
  if (!ReadDeviceDirectory(form)) {
    // Back to the built-in memory (the reader said why the card failed).
    form.optBuiltIn.SetChecked(true);
    optBuiltIn_Click(form);
    return;
  }
  EnableControls(form);
}

}  // namespace halvern
