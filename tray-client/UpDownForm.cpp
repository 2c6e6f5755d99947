#include "tray-client/UpDownForm.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/File.h"
#include "common/PcFileName.h"
#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "tray-client/MainForm.h"
#include "tray-client/UpDnUnit.h"

namespace orvel {

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
    : driver_(player ? *player : playerlink::SystemDriver()), device_(driver_) {
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
  messages_ = std::make_unique<gui::FormMessageTarget>(*this);
}

TfrmUpDown::~TfrmUpDown() { Destroy(); }

void TfrmUpDown::FormShow() {
  current_ = 0;
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
  return device_.StartReadThread(*messages_, index, target, kWmUpDnProgress);
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
  if (OnPlayer(fileName)) {
    if (gui::App().MessageBox(fileName + " 파일이 존재합니다. 덮어쓰시겠습니까?", "파일 덮어쓰기",
                              gui::Buttons::kOkCancel, gui::MsgIcon::kWarning) != gui::ModalResult::kOk) {
      return false;
    }
    replacing_ = Replacing{Utf16(fileName), 0};
  }
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return false;  // no such file (any more)
  if (replacing_) replacing_->size = size;
  SetStatus("파일 준비중 입니다.");
  return device_.StartWriteThread(*messages_, path, Utf16(name), kWmUpDnProgress);
}

bool TfrmUpDown::OnPlayer(const std::string& fileName) {
  // The player as it is now: the list shown when the dialog opened may be
  // stale (the player changed or was swapped meanwhile). When the read
  // gives nothing (an empty player or no answer), the shown list decides.
  std::vector<DeviceEntry> entries;
  if (device_.ReadDirectoryEntries(entries)) {
    const std::u16string name = Utf16(fileName);
    return std::any_of(entries.begin(), entries.end(), [&](const DeviceEntry& entry) { return entry.name == name; });
  }
  return std::find(PlayerFiles.begin(), PlayerFiles.end(), fileName) != PlayerFiles.end();
}

void TfrmUpDown::RemoveReplacedEntries() {
  const Replacing replacing = *replacing_;
  replacing_.reset();
  std::vector<DeviceEntry> entries;
  device_.ReadDirectoryEntries(entries);
  std::vector<const DeviceEntry*> same;
  for (const auto& entry : entries) {
    if (entry.name == replacing.name) same.push_back(&entry);
  }
  if (same.size() < 2) return;  // the player replaced the entry itself
  // The new file is the last entry of that name and size; a player that
  // adds files puts it behind the older ones.
  const DeviceEntry* keep = same.back();
  for (auto it = same.rbegin(); it != same.rend(); ++it) {
    if ((*it)->size == replacing.size) {
      keep = *it;
      break;
    }
  }
  // From the back, so the numbers of the entries still to go stay as read.
  for (auto it = same.rbegin(); it != same.rend(); ++it) {
    if (*it != keep) device_.DeleteEntry(std::to_string((*it)->number));
  }
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
        if (replacing_) RemoveReplacedEntries();
        PlayerFiles.push_back(FileNameOf(PlayerNameFor(FileList[static_cast<std::size_t>(current_)])));
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
