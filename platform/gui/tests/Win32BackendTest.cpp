// The Win32 backend under Wine: controls are created as real windows,
// their properties read back through Win32, and real messages (clicks,
// text changes, list notifications, timers, posted and sent messages) reach
// the controls' state and events.
#include <windows.h>
#include <commctrl.h>
#undef MessageBox  // the application's, not the window system's

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/ComboBox.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Form.h"
#include "platform/gui/FormMessageTarget.h"
#include "platform/gui/GroupBox.h"
#include "platform/gui/Label.h"
#include "platform/gui/ListView.h"
#include "platform/gui/Menu.h"
#include "platform/gui/PageControl.h"
#include "platform/gui/Timer.h"
#include "platform/gui/win32/Win32Backend.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui {
namespace {

HWND H(const Control& control) { return static_cast<HWND>(win32::HandleOf(control)); }

std::string Text(HWND hwnd) {
  wchar_t buffer[512] = {};
  GetWindowTextW(hwnd, buffer, 511);
  std::wstring w(buffer);
  return *common::Utf16ToUtf8(std::u16string(w.begin(), w.end()));
}

std::wstring Wide(const std::string& utf8) {
  auto w = *common::Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

class Win32BackendTest : public ::testing::Test {
 protected:
  Win32BackendTest() : app_(win32::CreateWin32Backend(nullptr)) { app_.SetTitle("Test"); }
  Application app_;
};

struct TestForm : Form {
  TestForm() {
    SetCaption("설정 Test");
    SetClientSize(400, 300);
    pages.SetBounds(8, 8, 380, 240);
    first.SetCaption("Orvel 설정");
    second.SetCaption("Autosync 리스트");
    pages.SetActivePage(&first);
    group.SetCaption("Server 설정");
    group.SetBounds(8, 8, 300, 120);
    label.SetCaption("서버선택");
    label.SetBounds(10, 20, 80, 16);
    edit.SetBounds(100, 20, 150, 22);
    box.SetCaption("자동 로그인");
    box.SetBounds(10, 50, 150, 18);
    combo.SetBounds(100, 80, 150, 22);
    list.SetBounds(4, 4, 360, 200);
    list.SetCheckBoxes(true);
    list.SetRowSelect(true);
    list.AddColumn({"체널 이름", 120, Align::kLeft});
    list.AddColumn({"회차", 40, Align::kRight});
    ok.SetCaption("확인");
    ok.SetBounds(300, 260, 80, 25);
  }
  ~TestForm() override { Destroy(); }
  PageControl pages{this};
  TabSheet first{&pages};
  TabSheet second{&pages};
  GroupBox group{&first};
  Label label{&group};
  Edit edit{&group};
  CheckBox box{&group};
  ComboBox combo{&group};
  ListView list{&second};
  Button ok{this};
};

TEST_F(Win32BackendTest, PropertiesReachTheRealControls) {
  TestForm form;
  form.Create();
  ASSERT_NE(H(form), nullptr);
  EXPECT_EQ(Text(H(form)), "설정 Test");
  EXPECT_EQ(Text(H(form.label)), "서버선택");
  EXPECT_EQ(Text(H(form.box)), "자동 로그인");
  EXPECT_EQ(Text(H(form.group)), "Server 설정");
  EXPECT_EQ(TabCtrl_GetItemCount(H(form.pages)), 2);
  EXPECT_EQ(TabCtrl_GetCurSel(H(form.pages)), 0);
  form.second.SetTabVisible(false);
  EXPECT_EQ(TabCtrl_GetItemCount(H(form.pages)), 1);
  form.second.SetTabVisible(true);

  form.edit.SetText("teska01");
  EXPECT_EQ(Text(H(form.edit)), "teska01");
  form.edit.SetPasswordChar('*');
  EXPECT_EQ(SendMessageW(H(form.edit), EM_GETPASSWORDCHAR, 0, 0), '*');
  form.box.SetChecked(true);
  EXPECT_EQ(SendMessageW(H(form.box), BM_GETCHECK, 0, 0), BST_CHECKED);
  form.ok.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(H(form.ok)));

  form.combo.AddItem("Busan");
  form.combo.AddItem("서울");
  form.combo.SetItemIndex(1);
  EXPECT_EQ(SendMessageW(H(form.combo), CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(H(form.combo), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(Text(H(form.combo)), "서울");
  form.combo.ClearItems();
  EXPECT_EQ(SendMessageW(H(form.combo), CB_GETCOUNT, 0, 0), 0);

  form.list.SetSortedByCaption(true);
  form.list.AddItem({"나", {"2"}});
  form.list.AddItem({"가", {"1"}, true});
  HWND list = H(form.list);
  ASSERT_EQ(ListView_GetItemCount(list), 2);
  wchar_t cell[64] = {};
  ListView_GetItemText(list, 0, 0, cell, 63);
  EXPECT_EQ(std::wstring(cell), Wide("가"));
  ListView_GetItemText(list, 1, 1, cell, 63);
  EXPECT_EQ(std::wstring(cell), L"2");
  EXPECT_TRUE(ListView_GetCheckState(list, 0));
  EXPECT_FALSE(ListView_GetCheckState(list, 1));
  form.list.DeleteItem(0);
  EXPECT_EQ(ListView_GetItemCount(list), 1);
}

TEST_F(Win32BackendTest, RealMessagesDriveTheEvents) {
  TestForm form;
  int clicks = 0, changes = 0, toggles = 0, checked = -1, pageChanges = 0;
  form.ok.OnClick = [&] { ++clicks; };
  form.edit.OnChange = [&] { ++changes; };
  form.box.OnClick = [&] { ++toggles; };
  form.list.OnItemChecked = [&](int i) { checked = i; };
  form.pages.OnChange = [&] { ++pageChanges; };
  form.Show();
  app_.ProcessMessages();

  SendMessageW(H(form.ok), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  SetWindowTextW(H(form.edit), L"abc");
  EXPECT_EQ(form.edit.Text(), "abc");
  EXPECT_EQ(changes, 1);
  form.edit.SetText("code");  // from code: no event
  EXPECT_EQ(changes, 1);
  SendMessageW(H(form.box), BM_CLICK, 0, 0);
  EXPECT_TRUE(form.box.Checked());
  EXPECT_EQ(toggles, 1);
  form.ok.SetEnabled(false);
  SendMessageW(H(form.ok), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1) << "a disabled button is not clicked";

  // The user picks the second page.
  TabCtrl_SetCurSel(H(form.pages), 1);
  NMHDR change{H(form.pages), static_cast<UINT_PTR>(GetDlgCtrlID(H(form.pages))), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(GetParent(H(form.pages)), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
  EXPECT_EQ(form.pages.ActivePage(), &form.second);
  EXPECT_EQ(pageChanges, 1);
  EXPECT_TRUE(IsWindowVisible(H(form.second)));
  EXPECT_FALSE(IsWindowVisible(H(form.first)));

  form.list.AddItem({"row", {}});
  ListView_SetCheckState(H(form.list), 0, TRUE);
  EXPECT_TRUE(form.list.Item(0).checked);
  EXPECT_EQ(checked, 0);
  ListView_SetItemState(H(form.list), 0, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(form.list.SelectedIndex(), 0);

  PostMessageW(H(form), WM_CLOSE, 0, 0);
  app_.ProcessMessages();
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(IsWindowVisible(H(form)));
}

TEST_F(Win32BackendTest, MouseOnTheFormsOwnSurfaceAndMinimise) {
  Form form;
  form.SetClientSize(300, 200);
  Button button(&form);
  button.SetBounds(10, 10, 80, 25);
  std::vector<MouseEvent> moves, downs, ups;
  form.OnMouseMove = [&](const MouseEvent& e) { moves.push_back(e); };
  form.OnMouseDown = [&](const MouseEvent& e) { downs.push_back(e); };
  form.OnMouseUp = [&](const MouseEvent& e) { ups.push_back(e); };
  app_.SetMainForm(&form);
  int minimised = 0, restored = 0;
  app_.OnMinimize = [&] { ++minimised; };
  app_.OnRestore = [&] { ++restored; };
  form.Show();
  app_.ProcessMessages();

  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  POINT native{150, 120};
  SendMessageW(H(form), WM_MOUSEMOVE, 0, MAKELPARAM(native.x, native.y));
  SendMessageW(H(form), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(native.x, native.y));
  SendMessageW(H(form), WM_LBUTTONUP, 0, MAKELPARAM(native.x + 3, native.y));
  ASSERT_EQ(moves.size(), 1u);
  ASSERT_EQ(downs.size(), 1u);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(moves[0].client.x, MulDiv(150, 96, dpi)) << "logical pixels, as the form's bounds";
  EXPECT_EQ(moves[0].client.y, MulDiv(120, 96, dpi));
  ClientToScreen(H(form), &native);
  EXPECT_EQ(moves[0].screen.x, MulDiv(native.x, 96, dpi));
  EXPECT_EQ(moves[0].screen.y, MulDiv(native.y, 96, dpi));
  EXPECT_EQ(downs[0].keys, mouse_keys::kLeftButton | mouse_keys::kControl);
  EXPECT_EQ(ups[0].client.x, MulDiv(153, 96, dpi));

  // The button's window keeps its own mouse; a disabled form takes none.
  SendMessageW(H(button), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  form.SetEnabled(false);
  SendMessageW(H(form), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  form.SetEnabled(true);
  EXPECT_EQ(moves.size(), 1u);

  form.Minimize();
  app_.ProcessMessages();
  EXPECT_TRUE(IsIconic(H(form)));
  EXPECT_TRUE(form.Minimized());
  EXPECT_EQ(minimised, 1);
  form.BringToFront();
  app_.ProcessMessages();
  EXPECT_FALSE(IsIconic(H(form)));
  EXPECT_FALSE(form.Minimized());
  EXPECT_EQ(restored, 1);
  form.Hide();
  form.Minimize();
  EXPECT_FALSE(IsWindowVisible(H(form))) << "a hidden form is not shown minimised";
  app_.SetMainForm(nullptr);
  app_.OnMinimize = nullptr;
  app_.OnRestore = nullptr;
  form.Destroy();
}

TEST_F(Win32BackendTest, TimersNumberedMessagesAndWorkerReports) {
  Form form;
  form.Create();
  std::vector<std::pair<std::uintptr_t, std::intptr_t>> seen;
  const auto gui = std::this_thread::get_id();
  bool onGui = true;
  form.SetMessageHandler(WM_USER + 101, [&](std::uintptr_t w, std::intptr_t l) -> std::intptr_t {
    onGui = onGui && std::this_thread::get_id() == gui;
    seen.emplace_back(w, l);
    return 5;
  });
  app_.Post(form, 1125, 9, 9);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(SendMessageW(H(form), 1125, 1, 2), 5) << "the number reaches the real window";
  app_.ProcessMessages();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], (std::pair<std::uintptr_t, std::intptr_t>{9, 9}));

  Timer timer(&form);
  int ticks = 0;
  timer.SetInterval(20);
  timer.OnTimer = [&] { ++ticks; };
  timer.SetEnabled(true);
  app_.Sleep(200);
  timer.SetEnabled(false);
  EXPECT_GE(ticks, 2);

  FormMessageTarget target(form);
  std::atomic<std::intptr_t> answer = 0;
  std::thread worker([&] { answer = target.Send(1125, 2, 0); });
  while (answer == 0) app_.Sleep(5);
  worker.join();
  EXPECT_EQ(answer, 5);
  EXPECT_TRUE(onGui);
}

TEST_F(Win32BackendTest, ModalRunEndsOnAButtonsModalResult) {
  Form dialog;
  Button ok(&dialog);
  ok.SetModalResult(ModalResult::kOk);
  ok.SetBounds(10, 10, 80, 25);
  Timer press(&dialog);
  press.SetInterval(30);
  press.OnTimer = [&] {
    press.SetEnabled(false);
    PostMessageW(H(ok), BM_CLICK, 0, 0);
  };
  press.SetEnabled(true);
  EXPECT_EQ(dialog.ShowModal(), ModalResult::kOk);
  EXPECT_FALSE(IsWindowVisible(H(dialog)));
  dialog.Destroy();
}

TEST_F(Win32BackendTest, PopupMenuIsBuiltFromTheItems) {
  Form form;
  form.Create();
  PopupMenu menu(&form);
  MenuItem a(&menu), sep(&menu), b(&menu);
  a.SetCaption("&Config");
  sep.SetCaption("-");
  b.SetCaption("&Exit");
  bool chosen = false;
  b.OnClick = [&] { chosen = true; };
  // Close the menu with Escape as soon as it shows: nothing is chosen.
  Timer escape(&form);
  escape.SetInterval(50);
  escape.OnTimer = [&] {
    escape.SetEnabled(false);
    if (HWND popup = FindWindowW(L"#32768", nullptr)) {
      auto handle = reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
      EXPECT_EQ(GetMenuItemCount(handle), 3);
    }
    EndMenu();
  };
  escape.SetEnabled(true);
  menu.Popup({10, 10});
  EXPECT_FALSE(chosen);
  EXPECT_EQ(menu.PopupCount(), 1);
}

// The text a tool tip holds for a control's window, or nullopt when the
// window is no tool of its top-level window's tool tip.
std::optional<std::string> TipText(const Control& control, const Form& form) {
  HWND tip = win32::ToolTipOf(H(form), false);
  if (!tip) return std::nullopt;
  wchar_t buffer[256] = {};
  TTTOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.hwnd = H(form);
  info.uId = reinterpret_cast<UINT_PTR>(H(control));
  info.lpszText = buffer;
  if (!SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info))) return std::nullopt;
  SendMessageW(tip, TTM_GETTEXTW, 255, reinterpret_cast<LPARAM>(&info));
  std::wstring w(buffer);
  return *common::Utf16ToUtf8(std::u16string(w.begin(), w.end()));
}

TEST_F(Win32BackendTest, HintsAreTheToolTipsOfTheirControls) {
  TestForm form;
  form.ok.SetHint("플래쉬 메모리로 전송");  // set before the window exists
  form.Create();
  EXPECT_EQ(TipText(form.ok, form), "플래쉬 메모리로 전송");
  EXPECT_EQ(TipText(form.edit, form), std::nullopt);
  // A label's hint changes with its text, and the label takes the mouse.
  form.label.SetHint("전송 중");
  form.label.SetHint("전송 완료");
  EXPECT_EQ(TipText(form.label, form), "전송 완료");
  EXPECT_NE(GetWindowLongPtrW(H(form.label), GWL_STYLE) & SS_NOTIFY, 0);
  form.ok.SetHint("");
  EXPECT_EQ(TipText(form.ok, form), std::nullopt);
}

TEST_F(Win32BackendTest, EnterInAMessageBoxPressesItsDefaultButton) {
  const struct {
    Buttons buttons;
    DefaultButton which;
    int id;
  } cases[] = {{Buttons::kOkCancel, DefaultButton::kSecond, IDCANCEL},
               {Buttons::kOkCancel, DefaultButton::kFirst, IDOK},
               {Buttons::kYesNoCancel, DefaultButton::kThird, IDCANCEL}};
  for (const auto& c : cases) {
    std::thread enter([&] {
      for (int i = 0; i < 200; ++i) {
        if (HWND box = FindWindowW(nullptr, L"Default Test")) {
          PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
          PostMessageW(box, WM_KEYUP, VK_RETURN, 0);
          return;
        }
        Sleep(25);
      }
    });
    const ModalResult answer = app_.MessageBox("Do you really?", "Default Test", c.buttons, MsgIcon::kQuestion, c.which);
    enter.join();
    EXPECT_EQ(static_cast<int>(answer), c.id);
  }
}

}  // namespace
}  // namespace gui
