#include "transfer-manager/modWrite.h"

#include <algorithm>

#include "common/File.h"
#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "platform/gui/Cursor.h"
#include "transfer-manager/Mp3Header.h"
#include "transfer-manager/Texts.h"
#include "transfer-manager/frmProgress.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modDevice.h"
#include "transfer-manager/modFunctions.h"
#include "transfer-manager/modUpload.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

using gui::ModalResult;
using playerlink::CommandCode;
using playerlink::kBlockSize;

namespace {

void Say(const std::string& text) {
  gui::App().MessageBox(text, text::kInformation, gui::Buttons::kOk, gui::MsgIcon::kInformation);
}

// The player went away in the middle of a file: the connection question;
// Retry reads the directory again. The file counts as failed either way.
int GiveUp(ShapeForm& form) {
  auto& dev = Device();
  dev.CloseDevice();
  gui::SetBusyCursor(false);
  const auto answer = dev.ShowNotConnected();
  gui::App().ProcessMessages();
  if (answer == ModalResult::kRetry) ReadDeviceDirectory(form);
  return 0;
}

void ShowProgress(ProgressForm& progress, std::uint64_t sent, std::uint64_t remaining, std::uint64_t elapsedSeconds) {
  if (elapsedSeconds == 0) return;
  const std::uint64_t rate = (sent + elapsedSeconds / 2) / elapsedSeconds;
  if (progress.StatusBar1.Panels().size() < 2) return;
  progress.StatusBar1.SetPanelText(1, RateText(sent / elapsedSeconds) + " CPS");
  if (rate != 0) {
    const std::uint64_t r = (remaining + rate / 2) / rate;
    progress.StatusBar1.SetPanelText(0, "Remain Time" + RemainText(r));
  }
}

void StartProgress(std::uint64_t size, const std::string& path, std::uint32_t blocks) {
  ProgressForm& progress = *frmProgress;
  progress.Load();
  progress.ProgressBar.SetRange(0, static_cast<int>(std::min<std::uint32_t>(blocks, 0x7FFFFFFF)));
  progress.ProgressBar.SetPosition(0);
  progress.lblFileSize.SetCaption("File Size : " + GroupThousands(size) + " Bytes");
  progress.lblFileName.SetCaption("File Name : " + GetFileName(path));
  const int quarter = progress.Width() / 4;
  progress.StatusBar1.SetPanels({{"", quarter * 3, gui::Align::kLeft}, {"", quarter, gui::Align::kRight}});
  progress.SetCaption("Downloading...");
  progress.cmdCancel.SetEnabled(true);
  progress.Show();
  gui::App().ProcessMessages();
}

}  // namespace

WriteState& Writing() {
  static WriteState state;
  return state;
}

playerlink::FileKind KindOfName(const std::string& name) {
  if (name == "CORVANE_ENCO_ENC_ORG_V103.bot") return playerlink::FileKind::kEncoderImage;
  if (name == "CORVANE_ENCO_DEC_ORG_V103.bot" || name == "CORVANE_ENCO_DEC_ORG_V104.bot") {
    return playerlink::FileKind::kDecoderImage;
  }
  return playerlink::FileKind::kMusic;
}

bool ConfirmOverwrite(ShapeForm& form, gui::ListView& queue, bool, bool fast) {
  auto& app = gui::App();
  gui::SetBusyCursor(true);
  Writing().retryCurrentFile = false;
  const int rows = queue.Count();
  int repeats = 0;
  for (int i = 0; i < rows;) {
    app.Sleep(fast ? kFastPauseBetweenFilesMs : kPauseBetweenFilesMs);
    if (IsFileOnDevice(form, queue, form.lvwGetFileList, i)) {
      app.ProcessMessages();
      const auto answer = app.MessageBox("The " + queue.Item(i).caption +
                                             " File already exists. Do you want to continue ? ",
                                         text::kInformation, gui::Buttons::kOkCancel, gui::MsgIcon::kQuestion,
                                         gui::DefaultButton::kSecond);
      app.ProcessMessages();
      if (answer != ModalResult::kOk) {
        ++i;
        continue;
      }
    }
    if (WriteFileToDevice(form, queue, i, fast) == 0 || Vars().transferCancelled) return false;
    if (Writing().retryCurrentFile) {
      Writing().retryCurrentFile = false;
      // A player that keeps dropping blocks of this file is given up on.
      if (++repeats > kFileRepeats) return GiveUp(form) != 0;
      app.Sleep(kRepeatPauseMs);
      continue;
    }
    repeats = 0;
    ++i;
  }
  return true;
}

bool IsFileOnDevice(ShapeForm&, gui::ListView& queue, gui::ListView& deviceList, int row) {
  const std::string name = queue.Item(row).caption;
  for (int j = 0; j < deviceList.Count(); ++j) {
    gui::App().ProcessMessages();
    if (j < deviceList.Count() && deviceList.Item(j).caption == name) return true;
  }
  return false;
}

