#include "platform/gui/tests/showcase/ShowcaseForm.h"

#include <cstdio>

#include "common/FolderList.h"
#include "platform/gui/ShellInfo.h"

namespace showcase {

ShowcaseForm::ShowcaseForm() {
  SetCaption(kCaption);
  // Below the custom-drawn window of the same program (200, 150; 275 x 116).
  SetBounds(8, 282, 760, 430);
  SetAcceptFiles(true);

  mmiFile.SetCaption("파일(&F)");
  mmiExit.SetCaption("종료(&X)");
  mmiExit.OnClick = [this] { Close(); };
  mmiView.SetCaption("보기(&V)");
  mmiReport.SetCaption("자세히(&D)");
  mmiReport.OnClick = [this] { lvFiles.SetViewStyle(gui::ListView::ViewStyle::kReport); };
  mmiList.SetCaption("간단히(&L)");
  mmiList.OnClick = [this] { lvFiles.SetViewStyle(gui::ListView::ViewStyle::kList); };
  SetMenu(&menu);

  tvFolders.SetBounds(4, 4, 220, 260);
  tvFolders.SetImages(&smallIcons);
  tvFolders.OnExpanding = [this](gui::TreeNode* node, bool&) {
    if (node->Count() == 0) LoadFolder(node);
  };
  for (const std::string& drive : common::ListDrives()) {
    const gui::ShellItemInfo info = gui::GetShellInfo(drive, true);
    gui::TreeNode* node = tvFolders.AddNode(nullptr, info.displayName.empty() ? drive : info.displayName);
    node->data = drive;
    node->SetImageIndex(smallIcons.IndexOf(info.icon));
    node->SetHasChildren(true);
  }
  if (tvFolders.RootCount() > 0) {
    gui::TreeNode* first = tvFolders.Root(0);
    LoadFolder(first);
    tvFolders.Expand(first);
    tvFolders.SetSelected(first);
  }

  splitter.SetBounds(224, 4, 4, 260);
  splitter.SetResized(&tvFolders);
  splitter.SetMinSize(80);
  splitter.OnMoved = [this](int moved) {
    lvFiles.SetBounds(lvFiles.Left() + moved, lvFiles.Top(), lvFiles.Width() - moved, lvFiles.Height());
  };

  lvFiles.SetBounds(228, 4, 528, 260);
  lvFiles.SetOwnerData(true);
  lvFiles.SetMultiSelect(true);
  lvFiles.SetRowSelect(true);
  lvFiles.SetDragEnabled(true);
  lvFiles.SetSmallImages(&smallIcons);
  lvFiles.AddColumn({"파일 이름", 200});
  lvFiles.AddColumn({"파일 크기", 90, gui::Align::kRight});
  lvFiles.AddColumn({"상태", 120});
  const int audio = smallIcons.IndexOf(gui::GetShellInfo("track.mp3", false).icon);
  std::vector<gui::ListItem> rows(kRows);
  for (int i = 0; i < kRows; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "track%05d.mp3", i);
    auto& row = rows[static_cast<std::size_t>(i)];
    row.caption = name;
    row.subItems = {std::to_string(3000 + i % 5000) + "k", i % 3 == 0 ? "동기화됨" : ""};
    row.imageIndex = audio;
  }
  rows[2].selected = true;
  lvFiles.SetItems(std::move(rows));
  lvFiles.OnColumnClick = [this](int column) {
    if (lvFiles.Sorted() && lvFiles.SortKey() == column) {
      lvFiles.SetSortAscending(!lvFiles.SortAscending());
    } else {
      lvFiles.SetSortKey(column);
      lvFiles.SetSorted(true);
    }
  };
  lvFiles.OnSelectItem = [this](int, bool) {
    sbMain.SetPanelText(1, std::to_string(lvFiles.SelectedCount()) + " 개체가 선택됨");
  };

  pnlBottom.SetBounds(0, 270, 760, 136);
  pnlBottom.SetBevel(gui::Panel::Bevel::kLowered);
  lbProgress.SetCaption("현재 파일");
  lbProgress.SetBounds(8, 8, 80, 16);
  gaCurrentFile.SetBounds(90, 6, 300, 18);
  gaCurrentFile.SetBarColor(0x000080);
  gaCurrentFile.SetPosition(60);
  tbVolume.SetBounds(90, 32, 300, 30);
  tbVolume.SetRange(0, 10);
  tbVolume.SetPosition(7);
  gbMedia.SetCaption("Media");
  gbMedia.SetBounds(410, 2, 200, 64);
  optBuiltIn.SetCaption("Internal");
  optBuiltIn.SetBounds(10, 20, 80, 20);
  optBuiltIn.SetChecked(true);
  optCard.SetCaption("External");
  optCard.SetBounds(100, 20, 90, 20);
  lbDropped.SetCaption("파일을 이 창에 끌어다 놓으십시오.");
  lbDropped.SetBounds(8, 72, 600, 40);
  lbDropped.SetWordWrap(true);
  btnClose.SetCaption("닫기");
  btnClose.SetBounds(660, 90, 88, 26);
  btnClose.OnClick = [this] { Close(); };

  sbMain.SetBounds(0, 408, 760, 22);
  sbMain.SetPanels({{std::to_string(kRows) + " 개체", 100}, {"", 150}, {"60%", 50, gui::Align::kRight}});

  OnDropFiles = [this](const std::vector<std::string>& paths, gui::Point) {
    std::string text = std::to_string(paths.size()) + " 개 파일:";
    for (const auto& p : paths) text += " " + p;
    lbDropped.SetCaption(text);
    if (OnFilesArrived) OnFilesArrived(paths);
  };
}

void ShowcaseForm::LoadFolder(gui::TreeNode* node) {
  auto entries = common::ListFolder(common::Path(std::u8string(node->data.begin(), node->data.end())));
  if (!entries) return;
  int shown = 0;
  for (const auto& entry : *entries) {
    if (!entry.folder || shown >= 200) continue;
    std::string path = node->data;
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    path += entry.name;
    gui::TreeNode* child = tvFolders.AddNode(node, entry.name);
    child->data = path;
    child->SetImageIndex(smallIcons.IndexOf(gui::GetShellInfo(path, true).icon));
    child->SetHasChildren(true);
    ++shown;
  }
}

}  // namespace showcase
