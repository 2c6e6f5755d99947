#include "platform/gui/win32/Win32Backend.h"
#include "platform/gui/win32/Win32Peer.h"
#include "platform/gui/win32/Win32CopyData.h"
#include "platform/gui/win32/Win32CustomWindow.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/ComboBox.h"
#include "platform/gui/CustomWindow.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Form.h"
#include "platform/gui/GroupBox.h"
#include "platform/gui/Image.h"
#include "platform/gui/Label.h"
#include "platform/gui/ListView.h"
#include "platform/gui/Memo.h"
#include "platform/gui/Menu.h"
#include "platform/gui/PageControl.h"
#include "platform/gui/Panel.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/RadioButton.h"
#include "platform/gui/Splitter.h"
#include "platform/gui/StatusBar.h"
#include "platform/gui/Timer.h"
#include "platform/gui/TrackBar.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/TreeView.h"
#include "platform/gui/win32/ShellWin32.h"

namespace gui::win32 {

HINSTANCE instance = nullptr;
HWND appWindow = nullptr;
int dpi = 96;

namespace {

constexpr UINT kWakeMessage = WM_APP + 1;
constexpr UINT kTrayMessage = WM_APP + 2;
constexpr UINT kPostedMessage = WM_APP + 3;
constexpr wchar_t kAppClass[] = L"GuiApp";

HWND WindowOf(const Control& control);
// --- forms and page panels --------------------------------------------------

class FormPeer : public Win32Peer {
 public:
  explicit FormPeer(Form& form) : Win32Peer(form), form_(form) {
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    if (form.BorderIcons()) style |= WS_SYSMENU | WS_MINIMIZEBOX;
    if (form.Sizeable()) style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
    // Frameless: a pop-up without caption or border; the system menu and
    // minimise box give it the task bar's minimise and restore.
    if (form.Frameless()) style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
    style_ = style;
    RECT r = ClientToWindow();
    int x = S(form.Left()), y = S(form.Top());
    if (form.position() == Form::Position::kScreenCenter) {
      RECT work{};
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
      x = work.left + ((work.right - work.left) - (r.right - r.left)) / 2;
      y = work.top + ((work.bottom - work.top) - (r.bottom - r.top)) / 2;
    }
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT | (form.Frameless() ? WS_EX_APPWINDOW : 0), kFormClass,
                            W(form.Caption()).c_str(), style, x, y,
                            r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    SetPropW(hwnd_, kPeerProperty, this);
    if (!form.FontName().empty()) {
      LOGFONTW lf{};
      lf.lfHeight = -MulDiv(form.FontSize(), dpi, 72);
      lf.lfCharSet = DEFAULT_CHARSET;
      wcsncpy(lf.lfFaceName, W(form.FontName()).c_str(), LF_FACESIZE - 1);
      font_ = CreateFontIndirectW(&lf);
    } else {
      NONCLIENTMETRICSW metrics{};
      metrics.cbSize = sizeof(metrics);
      SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
      font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    }
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (form.AcceptFiles()) DragAcceptFiles(hwnd_, TRUE);
    ApplyMenu();
  }
  ~FormPeer() override {
    if (hwnd_) {
      RemovePropW(hwnd_, kPeerProperty);
      DestroyWindow(hwnd_);
      hwnd_ = nullptr;
    }
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (Reflect(message, wParam, lParam, result)) return result;
    switch (message) {
      case WM_CLOSE: form_.UserClose(); return 0;
      // The mouse over the form's own surface (controls have windows of
      // their own).
      case WM_MOUSEMOVE: form_.UserMouseMove(Mouse(wParam, lParam)); return 0;
      case WM_LBUTTONDOWN: form_.UserMouseDown(Mouse(wParam, lParam)); return 0;
      case WM_LBUTTONUP: form_.UserMouseUp(Mouse(wParam, lParam)); return 0;
      case WM_DROPFILES: DropFiles(form_, hwnd_, reinterpret_cast<HDROP>(wParam)); return 0;
      case WM_COPYDATA: return DeliverCopyData(form_, lParam);
      case WM_ERASEBKGND:
        if (PaintFormBackground(hwnd_, reinterpret_cast<HDC>(wParam))) return 1;
        break;
      case WM_CTLCOLORSTATIC:
        if (StaticColors(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam), result)) return result;
        break;
      case WM_NCHITTEST:
        // A frameless form's own surface is its caption: dragging it moves
        // the window (controls have windows of their own).
        if (form_.Frameless()) {
          result = DefWindowProcW(hwnd_, message, wParam, lParam);
          return result == HTCLIENT ? HTCAPTION : result;
        }
        break;
      case WM_MOVE:
        if (form_.Frameless() && !updating_) {
          RECT r{};
          GetWindowRect(hwnd_, &r);
          form_.UserMove(Unscale(r.left), Unscale(r.top));
        }
        break;
      case WM_SETCURSOR:
        if (ShowBusyCursor()) return TRUE;
        // The form's own pointer over its surface (a frameless form's
        // surface answers as a caption).
        if (reinterpret_cast<HWND>(wParam) == hwnd_ &&
            (LOWORD(lParam) == HTCLIENT || (form_.Frameless() && LOWORD(lParam) == HTCAPTION)) &&
            ShowControlCursor(form_)) {
          return TRUE;
        }
        break;
      case WM_CONTEXTMENU:
        if (ContextMenu(form_, hwnd_, lParam)) return 0;
        break;
      case WM_INITMENUPOPUP:
        if (menuBar_) menuBar_->Refill(reinterpret_cast<HMENU>(wParam));
        return 0;
      case WM_COMMAND:
        if (lParam == 0 && HIWORD(wParam) == 0 && menuBar_) {
          if (MenuItem* item = menuBar_->ItemOf(LOWORD(wParam))) item->UserClick();
          return 0;
        }
        break;
      case WM_SIZE:
        if (&form_ == App().MainForm()) {
          if (wParam == SIZE_MINIMIZED) Fire(App().OnMinimize);
          else if (wParam == SIZE_RESTORED && minimized_) Fire(App().OnRestore);
          minimized_ = wParam == SIZE_MINIMIZED;
        }
        if (!updating_ && (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED)) {
          form_.UserResize(Unscale(LOWORD(lParam)), Unscale(HIWORD(lParam)));
        }
        break;
      case WM_GETMINMAXINFO:
        if (form_.MinClientWidth() > 0 || form_.MinClientHeight() > 0) {
          RECT r{0, 0, S(form_.MinClientWidth()), S(form_.MinClientHeight())};
          AdjustWindowRectEx(&r, style_, GetMenu(hwnd_) != nullptr, WS_EX_CONTROLPARENT);
          auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
          info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, r.right - r.left);
          info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, r.bottom - r.top);
          return 0;
        }
        break;
      case WM_SETFOCUS:
        if (Control* active = form_.ActiveControl(); active && active->peer()) {
          SetFocus(static_cast<Win32Peer*>(active->peer())->hwnd());
          return 0;
        }
        break;
      case DM_GETDEFID:
        for (Control* child : form_.Children()) {
          if (child->kind() == Control::Kind::kButton && static_cast<Button*>(child)->IsDefault() && child->peer()) {
            return MAKELONG(GetDlgCtrlID(static_cast<Win32Peer*>(child->peer())->hwnd()), DC_HASDEFID);
          }
        }
        return 0;
      default: break;
    }
    // Numbered messages: the private ranges WM_USER and WM_APP (up to the
    // registered-message range at 0xC000).
    if (message >= WM_USER && message < 0xC000 && form_.HasMessageHandler(message)) {
      return form_.Dispatch(message, wParam, static_cast<std::intptr_t>(lParam));
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

  void Minimize() override {
    if (hwnd_) ShowWindow(hwnd_, SW_MINIMIZE);
  }
  bool Minimized() override { return hwnd_ && IsIconic(hwnd_); }

 protected:
  // A left-button mouse message in logical pixels.
  MouseEvent Mouse(WPARAM wParam, LPARAM lParam) {
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    MouseEvent e;
    e.client = Point{Unscale(p.x), Unscale(p.y)};
    ::ClientToScreen(hwnd_, &p);
    e.screen = Point{Unscale(p.x), Unscale(p.y)};
    e.keys = static_cast<int>(wParam & (MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL));
    return e;
  }
  RECT ClientToWindow() {
    RECT r{0, 0, S(form_.Width()), S(form_.Height())};
    AdjustWindowRectEx(&r, style_, form_.Menu() != nullptr, WS_EX_CONTROLPARENT);
    return r;
  }
  void ApplyMenu() {
    SetMenu(hwnd_, nullptr);
    menuBar_.reset();
    if (form_.Menu()) {
      menuBar_ = std::make_unique<MenuBar>(*form_.Menu());
      SetMenu(hwnd_, menuBar_->handle());
    }
    ApplyBounds();
  }
  void ApplyBounds() override {
    RECT r = ClientToWindow();
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void ApplyVisible() override { ShowWindow(hwnd_, form_.Visible() ? SW_SHOW : SW_HIDE); }
  void Apply(Change what, int) override {
    if (what == Change::kText) SetWindowTextW(hwnd_, W(form_.Caption()).c_str());
    if (what == Change::kMenu) ApplyMenu();
    if (what == Change::kLook) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    if (what == Change::kFront) {
      if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
      SetForegroundWindow(hwnd_);
      BringWindowToTop(hwnd_);
    }
  }

 private:
  Form& form_;
  DWORD style_ = 0;
  bool minimized_ = false;
  std::unique_ptr<MenuBar> menuBar_;
};

// The window of a created control: custom-drawn windows have peers of
// their own kind (Win32CustomWindow.cpp).
HWND WindowOf(const Control& control) {
  if (!control.peer()) return nullptr;
  if (control.kind() == Control::Kind::kCustomWindow) return CustomWindowHandle(*control.peer());
  return static_cast<Win32Peer*>(control.peer())->hwnd();
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto* peer = static_cast<FormPeer*>(PeerOf(hwnd))) return peer->Handle(message, wParam, lParam);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (PeerOf(hwnd) && Win32Peer::Reflect(message, wParam, lParam, result)) return result;
  // A panel on a designed form shows the form's surface through it.
  if (message == WM_ERASEBKGND && PeerOf(hwnd) && PeerOf(hwnd)->control().kind() == Control::Kind::kPanel &&
      PaintFormBackground(hwnd, reinterpret_cast<HDC>(wParam))) {
    return 1;
  }
  if (message == WM_CTLCOLORSTATIC &&
      StaticColors(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam), result)) {
    return result;
  }
  if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
    // Labels and check boxes on a page take the page's colour.
    SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class TabSheetPeer;

class PageControlPeer : public Win32Peer {
 public:
  explicit PageControlPeer(PageControl& pages) : Win32Peer(pages), pages_(pages) {
    MakeChild(WC_TABCONTROLW, WS_TABSTOP | WS_CLIPCHILDREN, 0, L"");
    RebuildTabs();
  }
  void RebuildTabs();
  RECT PageRect() {
    RECT r{};
    GetClientRect(hwnd_, &r);
    TabCtrl_AdjustRect(hwnd_, FALSE, &r);
    return r;
  }
  LRESULT OnNotify(NMHDR* header, bool& handled) override {
    handled = header->code == TCN_SELCHANGE;
    if (handled && !updating_) {
      const int index = TabCtrl_GetCurSel(hwnd_);
      if (index >= 0 && index < static_cast<int>(shown_.size()) && !pages_.UserSelectPage(*shown_[index])) {
        RebuildTabs();
      }
    }
    return 0;
  }

