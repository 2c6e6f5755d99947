#include "transfer-manager/modUpload.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/PcFileName.h"
#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "platform/gui/Cursor.h"
#include "transfer-manager/HalvernEnvironment.h"
#include "transfer-manager/Texts.h"
#include "transfer-manager/frmProgress.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modDevice.h"
#include "transfer-manager/modFunctions.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

using gui::ModalResult;
using playerlink::CommandCode;

namespace {

constexpr const char* kSaveTitle = "Save to disk";
constexpr const char* kSaveFilter = "MP3 Files (*.MP3)|*.MP3|All Files (*.*)|*.*|";
constexpr const char* kFirstInitialFolder = "C:\\";
constexpr const char* kNoData = "No Data !!!";

std::string& SaveFolder() {
  static std::string folder;
  return folder;
}

// What one entry's tries share: the header seen first and the target.
struct EntryPlan {
  std::uint32_t size = 0;
  std::u16string storedName;  // as the player keeps it
  std::string name;           // its file-name part, UTF-8
  common::Path target;
};

enum class Outcome {
  kDone,      // copied
  kSkipped,   // the user or the PC said no; the next row follows
  kFailed,    // a device step failed: the recovery rule decides
  kStop,      // the command goes to its end (the dialog was cancelled)
  kAborted,   // the command has already ended
};

class Upload {
 public:
  explicit Upload(ShapeForm& form) : form_(form), dev_(Device()), app_(gui::App()) {}

  void Run();

 private:
  Outcome RunEntry(std::uint8_t entry);
  Outcome TryEntry(std::uint8_t entry, std::optional<EntryPlan>& plan);
  Outcome Plan(const playerlink::FileHeader& header, std::optional<EntryPlan>& plan);
  Outcome CopyData(const EntryPlan& plan, std::uint64_t blocks);
  void ShowProgress(const EntryPlan& plan, std::uint64_t blocks);
  void ShowRate(std::uint64_t bytesDone, std::uint32_t size);
  void EndWithQuestion(ModalResult answer);
  void HideProgress();
  void Info(const std::string& text, gui::MsgIcon icon = gui::MsgIcon::kInformation) {
    app_.MessageBox(text, text::kInformation, gui::Buttons::kOk, icon);
  }
  void CancelQueue() {
    if (Transport()) Transport()->Cancel();
  }

