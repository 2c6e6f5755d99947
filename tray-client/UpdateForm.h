// The update download's window: what is being fetched, a progress bar and
// "취소". The fetch itself runs on a worker thread; the window shows its
// progress from shared counters on a timer, so the GUI thread stays free.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>

#include "common/File.h"
#include "common/Result.h"
#include "platform/gui/Button.h"
#include "platform/gui/Form.h"
#include "platform/gui/Label.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/Timer.h"
#include "platform/http/FtpClient.h"
#include "tray-client/UpdateUnit.h"

namespace orvel {

inline constexpr const char* kUpdateCaption = "업데이트";
inline constexpr const char* kUpdateQuestion = "프로그램 업데이트를 위해 잠시 종료합니다.";

// What the update road uses (tests set their own).
struct UpdateServices {
  // The FTP client; null: the platform's.
  std::function<std::unique_ptr<platform::http::FtpClient>(const platform::http::FtpOptions&)> ftp;
  // Opens a program or a web address the way the shell does ("open",
  // shown normally, in `folder`); null: the platform's.
  std::function<common::Result<void>(const std::string& what, const common::Path& folder)> open;
  platform::http::FtpOptions ftpOptions;
  // The whole download's deadline (digest and setup program).
  std::chrono::milliseconds totalTimeout{std::chrono::minutes(10)};
};

// The platform's "open" of a file or address: ShellExecute on Windows; an
// error elsewhere (the native build starts nothing).
common::Result<void> ShellOpen(const std::string& what, const common::Path& folder);

class TfrmUpdate : public gui::Form {
 public:
  TfrmUpdate();
  ~TfrmUpdate() override;

  gui::Label lbStatus{this};
  gui::ProgressBar pbUpdate{this};
  gui::Button btnCancel{this};
  gui::Timer tmrProgress{this};

  // Shared with the worker, which may outlive the window.
  struct Shared {
    std::stop_source stop;
    std::atomic<std::uint64_t> received{0};
    std::atomic<std::uint64_t> total{0};
  };
  std::shared_ptr<Shared> shared = std::make_shared<Shared>();

  void ShowProgress();
};

// The whole road of the menu item "업데이트(&U)": fetch with progress, the
// checks, the question, the start of the setup program. True when the
// setup program was started and the program should end.
bool RunUpdate(const UpdateServices& services);

}  // namespace orvel
