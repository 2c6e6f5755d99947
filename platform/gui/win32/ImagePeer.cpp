// The picture: a STATIC showing an icon (32x32 when there is room, else
// 16x16); clicks and mouse moves go to the model.
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
    return 0;
  }
  void Apply(Change what, int) override {
    if (what != Change::kPicture) return;
    const int size = std::min(image_.Width(), image_.Height()) >= 32 ? 32 : 16;
    SendMessageW(hwnd_, STM_SETICON, reinterpret_cast<WPARAM>(LoadPicture(image_.ShownPicture(), size)), 0);
  }

 private:
  Image& image_;
};

}  // namespace

std::unique_ptr<Peer> CreateImagePeer(Image& image) { return std::make_unique<ImagePeer>(image); }

}  // namespace gui::win32
