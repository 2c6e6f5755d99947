#include "transfer-manager/modDirectory.h"

#include <array>

#include "player-link/Directory.h"
#include "platform/gui/Application.h"
#include "platform/gui/Cursor.h"
#include "transfer-manager/DirectoryRows.h"
#include "transfer-manager/Texts.h"
#include "transfer-manager/frmMessages.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modDevice.h"
#include "transfer-manager/modFunctions.h"
#include "transfer-manager/modModelFiles.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

using gui::ModalResult;
using playerlink::CommandCode;

namespace {

constexpr const char* kFullCard = "The SMC is Full of MP3 File !!!";
constexpr const char* kFullInternal = "The Nand Flash is Full of MP3 File !!!";
constexpr const char* kNewMediaTitle = "New Media Alert";
constexpr const char* kNewCard = "Unknown format or the card is not formated, format the card? ";
constexpr const char* kNewInternal = "Inserted Media is New or Bad, format the internal Nand Flash?";
constexpr const char* kAbnormalCheck = "Player is in abnormal state, please check player and try again !!!";
constexpr const char* kAbnormalFormatInternal = "Player is in abnormal state, You should format the Nand Flash !!!";
constexpr const char* kAbnormalFormatCard = "Player is in abnormal state, You should format the SMC !!!";
constexpr const char* kNoFreeInfo = "It did not get free memory info !!!";
constexpr const char* kFormatComplete = "Format complete!!";
constexpr const char* kNotFormat = "Not Format!!";

bool IsCard() { return Vars().cmdBase == playerlink::kCardBase; }

ModalResult Box(const std::string& text, const char* title, gui::Buttons buttons, gui::MsgIcon icon,
                gui::DefaultButton defaultButton = gui::DefaultButton::kFirst) {
  return gui::App().MessageBox(text, title, buttons, icon, defaultButton);
}

// The medium does not answer the state query: the card question on the
// card, the connection question on the built-in memory.
ModalResult AskForMedium() {
  if (!IsCard()) return Device().ShowNotConnected();
  auto& app = gui::App();
  app.ProcessMessages();
  const auto answer = Box(text::kNoCard, text::kInformation, gui::Buttons::kRetryCancel, gui::MsgIcon::kWarning);
  app.ProcessMessages();
  return answer == ModalResult::kRetry ? ModalResult::kRetry : ModalResult::kCancel;
}

bool OpenOrPing() { return Device().OpenDevice() == 0 || Device().PingDevice(); }

// The last total each medium gave: a full medium answers the state query
// with the full mark instead of its size.
std::array<std::uint64_t, 2>& KnownTotals() {
  static std::array<std::uint64_t, 2> totals{};
  return totals;
}

// The probe of entry 1: selects it and reads its header block. True when
// the player answered; `tagged` says whether the block was a file's.
bool ProbeFirstEntry(bool& tagged) {
  auto& dev = Device();
  tagged = false;
  if (!dev.RunStep([&] {
        if (dev.SendCommand(CommandCode::kEntryBlock, 1) == 0) return false;
        dev.blockBuffer() = playerlink::BuildSelectionBlock(1);
        return dev.WriteBlock();
      })) {
    return false;
  }
  return dev.RunStep([&] {
    if (dev.SendCommand(CommandCode::kReadEntry, 1) == 0) return false;
    if (!dev.ReadBlock()) return false;
    tagged = playerlink::HasHeaderTag(dev.blockBuffer());
    return true;
  });
}

// The directory query and, unless the medium is empty or unformatted, the
// directory's blocks, on the open device. False when the player refused or
// a block fell short; a block without the tag ends the directory there, an
// erased block ends it as kRejected.
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
  options.acceptBlock = [](unsigned, const playerlink::Block& block) { return !IsAbnormalBlock(block); };
  playerlink::ReadDirectoryBlocks(link, Vars().cmdBase, *count, options, dir);
  using End = playerlink::Directory::End;
  return dir.end == End::kComplete || dir.end == End::kBadTag || dir.end == End::kRejected;
}

void FillDeviceList(ShapeForm& form, const playerlink::Directory& dir) {
  std::vector<gui::ListItem> rows;
  rows.reserve(dir.entries.size());
  for (const auto& e : dir.entries) {
    auto row = DeviceRowOf(playerlink::BuildFileHeader(e.header.size, e.header.name, playerlink::NameEnd::kNone),
                           e.number);
    if (row) rows.push_back(gui::ListItem{std::move(row->caption), std::move(row->subItems)});
  }
  form.lvwGetFileList.SetItems(std::move(rows));
}

