#include "transfer-manager/modFunctions.h"

#include <charconv>
#include <filesystem>

#include "common/TextCodec.h"
#include "player-link/Directory.h"
#include "platform/gui/Application.h"
#include "transfer-manager/HalvernEnvironment.h"
#include "transfer-manager/Texts.h"
#include "transfer-manager/Twips.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modDevice.h"
#include "transfer-manager/modRegistry.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

using gui::ModalResult;
using playerlink::CommandCode;

namespace {

std::uint64_t FileLength(const std::string& path) {
  std::error_code ec;
  const auto n = std::filesystem::file_size(PathFromText(path), ec);
  return ec ? 0 : static_cast<std::uint64_t>(n);
}

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::uint64_t DecimalValue(const std::string& text) {
  std::uint64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return ec == std::errc() ? v : 0;
}

std::string CountText(int selected, int rows) { return std::to_string(selected) + " / " + std::to_string(rows); }

// A byte count of the memory labels: kilobytes, rounded, grouped.
std::string MemoryText(std::uint64_t bytes) { return GroupThousands((bytes + 512) / 1024) + " KB"; }

void SetUpList(gui::ListView& list, std::initializer_list<gui::ListColumn> columns) {
  list.SetViewStyle(gui::ListView::ViewStyle::kReport);
  list.Clear();
  for (const auto& c : columns) list.AddColumn({c.caption, Tw(c.width), c.alignment});
}

bool IsCard() { return Vars().cmdBase == playerlink::kCardBase; }

// The medium does not answer the state query: the card question on the
// card, the connection question on the built-in memory.
ModalResult AskForMedium() {
  if (!IsCard()) return Device().ShowNotConnected();
  auto& app = gui::App();
  app.ProcessMessages();
  const auto answer =
      app.MessageBox(text::kNoCard, text::kInformation, gui::Buttons::kRetryCancel, gui::MsgIcon::kWarning);
  app.ProcessMessages();
  return answer == ModalResult::kRetry ? ModalResult::kRetry : ModalResult::kCancel;
}

enum class Outcome { kDone, kRetry, kCancel };

Outcome FromAnswer(ModalResult answer) { return answer == ModalResult::kRetry ? Outcome::kRetry : Outcome::kCancel; }

// Opens the device; when it does not open, waits for the player. False when
// the player stayed away.
bool OpenOrPing() { return Device().OpenDevice() == 0 || Device().PingDevice(); }

// The directory query and, unless the medium is empty or unformatted, the
// directory's blocks, on the open device. False when the player refused or
// a block fell short; a block without the tag ends the directory there.
bool ReadDirectoryOnce(playerlink::Directory& dir) {
  auto& link = Device().link();
  dir = playerlink::Directory{};
  const auto count = playerlink::QueryDirectoryCount(link, Vars().cmdBase);
  if (!count) return false;
  dir.count = *count;
  if (*count == 0 || *count == playerlink::kCountUnformattedMedium) {
    dir.end = playerlink::Directory::End::kComplete;
    return true;
  }
  playerlink::DirectoryReadOptions options;
  options.readAttempts = 2;
  options.beforeBlock = [] { gui::App().ProcessMessages(); };
  playerlink::ReadDirectoryBlocks(link, Vars().cmdBase, *count, options, dir);
  using End = playerlink::Directory::End;
  return dir.end == End::kComplete || dir.end == End::kBadTag;
}

std::string Utf8(std::u16string_view text) {
  auto utf8 = common::Utf16ToUtf8(text);
  if (utf8) return *utf8;
  std::u16string clean(text);
  for (char16_t& c : clean) {
    if (c >= 0xD800 && c <= 0xDFFF) c = u'?';
  }
  auto cleaned = common::Utf16ToUtf8(clean);
  return cleaned ? *cleaned : std::string();
}

void FillDeviceList(ShapeForm& form, const playerlink::Directory& dir) {
  std::vector<gui::ListItem> rows;
  for (const auto& e : dir.entries) {
    const auto& h = e.header;
    gui::ListItem row;
    row.caption = Utf8(playerlink::FileNamePart(h.name));
    row.subItems = {SizeText(h.size), Utf8(h.name), std::to_string(h.size), std::to_string(e.number),
                    std::to_string(e.number), ""};
    rows.push_back(std::move(row));
  }
  form.lvwGetFileList.SetItems(std::move(rows));
}

// The medium's total, used and free memory into the labels; freeBytes.
Outcome GetMemoryInfo(ShapeForm& form) {
  auto& dev = Device();
  auto& app = gui::App();
  if (!OpenOrPing()) {
    const auto answer = dev.ShowNotConnected();
    dev.CloseDevice();
    return FromAnswer(answer);
  }
  app.ProcessMessages();
  std::uint32_t total = 0, free = 0;
  const bool answered = dev.RunStep([&] {
    free = 0;
    total = dev.StateQuery();
    if (total == 0) return false;
    free = dev.SendCommand(CommandCode::kFreeMemory, 0);
    return free != 0;
  });
  if (!answered) {
    if (total != 0) {
      app.MessageBox("It did not get free memory info !!!", text::kInformation, gui::Buttons::kOk,
                     gui::MsgIcon::kInformation);
    }
    const auto answer = dev.ShowNotConnected();
    dev.CloseDevice();
    return FromAnswer(answer);
  }
  Vars().freeBytes = free;
  const std::uint64_t used = total > free ? total - free : 0;
  form.lblTotMem.SetCaption(MemoryText(total));
  form.lblUsedMem.SetCaption(used == 0 ? "0 KB" : MemoryText(used));
  form.lblAvailMem.SetCaption(free == playerlink::kAnswerNoFreeSpace ? "0 KB" : MemoryText(free));
  dev.CloseDevice();
  return Outcome::kDone;
}

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
           &form.FolderTreeview, &form.lvwPcFileList, &form.lvwGetFileList, &form.imgDownload, &form.imgUpload,
           &form.imgErase, &form.imgEraseAll, &form.imgFormat, &form.imgReflash}) {
    c->SetEnabled(false);
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
  for (gui::Control* c : std::initializer_list<gui::Control*>{&form.imgFormat, &form.imgReflash, &form.imgQuit,
                                                              &form.optBuiltIn, &form.optCard}) {
    c->SetEnabled(true);
  }
  form.imgPlay.SetEnabled(!form.previewPlaying());
  form.imgStop.SetEnabled(true);
  form.CloseB.SetEnabled(true);
}

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