 protected:
  void Apply(Change what, int) override {
    if (what == Change::kActivePage) RebuildTabs();
  }
  void ApplyBounds() override {
    Win32Peer::ApplyBounds();
    RebuildTabs();
  }

 private:
  PageControl& pages_;
  std::vector<TabSheet*> shown_;
};

class TabSheetPeer : public Win32Peer {
 public:
  explicit TabSheetPeer(TabSheet& sheet) : Win32Peer(sheet), sheet_(sheet) {
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                            10, 10, ParentWindow(), nullptr, instance, nullptr);
    SetPropW(hwnd_, kPeerProperty, this);
    Place();
  }
  ~TabSheetPeer() override {
    if (hwnd_) {
      RemovePropW(hwnd_, kPeerProperty);
      DestroyWindow(hwnd_);
      hwnd_ = nullptr;
    }
  }
  void Place() {
    auto* owner = static_cast<PageControlPeer*>(sheet_.Owner()->peer());
    if (!owner) return;
    RECT r = owner->PageRect();
    MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    const bool shown = sheet_.Visible() && sheet_.TabVisible() && sheet_.Owner()->ActivePage() == &sheet_;
    ShowWindow(hwnd_, shown ? SW_SHOWNA : SW_HIDE);
  }

 protected:
  void ApplyBounds() override { Place(); }
  void ApplyVisible() override {
    if (auto* owner = static_cast<PageControlPeer*>(sheet_.Owner()->peer())) owner->RebuildTabs();
  }
  void Apply(Change what, int) override {
    if (what == Change::kText) ApplyVisible();
  }

