// The GUI layer's showcase: one window with the standard controls as the
// programs use them (a lazy folder tree, an owner-data list of 10,000 rows,
// bars, option buttons, a menu bar), which takes files dropped from the
// shell. The Wine desktop test runs it and keeps a screenshot.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Button.h"
#include "platform/gui/Form.h"
#include "platform/gui/GroupBox.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/Label.h"
#include "platform/gui/ListView.h"
#include "platform/gui/Menu.h"
#include "platform/gui/Panel.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/RadioButton.h"
#include "platform/gui/Splitter.h"
#include "platform/gui/StatusBar.h"
#include "platform/gui/TrackBar.h"
#include "platform/gui/TreeView.h"

namespace showcase {

inline constexpr char kCaption[] = "GUI Showcase";
inline constexpr int kRows = 10000;

class ShowcaseForm : public gui::Form {
 public:
  ShowcaseForm();
  ~ShowcaseForm() override { Destroy(); }

  // Files dropped on the window, as they arrived.
  std::function<void(const std::vector<std::string>& paths)> OnFilesArrived;

  gui::ImageList smallIcons{16};
  gui::MainMenu menu{this};
  gui::MenuItem mmiFile{&menu};
  gui::MenuItem mmiExit{&mmiFile};
  gui::MenuItem mmiView{&menu};
  gui::MenuItem mmiReport{&mmiView};
  gui::MenuItem mmiList{&mmiView};

  gui::TreeView tvFolders{this};
  gui::Splitter splitter{this};
  gui::ListView lvFiles{this};
  gui::Panel pnlBottom{this};
  gui::Label lbProgress{&pnlBottom};
  gui::ProgressBar gaCurrentFile{&pnlBottom};
  gui::TrackBar tbVolume{&pnlBottom};
  gui::GroupBox gbMedia{&pnlBottom};
  gui::RadioButton optBuiltIn{&gbMedia};
  gui::RadioButton optCard{&gbMedia};
  gui::Label lbDropped{&pnlBottom};
  gui::Button btnClose{&pnlBottom};
  gui::StatusBar sbMain{this};

 private:
  void LoadFolder(gui::TreeNode* node);
};

}  // namespace showcase