bool ReadFileHeader(const std::string& path) {
  auto file = common::File::OpenFile(PathFromText(path), common::File::Open::kRead);
  if (!file) return false;
  auto size = file->Size();
  if (!size) return false;
  std::vector<std::uint8_t> bytes(kMp3ProbeBytes);
  auto got = file->ReadFull(bytes);
  if (!got) return false;
  bytes.resize(*got);  // only what the file holds: never bytes of an earlier read
  // The frames begin behind an ID3v2 tag, however long.
  const std::uint64_t tag = Id3v2TagBytes(bytes);
  if (tag != 0) {
    if (tag >= *size || !file->Seek(tag)) return false;
    bytes.assign(kMp3ProbeBytes, 0);
    got = file->ReadFull(bytes);
    if (!got) return false;
    bytes.resize(*got);
  }
  const auto rate = FindMp3Rate(bytes, *size - tag);
  if (!rate) return false;
  Writing().mp3ByteRate = rate->byteRate;
  return true;
}

int WriteFileToDevice(ShapeForm& form, gui::ListView& queue, int row, bool fast) {
  auto& dev = Device();
  auto& app = gui::App();
  app.ProcessMessages();
  app.Sleep(200);
  if (dev.OpenDevice() != 0 && !dev.PingDevice()) return GiveUp(form);
  app.ProcessMessages();
  if (!dev.RunStep([&] { return dev.StateQuery() != 0; })) return GiveUp(form);

  const std::string name = queue.Item(row).caption;
  const std::string path = gui::ListView::ColumnText(queue.Item(row), kQueuePathColumn);
  // Files the header cannot describe are refused here, with the reason.
  const auto refuse = [&](const std::string& why) {
    dev.CloseDevice();
    Say("The " + name + " File " + why);
    return 1;
  };
  auto file = common::File::OpenFile(PathFromText(path), common::File::Open::kRead);
  if (!file) return refuse("cannot be opened !!!");
  const auto fileSize = file->Size();
  if (!fileSize) return refuse("cannot be read !!!");
  const std::uint64_t size = *fileSize;
  if (size > playerlink::kMaxFileSize) return refuse("is too big for the player !!!");
  const auto wide = common::Utf8ToUtf16(path);
  const auto headerName = wide ? playerlink::FitHeaderName(*wide, playerlink::header::kLongNameUnits) : std::nullopt;
  if (!headerName) return refuse("has too long a name for the player !!!");

  app.ProcessMessages();
  auto& w = Writing();
  w.mp3ByteRate = 0;
  ReadFileHeader(path);
  const std::uint64_t seconds = PlayingSeconds(size, w.mp3ByteRate);
  if (seconds > 0xFFFF) return refuse("plays too long for the player !!!");
  w.mp3Seconds = static_cast<std::uint32_t>(seconds);
  if (w.mp3ByteRate > 0xFFFF) w.mp3ByteRate = 0;  // the table's rates all fit 16 bits

  const auto blocks = static_cast<std::uint32_t>(playerlink::FileBlockCount(size));
  const playerlink::Block header = playerlink::BuildAudioFileHeader(
      static_cast<std::uint32_t>(size), *headerName,
      {static_cast<std::uint16_t>(w.mp3Seconds), static_cast<std::uint16_t>(w.mp3ByteRate), KindOfName(name)});

  app.ProcessMessages();
  bool refused = false;
  if (!dev.RunStep([&] {
        if (dev.SendCommand(CommandCode::kBeginWrite, blocks) == 0) {
          refused = true;  // no room, or the player will not take it: skipped
          return true;
        }
        dev.blockBuffer() = header;
        return dev.WriteBlock();
      })) {
    return GiveUp(form);
  }
  if (refused) {
    dev.CloseDevice();
    return 1;
  }

  if (!fast) StartProgress(size, path, blocks);
  const std::uint64_t start = app.NowMs();
  std::uint64_t sent = 0;
  for (std::uint32_t k = 2; k <= blocks; ++k) {
    if (fast) app.ProcessMessages();
    auto& block = dev.blockBuffer();
    const std::uint64_t offset = std::uint64_t{k - 2} * kBlockSize;
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, size - offset));
    const auto got = file->ReadFull(std::span(block).first(want));
    if (!got || *got != want) {
      // The file changed or failed under us: the player drops the half
      // file at the next command.
      dev.CloseDevice();
      gui::SetBusyCursor(false);
      Say("The " + name + " File could not be read to its end !!!");
      return 0;
    }
    // Nothing of an earlier block travels behind the file's last byte.
    std::fill(block.begin() + static_cast<std::ptrdiff_t>(want), block.end(), playerlink::header::kFill);
    const bool written = dev.WriteBlock();
    if (!fast) app.ProcessMessages();
    if (!written) {
      if (fast) return GiveUp(form);
      if (dev.PingDevice()) {
        dev.CloseDevice();
        w.retryCurrentFile = true;
        return 1;
      }
      return GiveUp(form);
    }
    if (!fast) {
      sent += kBlockSize;
      frmProgress->ProgressBar.SetPosition(static_cast<int>(k));
      const std::uint64_t remaining = size > sent ? size - sent : 0;
      ShowProgress(*frmProgress, std::min(sent, size), remaining, (app.NowMs() - start) / 1000);
      app.ProcessMessages();
    }
  }

  if (!fast) {
    app.ProcessMessages();
    form.lvwGetFileList.AddItem(gui::ListItem{GetFileName(path), {SizeText(size), form.fileListBox.Path()}});
  }
  app.ProcessMessages();
  dev.CloseDevice();
  return 1;
}

}  // namespace halvern
