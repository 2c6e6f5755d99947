#include "music-player/EqPresetDialogs.h"

#include "music-player/AnsiText.h"
#include "platform/gui/Application.h"

namespace vantu {

CEqPresetDialog::CEqPresetDialog(CEqPresetStore& store, const char* caption, const char* okCaption, bool nameRow)
    : store_(store) {
  // The save dialog's name row sits above the list; the others start with it.
  const int top = nameRow ? 40 : 10;
  SetCaption(caption);
  SetFont("System", 10);
  SetBorderIcons(true);  // the title bar's close box: the same as "취소"
  SetPosition(Position::kScreenCenter);
  SetClientSize(220, top + 210);
  lstNames.SetViewStyle(gui::ListView::ViewStyle::kList);
  lstNames.SetMultiSelect(false);
  lstNames.SetReadOnly(true);
  lstNames.SetBounds(10, top, 200, 160);
  btnOk.SetCaption(okCaption);
  btnOk.SetBounds(30, top + 172, 75, 26);
  btnOk.SetModalResult(gui::ModalResult::kOk);
  btnCancel.SetCaption("취소");
  btnCancel.SetBounds(115, top + 172, 75, 26);
  btnCancel.SetModalResult(gui::ModalResult::kCancel);
  OnShow = [this] { FillNames(); };
}

void CEqPresetDialog::FillNames() {
  std::vector<gui::ListItem> items;
  for (int i = 0; i < store_.Count(); ++i) items.push_back({AnsiToUtf8(store_.Get(i)->name)});
  lstNames.SetItems(std::move(items));
}

CEqSaveDlg::CEqSaveDlg(CEqPresetStore& store, const PlayerSettings& settings)
    : CEqPresetDialog(store, "Equalizer 저장", "저장", true), settings_(settings) {
  lblName.SetCaption("명칭 :");
  lblName.SetBounds(10, 12, 40, 20);
  edtName.SetText("새이름");
  edtName.SetBounds(55, 10, 155, 22);
  btnOk.SetModalResult(gui::ModalResult::kNone);  // closes only after a save
  btnOk.OnClick = [this] { Save(); };
  Create();
}

void CEqSaveDlg::Save() {
  if (edtName.Text().empty()) {
    gui::App().MessageBox(kEmptyPresetName, Caption());
    return;
  }
  auto preset = std::make_unique<EqPreset>();
  preset->name = Utf8ToAnsi(edtName.Text());
  preset->settings = settings_.GetEqualizerArea();
  switch (store_.AddPreset(std::move(preset))) {
    case CEqPresetStore::AddResult::kAdded:
    case CEqPresetStore::AddResult::kReplaced:
      SetModalResult(gui::ModalResult::kOk);
      return;
    case CEqPresetStore::AddResult::kFull:
      gui::App().MessageBox(kPresetStoreFull, Caption(), gui::Buttons::kOk, gui::MsgIcon::kWarning);
      return;
    case CEqPresetStore::AddResult::kBadName:
      gui::App().MessageBox(kPresetNameTooLong, Caption(), gui::Buttons::kOk, gui::MsgIcon::kWarning);
      return;
  }
}

CEqLoadDlg::CEqLoadDlg(CEqPresetStore& store, PlayerSettings& settings)
    : CEqPresetDialog(store, "Equalizer 읽기", "읽기", false) {
  lstNames.OnDblClick = [this, &settings](int index) {
    const EqPreset* preset = store_.Get(index);
    if (!preset) return;  // no row chosen
    settings.SetEqualizerArea(preset->settings);
    SetModalResult(gui::ModalResult::kOk);
  };
  Create();
}

CEqDeleteDlg::CEqDeleteDlg(CEqPresetStore& store) : CEqPresetDialog(store, "Equalizer 삭제", "삭제", false) {
  lstNames.OnDblClick = [this](int index) {
    if (!store_.Get(index)) return;
    store_.RemovePreset(index);
    SetModalResult(gui::ModalResult::kOk);
  };
  Create();
}

}  // namespace vantu
