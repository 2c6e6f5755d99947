// The equalizer window's three preset dialogs: save (133), load (134) and
// delete (135). Each lists the store's names in its order (row i is preset
// i); a double click on a name loads or deletes that preset.
#pragma once

#include "music-player/EqPresets.h"
#include "music-player/PlayerSettings.h"
#include "platform/gui/Button.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Form.h"
#include "platform/gui/Label.h"
#include "platform/gui/ListView.h"

namespace vantu {

inline constexpr char kEmptyPresetName[] = "명칭을 입력 하세요.";
inline constexpr char kPresetNameTooLong[] = "명칭이 너무 깁니다. 255바이트까지 입력할 수 있습니다.";
inline constexpr char kPresetStoreFull[] =
    "Equalizer 설정은 199개까지 저장할 수 있습니다.\n다른 설정을 삭제하거나 있는 명칭으로 저장하세요.";

class CEqPresetDialog : public gui::Form {
 public:
  ~CEqPresetDialog() override { Destroy(); }

  gui::ListView lstNames{this};  // 1004
  gui::Button btnOk{this};       // 1
  gui::Button btnCancel{this};   // 2 "취소"

 protected:
  CEqPresetDialog(CEqPresetStore& store, const char* caption, const char* okCaption, bool nameRow);
  void FillNames();
  CEqPresetStore& store_;
};

class CEqSaveDlg : public CEqPresetDialog {
 public:
  CEqSaveDlg(CEqPresetStore& store, const PlayerSettings& settings);

  gui::Label lblName{this};   // "명칭 :"
  gui::Edit edtName{this};    // 1005, "새이름" at first

 private:
  void Save();
  const PlayerSettings& settings_;
};

class CEqLoadDlg : public CEqPresetDialog {
 public:
  CEqLoadDlg(CEqPresetStore& store, PlayerSettings& settings);
};

class CEqDeleteDlg : public CEqPresetDialog {
 public:
  explicit CEqDeleteDlg(CEqPresetStore& store);
};

}  // namespace vantu
