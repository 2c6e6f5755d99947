#include "music-player/windows/BrowserWnd.h"

#include <algorithm>

#include "music-player/windows/SecondaryWindow.h"
#include "music-player/windows/VantuPlayerDlg.h"

namespace vantu {

namespace {

constexpr gui::Color kFallbackText = gui::Rgb(0xE6, 0xED, 0xF3);
constexpr gui::Color kButtonFace = gui::Rgb(0x24, 0x41, 0x5A);
constexpr gui::Color kButtonPressedFace = gui::Rgb(0x3A, 0xD1, 0xC5);
constexpr gui::Color kButtonEdge = gui::Rgb(0x3A, 0xD1, 0xC5);
const gui::FontSpec kFallbackFont{"굴림", -12, 0};

}  // namespace

CBrowserWnd::CBrowserWnd(CVantuPlayerDlg& main) : CSizableSkinnedDialog(main.Settings()), main_(main) {
  SetCaption("Vantu Browser");
  OnMouseDown = [this](const gui::MouseEvent& e) {
    if (e.button != gui::MouseButton::kLeft) return;
    buttonPressed_ = !showsPage_ && gui::Contains(OpenButtonRect(), e.client);
    if (buttonPressed_) {
      CaptureMouse();
      Invalidate();
      return;
    }
    BaseMouseDown(e);
  };
  OnMouseUp = [this](const gui::MouseEvent& e) {
    if (e.button != gui::MouseButton::kLeft) return;
    if (buttonPressed_) {
      buttonPressed_ = false;
      ReleaseMouse();
      Invalidate();
      if (gui::Contains(OpenButtonRect(), e.client)) main_.Shell().OpenInDefaultBrowser(address_);
      return;
    }
    BaseMouseUp(e);
  };
  OnDoubleClick = [](const gui::MouseEvent&) {};  // ignored
}

CBrowserWnd::~CBrowserWnd() {
  control_.reset();
  Destroy();
}

SkinRect CBrowserWnd::GetInitialRect() {
  return SecondaryInitialRect(*this, SettingsRect::kBrowserWindow, SettingsWord::kBrowserWindowOpen);
}

void CBrowserWnd::CreateWithOwner(CSkinnedDialog* owner) {
  CSizableSkinnedDialog::CreateWithOwner(owner);
  OnLayoutInit();
  control_ = CreateBrowserControl(*this);
  if (control_) control_->SetVisible(false);
  PlaceControl();
}

void CBrowserWnd::OnShown() { Navigate(main_.Shell().PlayerPage()); }

void CBrowserWnd::Navigate(const std::string& address) {
  address_ = address;
  showsPage_ = control_ && control_->CanShowPages() && control_->Navigate(address);
  if (control_) control_->SetVisible(showsPage_);
  PlaceControl();
  Invalidate();
}

void CBrowserWnd::OnSizeChanged() {
  CSizableSkinnedDialog::OnSizeChanged();
  PlaceControl();
}

void CBrowserWnd::PlaceControl() {
  const CSkinElement* piece = CentrePiece();
  if (!control_ || !showsPage_ || !piece) return;
  control_->SetBounds(gui::Rect{piece->rect.left, piece->rect.top, piece->rect.Width() + 1, piece->rect.Height() + 1});
}

gui::Rect CBrowserWnd::OpenButtonRect() const {
  const CSkinElement* piece = CentrePiece();
  if (showsPage_ || !piece) return {};
  const SkinRect& c = piece->rect;
  const int width = std::min(150, std::max(0, c.Width() - 16));
  const int height = std::min(20, std::max(0, c.bottom - 2 - (c.top + 38)));
  return gui::Rect{c.left + 8, c.top + 38, width, height};
}

void CBrowserWnd::DrawElements(gui::Canvas& canvas) {
  CSizableSkinnedDialog::DrawElements(canvas);
  const CSkinElement* piece = CentrePiece();
  if (showsPage_ || !piece) return;
  const SkinRect& c = piece->rect;
  const int width = std::max(0, c.Width() - 16);
  canvas.SetFont(&kFallbackFont);
  canvas.SetTextColor(kFallbackText);
  canvas.SetBackgroundMode(gui::BackgroundMode::kTransparent);
  canvas.DrawText(gui::Rect{c.left + 8, c.top + 3, width, 16}, kBrowserFallbackText);
  canvas.DrawText(gui::Rect{c.left + 8, c.top + 19, width, 16}, address_);
  const gui::Rect button = OpenButtonRect();
  if (button.width <= 2 || button.height <= 2) return;
  canvas.FillRect(button, kButtonEdge);
  canvas.FillRect(gui::Rect{button.left + 1, button.top + 1, button.width - 2, button.height - 2},
                  buttonPressed_ ? kButtonPressedFace : kButtonFace);
  canvas.DrawText(gui::Rect{button.left + 8, button.top + 3, button.width - 16, button.height - 4}, kOpenInBrowserText);
}

}  // namespace vantu
