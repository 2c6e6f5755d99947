#include "tray-client/UpDownForm.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "common/File.h"
#include "common/PcFileName.h"
#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "tray-client/MainForm.h"
#include "tray-client/UpDnUnit.h"

namespace orvel {

gui::Form* ActiveTransferDialog = nullptr;

namespace {

constexpr int kSettleMs = 500;
constexpr std::uint32_t kNavy = 0x000080;

std::u16string Utf16(const std::string& utf8) {
  auto text = common::Utf8ToUtf16(utf8);
  return text ? std::move(*text) : std::u16string();
}

// A name for a message box: control characters would break its lines.
std::string Printable(std::string name) {
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  }
  return name;
}

std::string FileNameOf(const std::string& path) {
  return common::PathToUtf8(common::PathFromUtf8(path).filename());
}

}  // namespace

std::string PlayerNameFor(const std::string& path) {
  const common::Path p = common::PathFromUtf8(path);
  std::string extension = common::PathToUtf8(p.extension());
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  if (extension != ".sa3") return path;
  return path.substr(0, path.size() - extension.size()) + ".mp3";
}

TfrmUpDown::TfrmUpDown(playerlink::Driver* player)
    : driver_(player ? *player : playerlink::SystemDriver()), device_(std::make_shared<TMyDevice>(driver_)) {
  SetCaption(kCaptionDownload);
  SetBorderIcons(false);
  SetClientSize(363, 121);
  SetPosition(Position::kScreenCenter);

  pnlMain.SetBounds(0, 0, 363, 121);
  std::vector<gui::Icon> frames;
  for (int i = 0; i < kAnimationFrames; ++i) frames.push_back(gui::Icon{AnimationFrameName(i)});
  RxGIFAnimator.SetBounds(12, 10, 32, 32);
  RxGIFAnimator.SetPicture(frames.front());
  RxGIFAnimator.SetFrames(std::move(frames));
  RxGIFAnimator.SetInterval(kAnimationInterval);
  lbStatus.SetBounds(56, 10, 296, 32);
  lbStatus.SetWordWrap(true);

  pnlGauges.SetBounds(0, 50, 363, 71);
  pnlGauges.SetBevel(gui::Panel::Bevel::kLowered);
  lbCurrentFile.SetCaption("현재 파일");
  lbCurrentFile.SetBounds(10, 9, 60, 16);
  gaCurrentFile.SetBounds(74, 8, 196, 16);
  gaCurrentFile.SetBarColor(kNavy);
  lbTotalFile.SetCaption("전체 진행");
  lbTotalFile.SetBounds(10, 37, 60, 16);
  gaTotalFile.SetBounds(74, 36, 196, 16);
  gaTotalFile.SetBarColor(kNavy);
  btnCancel.SetCaption("Cancel");
  btnCancel.SetBounds(280, 20, 72, 25);
  btnCancel.SetEnabled(false);

  SetMessageHandler(kWmUpDnNextFile, [this](std::uintptr_t, std::intptr_t) { return NextFile(); });
  SetMessageHandler(kWmUpDnProgress, [this](std::uintptr_t w, std::intptr_t l) { return Progress(w, l); });
  OnShow = [this] { FormShow(); };
  OnClose = [this](CloseAction&) { FormClose(); };
  Create();
  messages_ = std::make_shared<gui::FormMessageTarget>(*this);
  ActiveTransferDialog = this;
}

TfrmUpDown::~TfrmUpDown() {
  if (ActiveTransferDialog == this) ActiveTransferDialog = nullptr;
  Destroy();
}