 private:
  TabSheet& sheet_;
};

void PageControlPeer::RebuildTabs() {
  updating_ = true;
  TabCtrl_DeleteAllItems(hwnd_);
  shown_.clear();
  int selected = -1;
  for (TabSheet* sheet : pages_.Pages()) {
    if (!sheet->TabVisible()) continue;
    std::wstring caption = W(sheet->Caption());
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(hwnd_, TCM_INSERTITEMW, shown_.size(), reinterpret_cast<LPARAM>(&item));
    if (sheet == pages_.ActivePage()) selected = static_cast<int>(shown_.size());
    shown_.push_back(sheet);
  }
  TabCtrl_SetCurSel(hwnd_, selected);
  for (TabSheet* sheet : pages_.Pages()) {
    if (auto* peer = static_cast<TabSheetPeer*>(sheet->peer())) peer->Place();
  }
  updating_ = false;
}

// --- simple controls ---------------------------------------------------------

class LabelPeer : public Win32Peer {
 public:
  explicit LabelPeer(Label& label) : Win32Peer(label), label_(label) {
    DWORD style = SS_NOPREFIX;
    if (label.Alignment() == Align::kRight) style |= SS_RIGHT;
    else if (label.Alignment() == Align::kCenter) style |= SS_CENTER;
    else style |= label.WordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP;
    MakeChild(L"STATIC", style, 0, W(label.Caption()));
    ApplyFont();
  }