enum class Outcome { kDone, kStartOver, kGiveUp };

Outcome MemoryInfo(ShapeForm& form, std::uint32_t& freeAnswer);

// An erased block in the directory: the first time the user is asked to
// check the player, every second time to format the medium.
Outcome AbnormalState(ShapeForm& form, bool& formatted) {
  Device().CloseDevice();
  if (++Vars().abnormalCount == 1) {
    const auto answer = Box(kAbnormalCheck, text::kInformation, gui::Buttons::kOkCancel, gui::MsgIcon::kWarning);
    return answer == ModalResult::kOk ? Outcome::kStartOver : Outcome::kGiveUp;
  }
  Vars().abnormalCount = 0;
  Box(IsCard() ? kAbnormalFormatCard : kAbnormalFormatInternal, text::kInformation, gui::Buttons::kOk,
      gui::MsgIcon::kWarning);
  formatted = FormatMedia(form);
  return Outcome::kDone;
}

}  // namespace

namespace {
unsigned directoryReads = 0;
}  // namespace

unsigned DirectoryReads() { return directoryReads; }

std::string MemoryText(std::uint64_t bytes) { return GroupThousands((bytes + 512) / 1024) + " KB"; }

std::string MediumName() { return IsCard() ? "SMC" : "Built-in Memory"; }

bool ReadDeviceDirectory(ShapeForm& form) {
  auto& dev = Device();
  auto& app = gui::App();
  bool fullShown = false;
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
    std::uint32_t state = 0;
    if (!dev.RunStep([&] { return (state = dev.StateQuery()) != 0; })) {
      dev.CloseDevice();
      if (AskForMedium() == ModalResult::kRetry) continue;
      return false;
    }
    if (state == playerlink::kAnswerMediumFull && !fullShown) {
      // Said once per read; the directory is listed all the same, so the
      // user can erase files to make room.
      dev.CloseDevice();
      fullShown = true;
      Box(IsCard() ? kFullCard : kFullInternal, text::kInformation, gui::Buttons::kOk, gui::MsgIcon::kInformation);
      continue;
    }

    app.Sleep(1000);
    bool tagged = false;
    if (!ProbeFirstEntry(tagged)) {
      dev.CloseDevice();
      if (dev.ShowNotConnected() == ModalResult::kRetry) continue;
      return false;
    }

    playerlink::Directory dir;
    bool read = dev.RunStep([&] { return ReadDirectoryOnce(dir); });
    if (read && dir.count == playerlink::kCountUnformattedMedium) {
      dev.CloseDevice();
      const auto answer = Box(IsCard() ? kNewCard : kNewInternal, kNewMediaTitle, gui::Buttons::kOkCancel,
                              gui::MsgIcon::kQuestion);
      return answer == ModalResult::kOk && FormatMedia(form);
    }
    if (read && !tagged && dir.count == 0) read = dev.RunStep([&] { return ReadDirectoryOnce(dir); });
    form.lvwGetFileList.Clear();
    if (!read) {
      dev.CloseDevice();
      if (dev.ShowNotConnected() == ModalResult::kRetry) continue;
      return false;
    }
    if (dir.end == playerlink::Directory::End::kRejected) {
      bool formatted = false;
      switch (AbnormalState(form, formatted)) {
        case Outcome::kStartOver:
          continue;
        case Outcome::kGiveUp:
          return false;
        case Outcome::kDone:
          return formatted;
      }
    }
    Vars().deviceFileCount = dir.count > 0 ? dir.count - 1 : 0;
    if (dir.info) {
      Vars().firmwareVersion = dir.info->firmwareTimesTen;
      Vars().modelCode = playerlink::ModelCodeText(*dir.info);
    }
    FillDeviceList(form, dir);
    ++directoryReads;

    app.ProcessMessages();
    dev.CloseDevice();
    std::uint32_t free = 0;
    switch (MemoryInfo(form, free)) {
      case Outcome::kDone:
        return true;
      case Outcome::kStartOver:
        continue;
      case Outcome::kGiveUp:
        return false;
    }
  }
}

std::uint32_t GetMemoryInfo(ShapeForm& form) {
  std::uint32_t free = 0;
  switch (MemoryInfo(form, free)) {
    case Outcome::kDone:
      return free;
    case Outcome::kStartOver:
      return ReadDeviceDirectory(form) ? 1 : 0;
    case Outcome::kGiveUp:
      break;
  }
  return 0;
}

