// Shared by the Win32 peers of the GUI layer (Win32Backend.cpp and the
// control peers in files of their own): the peer base class with its
// subclassing and notification reflection, and the small conversions.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/Control.h"
#include "platform/gui/Form.h"

namespace gui {
class ImageList;
class MainMenu;
class MenuItem;
class Image;
class ListView;
class ProgressBar;
class RadioButton;
class Panel;
class Splitter;
class StatusBar;
class TrackBar;
class TreeView;
}  // namespace gui

namespace gui::win32 {

constexpr wchar_t kPeerProperty[] = L"GuiPeer";
constexpr wchar_t kFormClass[] = L"GuiForm";
constexpr wchar_t kPanelClass[] = L"GuiPanel";

extern HINSTANCE instance;
extern HWND appWindow;
extern int dpi;

// Logical pixels to device pixels and back.
inline int S(int v) { return MulDiv(v, dpi, 96); }
inline int Unscale(int v) { return MulDiv(v, 96, dpi); }

std::wstring W(const std::string& utf8);
std::string U(const std::wstring& wide);
std::string WindowText(HWND hwnd);
// The icon of a picture (16x16 unless `size` says otherwise), cached for
// the process.
HICON LoadPicture(const Icon& icon, int size = 16);
// The tool tip control of a top-level window (made on first use when
// `make`); it goes with the window.
HWND ToolTipOf(HWND topLevel, bool make);

// The designed background of the form that `window` lies on (its colour
// and picture), painted on the window's device context where the form's
// surface lies under the window; false (nothing painted) when the form
// has no designed look.
bool PaintFormBackground(HWND window, HDC dc);
// WM_CTLCOLORSTATIC from a child on a designed form: a transparent label
// draws its letters alone (hollow brush, transparent mode); labels, images,
// check boxes, option buttons and group boxes take the form's colour.
// False when the system's colours stay.
bool StaticColors(HWND child, HDC dc, LRESULT& brush);
// A 32-bit picture drawn unscaled (at the display's scale) with its
// top-left corner at (x, y).
void DrawBitmap(HDC dc, int x, int y, const Dib& view);

// The system's cursor of a pointer shape (made once, kept by the shape).
HCURSOR CursorOf(const MousePointer& pointer);
// WM_SETCURSOR over a control's own window: its pointer when it has one
// (true: handled).
bool ShowControlCursor(const Control& control);

// While the program is busy: shows the hourglass and answers true (the
// WM_SETCURSOR is handled).
bool ShowBusyCursor();

// Hands the files of a WM_DROPFILES to the control (and frees the drop).
void DropFiles(Control& control, HWND hwnd, HDROP drop);

class Win32Peer;
inline Win32Peer* PeerOf(HWND hwnd) {
  return hwnd ? static_cast<Win32Peer*>(GetPropW(hwnd, kPeerProperty)) : nullptr;
}

// The native side of one control. Programmatic changes run with `updating`
// set, so the notifications they cause are not taken for the user's.
class Win32Peer : public Peer {
 public:
  explicit Win32Peer(Control& control) : control_(control) {}
  ~Win32Peer() override {
    if (hwnd_) {
      DropToolTip();
      RemovePropW(hwnd_, kPeerProperty);
      RemoveWindowSubclass(hwnd_, SubclassProc, 1);
      DestroyWindow(hwnd_);
    }
    if (font_) DeleteObject(font_);
  }

  HWND hwnd() const { return hwnd_; }
  Control& control() { return control_; }
  // The font the peer made (a form's, a label's own), or none.
  HFONT font() const { return font_; }

  void Changed(Change what, int index) override {
    if (!hwnd_) return;
    updating_ = true;
    switch (what) {
      case Change::kBounds: ApplyBounds(); break;
      case Change::kVisible: ApplyVisible(); break;
      case Change::kEnabled: EnableWindow(hwnd_, control_.Enabled()); break;
      case Change::kAcceptFiles: DragAcceptFiles(hwnd_, control_.AcceptFiles()); break;
      case Change::kHint: ApplyHint(); break;
      case Change::kFocus:
        if (Form* form = control_.OwnerForm(); form && form->Visible()) SetFocus(hwnd_);
        break;
      default: Apply(what, index); break;
    }
    updating_ = false;
  }

  std::optional<Point> ToScreen(Point client) override {
    if (!hwnd_) return std::nullopt;
    POINT p{S(client.x), S(client.y)};
    ::ClientToScreen(hwnd_, &p);
    return Point{Unscale(p.x), Unscale(p.y)};
  }
  // WM_CONTEXTMENU: true when the control took it.
  static bool ContextMenu(Control& control, HWND hwnd, LPARAM lParam) {
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (p.x == -1 && p.y == -1) {  // the menu key: at the control's corner
      p = POINT{0, 0};
      ::ClientToScreen(hwnd, &p);
    }
    return control.UserContextMenu(Point{Unscale(p.x), Unscale(p.y)});
  }

  virtual void OnCommand(int) {}
  // WM_HSCROLL / WM_VSCROLL from this control (track bars).
  virtual void OnScroll(int) {}
  virtual LRESULT OnNotify(NMHDR*, bool& handled) {
    handled = false;
    return 0;
  }
  // Messages of the control's own window; handled = true stops them.
  virtual LRESULT OnOwnMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
  }

 protected:
  virtual void Apply(Change, int) {}
  virtual void ApplyBounds() {
    const Rect& b = control_.Bounds();
    MoveWindow(hwnd_, S(b.left), S(b.top), S(b.width), S(b.height), TRUE);
  }
  virtual void ApplyVisible() { ShowWindow(hwnd_, control_.Visible() ? SW_SHOWNA : SW_HIDE); }

