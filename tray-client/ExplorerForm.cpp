#include "tray-client/ExplorerForm.h"

#include <filesystem>
#include <system_error>

#include "platform/gui/Application.h"
#include "tray-client/ConfForm.h"
#include "tray-client/OrvelEnvironment.h"

namespace orvel {

TfrmExplorer* frmExplorer = nullptr;

TfrmExplorer::TfrmExplorer() {
  frmExplorer = this;
  SetCaption("My PC");
  SetClientSize(640, 420);
  SetSizeable(true);
  SetPosition(Position::kScreenCenter);
  pnlSync.SetCaption("Tarnel채널");
  pnlSync.SetBounds(8, 8, 624, 404);
  btnSync.SetCaption(" 싱크하기");
  btnSync.SetBounds(12, 22, 90, 25);
  btnSync.OnClick = [this] { btnSyncClick(); };
  lvSyncList.SetBounds(12, 54, 600, 340);
  lvSyncList.SetCheckBoxes(true);
  lvSyncList.SetReadOnly(true);
  lvSyncList.AddColumn({"파일 이름", 100, gui::Align::kLeft});
  lvSyncList.AddColumn({"위치", 50, gui::Align::kLeft});
  lvSyncList.AddColumn({"파일 크기", 70, gui::Align::kRight});
  lvSyncList.AddColumn({"파일 경로", 200, gui::Align::kLeft});
  OnCreate = [this] { FormCreate(); };
  Create();
}

TfrmExplorer::~TfrmExplorer() {
  Destroy();
  if (frmExplorer == this) frmExplorer = nullptr;
}

void TfrmExplorer::FormCreate() {
  std::error_code error;
  std::filesystem::create_directories(Environment().programFolder / "LocalSync", error);
  if (frmConfig && frmConfig->cbLocalOnly.Checked()) Show();
}

void TfrmExplorer::btnSyncClick() {
  bool any = false;
  for (const auto& row : lvSyncList.Items()) any = any || row.checked;
  if (!any) {
    gui::App().MessageBox("싱크하실 파일을 선택해 주세요.", "파일 선택", gui::Buttons::kOk, gui::MsgIcon::kError);
  }
}

}  // namespace orvel