 protected:
  void Apply(Change what, int) override {
    if (what == Change::kText) {
      SetWindowTextW(hwnd_, W(label_.Caption()).c_str());
      // The old letters go with the background painted again under them.
      if (label_.Transparent()) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    if (what == Change::kLook) {
      ApplyFont();
      RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    }
  }
  LRESULT OnOwnMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) override {
    // Under a transparent label: the form's designed surface, else the
    // parent's own erase.
    handled = message == WM_ERASEBKGND && label_.Transparent();
    if (!handled) return 0;
    HDC dc = reinterpret_cast<HDC>(wParam);
    if (PaintFormBackground(hwnd_, dc)) return 1;
    RECT r{};
    GetClientRect(hwnd_, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  }

 private:
  // The label's own font (the form's stays when it has none).
  void ApplyFont() {
    if (label_.FontName().empty()) {
      if (!font_) return;
      if (Form* form = label_.OwnerForm(); form && form->peer()) {
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<Win32Peer*>(form->peer())->font()), FALSE);
      }
      DeleteObject(font_);
      font_ = nullptr;
      return;
    }
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(label_.FontSize(), dpi, 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, W(label_.FontName()).c_str(), LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&lf);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (font_) DeleteObject(font_);
    font_ = font;
  }

 private:
  Label& label_;
};

class ButtonPeer : public Win32Peer {
 public:
  explicit ButtonPeer(Button& button) : Win32Peer(button), button_(button) {
    MakeChild(L"BUTTON", WS_TABSTOP | (button.IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0,
              W(button.Caption()));
  }
  void OnCommand(int code) override {
    if (code == BN_CLICKED && !updating_) button_.UserClick();
  }

 protected:
  void Apply(Change what, int) override {
    if (what == Change::kText) SetWindowTextW(hwnd_, W(button_.Caption()).c_str());
  }

 private:
  Button& button_;
};

class CheckBoxPeer : public Win32Peer {
 public:
  explicit CheckBoxPeer(CheckBox& box) : Win32Peer(box), box_(box) {
    MakeChild(L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0, W(box.Caption()));
    SendMessageW(hwnd_, BM_SETCHECK, box.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  void OnCommand(int code) override {
    if (code != BN_CLICKED || updating_) return;
    const bool checked = SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (!box_.UserSetChecked(checked)) Changed(Change::kChecked, -1);
  }

 protected:
  void Apply(Change what, int) override {
    if (what == Change::kText) SetWindowTextW(hwnd_, W(box_.Caption()).c_str());
    if (what == Change::kChecked) SendMessageW(hwnd_, BM_SETCHECK, box_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }

 private:
  CheckBox& box_;
};

class GroupBoxPeer : public Win32Peer {
 public:
  explicit GroupBoxPeer(GroupBox& group) : Win32Peer(group), group_(group) {
    MakeChild(L"BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, W(group.Caption()));
  }

 protected:
  LRESULT OnOwnMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) override {
    if (message == WM_ERASEBKGND) {
      // A group box paints only its frame; the inside is ours to fill.
      RECT r{};
      GetClientRect(hwnd_, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
      handled = true;
      return 1;
    }
    if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      handled = true;
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    handled = false;
    return 0;
  }
  void Apply(Change what, int) override {
    if (what == Change::kText) SetWindowTextW(hwnd_, W(group_.Caption()).c_str());
  }

 private:
  GroupBox& group_;
};

class EditPeer : public Win32Peer {
 public:
  explicit EditPeer(Edit& edit) : Win32Peer(edit), edit_(edit) {
    MakeChild(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL | (edit.PasswordChar() ? ES_PASSWORD : 0), WS_EX_CLIENTEDGE,
              W(edit.Text()));
    updating_ = true;
    ApplyPassword();
    if (edit.ReadOnly()) SendMessageW(hwnd_, EM_SETREADONLY, TRUE, 0);
    if (edit.MaxLength() > 0) SendMessageW(hwnd_, EM_SETLIMITTEXT, edit.MaxLength(), 0);
    updating_ = false;
  }
  void OnCommand(int code) override {
    if (code == EN_CHANGE && !updating_) edit_.UserSetText(WindowText(hwnd_));
  }

 protected:
  LRESULT OnOwnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
    handled = false;
    if (message == WM_GETDLGCODE && lParam && edit_.OnKeyPress) {
      auto* msg = reinterpret_cast<MSG*>(lParam);
      if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
        handled = true;
        return DLGC_WANTMESSAGE | DLGC_HASSETSEL | DLGC_WANTCHARS;
      }
    }
    if (message == WM_CHAR) {
      int key = static_cast<int>(wParam);
      edit_.UserKeyPress(key);
      if (key == 0 || key == keys::kReturn) {
        handled = true;  // a single line has nothing to do with Enter
        return 0;
      }
    }
    return 0;
  }
  void ApplyPassword() {
    SendMessageW(hwnd_, EM_SETPASSWORDCHAR, static_cast<WPARAM>(static_cast<unsigned char>(edit_.PasswordChar())), 0);
  }
  void Apply(Change what, int) override {
    if (what == Change::kText) SetWindowTextW(hwnd_, W(edit_.Text()).c_str());
    if (what == Change::kPasswordChar) {
      ApplyPassword();
      InvalidateRect(hwnd_, nullptr, TRUE);
    }
    if (what == Change::kReadOnly) SendMessageW(hwnd_, EM_SETREADONLY, edit_.ReadOnly(), 0);
  }

 private:
  Edit& edit_;
};

class MemoPeer : public Win32Peer {
 public:
  explicit MemoPeer(Memo& memo) : Win32Peer(memo), memo_(memo) {
    MakeChild(L"EDIT", WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL, WS_EX_CLIENTEDGE,
              W(memo.Text()));
    if (memo.ReadOnly()) SendMessageW(hwnd_, EM_SETREADONLY, TRUE, 0);
  }
  void OnCommand(int code) override {
    if (code == EN_CHANGE && !updating_) {
      updating_ = true;
      memo_.UserSetText(WindowText(hwnd_));
      updating_ = false;
    }
  }

 protected:
  void Apply(Change what, int) override {
    if (what == Change::kItems || what == Change::kItemAdded) SetWindowTextW(hwnd_, W(memo_.Text()).c_str());
    if (what == Change::kReadOnly) SendMessageW(hwnd_, EM_SETREADONLY, memo_.ReadOnly(), 0);
  }

 private:
  Memo& memo_;
};

class ComboBoxPeer : public Win32Peer {
 public:
  explicit ComboBoxPeer(ComboBox& combo) : Win32Peer(combo), combo_(combo) {
    const DWORD style = combo.style() == ComboBox::Style::kDropDown ? CBS_DROPDOWN : CBS_DROPDOWNLIST;
    MakeChild(L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL | style, 0, L"");
    updating_ = true;
    Refill();
    updating_ = false;
  }
  void OnCommand(int code) override {
    if (updating_) return;
    if (code == CBN_SELCHANGE) {
      const int index = static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
      if (index >= 0) combo_.UserSelect(index);
    } else if (code == CBN_EDITCHANGE) {
      combo_.UserSetText(WindowText(hwnd_));
    }
  }

 protected:
  void ApplyBounds() override {
    // The height of a combo box window includes its drop-down list.
    const Rect& b = control_.Bounds();
    MoveWindow(hwnd_, S(b.left), S(b.top), S(b.width), S(b.height * 8), TRUE);
  }
  void Refill() {
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    for (const auto& item : combo_.Items()) SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(item).c_str()));
    Select();
  }
  void Select() {
    SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(combo_.ItemIndex()), 0);
    if (combo_.style() == ComboBox::Style::kDropDown) SetWindowTextW(hwnd_, W(combo_.Text()).c_str());
  }
  void Apply(Change what, int index) override {
    if (what == Change::kItemAdded) {
      SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(combo_.Items()[index]).c_str()));
    } else if (what == Change::kItems) {
      Refill();
    } else if (what == Change::kItemIndex || what == Change::kText) {
      Select();
    }
  }

 private:
  ComboBox& combo_;
};

