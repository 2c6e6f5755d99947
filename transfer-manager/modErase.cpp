#include "transfer-manager/modErase.h"

#include "platform/gui/Application.h"
#include "platform/gui/Cursor.h"
#include "transfer-manager/Texts.h"
#include "transfer-manager/frmMessages.h"
#include "transfer-manager/modDevice.h"
#include "transfer-manager/modFunctions.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

using gui::ModalResult;
using playerlink::CommandCode;

namespace {

constexpr const char* kConfirm = "Confirm";
constexpr const char* kNothingSelected = "Select the file(s) to erase first !!!";
constexpr const char* kNotErase = "Not Erase!!";
constexpr const char* kEntryOutOfReach = " cannot be erased alone: erase all files instead !!!";

void Say(const std::string& text, gui::MsgIcon icon = gui::MsgIcon::kInformation) {
  gui::App().MessageBox(text, text::kInformation, gui::Buttons::kOk, icon);
}

// The player or the medium is absent: close, Retry reads the directory
// again; the command ends.
void Absent(ShapeForm& form, ModalResult answer) {
  Device().CloseDevice();
  if (answer == ModalResult::kRetry) ReadDeviceDirectory(form);
  EnableControls(form);
}

// DisableControls, open, the state query. False when the command ended.
bool OpeningSteps(ShapeForm& form) {
  auto& dev = Device();
  DisableControls(form, false);
  if (dev.OpenDevice() != 0) {
    Absent(form, dev.ShowNotConnected());
    return false;
  }
  gui::App().ProcessMessages();
  if (dev.StateQuery() == 0) {
    ModalResult answer;
    if (Vars().cmdBase == playerlink::kCardBase) {
      answer = gui::App().MessageBox(text::kNoCard, text::kInformation, gui::Buttons::kRetryCancel,
                                     gui::MsgIcon::kWarning);
    } else {
      answer = dev.ShowNotConnected();
    }
    Absent(form, answer == ModalResult::kRetry ? ModalResult::kRetry : ModalResult::kCancel);
    return false;
  }
  return true;
}

bool Confirmed(const char* question) {
  auto& app = gui::App();
  app.ProcessMessages();
  const auto answer =
      app.MessageBox(question, kConfirm, gui::Buttons::kOkCancel, gui::MsgIcon::kQuestion, gui::DefaultButton::kSecond);
  app.ProcessMessages();
  return answer == ModalResult::kOk;
}

void HideEraseWindow() {
  gui::SetBusyCursor(false);
  gui::App().ProcessMessages();
  frmEraseFile->Unload();
}

}  // namespace

void imgErase_Click(ShapeForm& form) {
  auto& dev = Device();
  auto& app = gui::App();
  auto& list = form.lvwGetFileList;
  const int rows = list.Count();
  const int selected = list.SelectedCount();
  if (selected == 0) {
    Say(kNothingSelected);
    return;
  }
  if (selected == rows && selected >= kEraseAllFrom) {
    imgEraseAll_Click(form);
    return;
  }
  if (!OpeningSteps(form)) return;
  if (!Confirmed("Do you really want to erase the file(s)?")) {
    dev.CloseDevice();
    EnableControls(form);
    return;
  }

  gui::SetBusyCursor(true);
  int attempts = 0, erased = 0;
  for (int i = 0; i < list.Count();) {
    if (!list.Item(i).selected) {
      ++i;
      continue;
    }
    const std::string name = list.Item(i).caption;
    frmEraseFile->lblErasingFileName.SetCaption(name + " is erasing !!!");
    app.ProcessMessages();
    frmEraseFile->Show();
    app.ProcessMessages();
    app.Sleep(100);

    // The row is entry i + 1: the player numbers its entries as the list
    // shows them.
    const auto entry = playerlink::EntryNumber(static_cast<std::uint64_t>(i) + 1);
    if (!entry) {
      HideEraseWindow();
      dev.CloseDevice();
      Say(name + kEntryOutOfReach, gui::MsgIcon::kWarning);
      ReadDeviceDirectory(form);
      EnableControls(form);
      return;
    }
    // A selection the player did not take must never be followed by a
    // delete: the delete would hit whatever was selected before.
    bool selectedOnPlayer = dev.SendCommand(CommandCode::kEntryBlock, 1) != 0;
    if (selectedOnPlayer) {
      dev.blockBuffer() = playerlink::BuildSelectionBlock(*entry);
      selectedOnPlayer = dev.WriteBlock();
    }
    if (!selectedOnPlayer) {
      HideEraseWindow();
      const auto answer = dev.ShowNotConnected();
      dev.CloseDevice();
      if (answer == ModalResult::kRetry) ReadDeviceDirectory(form);
      EnableControls(form);
      return;
    }

    app.ProcessMessages();
    ++attempts;
    app.Sleep(500);
    if (dev.SendCommand(CommandCode::kDelete, 0) == 0) {
      HideEraseWindow();
      Say(kNotErase);
      Absent(form, dev.ShowNotConnected());
      return;
    }
    ++erased;
    list.DeleteItem(i);  // the entries behind move down by one number
  }

  dev.CloseDevice();
  HideEraseWindow();
  app.ProcessMessages();
  if (attempts > 0 && attempts == erased) Say("Erase complete !!!");
  app.ProcessMessages();
  ReadDeviceDirectory(form);
  EnableControls(form);
}

void imgEraseAll_Click(ShapeForm& form) {
  auto& dev = Device();
  auto& app = gui::App();
  if (!OpeningSteps(form)) return;
  if (!Confirmed("Do you really want to erase all file(s)?")) {
    dev.CloseDevice();
    EnableControls(form);
    return;
  }
  gui::SetBusyCursor(true);
  frmFormatEraseWait->SetCaption("Erasing...");
  frmFormatEraseWait->Label1.SetCaption("Wait a minute, please!!!");
  app.ProcessMessages();
  frmFormatEraseWait->Show();
  app.ProcessMessages();

  const bool done = dev.SendCommand(CommandCode::kEraseAll, 0) != 0;
  gui::SetBusyCursor(false);
  app.ProcessMessages();
  frmFormatEraseWait->Unload();
  app.ProcessMessages();
  if (!done) {
    Say(kNotErase);
    Absent(form, dev.ShowNotConnected());
    return;
  }
  form.lvwGetFileList.Clear();
  dev.CloseDevice();
  app.ProcessMessages();
  Say("All Erase complete !!!");
  ReadDeviceDirectory(form);
  EnableControls(form);
}

}  // namespace halvern