  HWND ParentWindow() {
    Control* parent = control_.Parent();
    auto* peer = parent ? static_cast<Win32Peer*>(parent->peer()) : nullptr;
    return peer ? peer->hwnd_ : nullptr;
  }

  // Makes a child window of a standard class, subclassed for reflection.
  void MakeChild(const wchar_t* className, DWORD style, DWORD exStyle, const std::wstring& text) {
    static int nextId = 100;
    const Rect& b = control_.Bounds();
    hwnd_ = CreateWindowExW(exStyle, className, text.c_str(),
                            WS_CHILD | WS_CLIPSIBLINGS | style | (control_.Visible() ? WS_VISIBLE : 0), S(b.left),
                            S(b.top), S(b.width), S(b.height), ParentWindow(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++)), instance, nullptr);
    Attach();
    if (!control_.Hint().empty()) ApplyHint();
    if (!control_.Enabled()) EnableWindow(hwnd_, FALSE);
    if (control_.AcceptFiles()) DragAcceptFiles(hwnd_, TRUE);
    if (Form* form = control_.OwnerForm()) {
      if (auto* formPeer = static_cast<Win32Peer*>(form->peer())) {
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(formPeer->font_), FALSE);
      }
    }
  }

  // The control's hint as the tool tip of its window (none for an empty
  // hint), in the one tool tip control of its top-level window.
  void ApplyHint();
  void DropToolTip();

  void Attach() {
    SetPropW(hwnd_, kPeerProperty, this);
    SetWindowSubclass(hwnd_, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  }

 public:
  // WM_COMMAND and WM_NOTIFY of a child go to the child's peer.
  static bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COMMAND && lParam) {
      if (Win32Peer* child = PeerOf(reinterpret_cast<HWND>(lParam))) {
        child->OnCommand(HIWORD(wParam));
        result = 0;
        return true;
      }
    } else if ((message == WM_HSCROLL || message == WM_VSCROLL) && lParam) {
      if (Win32Peer* child = PeerOf(reinterpret_cast<HWND>(lParam))) {
        child->OnScroll(LOWORD(wParam));
        result = 0;
        return true;
      }
    } else if (message == WM_NOTIFY) {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (Win32Peer* child = PeerOf(header->hwndFrom)) {
        bool handled = false;
        result = child->OnNotify(header, handled);
        return handled;
      }
    }
    return false;
  }

 protected:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR data) {
    auto* peer = reinterpret_cast<Win32Peer*>(data);
    LRESULT result = 0;
    if (Reflect(message, wParam, lParam, result)) return result;
    if (message == WM_SETFOCUS) {
      if (Form* form = peer->control_.OwnerForm()) form->SetActiveControl(&peer->control_);
    }
    if (message == WM_SETCURSOR && (ShowBusyCursor() || (reinterpret_cast<HWND>(wParam) == hwnd &&
                                                         ShowControlCursor(peer->control_)))) {
      return TRUE;
    }
    if (message == WM_CONTEXTMENU && ContextMenu(peer->control_, hwnd, lParam)) return 0;
    if (message == WM_DROPFILES) {
      DropFiles(peer->control_, hwnd, reinterpret_cast<HDROP>(wParam));
      return 0;
    }
    bool handled = false;
    result = peer->OnOwnMessage(message, wParam, lParam, handled);
    if (handled) return result;
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }

  Control& control_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  bool updating_ = false;
  bool tipped_ = false;  // the window is a tool of its top-level window's tool tip
};


// Peers of the controls that live in files of their own.
std::unique_ptr<Peer> CreateImagePeer(Image& image);
std::unique_ptr<Peer> CreateListViewPeer(ListView& list);
std::unique_ptr<Peer> CreateTreeViewPeer(TreeView& tree);
std::unique_ptr<Peer> CreateProgressBarPeer(ProgressBar& bar);
std::unique_ptr<Peer> CreateTrackBarPeer(TrackBar& bar);
std::unique_ptr<Peer> CreateStatusBarPeer(StatusBar& bar);
std::unique_ptr<Peer> CreateRadioButtonPeer(RadioButton& button);
std::unique_ptr<Peer> CreatePanelPeer(Panel& panel);
std::unique_ptr<Peer> CreateSplitterPeer(Splitter& splitter);

// A form's menu bar, built from its MainMenu; each drop-down is filled
// from the model as it opens, so item states are always current.
class MenuBar {
 public:
  explicit MenuBar(gui::MainMenu& menu);
  ~MenuBar();
  HMENU handle() const { return bar_; }
  // WM_INITMENUPOPUP: refills the drop-down from its item.
  void Refill(HMENU popup);
  // WM_COMMAND from the menu: the item of that id (nullptr if none).
  gui::MenuItem* ItemOf(UINT id) const;

 private:
  void Fill(HMENU handle, const std::vector<gui::MenuItem*>& items);
  UINT IdOf(gui::MenuItem* item);
  HMENU bar_ = nullptr;
  std::map<HMENU, gui::MenuItem*> popups_;
  std::map<gui::MenuItem*, UINT> ids_;
  std::vector<gui::MenuItem*> items_;
};

// The menu of items (a popup menu or a drop-down), with ids from `ids`
// (item i has id i + 1).
HMENU BuildPopupMenu(const std::vector<gui::MenuItem*>& items, std::vector<gui::MenuItem*>& ids);

// A native image list holding the pictures of an ImageList, kept up to
// date as pictures are added (rebuilt when they were cleared).
class NativeImages {
 public:
  ~NativeImages();
  // Null when `images` is null.
  HIMAGELIST Sync(const gui::ImageList* images);

 private:
  const gui::ImageList* source_ = nullptr;
  HIMAGELIST handle_ = nullptr;
  int generation_ = -1;
  int count_ = 0;
};

}  // namespace gui::win32
