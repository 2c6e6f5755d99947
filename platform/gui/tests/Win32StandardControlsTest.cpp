// The standard controls on the Win32 backend under Wine: an owner-data
// list of 10,000 rows, lazy tree nodes, bars, option buttons, files
// dropped with WM_DROPFILES, shell information and a folder watch, each
// read back through Win32 and driven with real messages.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "platform/gui/FolderWatch.h"
#include "platform/gui/Form.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ListView.h"
#include "platform/gui/Menu.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/RadioButton.h"
#include "platform/gui/ShellInfo.h"
#include "platform/gui/StatusBar.h"
#include "platform/gui/TrackBar.h"
#include "platform/gui/TreeView.h"
#include "platform/gui/tests/Win32TestSupport.h"
#include "platform/gui/win32/Win32Backend.h"

namespace gui {
namespace {

using testing::DropBlock;

HWND H(const Control& control) { return static_cast<HWND>(win32::HandleOf(control)); }

std::wstring Wide(const std::string& utf8) {
  auto w = *common::Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

std::wstring Cell(HWND list, int row, int column) {
  wchar_t text[128] = {};
  ListView_GetItemText(list, row, column, text, 127);
  return text;
}

class Win32StandardControlsTest : public ::testing::Test {
 protected:
  Win32StandardControlsTest() : app_(win32::CreateWin32Backend(nullptr)) { app_.SetTitle("Test"); }
  Application app_;
};

struct ListForm : Form {
  ListForm() {
    SetClientSize(500, 400);
    files.SetBounds(0, 0, 480, 380);
    files.SetOwnerData(true);
    files.SetMultiSelect(true);
    files.SetRowSelect(true);
    files.AddColumn({"Name", 200});
    files.AddColumn({"Size", 80, Align::kRight});
    std::vector<ListItem> rows(10000);
    for (int i = 0; i < 10000; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "track%05d.mp3", i);
      rows[static_cast<std::size_t>(i)] = ListItem{name, {std::to_string(i) + " KB"}, false, false, 0};
    }
    files.SetItems(std::move(rows));
    images.Add(Icon{"shell:audio"});
    files.SetSmallImages(&images);
  }
  ~ListForm() override { Destroy(); }
  ImageList images{16};
  ListView files{this};
};

TEST_F(Win32StandardControlsTest, OwnerDataListServesTenThousandRowsFromTheModel) {
  ListForm form;
  int columnClicks = -1;
  form.files.OnColumnClick = [&](int column) { columnClicks = column; };
  form.Show();
  app_.ProcessMessages();
  HWND list = H(form.files);
  EXPECT_EQ(ListView_GetItemCount(list), 10000);
  EXPECT_EQ(Cell(list, 9999, 0), L"track09999.mp3");
  EXPECT_EQ(Cell(list, 42, 1), L"42 KB");
  EXPECT_NE(ListView_GetImageList(list, LVSIL_SMALL), nullptr);
  EXPECT_EQ(ImageList_GetImageCount(ListView_GetImageList(list, LVSIL_SMALL)), 1);

  // The user selects rows in the native control.
  ListView_SetItemState(list, 5000, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(list, 7, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(form.files.SelectedIndexes(), (std::vector<int>{7, 5000}));
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  EXPECT_EQ(form.files.SelectedCount(), 0) << "clearing every row at once reaches the model";

  // Sorting descending by name from code; the native rows follow.
  form.files.SetSortAscending(false);
  form.files.SetSorted(true);
  EXPECT_EQ(ListView_GetItemCount(list), 10000);
  EXPECT_EQ(Cell(list, 0, 0), L"track09999.mp3");

  // A header click.
  NMLISTVIEW click{};
  click.hdr = NMHDR{list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), static_cast<UINT>(LVN_COLUMNCLICK)};
  click.iItem = -1;
  click.iSubItem = 1;
  SendMessageW(GetParent(list), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(columnClicks, 1);

  // Geometry and the drop mark come from the real control.
  const int row = form.files.HitTest(form.files.ItemPoint(3));
  EXPECT_EQ(row, 3);
  form.files.SetDropHighlight(3);
  EXPECT_EQ(ListView_GetItemState(list, 3, LVIS_DROPHILITED), static_cast<UINT>(LVIS_DROPHILITED));
  form.files.SetDropHighlight(-1);
  EXPECT_EQ(ListView_GetItemState(list, 3, LVIS_DROPHILITED), 0u);

  form.files.SetViewStyle(ListView::ViewStyle::kList);
  EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_LIST);
}

TEST_F(Win32StandardControlsTest, NativeExpandLoadsLazyChildrenAndSelectionReachesTheForm) {
  Form form;
  TreeView tree(&form);
  tree.SetBounds(0, 0, 200, 300);
  TreeNode* drive = tree.AddNode(nullptr, "C:");
  drive->SetHasChildren(true);
  TreeNode* empty = tree.AddNode(nullptr, "D:");
  empty->SetHasChildren(true);
  tree.OnExpanding = [&](TreeNode* node, bool&) {
    if (node == drive && node->Count() == 0) {
      tree.AddNode(node, "Music");
      tree.AddNode(node, "음악");
    }
  };
  std::vector<std::string> selected;
  tree.OnChange = [&](TreeNode* node) { selected.push_back(node ? node->Text() : ""); };
  form.Show();
  app_.ProcessMessages();
  HWND h = H(tree);
  ASSERT_EQ(TreeView_GetCount(h), 2u);
  HTREEITEM first = TreeView_GetRoot(h);
  TreeView_Expand(h, first, TVE_EXPAND);
  EXPECT_TRUE(drive->Expanded());
  EXPECT_EQ(TreeView_GetCount(h), 4u);
  EXPECT_TRUE(TreeView_GetItemState(h, first, TVIS_EXPANDED) & TVIS_EXPANDED);

  HTREEITEM second = TreeView_GetNextSibling(h, first);
  TreeView_Expand(h, second, TVE_EXPAND);
  EXPECT_FALSE(empty->HasChildren()) << "nothing loaded: the button goes";
  TVITEMW item{};
  item.mask = TVIF_CHILDREN;
  item.hItem = second;
  TreeView_GetItem(h, &item);
  EXPECT_EQ(item.cChildren, 0);

  HTREEITEM music = TreeView_GetChild(h, first);
  TreeView_SelectItem(h, TreeView_GetNextSibling(h, music));
  EXPECT_EQ(tree.Selected(), drive->Child(1));
  EXPECT_EQ(selected, (std::vector<std::string>{"음악"}));
  tree.SetSelected(drive);
  EXPECT_EQ(TreeView_GetSelection(h), first) << "from code: no event";
  EXPECT_EQ(selected.size(), 1u);
  tree.DeleteNode(drive->Child(0));
  EXPECT_EQ(TreeView_GetCount(h), 3u);
  form.Destroy();
}

TEST_F(Win32StandardControlsTest, BarsAndOptionButtonsFollowTheModelAndTheUser) {
  Form form;
  ProgressBar gauge(&form);
  TrackBar volume(&form);
  StatusBar status(&form);
  RadioButton internal(&form), external(&form);
  gauge.SetRange(0, 300);
  gauge.SetPosition(140);
  volume.SetRange(0, 50);
  status.SetPanels({{"3 개체", 100}, {"", 100}, {"Remain", 50, Align::kRight}});
  internal.SetBounds(10, 100, 100, 20);
  external.SetBounds(10, 130, 100, 20);
  internal.SetChecked(true);
  int moves = 0, clicks = 0;
  volume.OnChange = [&] { ++moves; };
  external.OnClick = [&] { ++clicks; };
  form.Show();
  app_.ProcessMessages();
  EXPECT_EQ(SendMessageW(H(gauge), PBM_GETPOS, 0, 0), 140);
  EXPECT_EQ(SendMessageW(H(gauge), PBM_GETRANGE, FALSE, 0), 300);
  gauge.SetPosition(300);
  EXPECT_EQ(SendMessageW(H(gauge), PBM_GETPOS, 0, 0), 300);

  EXPECT_EQ(SendMessageW(H(status), SB_GETPARTS, 0, 0), 3);
  wchar_t text[64] = {};
  SendMessageW(H(status), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::wstring(text), Wide("3 개체"));
  status.SetPanelText(1, "120 CPS");
  SendMessageW(H(status), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::wstring(text), L"120 CPS");

  SendMessageW(H(volume), TBM_SETPOS, TRUE, 30);
  SendMessageW(H(form), WM_HSCROLL, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(H(volume)));
  EXPECT_EQ(volume.Position(), 30);
  EXPECT_EQ(moves, 1);

  SendMessageW(H(external), BM_CLICK, 0, 0);
  EXPECT_TRUE(external.Checked());
  EXPECT_FALSE(internal.Checked());
  EXPECT_EQ(SendMessageW(H(internal), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(clicks, 1);
  form.Destroy();
}

TEST_F(Win32StandardControlsTest, FilesDroppedFromTheShellReachTheControlThatTakesThem) {
  Form form;
  ListView list(&form);
  list.SetBounds(0, 0, 200, 200);
  list.SetAcceptFiles(true);
  std::vector<std::string> got;
  Point where;
  list.OnDropFiles = [&](const std::vector<std::string>& paths, Point at) {
    got = paths;
    where = at;
  };
  form.Show();
  app_.ProcessMessages();
  EXPECT_TRUE(GetWindowLongPtrW(H(list), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  SendMessageW(H(list), WM_DROPFILES, reinterpret_cast<WPARAM>(DropBlock({L"C:\\음악\\a.mp3", L"C:\\b.mp3"}, {20, 30})), 0);
  EXPECT_EQ(got, (std::vector<std::string>{"C:\\음악\\a.mp3", "C:\\b.mp3"}));
  EXPECT_EQ(where.x, MulDiv(20, 96, GetDeviceCaps(GetDC(nullptr), LOGPIXELSX)));
  list.SetAcceptFiles(false);
  EXPECT_FALSE(GetWindowLongPtrW(H(list), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  form.Destroy();
}

TEST_F(Win32StandardControlsTest, ShellInfoAndFolderWatchOnARealFolder) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path folder = std::filesystem::path(temp) / L"gui-watch-test";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string folderText = *common::Utf16ToUtf8(folder.u16string());

  const ShellItemInfo info = GetShellInfo(folderText, true);
  EXPECT_EQ(info.displayName, "gui-watch-test");
  EXPECT_EQ(info.icon.resource.rfind("shell:", 0), 0u);
  ImageList images;
  images.Add(info.icon);
  images.Add(Icon{"shell:audio"});

  Form form;
  ListView list(&form);
  list.SetSmallImages(&images);
  form.Create();
  EXPECT_EQ(ImageList_GetImageCount(ListView_GetImageList(H(list), LVSIL_SMALL)), 2);

  FolderWatch watch(&form);
  int changes = 0;
  watch.OnChange = [&] { ++changes; };
  watch.SetFolder(folderText);
  watch.SetActive(true);
  HANDLE file = CreateFileW((folder / L"new.mp3").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  const ULONGLONG end = GetTickCount64() + 10000;
  while (changes == 0 && GetTickCount64() < end) app_.Sleep(20);
  EXPECT_GE(changes, 1) << "the new file was reported on the GUI thread";
  watch.SetActive(false);
  form.Destroy();
  std::filesystem::remove_all(folder);
}

TEST_F(Win32StandardControlsTest, RightClicksReachTheControlWithItsScreenPoint) {
  Form form;
  form.SetBounds(0, 0, 300, 200);
  ListView list(&form);
  list.SetBounds(20, 30, 200, 100);
  Point seen{-1, -1};
  list.OnContextPopup = [&](Point at, bool& handled) {
    seen = at;
    handled = true;
  };
  form.Show();
  app_.ProcessMessages();
  const Point corner = list.ClientToScreen({0, 0});
  POINT native{0, 0};
  ClientToScreen(H(list), &native);
  EXPECT_EQ(corner.x, MulDiv(native.x, 96, GetDeviceCaps(GetDC(nullptr), LOGPIXELSX)));
  SendMessageW(H(list), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(H(list)), MAKELPARAM(native.x + 10, native.y + 5));
  EXPECT_EQ(seen.y, list.ClientToScreen({0, 5}).y);
  SendMessageW(H(list), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(H(list)), MAKELPARAM(-1, -1));
  EXPECT_EQ(seen.x, corner.x) << "the menu key opens at the control's corner";
  form.Destroy();
}

TEST_F(Win32StandardControlsTest, MenuBarDropDownsFollowTheItemsAndClicksReachThem) {
  Form form;
  MainMenu menu(&form);
  MenuItem file(&menu), transfer(&menu);
  file.SetCaption("파일(&F)");
  transfer.SetCaption("전송(&S)");
  MenuItem format(&file), separator(&file), exit(&file);
  format.SetCaption("포맷하기");
  separator.SetCaption("-");
  exit.SetCaption("종료(&X)");
  MenuItem download(&transfer);
  download.SetCaption("파일다운로드(&D)");
  int exits = 0;
  exit.OnClick = [&] { ++exits; };
  form.SetClientSize(300, 200);
  form.SetMenu(&menu);
  form.Show();
  app_.ProcessMessages();
  HMENU bar = GetMenu(H(form));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetMenuItemCount(bar), 2);
  RECT client{};
  GetClientRect(H(form), &client);
  EXPECT_EQ(client.bottom, MulDiv(200, GetDeviceCaps(GetDC(nullptr), LOGPIXELSX), 96)) << "the bar is outside the client area";

  format.SetEnabled(false);
  HMENU drop = GetSubMenu(bar, 0);
  SendMessageW(H(form), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(drop), 0);
  ASSERT_EQ(GetMenuItemCount(drop), 3);
  EXPECT_TRUE(GetMenuState(drop, 0, MF_BYPOSITION) & MF_GRAYED);
  const UINT exitId = GetMenuItemID(drop, 2);
  SendMessageW(H(form), WM_COMMAND, MAKEWPARAM(exitId, 0), 0);
  EXPECT_EQ(exits, 1);
  exit.SetVisible(false);
  SendMessageW(H(form), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(drop), 0);
  EXPECT_EQ(GetMenuItemCount(drop), 2) << "a hidden item leaves the drop-down";
  form.SetMenu(nullptr);
  EXPECT_EQ(GetMenu(H(form)), nullptr);
  form.Destroy();
}

TEST_F(Win32StandardControlsTest, KeysInAnOwnerDataListReachTheListNotTheMenu) {
  // A window whose first menu command is a title of its own, as "My PC"'s
  // settings: Enter in its list is the list's.
  ListForm form;
  MainMenu menu(&form);
  MenuItem settings(&menu);
  settings.SetCaption("설정(&O)");
  int settingsClicks = 0;
  settings.OnClick = [&] { ++settingsClicks; };
  std::vector<int> keysSeen;
  form.files.OnKeyDown = [&](int& key) { keysSeen.push_back(key); };
  form.SetMenu(&menu);
  form.Show();
  app_.ProcessMessages();
  HWND list = H(form.files);
  SetFocus(list);
  form.files.SetSelected(20, true);
  PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
  app_.ProcessMessages();
  EXPECT_EQ(settingsClicks, 0) << "Enter is no menu command";
  EXPECT_NE(std::find(keysSeen.begin(), keysSeen.end(), VK_RETURN), keysSeen.end()) << "the list handles Enter";

  // Typing searches the rows by caption from the focused row on.
  ListView_SetItemState(list, 5, LVIS_FOCUSED, LVIS_FOCUSED);
  EXPECT_EQ(form.files.FocusedIndex(), 5);
  SendMessageW(list, WM_CHAR, L'T', 1);  // a key's repeat count, as the keyboard sends it
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 6);
  EXPECT_EQ(form.files.FocusedIndex(), 6);
  EXPECT_TRUE(form.files.Item(6).selected);
  EXPECT_EQ(form.files.SelectedCount(), 1);

  // A list that starts over has no focused row and shows its first row.
  ListView_EnsureVisible(list, 9000, FALSE);
  ListView_SetItemState(list, 9000, LVIS_FOCUSED, LVIS_FOCUSED);
  form.files.ResetView();
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), -1);
  EXPECT_EQ(form.files.FocusedIndex(), -1);
  EXPECT_EQ(ListView_GetTopIndex(list), 0);
  form.Destroy();
}

}  // namespace
}  // namespace gui