  ShapeForm& form_;
  DeviceAccess& dev_;
  gui::Application& app_;
  int uploaded_ = 0;           // entries counted so far (k)
  std::string commandFolder_;  // the folder chosen for the first file
  std::uint64_t startMs_ = 0;
};

void Upload::HideProgress() {
  if (frmProgress && frmProgress->Loaded()) frmProgress->Unload();
}

// The player stayed away (or never answered): the connection question ends
// the command; Retry reads the directory again first.
void Upload::EndWithQuestion(ModalResult answer) {
  if (answer == ModalResult::kRetry) ReadDeviceDirectory(form_);
  EnableControls(form_);
}

void Upload::Run() {
  auto& vars = Vars();
  vars.transferCancelled = false;
  DisableControls(form_, false);
  app_.ProcessMessages();

  if (dev_.OpenDevice() != 0 && !dev_.PingDevice()) {
    EndWithQuestion(dev_.ShowNotConnected());
    return;
  }
  if (!dev_.RunStep([&] { return dev_.StateQuery() != 0; })) {
    dev_.CloseDevice();
    ModalResult answer;
    if (vars.cmdBase == playerlink::kCardBase) {
      app_.ProcessMessages();
      answer = app_.MessageBox(text::kNoCard, text::kInformation, gui::Buttons::kRetryCancel, gui::MsgIcon::kWarning);
    } else {
      answer = dev_.ShowNotConnected();
    }
    EndWithQuestion(answer == ModalResult::kRetry ? ModalResult::kRetry : ModalResult::kCancel);
    return;
  }

  app_.ProcessMessages();
  const int rows = form_.lvwGetFileList.Count();
  if (rows == 0) {
    dev_.CloseDevice();
    EnableControls(form_);
    return;
  }
  // The selection as it is now; a change while the command runs does not
  // count.
  std::vector<bool> selected(static_cast<std::size_t>(rows));
  for (int i = 0; i < rows; ++i) selected[static_cast<std::size_t>(i)] = form_.lvwGetFileList.Item(i).selected;

  for (int i = 0; i < rows; ++i) {
    if (!selected[static_cast<std::size_t>(i)] || vars.transferCancelled) {
      CancelQueue();
      continue;
    }
    // Rows past the last entry number one byte can select cannot be read.
    const auto entry = playerlink::EntryNumber(static_cast<std::uint64_t>(i) + 1);
    if (!entry) {
      CancelQueue();
      Info("The " + form_.lvwGetFileList.Item(i).caption +
               " File cannot be uploaded: only the first 255 files of the player can be read.",
           gui::MsgIcon::kWarning);
      continue;
    }
    const Outcome outcome = RunEntry(*entry);
    if (outcome == Outcome::kAborted) return;
    if (outcome == Outcome::kStop) break;
  }

  app_.ProcessMessages();
  CancelQueue();
  if (frmProgress) frmProgress->Hide();
  app_.ProcessMessages();
  HideProgress();
  dev_.CloseDevice();
  if (!vars.transferCancelled) ReadDeviceDirectory(form_);
  vars.transferCancelled = false;
  EnableControls(form_);
  gui::SetBusyCursor(false);
}

Outcome Upload::RunEntry(std::uint8_t entry) {
  std::optional<EntryPlan> plan;
  for (int restarts = 0;; ++restarts) {
    const Outcome outcome = TryEntry(entry, plan);
    if (outcome != Outcome::kFailed) return outcome;
    // What the failed try held is gone (the queue cancelled, the temporary
    // file removed); the entry starts again once the player is back. A
    // player that comes back but keeps failing counts as away.
    if (restarts < kStepRetries && dev_.PingDevice()) continue;
    gui::SetBusyCursor(false);
    HideProgress();
    dev_.CloseDevice();
    CancelQueue();
    EndWithQuestion(dev_.ShowNotConnected());
    return Outcome::kAborted;
  }
}

Outcome Upload::TryEntry(std::uint8_t entry, std::optional<EntryPlan>& plan) {
  // Select the entry, then read its header block.
  if (dev_.SendCommand(CommandCode::kEntryBlock, 1) == 0) return Outcome::kFailed;
  dev_.blockBuffer() = playerlink::BuildSelectionBlock(entry);
  if (!dev_.WriteBlock()) return Outcome::kFailed;
  if (dev_.SendCommand(CommandCode::kReadEntry, 1) == 0) return Outcome::kFailed;
  if (!dev_.ReadBlock()) return Outcome::kFailed;

  const auto header = playerlink::ParseFileHeader(dev_.blockBuffer());
  if (!header) {
    Info(kNoData);
    HideProgress();
    CancelQueue();
    dev_.CloseDevice();
    gui::SetBusyCursor(false);
    EnableControls(form_);
    return Outcome::kAborted;
  }
  if (plan) {
    // A restart: the entry must still be the file the target was chosen for.
    if (header->size != plan->size || header->name != plan->storedName) return Outcome::kFailed;
  } else if (const Outcome planned = Plan(*header, plan); planned != Outcome::kDone) {
    return planned;
  }

  gui::SetBusyCursor(true);
  const std::uint64_t blocks = playerlink::FileBlockCount(plan->size);
  if (dev_.SendCommand(CommandCode::kReadEntry, static_cast<std::uint32_t>(blocks)) == 0) return Outcome::kFailed;
  // The header block comes again first; it is checked, so that header bytes
  // never end up at the start of the file.
  if (!dev_.ReadBlock()) return Outcome::kFailed;
  const auto again = playerlink::ParseFileHeader(dev_.blockBuffer());
  if (!again || again->size != plan->size || again->name != plan->storedName) return Outcome::kFailed;
  return CopyData(*plan, blocks);
}

// The first try of an entry: its name, its target (the dialog for the
// first file of the command) and the overwrite question.
Outcome Upload::Plan(const playerlink::FileHeader& header, std::optional<EntryPlan>& plan) {
  EntryPlan p;
  p.size = header.size;
  p.storedName = header.name;
  const std::u16string_view fileName = playerlink::FileNamePart(header.name);
  p.name = common::Utf16ToUtf8Lossy(fileName);
  if (common::CheckFileName(fileName) != common::FileNameFault::kNone) {
    Info("The " + p.name + " File has a name that cannot be used on the PC, so it is not uploaded.",
         gui::MsgIcon::kWarning);
    CancelQueue();
    return Outcome::kSkipped;
  }

  ++uploaded_;
  std::string shownName = p.name;
  if (uploaded_ == 1) {
    auto& dialog = form_.dlgSelectFile;
    dialog.SetInitialFolder(SaveFolder().empty() ? kFirstInitialFolder : SaveFolder());
    dialog.SetFilterText(kSaveFilter);
    dialog.SetFilterIndex(1);
    dialog.SetTitle(kSaveTitle);
    dialog.SetFileName(p.name);
    if (!dialog.Execute() || dialog.FileName().empty() || GetFileName(dialog.FileName()).empty()) {
      CancelQueue();
      return Outcome::kStop;
    }
    const std::string chosen = dialog.FileName();
    SaveFolder() = GetFolderPart(chosen);
    commandFolder_ = SaveFolder();
    shownName = GetFileName(chosen);
    p.target = PathFromText(chosen);
  } else {
    p.target = PathFromText(JoinPath(commandFolder_, p.name));
  }

  // The disk decides whether the file is there, with names compared as
  // Windows compares them.
  const auto existing = common::FindInFolder(p.target.parent_path(), TextOfPath(p.target.filename()));
  if (existing) {
    const auto answer = app_.MessageBox("The " + shownName + " File already exists. Do you want to continue ? ",
                                        text::kInformation, gui::Buttons::kOkCancel, gui::MsgIcon::kQuestion,
                                        gui::DefaultButton::kSecond);
    if (answer != ModalResult::kOk) {
      CancelQueue();
      return Outcome::kSkipped;
    }
    if (common::GetPathAttributes(*existing).directory) {
      Info("The " + shownName + " File cannot replace the folder of that name.", gui::MsgIcon::kWarning);
      CancelQueue();
      return Outcome::kSkipped;
    }
    p.target = *existing;
  }
  plan = std::move(p);
  return Outcome::kDone;
}

Outcome Upload::CopyData(const EntryPlan& plan, std::uint64_t blocks) {
  auto writer = common::AtomicFileWriter::Begin(plan.target);
  if (!writer) {
    CancelQueue();
    Info(writer.error().message, gui::MsgIcon::kError);
    return Outcome::kSkipped;
  }
  ShowProgress(plan, blocks);

  TransportLibrary* transport = Transport();
  if (transport) transport->Init(dev_.InPipeHandle(), static_cast<std::uint32_t>(blocks - 1));
  std::uint64_t written = 0;
  std::uint64_t bytesDone = 0;
  playerlink::Block& buffer = dev_.blockBuffer();
  for (std::uint64_t j = 2; j <= blocks; ++j) {
    if (!transport || !transport->ReadQueue(buffer)) {
      CancelQueue();
      return Outcome::kFailed;  // the writer goes, and its temporary file with it
    }
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(playerlink::kBlockSize, plan.size - written));
    if (auto ok = writer->Write(std::span<const std::uint8_t>(buffer.data(), n)); !ok) {
      CancelQueue();
      Info(ok.error().message, gui::MsgIcon::kError);
      return Outcome::kSkipped;
    }
    written += n;
    bytesDone += playerlink::kBlockSize;
    if (frmProgress) frmProgress->ProgressBar.SetPosition(static_cast<int>(std::min<std::uint64_t>(j, INT32_MAX)));
    ShowRate(bytesDone, plan.size);
    app_.ProcessMessages();
  }
  if (auto ok = writer->Commit(); !ok) {
    CancelQueue();
    Info(ok.error().message, gui::MsgIcon::kError);
    return Outcome::kSkipped;
  }
  CancelQueue();
  return Outcome::kDone;
}

