#include "tray-client/UpdateForm.h"

#include <optional>

#include "common/ErrorText.h"
#include "platform/gui/Application.h"
#include "platform/gui/Cursor.h"
#include "tray-client/ConfForm.h"
#include "tray-client/OrvelEnvironment.h"

namespace orvel {

TfrmUpdate::TfrmUpdate() {
  SetCaption(kUpdateCaption);
  SetClientSize(320, 96);
  SetPosition(Position::kScreenCenter);
  SetBorderIcons(false);
  SetFont("굴림", 9);
  lbStatus.SetCaption("업데이트 파일을 받고 있습니다.");
  lbStatus.SetBounds(12, 10, 296, 16);
  pbUpdate.SetBounds(12, 32, 296, 18);
  btnCancel.SetCaption("취소");
  btnCancel.SetBounds(124, 60, 72, 25);
  btnCancel.OnClick = [this] {
    shared->stop.request_stop();
    btnCancel.SetEnabled(false);
    lbStatus.SetCaption("취소하는 중입니다.");
  };
  // Closing the window cancels the download as well.
  OnCloseQuery = [this](bool& canClose) {
    shared->stop.request_stop();
    canClose = false;
  };
  tmrProgress.SetInterval(200);
  tmrProgress.OnTimer = [this] { ShowProgress(); };
  Create();
}

TfrmUpdate::~TfrmUpdate() { Destroy(); }

void TfrmUpdate::ShowProgress() {
  const std::uint64_t received = shared->received.load();
  const std::uint64_t total = shared->total.load();
  if (total == 0) return;
  pbUpdate.SetPosition(static_cast<int>(std::min<std::uint64_t>(100, received * 100 / total)));
  lbStatus.SetCaption("업데이트 파일을 받고 있습니다. (" + std::to_string(received / 1024) + " / " +
                      std::to_string(total / 1024) + " KB)");
}

namespace {

platform::IniFile SettingsFile() {
  auto loaded = platform::IniFile::Load(SettingsFilePath());
  return loaded ? std::move(*loaded) : platform::IniFile{};
}

}  // namespace

bool RunUpdate(const UpdateServices& services) {
  const UpdateSettings settings = ReadUpdateSettings(SettingsFile());
  const common::Path folder = Environment().programFolder;
  const common::Path target = folder / kSetupFileName;
  auto makeClient = services.ftp ? services.ftp : [](const platform::http::FtpOptions& options) {
    return platform::http::CreateFtpClient(options);
  };

  struct Outcome {
    std::optional<UpdateFailure> failure;
  };
  auto outcome = std::make_shared<Outcome>();
  bool finished = false;
  {
    gui::BusyCursorScope busy;
    TfrmUpdate window;
    window.Show();
    window.tmrProgress.SetEnabled(true);
    auto shared = window.shared;
    finished = gui::App().RunOffGuiThread(
        [shared, outcome, makeClient, settings, target, options = services.ftpOptions,
         total = services.totalTimeout] {
          auto client = makeClient(options);
          outcome->failure = DownloadUpdate(
              *client, settings, target,
              [shared](std::uint64_t received, std::uint64_t size) {
                shared->received = received;
                shared->total = size;
              },
              shared->stop.get_token(), total);
        },
        [shared] { shared->stop.request_stop(); });
    window.tmrProgress.SetEnabled(false);
    window.ShowProgress();
    window.OnCloseQuery = nullptr;
    window.Hide();
  }
  // The program is ending: nothing more is asked.
  if (!finished || gui::App().Terminated()) return false;

  if (outcome->failure) {
    const UpdateFailure& failure = *outcome->failure;
    const bool cancelled = failure.source == UpdateFailure::Source::kFtp &&
                           failure.error.code == static_cast<int>(common::FtpError::kCancelled);
    if (!cancelled) gui::App().MessageBox(failure.error.message, kUpdateCaption, gui::Buttons::kOk, gui::MsgIcon::kError);
    return false;
  }
  if (gui::App().MessageBox(kUpdateQuestion, kUpdateCaption, gui::Buttons::kOkCancel, gui::MsgIcon::kWarning) !=
      gui::ModalResult::kOk) {
    return false;  // the checked file stays for the next time
  }
  auto open = services.open ? services.open : ShellOpen;
  auto started = open(common::PathToUtf8(target), folder);
  if (!started) {
    // The program goes on: the user still has it, and the file to start by hand.
    gui::App().MessageBox(
        common::UserMessage(common::ErrorSentence(common::UpdateError::kStartFailed), common::DetailOf(started.error().message)),
        kUpdateCaption, gui::Buttons::kOk, gui::MsgIcon::kError);
    return false;
  }
  return true;
}

}  // namespace orvel
