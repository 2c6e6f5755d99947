#include "platform/gui/CustomWindow.h"

#include "platform/gui/Application.h"

namespace gui {

CustomWindow* CustomWindow::captured_ = nullptr;
CustomWindow* CustomWindow::focused_ = nullptr;

CustomWindow::CustomWindow() : Form(nullptr, Kind::kCustomWindow) {}

CustomWindow::CustomWindow(CustomWindow& parent) : Form(&parent, Kind::kCustomWindow) {}

CustomWindow::~CustomWindow() {
  if (captured_ == this) captured_ = nullptr;
  if (focused_ == this) focused_ = nullptr;
}

void CustomWindow::SetWindowRect(const Rect& rect) { SetBounds(rect.left, rect.top, rect.width, rect.height); }

Point CustomWindow::ClientToScreen(Point client) const {
  Point p{client.x + Left(), client.y + Top()};
  for (const Control* c = Parent(); c; c = c->Parent()) {
    p.x += c->Left();
    p.y += c->Top();
  }
  return p;
}

Point CustomWindow::ScreenToClient(Point screen) const {
  const Point origin = ClientToScreen(Point{0, 0});
  return Point{screen.x - origin.x, screen.y - origin.y};
}

void CustomWindow::ShowNoActivate() {
  activateOnShow_ = false;
  Show();
  activateOnShow_ = true;
}

void CustomWindow::Invalidate() {
  if (CustomPeer()) CustomPeer()->Invalidate();
}

void CustomWindow::DrawNow(const std::function<void(Canvas&)>& draw) {
  if (CustomPeer() && Visible()) CustomPeer()->DrawNow(draw);
}

void CustomWindow::CaptureMouse() {
  if (captured_ && captured_ != this) captured_->UserCaptureLost();
  captured_ = this;
  if (CustomPeer()) CustomPeer()->SetCapture(true);
}

void CustomWindow::ReleaseMouse() {
  if (captured_ != this) return;
  captured_ = nullptr;
  if (CustomPeer()) CustomPeer()->SetCapture(false);
}

void CustomWindow::TakeFocus() {
  if (!CustomPeer() || !Visible()) return;
  CustomPeer()->TakeFocus();
  // The backend reports the change through UserFocusGained/UserFocusLost.
}

void CustomWindow::UserDoubleClick(const MouseEvent& event) {
  if (Reachable()) Fire(OnDoubleClick, event);
}

void CustomWindow::UserMouseWheel(const MouseEvent& event) {
  if (Reachable()) Fire(OnMouseWheel, event);
}

void CustomWindow::UserKeyDown(int key) {
  if (Reachable()) Fire(OnKeyDown, key);
}

void CustomWindow::UserContextMenu(Point screen) {
  if (Reachable()) Fire(OnContextMenu, screen);
}

void CustomWindow::UserFocusGained() {
  if (focused_ == this) return;
  CustomWindow* previous = focused_;
  focused_ = this;
  if (previous) previous->UserFocusLost();
}

void CustomWindow::UserFocusLost() {
  if (focused_ == this) focused_ = nullptr;
  if (!Destroyed()) Fire(OnFocusLost);
}

void CustomWindow::UserCaptureLost() {
  if (captured_ != this) return;
  captured_ = nullptr;
  if (!Destroyed()) Fire(OnCaptureLost);
}

void CustomWindow::UserSystemMenuItem(int id) {
  if (Reachable()) Fire(OnSystemMenuItem, id);
}

void CustomWindow::PaintFace(Canvas& canvas) {
  if (!Destroyed()) Fire(OnPaint, canvas);
}

Rect ScreenRect() { return App().backend().ScreenRect(); }

Rect DesktopWorkArea() { return App().backend().WorkArea(); }

}  // namespace gui