void Upload::ShowProgress(const EntryPlan& plan, std::uint64_t blocks) {
  if (!frmProgress) return;
  frmProgress->Load();
  frmProgress->ProgressBar.SetRange(0, static_cast<int>(std::min<std::uint64_t>(blocks, INT32_MAX)));
  frmProgress->ProgressBar.SetPosition(1);
  frmProgress->lblFileSize.SetCaption("File Size : " + GroupThousands(plan.size) + " Bytes");
  frmProgress->lblFileName.SetCaption("File Name : " + plan.name);
  frmProgress->StatusBar1.SetPanels({{"Uploading...", 110}, {"", 110}, {"", -1}});
  frmProgress->Show();
  startMs_ = app_.NowMs();
}

void Upload::ShowRate(std::uint64_t bytesDone, std::uint32_t size) {
  if (!frmProgress) return;
  const std::uint64_t elapsed = (app_.NowMs() - startMs_) / 1000;
  if (elapsed == 0) return;
  const std::uint64_t rate = bytesDone / elapsed;
  frmProgress->StatusBar1.SetPanelText(1, RateText(rate) + " CPS");
  if (rate == 0) return;
  const std::uint64_t left = bytesDone >= size ? 0 : size - bytesDone;
  frmProgress->StatusBar1.SetPanelText(2, "Remain Time" + RemainText(left / rate));
}

}  // namespace

bool UploadAllowed() { return Vars().modelCode == kModelZmrA; }

void imgUpload_Click(ShapeForm& form) {
  if (!UploadAllowed()) return;
  Upload(form).Run();
}

const std::string& LastSaveFolder() { return SaveFolder(); }

void InstallUpload(ShapeForm& form) {
  SaveFolder().clear();
  form.imgUpload.OnClick = [&form] { RunPlayerCommand([&form] { imgUpload_Click(form); }); };
  form.uploadCommand = [&form] { RunPlayerCommand([&form] { imgUpload_Click(form); }); };
}

std::string RateText(std::uint64_t bytesPerSecond) {
  const std::string digits = std::to_string(bytesPerSecond);
  // Six slots, "@@@,@@@", filled from the right; extra digits go in front.
  std::string slots = digits.size() >= 6 ? digits : std::string(6 - digits.size(), ' ') + digits;
  const std::size_t split = slots.size() - 3;
  return slots.substr(0, split) + "," + slots.substr(split);
}

std::string RemainText(std::uint64_t seconds) {
  auto two = [](std::uint64_t n) { return n < 10 ? "0" + std::to_string(n) : std::to_string(n); };
  return two(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

}  // namespace halvern
