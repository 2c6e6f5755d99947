#include "platform/gui/win32/Win32CustomWindow.h"

#include <windowsx.h>

#include "common/TextCodec.h"
#include "platform/gui/Application.h"
#include "platform/gui/win32/GdiCanvas.h"
#include "platform/gui/win32/Win32CopyData.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

constexpr wchar_t kCustomClass[] = L"GuiCustomWindow";

std::wstring Wide(const std::string& utf8) {
  auto text = common::Utf8ToUtf16(utf8);
  if (!text) return std::wstring(utf8.size(), L'?');
  return std::wstring(text->begin(), text->end());
}

class Win32CustomPeer : public CustomWindowPeer {
 public:
  Win32CustomPeer(CustomWindow& window, HINSTANCE instance, HWND parentOrOwner) : window_(window) {
    static const bool registered = [instance] {
      WNDCLASSEXW cls{};
      cls.cbSize = sizeof(cls);
      cls.style = CS_DBLCLKS;
      cls.lpfnWndProc = Proc;
      cls.hInstance = instance;
      cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
      cls.hIcon = LoadIconW(instance, L"MAINICON");  // the program's icon, when it has one
      cls.lpszClassName = kCustomClass;
      return RegisterClassExW(&cls) != 0;
    }();
    (void)registered;
    DWORD style = WS_CLIPCHILDREN;
    DWORD exStyle = window.Topmost() ? WS_EX_TOPMOST : 0;
    if (window.IsChild()) {
      style |= WS_CHILD | WS_CLIPSIBLINGS;
    } else {
      style |= WS_POPUP;
      // Unowned: a task bar button that minimises and restores it.
      if (!parentOrOwner) style |= WS_SYSMENU | WS_MINIMIZEBOX;
    }
    const Rect& r = window.WindowRect();
    hwnd_ = CreateWindowExW(exStyle, kCustomClass, Wide(window.Caption()).c_str(), style, r.left, r.top, r.width,
                            r.height, parentOrOwner, nullptr, instance, this);
    if (hwnd_ && !window.Enabled()) EnableWindow(hwnd_, FALSE);
    if (hwnd_ && window.AcceptFiles()) DragAcceptFiles(hwnd_, TRUE);
    if (hwnd_ && !window.SystemMenuItems().empty()) {
      if (HMENU menu = GetSystemMenu(hwnd_, FALSE)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        for (const auto& item : window.SystemMenuItems())
          AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.id), Wide(item.caption).c_str());
      }
    }
  }
  ~Win32CustomPeer() override {
    if (hwnd_) {
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      HWND hwnd = hwnd_;
      hwnd_ = nullptr;
      DestroyWindow(hwnd);
    }
  }

  HWND hwnd() const { return hwnd_; }

  void Changed(Change what, int) override {
    if (!hwnd_) return;
    switch (what) {
      case Change::kBounds: {
        const Rect& r = window_.WindowRect();
        SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(hwnd_, nullptr, FALSE);
        break;
      }
      case Change::kVisible:
        if (!window_.Visible()) ShowWindow(hwnd_, SW_HIDE);
        else ShowWindow(hwnd_, window_.ActivatesOnShow() && !window_.IsChild() ? SW_SHOW : SW_SHOWNA);
        break;
      case Change::kEnabled: EnableWindow(hwnd_, window_.Enabled()); break;
      case Change::kAcceptFiles: DragAcceptFiles(hwnd_, window_.AcceptFiles()); break;
      case Change::kText: SetWindowTextW(hwnd_, Wide(window_.Caption()).c_str()); break;
      case Change::kFront:
        SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        break;
      default: break;
    }
  }

  void Invalidate() override {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
  }
  void DrawNow(const std::function<void(Canvas&)>& draw) override {
    if (!hwnd_) return;
    HDC dc = GetDC(hwnd_);
    {
      GdiCanvas canvas(dc, window_.Width(), window_.Height());
      draw(canvas);
    }
    ReleaseDC(hwnd_, dc);
  }
  void SetCapture(bool on) override {
    if (!hwnd_) return;
    if (on) ::SetCapture(hwnd_);
    else if (GetCapture() == hwnd_) ReleaseCapture();
  }
  void TakeFocus() override {
    if (hwnd_) ::SetFocus(hwnd_);
  }
  void Minimize() override {
    if (hwnd_) ShowWindow(hwnd_, SW_MINIMIZE);
  }
  bool Minimized() override { return hwnd_ && IsIconic(hwnd_); }

 private:
  MouseEvent Mouse(WPARAM wParam, LPARAM lParam, MouseButton button) {
    MouseEvent e;
    e.client = Point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    POINT p{e.client.x, e.client.y};
    ClientToScreen(hwnd_, &p);
    e.screen = Point{p.x, p.y};
    e.button = button;
    e.keys = static_cast<int>(wParam & (MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL));
    return e;
  }

  void Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client{};
    GetClientRect(hwnd_, &client);
    {
      GdiCanvas canvas(dc, client.right, client.bottom);
      if (window_.DoubleBuffered()) {
        canvas.Buffered(Rect{0, 0, client.right, client.bottom}, [&](Canvas& buffer) { window_.PaintFace(buffer); });
      } else {
        window_.PaintFace(canvas);
      }
    }
    EndPaint(hwnd_, &ps);
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_PAINT: Paint(); return 0;
      case WM_ERASEBKGND: return 1;  // the face is painted whole
      case WM_LBUTTONDOWN: window_.UserMouseDown(Mouse(wParam, lParam, MouseButton::kLeft)); return 0;
      case WM_RBUTTONDOWN: window_.UserMouseDown(Mouse(wParam, lParam, MouseButton::kRight)); return 0;
      case WM_LBUTTONUP: window_.UserMouseUp(Mouse(wParam, lParam, MouseButton::kLeft)); return 0;
      case WM_RBUTTONUP:
        window_.UserMouseUp(Mouse(wParam, lParam, MouseButton::kRight));
        break;  // the default handling asks for the context menu
      case WM_MOUSEMOVE: window_.UserMouseMove(Mouse(wParam, lParam, MouseButton::kLeft)); return 0;
      case WM_LBUTTONDBLCLK: window_.UserDoubleClick(Mouse(wParam, lParam, MouseButton::kLeft)); return 0;
      case WM_MOUSEWHEEL: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        MouseEvent e;
        e.screen = Point{p.x, p.y};
        ScreenToClient(hwnd_, &p);
        e.client = Point{p.x, p.y};
        e.keys = GET_KEYSTATE_WPARAM(wParam) & (MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL);
        e.wheelDelta = GET_WHEEL_DELTA_WPARAM(wParam);
        window_.UserMouseWheel(e);
        return 0;
      }
      case WM_CONTEXTMENU: window_.UserContextMenu(Point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
      case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd_) window_.UserCaptureLost();
        return 0;
      case WM_SETFOCUS: window_.UserFocusGained(); return 0;
      case WM_KILLFOCUS: window_.UserFocusLost(); return 0;
      case WM_KEYDOWN: window_.UserKeyDown(static_cast<int>(wParam)); break;
      case WM_COPYDATA: return DeliverCopyData(window_, lParam);
      case WM_SYSCOMMAND:
        for (const auto& item : window_.SystemMenuItems()) {
          if (static_cast<int>(wParam & 0xFFF0) == item.id) {
            window_.UserSystemMenuItem(item.id);
            return 0;
          }
        }
        break;
      case WM_DROPFILES: DropFiles(window_, hwnd_, reinterpret_cast<HDROP>(wParam)); return 0;
      case WM_CLOSE:
        if (window_.HasMessageHandler(message)) return window_.Dispatch(message, wParam, lParam);
        window_.UserClose();
        return 0;
      default:
        if (window_.HasMessageHandler(message)) return window_.Dispatch(message, wParam, static_cast<std::intptr_t>(lParam));
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      auto* peer = static_cast<Win32CustomPeer*>(create->lpCreateParams);
      peer->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(peer));
    }
    auto* peer = reinterpret_cast<Win32CustomPeer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!peer || !peer->hwnd_) return DefWindowProcW(hwnd, message, wParam, lParam);
    return peer->Handle(message, wParam, lParam);
  }

  CustomWindow& window_;
  HWND hwnd_ = nullptr;
};

}  // namespace

std::unique_ptr<Peer> CreateCustomWindowPeer(CustomWindow& window, HINSTANCE instance, HWND parentOrOwner) {
  return std::make_unique<Win32CustomPeer>(window, instance, parentOrOwner);
}

HWND CustomWindowHandle(const Peer& peer) { return static_cast<const Win32CustomPeer&>(peer).hwnd(); }

}  // namespace gui::win32