void TfrmUpDown::FormShow() {
  current_ = 0;
  if (Direction == kPcToPlayer && !FileList.empty()) {
    // A whole directory is seconds of the player's link (255 entries: 4 MB
    // at USB 1.1 full speed). The read runs off the GUI thread, which keeps
    // painting; no input reaches a window meanwhile (Cancel is not usable
    // before the first file), and the "My PC" poll and sync stay off while
    // this dialog exists, so this is the process's one conversation with
    // the player.
    struct Read {
      std::shared_ptr<TMyDevice> device;
      std::optional<std::vector<DeviceEntry>> directory;
      bool busy = false;
    };
    auto read = std::make_shared<Read>();
    read->device = device_;
    bool done = false;
    {
      gui::ModalScope scope;
      done = gui::App().RunOffGuiThread([read] {
        read->directory = read->device->ReadWholeDirectory();
        read->busy = read->device->busy();
      });
    }
    if (!done || Destroyed()) return;  // the program ends
    directory_ = std::move(read->directory);
    if (read->busy) {
      // Another conversation with the player runs: nothing is sent.
      gui::App().MessageBox("다른 작업이 플레이어를 사용하고 있어 파일을 보내지 않았습니다.\r\n잠시 후 다시 해 주세요.",
                            Caption(), gui::Buttons::kOk, gui::MsgIcon::kWarning);
      Finish();
      return;
    }
  }
  RxGIFAnimator.SetAnimated(true);
  gaCurrentFile.SetPosition(gaCurrentFile.Min());
  gaTotalFile.SetRange(0, static_cast<int>(FileList.size()) * gaCurrentFile.Max());
  gaTotalFile.SetPosition(0);
  gui::App().Post(*this, kWmUpDnNextFile);
}

void TfrmUpDown::FormClose() { RxGIFAnimator.SetAnimated(false); }

void TfrmUpDown::Finish() {
  FormClose();
  SetModalResult(gui::ModalResult::kOk);
}

void TfrmUpDown::SetStatus(const std::string& text) {
  lbStatus.SetCaption(text);
  lbStatus.SetHint(text);
}

std::string TfrmUpDown::CurrentName() const {
  if (current_ < 0 || current_ >= static_cast<int>(FileList.size())) return {};
  const std::string& line = FileList[static_cast<std::size_t>(current_)];
  return Direction == kPlayerToPc ? line : FileNameOf(line);
}

std::intptr_t TfrmUpDown::NextFile() {
  if (current_ >= static_cast<int>(FileList.size())) {
    Finish();
    return 0;
  }
  std::string& line = FileList[static_cast<std::size_t>(current_)];
  const bool started = Direction == kPlayerToPc ? StepToPc(line) : StepToPlayer(line);
  if (!started) gui::App().Post(*this, kWmUpDnProgress, kUpDnSkipped, 0);
  return 0;
}

bool TfrmUpDown::StepToPc(std::string& line) {
  const auto slash = line.find('/');
  const std::string index = line.substr(0, slash);
  line = slash == std::string::npos ? std::string() : line.substr(slash + 1);
  const std::string& name = line;

  const common::Path folder = common::PathFromUtf8(TargetFolder);
  if (common::CheckFileName(std::string_view(name)) != common::FileNameFault::kNone) {
    gui::App().MessageBox(Printable(name) + " 파일은 PC에서 쓸 수 없는 이름이라 받지 않습니다.", "파일 이름 오류",
                          gui::Buttons::kOk, gui::MsgIcon::kWarning);
    return false;
  }
  common::Path target = (folder / common::PathFromUtf8(name)).lexically_normal();
  // The disk decides, not a list shown earlier; Windows takes names without
  // regard to case, and so does the question.
  if (const auto existing = common::FindInFolder(folder, name)) {
    std::error_code error;
    if (std::filesystem::is_directory(*existing, error)) {
      gui::App().MessageBox(common::PathToUtf8(*existing) + " 폴더가 있어 같은 이름의 파일을 받지 않습니다.",
                            "파일 이름 오류", gui::Buttons::kOk, gui::MsgIcon::kWarning);
      return false;
    }
    target = *existing;
    if (gui::App().MessageBox(common::PathToUtf8(target) + " 파일이 존재합니다. 덮어쓰시겠습니까?", "파일 덮어쓰기",
                              gui::Buttons::kOkCancel, gui::MsgIcon::kWarning) != gui::ModalResult::kOk) {
      return false;
    }
  }
  SetStatus("파일 준비중 입니다.");
  return device_->StartReadThread(messages_, index, target, kWmUpDnProgress);
}