namespace {

// The memory figures; kStartOver when the user chose Retry at the
// connection question.
Outcome MemoryInfo(ShapeForm& form, std::uint32_t& freeAnswer) {
  auto& dev = Device();
  auto& app = gui::App();
  const auto notConnected = [&] {
    const auto answer = dev.ShowNotConnected();
    dev.CloseDevice();
    return answer == ModalResult::kRetry ? Outcome::kStartOver : Outcome::kGiveUp;
  };
  if (!OpenOrPing()) return notConnected();
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
    if (total != 0) Box(kNoFreeInfo, text::kInformation, gui::Buttons::kOk, gui::MsgIcon::kInformation);
    return notConnected();
  }
  Vars().freeBytes = free;
  auto& known = KnownTotals()[IsCard() ? 1 : 0];
  std::uint64_t size = total;
  if (total == playerlink::kAnswerMediumFull && known != 0) {
    size = known;
  } else if (total != playerlink::kAnswerMediumFull) {
    known = total;
  }
  const std::uint64_t used = size > free ? size - free : 0;
  form.lblTotMem.SetCaption(MemoryText(size));
  form.lblUsedMem.SetCaption(used == 0 ? "0 KB" : MemoryText(used));
  form.lblAvailMem.SetCaption(free == playerlink::kAnswerNoFreeSpace ? "0 KB" : MemoryText(free));
  dev.CloseDevice();
  freeAnswer = free;
  return Outcome::kDone;
}

}  // namespace

bool FormatMedia(ShapeForm& form) {
  auto& dev = Device();
  auto& app = gui::App();
  if (dev.OpenDevice() != 0) {
    const auto answer = dev.ShowNotConnected();
    dev.CloseDevice();
    if (answer == ModalResult::kRetry) ReadDeviceDirectory(form);
    return false;
  }
  app.ProcessMessages();
  if (dev.StateQuery() == 0) {
    const auto answer = AskForMedium();
    dev.CloseDevice();
    if (answer == ModalResult::kRetry) ReadDeviceDirectory(form);
    return false;
  }
  const auto confirm = Box("Do you really want to format " + MediumName() + "? ", "Confirm", gui::Buttons::kOkCancel,
                           gui::MsgIcon::kQuestion, gui::DefaultButton::kSecond);
  if (confirm != ModalResult::kOk) {
    app.ProcessMessages();
    gui::SetBusyCursor(false);
    dev.CloseDevice();
    return false;
  }

  app.ProcessMessages();
  gui::SetBusyCursor(true);
  frmFormatEraseWait->SetCaption("Formatting...");
  frmFormatEraseWait->Label1.SetCaption("Wait a minute, please!!!");
  app.ProcessMessages();
  frmFormatEraseWait->Show();
  app.ProcessMessages();
  app.Sleep(50);
  const bool formatted = dev.SendCommand(CommandCode::kFormat, 0) != 0;
  if (!formatted) {
    dev.CloseDevice();
    gui::SetBusyCursor(false);
    frmFormatEraseWait->Unload();
    Box(kNotFormat, text::kInformation, gui::Buttons::kOk, gui::MsgIcon::kInformation);
    if (dev.ShowNotConnected() == ModalResult::kRetry) ReadDeviceDirectory(form);
    return false;
  }

  app.ProcessMessages();
  form.lvwGetFileList.Clear();
  dev.CloseDevice();
  app.Sleep(300);
  app.Sleep(1000);
  // The read refreshes the model code; a read that failed has said so
  // itself, and the image files are tried all the same (with the model
  // known before), so a player that still answers gets them back and one
  // that does not is asked for again.
  ReadDeviceDirectory(form);
  // The built-in memory lost the model's image files with everything else:
  // without them the format is not done.
  bool ok = IsCard() || CheckModelFiles(form);
  if (ok) {
    app.Sleep(1000);
    ok = ReadDeviceDirectory(form);
  }
  gui::SetBusyCursor(false);
  app.ProcessMessages();
  frmFormatEraseWait->Unload();
  Box(ok ? kFormatComplete : kNotFormat, text::kInformation, gui::Buttons::kOk, gui::MsgIcon::kInformation);
  return ok;
}

void imgFormat_Click(ShapeForm& form) {
  DisableControls(form, false);
  FormatMedia(form);
  form.SetModelTexts();
  EnableControls(form);
}

}  // namespace halvern
