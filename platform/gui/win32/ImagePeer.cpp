// The picture: a STATIC showing an icon (32x32 when there is room, else
// 16x16), or painting its bitmap itself (one transfer, no erase, so a swap
// does not flicker); clicks and mouse moves go to the model.
#include <algorithm>

#include "platform/gui/Image.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

class ImagePeer : public Win32Peer {
 public:
  explicit ImagePeer(Image& image) : Win32Peer(image), image_(image) {
    MakeChild(L"STATIC", SS_ICON | SS_CENTERIMAGE | SS_NOTIFY, 0, L"");
    Apply(Change::kPicture, -1);
  }
  void OnCommand(int code) override {
    if (code == STN_CLICKED && !updating_) image_.UserClick();
  }

 protected:
  LRESULT OnOwnMessage(UINT message, WPARAM, LPARAM lParam, bool& handled) override {
    handled = false;
    const Point at{Unscale(static_cast<short>(LOWORD(lParam))), Unscale(static_cast<short>(HIWORD(lParam)))};
    if (message == WM_MOUSEMOVE) image_.UserMouseMove(at);
    if (message == WM_LBUTTONDOWN) image_.UserMouseDown(at);
    if (message == WM_LBUTTONUP) image_.UserMouseUp(at);
    const auto& bitmap = image_.ShownBitmap();
    // The static control paints its own empty face when it is enabled or
    // disabled; a bitmap is painted again over it.
    if (bitmap && message == WM_ENABLE) {
      handled = true;
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    }
    if (bitmap && message == WM_ERASEBKGND) {
      handled = true;
      return 1;
    }
    if (bitmap && message == WM_PAINT) {
      handled = true;
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      const Dib view = bitmap->View();
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      info.bmiHeader.biWidth = view.width;
      info.bmiHeader.biHeight = view.height;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      StretchDIBits(dc, 0, 0, S(view.width), S(view.height), 0, 0, view.width, view.height, view.bits, &info,
                    DIB_RGB_COLORS, SRCCOPY);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    return 0;
  }
  void Apply(Change what, int) override {
    if (what != Change::kPicture) return;
    if (image_.ShownBitmap()) {
      InvalidateRect(hwnd_, nullptr, FALSE);
      return;
    }
    const int size = std::min(image_.Width(), image_.Height()) >= 32 ? 32 : 16;
    SendMessageW(hwnd_, STM_SETICON, reinterpret_cast<WPARAM>(LoadPicture(image_.ShownPicture(), size)), 0);
  }

 private:
  Image& image_;
};

}  // namespace

std::unique_ptr<Peer> CreateImagePeer(Image& image) { return std::make_unique<ImagePeer>(image); }

}  // namespace gui::win32