namespace {
void ClearDragFlags() {
  Vars().dragFromDevice = Vars().dragFromPc = Vars().droppedOnDevice = Vars().droppedOnPc = false;
}
}  // namespace

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

void lvwGetFileList_OLEDragDrop(ShapeForm& form, const gui::ListDrag&) {
  Vars().droppedOnDevice = true;
  form.lvwGetFileList.SetDropHighlight(-1);
  ClearDragFlags();
}

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

bool ReadDeviceDirectory(ShapeForm& form) {
  auto& dev = Device();
  auto& app = gui::App();
  // Each pass is one start of the read; the user's Retry starts it over (a
  // loop, never a nested call, however often the player goes away).
  for (;;) {
    app.ProcessMessages();
    if (!OpenOrPing()) {
      if (dev.ShowNotConnected() == ModalResult::kRetry) continue;
      return false;
    }

    app.Sleep(kStateQueryPauseMs);
    app.ProcessMessages();
    if (!dev.RunStep([&] { return dev.StateQuery() != 0; })) {
      dev.CloseDevice();
      if (AskForMedium() == ModalResult::kRetry) continue;
      return false;
    }

    playerlink::Directory dir;
    if (!dev.RunStep([&] { return ReadDirectoryOnce(dir); })) {
      dev.CloseDevice();
      if (dev.ShowNotConnected() == ModalResult::kRetry) continue;
      return false;
    }
    if (dir.count == playerlink::kCountUnformattedMedium) {
      dev.CloseDevice();
      return false;
    }
    Vars().deviceFileCount = dir.count > 0 ? dir.count - 1 : 0;
    form.lvwGetFileList.Clear();
    if (dir.info) {
      Vars().firmwareVersion = dir.info->firmwareTimesTen;
      Vars().modelCode = playerlink::ModelCodeText(*dir.info);
    }
    FillDeviceList(form, dir);

    app.ProcessMessages();
    dev.CloseDevice();
    switch (GetMemoryInfo(form)) {
      case Outcome::kDone:
        return true;
      case Outcome::kRetry:
        continue;
      case Outcome::kCancel:
        return false;
    }
  }
}

}  // namespace halvern
