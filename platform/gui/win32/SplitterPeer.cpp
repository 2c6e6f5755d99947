// The splitter: a thin window of its own class with the sizing cursor; a
// press captures the mouse and every move drags the bar.
#include "platform/gui/Splitter.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

constexpr wchar_t kSplitterClass[] = L"GuiSplitter";

const wchar_t* ClassName() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.hInstance = instance;
    cls.lpfnWndProc = DefWindowProcW;
    cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    cls.lpszClassName = kSplitterClass;
    RegisterClassExW(&cls);
    registered = true;
  }
  return kSplitterClass;
}

class SplitterPeer : public Win32Peer {
 public:
  explicit SplitterPeer(Splitter& splitter) : Win32Peer(splitter), splitter_(splitter) {
    MakeChild(ClassName(), 0, 0, L"");
  }

 protected:
  LRESULT OnOwnMessage(UINT message, WPARAM, LPARAM, bool& handled) override {
    handled = true;
    const bool vertical = splitter_.orientation() == Splitter::Orientation::kVertical;
    POINT p{};
    GetCursorPos(&p);
    const int at = Unscale(vertical ? p.x : p.y);
    switch (message) {
      case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(vertical ? IDC_SIZEWE : IDC_SIZENS)));
        return TRUE;
      case WM_LBUTTONDOWN:
        SetCapture(hwnd_);
        last_ = at;
        return 0;
      case WM_MOUSEMOVE:
        if (GetCapture() == hwnd_) last_ += splitter_.UserDragBy(at - last_);
        return 0;
      case WM_LBUTTONUP:
        if (GetCapture() == hwnd_) ReleaseCapture();
        return 0;
      default: handled = false; return 0;
    }
  }

 private:
  Splitter& splitter_;
  int last_ = 0;
};

}  // namespace

std::unique_ptr<Peer> CreateSplitterPeer(Splitter& splitter) { return std::make_unique<SplitterPeer>(splitter); }

}  // namespace gui::win32