// --- the tray icon -------------------------------------------------------------

std::map<UINT, TrayIcon*> trays;
UINT taskbarCreated = 0;

class TrayPeer : public Peer {
 public:
  explicit TrayPeer(TrayIcon& tray) : tray_(tray) {
    static UINT nextId = 1;
    id_ = nextId++;
    trays[id_] = &tray;
  }
  ~TrayPeer() override {
    Remove();
    trays.erase(id_);
  }
  void Changed(Change what, int) override {
    if (what == Change::kVisible) {
      if (tray_.Visible()) Add();
      else Remove();
    } else if (added_) {
      Notify(NIM_MODIFY);
    }
  }
  void Add() {
    added_ = Notify(NIM_ADD);
  }
  void Remove() {
    if (added_) Notify(NIM_DELETE);
    added_ = false;
  }

 private:
  bool Notify(DWORD action) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = appWindow;
    data.uID = id_;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = LoadPicture(tray_.ShownIcon());
    wcsncpy(data.szTip, W(tray_.Hint()).c_str(), 127);
    return Shell_NotifyIconW(action, &data) != FALSE;
  }
  TrayIcon& tray_;
  UINT id_;
  bool added_ = false;
};

// --- the backend -----------------------------------------------------------------

class Win32Backend : public Backend {
 public:
  Win32Backend() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                        ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    cls.lpfnWndProc = FormProc;
    cls.lpszClassName = kFormClass;
    cls.hIcon = LoadIconW(instance, L"MAINICON");
    RegisterClassExW(&cls);
    cls.lpfnWndProc = PanelProc;
    cls.lpszClassName = kPanelClass;
    cls.hIcon = nullptr;
    RegisterClassExW(&cls);
    cls.lpfnWndProc = AppProc;
    cls.lpszClassName = kAppClass;
    RegisterClassExW(&cls);
    taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    // A hidden top-level window (not message-only, so that it hears the
    // task bar's restart and can own popup menus).
    appWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kAppClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                                nullptr);
  }
  ~Win32Backend() override {
    DestroyWindow(appWindow);
    appWindow = nullptr;
  }

  std::unique_ptr<Peer> CreatePeer(Control& control) override {
    switch (control.kind()) {
      case Control::Kind::kForm: return std::make_unique<FormPeer>(static_cast<Form&>(control));
      case Control::Kind::kLabel: return std::make_unique<LabelPeer>(static_cast<Label&>(control));
      case Control::Kind::kButton: return std::make_unique<ButtonPeer>(static_cast<Button&>(control));
      case Control::Kind::kEdit: return std::make_unique<EditPeer>(static_cast<Edit&>(control));
      case Control::Kind::kMemo: return std::make_unique<MemoPeer>(static_cast<Memo&>(control));
      case Control::Kind::kCheckBox: return std::make_unique<CheckBoxPeer>(static_cast<CheckBox&>(control));
      case Control::Kind::kComboBox: return std::make_unique<ComboBoxPeer>(static_cast<ComboBox&>(control));
      case Control::Kind::kGroupBox: return std::make_unique<GroupBoxPeer>(static_cast<GroupBox&>(control));
      case Control::Kind::kPageControl: return std::make_unique<PageControlPeer>(static_cast<PageControl&>(control));
      case Control::Kind::kTabSheet: return std::make_unique<TabSheetPeer>(static_cast<TabSheet&>(control));
      case Control::Kind::kListView: return CreateListViewPeer(static_cast<ListView&>(control));
      case Control::Kind::kImage: return CreateImagePeer(static_cast<Image&>(control));
      case Control::Kind::kProgressBar: return CreateProgressBarPeer(static_cast<ProgressBar&>(control));
      case Control::Kind::kTrackBar: return CreateTrackBarPeer(static_cast<TrackBar&>(control));
      case Control::Kind::kStatusBar: return CreateStatusBarPeer(static_cast<StatusBar&>(control));
      case Control::Kind::kTreeView: return CreateTreeViewPeer(static_cast<TreeView&>(control));
      case Control::Kind::kRadioButton: return CreateRadioButtonPeer(static_cast<RadioButton&>(control));
      case Control::Kind::kPanel: return CreatePanelPeer(static_cast<Panel&>(control));
      case Control::Kind::kSplitter: return CreateSplitterPeer(static_cast<Splitter&>(control));
      case Control::Kind::kCustomWindow: {
        auto& window = static_cast<CustomWindow&>(control);
        const Control* parentOrOwner = window.IsChild() ? window.Parent() : window.Owner();
        return CreateCustomWindowPeer(window, instance, parentOrOwner ? WindowOf(*parentOrOwner) : nullptr);
      }
    }
    return nullptr;
  }
  std::unique_ptr<Peer> CreateTrayPeer(TrayIcon& tray) override { return std::make_unique<TrayPeer>(tray); }

  void StartTimer(Timer& timer) override {
    auto it = timerIds_.find(&timer);
    UINT_PTR id = it != timerIds_.end() ? it->second : nextTimer_++;
    timerIds_[&timer] = id;
    timers_[id] = &timer;
    SetTimer(appWindow, id, static_cast<UINT>(timer.Interval()), nullptr);
  }
  void StopTimer(Timer& timer) override {
    auto it = timerIds_.find(&timer);
    if (it == timerIds_.end()) return;
    KillTimer(appWindow, it->second);
    timers_.erase(it->second);
    timerIds_.erase(it);
  }

  void Post(Form& form, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    if (HWND hwnd = WindowOf(form)) {
      PostMessageW(hwnd, message, wParam, lParam);
      return;
    }
    auto* posted = new PostedToForm{form.LifeToken(), message, wParam, lParam};
    PostMessageW(appWindow, kPostedMessage, 0, reinterpret_cast<LPARAM>(posted));
  }
  std::intptr_t Send(Form& form, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    if (HWND hwnd = WindowOf(form)) return SendMessageW(hwnd, message, wParam, lParam);
    return form.Dispatch(message, wParam, lParam);
  }

  bool ProcessPending() override {
    bool any = App().DrainWorkerCalls();
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return any;
    Dispatch(msg);
    return true;
  }
  void WaitAndHandle() override {
    if (App().Terminated()) return;
    App().DrainWorkerCalls();
    MSG msg;
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return;  // WM_QUIT: Terminate() was called
    Dispatch(msg);
  }
  void Elapse(int ms) override {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(0, ms));
    for (;;) {
      while (ProcessPending()) {
      }
      const ULONGLONG now = GetTickCount64();
      if (now >= end) break;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
  }
  void Wake() override { PostMessageW(appWindow, kWakeMessage, 0, 0); }
  void Quit() override { PostQuitMessage(0); }
  std::uint64_t NowMs() override { return GetTickCount64(); }

  ModalResult ShowMessageBox(const MessageBoxRequest& request) override {
    UINT flags = MB_SETFOREGROUND;
    switch (request.buttons) {
      case Buttons::kOk: flags |= MB_OK; break;
      case Buttons::kOkCancel: flags |= MB_OKCANCEL; break;
      case Buttons::kAbortRetryIgnore: flags |= MB_ABORTRETRYIGNORE; break;
      case Buttons::kYesNoCancel: flags |= MB_YESNOCANCEL; break;
      case Buttons::kYesNo: flags |= MB_YESNO; break;
      case Buttons::kRetryCancel: flags |= MB_RETRYCANCEL; break;
    }
    switch (request.icon) {
      case MsgIcon::kNone: break;
      case MsgIcon::kError: flags |= MB_ICONERROR; break;
      case MsgIcon::kQuestion: flags |= MB_ICONQUESTION; break;
      case MsgIcon::kWarning: flags |= MB_ICONWARNING; break;
      case MsgIcon::kInformation: flags |= MB_ICONINFORMATION; break;
    }
    switch (request.defaultButton) {
      case DefaultButton::kFirst: flags |= MB_DEFBUTTON1; break;
      case DefaultButton::kSecond: flags |= MB_DEFBUTTON2; break;
      case DefaultButton::kThird: flags |= MB_DEFBUTTON3; break;
    }
    HWND owner = nullptr;
    if (request.owner) owner = WindowOf(*request.owner);
    if (!owner) owner = ActiveBeforeLoop();
    if (!owner) {
      HWND active = GetActiveWindow();
      if (PeerOf(active)) owner = active;
    }
    if (!owner) flags |= MB_TASKMODAL;
    const int answer = MessageBoxW(owner, W(request.text).c_str(), W(request.title).c_str(), flags);
    return answer > 0 && answer <= 7 ? static_cast<ModalResult>(answer) : ModalResult::kCancel;
  }

  MenuItem* TrackPopupMenu(PopupMenu& menu, Point at) override {
    std::vector<MenuItem*> ids;
    HMENU handle = BuildPopupMenu(menu.Items(), ids);
    SetForegroundWindow(appWindow);
    const int chosen = ::TrackPopupMenu(handle, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, S(at.x), S(at.y), 0,
                                        appWindow, nullptr);
    PostMessageW(appWindow, WM_NULL, 0, 0);
    DestroyMenu(handle);
    return chosen > 0 && chosen <= static_cast<int>(ids.size()) ? ids[static_cast<std::size_t>(chosen - 1)] : nullptr;
  }

  FileDialogAnswer ShowFileDialog(const FileDialogRequest& request) override {
    return RunFileDialog(request, DialogOwner(request.owner));
  }
  FolderDialogAnswer ShowFolderDialog(const FolderDialogRequest& request) override {
    return RunFolderDialog(request, DialogOwner(request.owner));
  }
  ShellItemInfo GetShellInfo(const std::string& path, bool folder) override { return ShellInfoOf(path, folder); }
  std::unique_ptr<Peer> CreateFolderWatchPeer(FolderWatch& watch) override { return CreateFolderWatchPeerWin32(watch); }
  void SetBusyCursor(bool on) override {
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(on ? IDC_WAIT : IDC_ARROW)));
  }

  // The modal form's own frame (EnterModal) keeps input from the others.
  void BeginModal(Form&) override {}
  void EndModal(Form&) override {}

  struct ModalWalk {
    const std::vector<HWND>* usable;
    std::vector<HWND>* disabled;
  };
  // A window callback of the system's calling convention (a lambda is not
  // one on 32-bit Windows).
  static BOOL CALLBACK DisableForModal(HWND hwnd, LPARAM param) {
    auto* w = reinterpret_cast<ModalWalk*>(param);
    if (hwnd == appWindow || std::find(w->usable->begin(), w->usable->end(), hwnd) != w->usable->end()) {
      return TRUE;
    }
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 63);
    const std::wstring cls(name);
    const bool ours = cls == kFormClass || cls == L"GuiCustomWindow" || cls == L"#32770";
    if (ours && IsWindowEnabled(hwnd)) {
      EnableWindow(hwnd, FALSE);
      w->disabled->push_back(hwnd);
    }
    return TRUE;
  }

  // Every top-level window of the program on this thread (forms, custom
  // windows, the boxes and dialogs of outer loops) is disabled but the
  // frame's usable ones; the tray icon refuses its clicks in the GUI layer.
  // Leaving the frame gives each window back the state it had.
  void EnterModal(const ModalFrame& frame) override {
    ModalWindows entry;
    entry.active = GetActiveWindow();
    std::vector<HWND> usable;
    for (Form* form : frame.usable) {
      if (HWND hwnd = WindowOf(*form)) usable.push_back(hwnd);
    }
    ModalWalk walk{&usable, &entry.disabled};
    EnumThreadWindows(GetCurrentThreadId(), DisableForModal, reinterpret_cast<LPARAM>(&walk));
    // A window an outer loop disabled takes input again while it is the
    // top one.
    for (HWND hwnd : usable) {
      if (!IsWindowEnabled(hwnd)) {
        EnableWindow(hwnd, TRUE);
        entry.enabled.push_back(hwnd);
      }
    }
    modalWindows_.push_back(std::move(entry));
  }
  void LeaveModal(const ModalFrame&) override {
    if (modalWindows_.empty()) return;
    ModalWindows entry = std::move(modalWindows_.back());
    modalWindows_.pop_back();
    for (HWND hwnd : entry.enabled) {
      if (IsWindow(hwnd)) EnableWindow(hwnd, FALSE);
    }
    for (HWND hwnd : entry.disabled) {
      if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    }
    if (entry.active && IsWindow(entry.active) && IsWindowEnabled(entry.active) && IsWindowVisible(entry.active)) {
      SetActiveWindow(entry.active);
    }
  }
  // The window that was active when the innermost loop began (a box or
  // dialog without owner is owned by it).
  HWND ActiveBeforeLoop() const {
    if (modalWindows_.empty()) return nullptr;
    HWND active = modalWindows_.back().active;
    return IsWindow(active) && PeerOf(active) ? active : nullptr;
  }
  void BringAppToFront() override {
    for (const auto& form : App().OwnedForms()) {
      if (form->Visible() && form->peer()) {
        HWND hwnd = WindowOf(*form);
        SetForegroundWindow(hwnd);
        BringWindowToTop(hwnd);
      }
    }
  }

  Rect ScreenRect() override {
    RECT r{};
    GetWindowRect(GetDesktopWindow(), &r);
    return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
  }
  Rect WorkArea() override {
    RECT r{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
  }

  static Win32Backend* current;

 private:
  struct PostedToForm {
    std::weak_ptr<Form*> form;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };

  // The window that owns a dialog: the form's, else the form active when
  // the dialog's loop began, else the active form.
  HWND DialogOwner(Form* form) const {
    if (form && form->peer()) return WindowOf(*form);
    if (HWND before = ActiveBeforeLoop()) return before;
    HWND active = GetActiveWindow();
    return PeerOf(active) ? active : nullptr;
  }

  void Dispatch(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && root != appWindow && PeerOf(root) && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  static LRESULT CALLBACK AppProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Backend* self = current;
    if (message == kWakeMessage) {
      if (Application::Exists()) App().DrainWorkerCalls();
      return 0;
    }
    if (message == WM_TIMER && self) {
      auto it = self->timers_.find(wParam);
      if (it != self->timers_.end()) it->second->Tick();
      return 0;
    }
    if (message == kPostedMessage) {
      std::unique_ptr<PostedToForm> posted(reinterpret_cast<PostedToForm*>(lParam));
      if (auto form = posted->form.lock()) (*form)->Dispatch(posted->message, posted->wParam, posted->lParam);
      return 0;
    }
    if (message == kTrayMessage) {
      auto it = trays.find(static_cast<UINT>(wParam));
      if (it != trays.end()) {
        TrayIcon* tray = it->second;
        if (LOWORD(lParam) == WM_LBUTTONUP) {
          tray->UserClick();
        } else if (LOWORD(lParam) == WM_RBUTTONUP || LOWORD(lParam) == WM_CONTEXTMENU) {
          POINT p{};
          GetCursorPos(&p);
          tray->UserRightClick(Point{Unscale(p.x), Unscale(p.y)});
        }
      }
      return 0;
    }
    if (message == taskbarCreated && taskbarCreated != 0) {
      for (auto& [id, tray] : trays) {
        if (tray->Visible() && tray->peer()) static_cast<TrayPeer*>(tray->peer())->Add();
      }
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  std::map<Timer*, UINT_PTR> timerIds_;
  std::map<UINT_PTR, Timer*> timers_;
  UINT_PTR nextTimer_ = 1;
  struct ModalWindows {
    std::vector<HWND> disabled;  // by this frame
    std::vector<HWND> enabled;   // usable windows an outer frame had disabled
    HWND active = nullptr;
  };
  std::vector<ModalWindows> modalWindows_;
};

Win32Backend* Win32Backend::current = nullptr;

}  // namespace

std::unique_ptr<Backend> CreateWin32Backend(void* module) {
  instance = module ? static_cast<HINSTANCE>(module) : GetModuleHandleW(nullptr);
  auto backend = std::make_unique<Win32Backend>();
  Win32Backend::current = backend.get();
  return backend;
}

void* HandleOf(const Control& control) {
  return WindowOf(control);
}

void* AppWindow() { return appWindow; }

}  // namespace gui::win32
