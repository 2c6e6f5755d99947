#include "platform/gui/headless/HeadlessCustomWindow.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace gui::headless {

namespace {

class HeadlessCustomPeer;

// Every custom window's peer, in creation order, with its place in the
// stacking order (a larger stamp is nearer the user).
std::vector<HeadlessCustomPeer*> peers;
std::uint64_t nextStamp = 1;

CustomWindow* Root(CustomWindow* window) {
  while (window && window->Parent()) window = static_cast<CustomWindow*>(window->Parent());
  return window;
}

class HeadlessCustomPeer : public CustomWindowPeer {
 public:
  explicit HeadlessCustomPeer(CustomWindow& window)
      : window_(window), face_(window.Width(), window.Height()), stamp_(nextStamp++) {
    peers.push_back(this);
  }
  ~HeadlessCustomPeer() override { peers.erase(std::remove(peers.begin(), peers.end(), this), peers.end()); }

  void Changed(Change what, int) override {
    switch (what) {
      case Change::kBounds:
        if (face_.Width() != window_.Width() || face_.Height() != window_.Height()) {
          face_.Reset(window_.Width(), window_.Height());
        }
        dirty_ = true;
        break;
      case Change::kVisible:
        if (window_.Visible()) {
          minimized_ = false;
          dirty_ = true;
          stamp_ = nextStamp++;
          if (window_.ActivatesOnShow() && !window_.IsChild()) window_.UserFocusGained();
        } else if (window_.HasFocus()) {
          window_.UserFocusLost();
        }
        break;
      case Change::kFront: stamp_ = nextStamp++; break;
      default: break;
    }
  }

  void Invalidate() override { dirty_ = true; }
  void DrawNow(const std::function<void(Canvas&)>& draw) override {
    Painted();
    draw(face_);
  }
  void SetCapture(bool) override {}
  void TakeFocus() override { window_.UserFocusGained(); }
  void Minimize() override {
    minimized_ = true;
    if (window_.HasFocus()) window_.UserFocusLost();
  }
  bool Minimized() override { return minimized_; }

  const PixelCanvas& Painted() {
    if (dirty_ && window_.Visible()) {
      dirty_ = false;
      ++paints_;
      face_.ClearTexts();
      if (window_.DoubleBuffered()) {
        face_.Buffered(window_.ClientRect(), [&](Canvas& buffer) { window_.PaintFace(buffer); });
      } else {
        window_.PaintFace(face_);
      }
    }
    return face_;
  }

  CustomWindow& window() { return window_; }
  std::uint64_t stamp() const { return stamp_; }
  int paints() const { return paints_; }
  bool Shown() const { return window_.Showing() && !minimized_; }

 private:
  CustomWindow& window_;
  PixelCanvas face_;
  bool dirty_ = true;
  bool minimized_ = false;
  std::uint64_t stamp_;
  int paints_ = 0;
};

HeadlessCustomPeer& PeerOf(const CustomWindow& window) {
  auto* peer = dynamic_cast<HeadlessCustomPeer*>(window.peer());
  if (!peer) throw std::logic_error("headless: the custom window has no headless native side (not created?)");
  return *peer;
}

// The deepest shown child of `window` under the client point, or window.
CustomWindow* DeepestAt(CustomWindow& window, Point client) {
  const auto& children = window.Children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if ((*it)->kind() != Control::Kind::kCustomWindow) continue;
    auto* child = static_cast<CustomWindow*>(*it);
    if (!child->Visible() || !Contains(child->WindowRect(), client)) continue;
    return DeepestAt(*child, Point{client.x - child->Left(), client.y - child->Top()});
  }
  return &window;
}

}  // namespace

std::unique_ptr<Peer> CreateCustomWindowPeer(CustomWindow& window) { return std::make_unique<HeadlessCustomPeer>(window); }

const PixelCanvas& Face(CustomWindow& window) { return PeerOf(window).Painted(); }

int PaintCount(const CustomWindow& window) { return PeerOf(window).paints(); }

CustomWindow* WindowAt(Point screen) {
  HeadlessCustomPeer* best = nullptr;
  for (HeadlessCustomPeer* peer : peers) {
    CustomWindow& w = peer->window();
    if (w.IsChild() || !peer->Shown() || !Contains(w.WindowRect(), screen)) continue;
    if (!best || w.Topmost() > best->window().Topmost() ||
        (w.Topmost() == best->window().Topmost() && peer->stamp() > best->stamp())) {
      best = peer;
    }
  }
  if (!best) return nullptr;
  return DeepestAt(best->window(), best->window().ScreenToClient(screen));
}

CustomWindow* Pointer::Target(Point screen) const {
  if (CustomWindow* captured = CustomWindow::MouseCaptureWindow()) return captured;
  return WindowAt(screen);
}

MouseEvent Pointer::Event(CustomWindow& window, Point screen, MouseButton button, int keys) const {
  return MouseEvent{window.ScreenToClient(screen), screen, button, keys | buttons_, 0};
}

void Pointer::Press(Point screen, MouseButton button, int keys) {
  position_ = screen;
  buttons_ |= button == MouseButton::kLeft ? mouse_keys::kLeftButton : mouse_keys::kRightButton;
  CustomWindow* target = Target(screen);
  if (!target) return;
  // Pressing another top-level window activates it.
  CustomWindow* focus = CustomWindow::FocusWindow();
  if (!focus || Root(focus) != Root(target)) Root(target)->UserFocusGained();
  target->UserMouseDown(Event(*target, screen, button, keys));
}

void Pointer::Release(Point screen, MouseButton button, int keys) {
  position_ = screen;
  CustomWindow* target = Target(screen);
  const MouseEvent event = target ? Event(*target, screen, button, keys) : MouseEvent{};
  buttons_ &= ~(button == MouseButton::kLeft ? mouse_keys::kLeftButton : mouse_keys::kRightButton);
  if (target) target->UserMouseUp(MouseEvent{event.client, event.screen, button, keys | buttons_, 0});
}

void Pointer::MoveTo(Point screen, int keys) {
  position_ = screen;
  if (CustomWindow* target = Target(screen)) target->UserMouseMove(Event(*target, screen, MouseButton::kLeft, keys));
}

void Pointer::Click(Point screen, int keys) {
  Press(screen, MouseButton::kLeft, keys);
  Release(screen, MouseButton::kLeft, keys);
}

void Pointer::DoubleClick(Point screen) {
  Click(screen);
  buttons_ |= mouse_keys::kLeftButton;
  if (CustomWindow* target = Target(screen)) target->UserDoubleClick(Event(*target, screen, MouseButton::kLeft, 0));
  Release(screen);
}

void Pointer::Wheel(Point screen, int delta) {
  position_ = screen;
  // The wheel goes to the focused window, as the window system sends it.
  CustomWindow* target = CustomWindow::FocusWindow();
  if (!target) target = WindowAt(screen);
  if (!target) return;
  MouseEvent event = Event(*target, screen, MouseButton::kLeft, 0);
  event.wheelDelta = delta;
  target->UserMouseWheel(event);
}

void Pointer::Drag(Point from, Point to, int steps) {
  Press(from);
  steps = std::max(1, steps);
  for (int i = 1; i <= steps; ++i) {
    MoveTo(Point{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
  }
  Release(to);
}

void Pointer::RightClick(Point screen) {
  Press(screen, MouseButton::kRight);
  Release(screen, MouseButton::kRight);
  if (CustomWindow* target = Target(screen)) target->UserContextMenu(screen);
}

}  // namespace gui::headless