bool TfrmUpDown::StepToPlayer(const std::string& line) {
  const common::Path path = common::PathFromUtf8(line);
  if (common::FileExists(path) && common::FileInUse(path)) {
    if (gui::App().MessageBox("다른 프로그램이 파일을 사용하고 있습니다.\r\n정상적으로 전송이 되지 않을 수 있습니다.",
                              "파일 사용중", gui::Buttons::kOkCancel,
                              gui::MsgIcon::kWarning) != gui::ModalResult::kOk) {
      return false;
    }
  }
  const std::string name = PlayerNameFor(line);
  const std::string fileName = FileNameOf(name);
  replacing_.reset();
  std::optional<DeviceEntry> named;
  if (OnPlayer(fileName, named)) {
    if (gui::App().MessageBox(fileName + " 파일이 존재합니다. 덮어쓰시겠습니까?", "파일 덮어쓰기",
                              gui::Buttons::kOkCancel, gui::MsgIcon::kWarning) != gui::ModalResult::kOk) {
      return false;
    }
    replacing_ = named;
  }
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return false;  // no such file (any more)
  writingSize_ = size;
  SetStatus("파일 준비중 입니다.");
  return device_->StartWriteThread(messages_, path, Utf16(name), kWmUpDnProgress);
}

bool TfrmUpDown::OnPlayer(const std::string& fileName, std::optional<DeviceEntry>& first) {
  first.reset();
  if (!directory_) return std::find(PlayerFiles.begin(), PlayerFiles.end(), fileName) != PlayerFiles.end();
  const std::u16string name = Utf16(fileName);
  const auto it = std::find_if(directory_->begin(), directory_->end(),
                               [&](const DeviceEntry& entry) { return entry.name == name; });
  if (it == directory_->end()) return false;
  first = *it;
  return true;
}

void TfrmUpDown::FileWritten(const std::string& fileName, std::uint64_t size) {
  const std::optional<DeviceEntry> replacing = std::exchange(replacing_, std::nullopt);
  if (!directory_) return;
  const auto newSize = static_cast<std::uint32_t>(size);
  const std::u16string name = Utf16(fileName);
  if (!replacing) {
    // A name the player does not hold: the file is its last entry.
    directory_->push_back({static_cast<unsigned>(directory_->size() + 1), name, newSize});
    return;
  }
  // A player either puts the new file in the named entry's place or adds
  // it behind the others; its entry count tells which.
  const std::optional<unsigned> count = device_->EntryCount();
  if (replacing->number < 1 || replacing->number > directory_->size()) {
    directory_ = device_->ReadWholeDirectory();
    return;
  }
  if (count && *count == directory_->size()) {
    (*directory_)[replacing->number - 1].size = newSize;
    return;
  }
  if (!count || *count != directory_->size() + 1) {
    // Not what this dialog's own writes explain: the player is read again.
    directory_ = device_->ReadWholeDirectory();
    return;
  }
  directory_->push_back({*count, name, newSize});
  // The entry the question named, and only that one, checked again on the
  // player before it goes.
  if (!device_->DeleteEntryIf(*replacing)) return;
  directory_->erase(directory_->begin() + (replacing->number - 1));
  for (auto it = directory_->begin() + (replacing->number - 1); it != directory_->end(); ++it) --it->number;
}

std::intptr_t TfrmUpDown::Progress(std::uintptr_t what, std::intptr_t percent) {
  const std::string name = CurrentName();
  switch (what) {
    case TDNFileThread::kReportProgress:
      SetStatus(name + Caption() + "중");
      gaCurrentFile.SetPosition(static_cast<int>(percent));
      gaTotalFile.SetPosition(current_ * gaCurrentFile.Max() + gaCurrentFile.Position());
      break;
    case TDNFileThread::kReportDone:
      gui::App().Sleep(kSettleMs);
      SetStatus(name + Caption() + " 완료");
      gaCurrentFile.SetPosition(gaCurrentFile.Max());
      gaTotalFile.SetPosition((current_ + 1) * gaCurrentFile.Max());
      if (Direction == kPcToPlayer) {
        const std::string fileName = FileNameOf(PlayerNameFor(FileList[static_cast<std::size_t>(current_)]));
        FileWritten(fileName, writingSize_);
        PlayerFiles.push_back(fileName);
      }
      ++current_;
      gui::App().Send(*this, kWmUpDnNextFile);
      break;
    case TDNFileThread::kReportFailed:
      replacing_.reset();
      gui::App().MessageBox("파일전송에 실패했습니다.", "파일 전송실패", gui::Buttons::kOk, gui::MsgIcon::kWarning);
      Finish();
      break;
    case kUpDnSkipped:
      SetStatus(name + Caption() + " 취소");
      gaCurrentFile.SetPosition(gaCurrentFile.Min());
      ++current_;
      gui::App().Post(*this, kWmUpDnNextFile);
      break;
    default: break;
  }
  return 0;
}

}  // namespace orvel
